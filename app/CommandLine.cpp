#include "app/CommandLine.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string_view>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QThread>

#include "app/CommandOptions.h"
#include "core/Env.h"
#include "core/TextValue.h"
#include "persist/Folders.h"
#include "persist/Options.h"
#include "platform/qt/SessionPlatform.h"
#include "ui/remote/RemoteControl.h"

namespace mayorin::app {

namespace {

// A call that takes longer means the instance is stuck in something (a dialog of its shut-down).
constexpr int kCallTimeoutMs = 10000;
// How long --quit waits for the instance to be gone.
constexpr int kQuitWaitMs = 15000;

constexpr const char* kUsage = "使い方: mayorin [--open | --list | --quit | --help | --version]\n"
                               "        mayorin --timer H:MM[:SS] [--repeat N [--rest H:MM[:SS]]] 表示名\n"
                               "        mayorin --pause [表示名] | --resume [表示名]\n"
                               "        mayorin --at HH:MM [--day D | --date M/D | --weekdays 曜日] [--once] 表示名\n"
                               "詳しくは mayorin --help をご覧ください。\n";

constexpr const char* kHelpIntro =
    "使い方: mayorin [オプション]\n"
    "オプションを付けずに起動すると、タスクトレイに常駐して予定をお知らせします。\n"
    "お知らせはデスクトップの通知にも出します（予約画面の「設定」→「お知らせをデスクトップにも通知する。」で止められま"
    "す）。\n"
    "オプションを付けると、起動中の Mayorin。を操作して、すぐに戻ります。\n"
    "時間と数値は予約画面に入力するときと同じ書き方で、同じように直されます。\n"
    "全角の数字と「：」も半角と同じに読みます（例: ０：３０）。\n";

constexpr const char* kHelpExitStatuses =
    "終了コード: 0 完了 / 1 受け付けられなかった（理由を表示します） / 2 使い方の誤り /\n"
    "            3 起動していない、またはリモート操作が使えない\n";

// Each line of a text of the option table, indented and with its prefix.
void appendLines(std::string& to, std::string_view lines, std::string_view prefix) {
    while (!lines.empty()) {
        const auto end = lines.find('\n');
        to.append("      ").append(prefix).append(lines.substr(0, end)).append("\n");
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
    }
}

// Every option with its examples, from the option table.
std::string helpText() {
    std::string help = std::string(kHelpIntro) + "\n";
    for (const CommandOption& option : kCommandOptions) {
        help.append("  ").append(option.synopsis).append("\n");
        appendLines(help, option.text, "");
        appendLines(help, option.examples, "例: ");
    }
    help += "\n";
    for (const CommandNote& note : kCommandNotes) {
        help.append(note.text).append("\n");
    }
    return help + "\n" + kHelpExitStatuses;
}

constexpr const char* kNoBus = "リモート操作は使用できません。D-Bus のセッションバスに接続できませんでした。\n";
constexpr const char* kNotRunning = "Mayorin。は起動していません。\n";
constexpr const char* kNoAnswer = "Mayorin。から応答がありません。\n";
constexpr const char* kStillRunning = "Mayorin。の終了を確認できませんでした。\n";
constexpr const char* kCannotStartHere =
    "Mayorin。は起動していません。画面（ディスプレイ）が無いため、ここからは起動できません。\n";

// Where this build keeps its data, as --help and --version tell it.
std::string dataPlaceLine() {
    std::error_code failed;
    const std::string programFolder = std::filesystem::read_symlink("/proc/self/exe", failed).parent_path().string();
    const std::string folder = persist::dataFolderOf(programFolder);
    const std::string rule = persist::builtDataPlace() == persist::DataPlace::AccountHome
                                 ? "アカウントごとの $XDG_DATA_HOME/mayorin、既定は ~/.local/share/mayorin"
                                 : "プログラムと同じフォルダ";
    return "予約とログの保存場所: " + (folder.empty() ? rule : folder + "（" + rule + "）") + "\n";
}

// The 設定 menu's options, as the option table holds them.
std::string optionsHelp() {
    std::string text = "予約画面の「設定」メニューの項目（~/.config/Mayorin/Mayorin.ini の [settei] に、"
                       "キー = True / False で保存します）:\n";
    for (const persist::OptionRow& row : persist::kOptionTable) {
        text += std::string("  ") + row.caption + "（" + row.key + "、初期値 " + (row.byDefault ? "True" : "False") +
                "）\n";
    }
    text += std::string("  お知らせの音を選ぶ…（") + persist::kOwnSoundKey +
            "、選んだ WAV ファイルのパス。初期値は空で、プログラムの音「Mayorin。音.wav」を鳴らします）\n";
    return text;
}

// Whether a start could show windows: the same question the start itself asks before it makes
// the application.
bool displayAvailable(int argc, char* argv[]) {
    const platform::SessionFacts facts = platform::sessionFacts(argc, argv);
    return platform::unusablePlatform(facts, platform::platformForSession(facts), {}).empty();
}

// Everything the command line prints is UTF-8.
void out(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}
void out(std::FILE* stream, const char* text) {
    out(stream, std::string_view(text));
}
void out(std::FILE* stream, const std::string& text) {
    out(stream, std::string_view(text));
}
void out(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    out(stream, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

int printUsage(const std::string& why) {
    out(stderr, "mayorin: " + why + "\n");
    out(stderr, kUsage);
    return CommandLine::kUsage;
}

// "H:MM[:SS]" into the hours text and the minutes text (which keeps ":SS").
bool splitAtColon(const std::string& text, std::string& hours, std::string& minutes) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    hours = text.substr(0, colon);
    minutes = text.substr(colon + 1);
    return true;
}

// Whether the running instance holds its name. Asked of the bus directly: the bus's own
// interface object of Qt listens to name changes, which a short-lived client does not need.
QDBusMessage askBus(QDBusConnection& bus, const char* method, const QString& name) {
    QDBusMessage ask =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QString::fromLatin1(method));
    ask << name;
    return bus.call(ask, QDBus::Block, kCallTimeoutMs);
}

// Whether the name (by default the running instance's) has an owner.
bool instanceRunning(QDBusConnection& bus, const QString& name = QString::fromLatin1(ui::kBusName)) {
    const QDBusMessage reply = askBus(bus, "NameHasOwner", name);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

// The connection that holds the instance's name now; another instance may be waiting for it.
QString instanceConnection(QDBusConnection& bus) {
    return askBus(bus, "GetNameOwner", QString::fromLatin1(ui::kBusName)).arguments().value(0).toString();
}

// The session bus with the running instance on it, or the exit status saying why not.
std::optional<int> reachInstance(QDBusConnection& bus) {
    if (!bus.isConnected()) {
        out(stderr, kNoBus);
        return CommandLine::kNoInstance;
    }
    if (!instanceRunning(bus)) {
        out(stderr, kNotRunning);
        return CommandLine::kNoInstance;
    }
    return std::nullopt;
}

// Calls a method of the running instance. Returns the reply, or the exit status of a failure
// after saying what failed.
std::optional<int> call(QDBusConnection& bus, const char* method, const QVariantList& args, QDBusMessage& reply) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(QString::fromLatin1(ui::kBusName), QString::fromLatin1(ui::kObjectPath),
                                       QString::fromLatin1(ui::kInterface), QString::fromLatin1(method));
    message.setArguments(args);
    reply = bus.call(message, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ErrorMessage) {
        return std::nullopt;
    }
    const QString name = reply.errorName();
    if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
        out(stderr, kNotRunning);
        return CommandLine::kNoInstance;
    }
    // The instance went away while the call was on its way: it was shutting down.
    const bool lost = name == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
                      name == QLatin1String("org.freedesktop.DBus.Error.Disconnected");
    if (name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") || (lost && !instanceRunning(bus))) {
        out(stderr, std::string(ui::kEndingMessage) + "\n");
        return CommandLine::kRefused;
    }
    if (name == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
        name == QLatin1String("org.freedesktop.DBus.Error.Timeout")) {
        out(stderr, kNoAnswer);
        return CommandLine::kRefused;
    }
    out(stderr, reply.errorMessage() + QLatin1Char('\n'));
    return CommandLine::kRefused;
}

QVariantList texts(const std::vector<std::string>& values) {
    QVariantList list;
    for (const auto& v : values) {
        list << QString::fromStdString(v);
    }
    return list;
}

} // namespace

CommandLine CommandLine::parse(int argc, char* argv[]) {
    CommandLine cl;
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    bool ours = false; // an option of this program, or "--", was given

    static const std::set<std::string> kWithValue = {"timer", "rest", "repeat", "at", "day", "date", "weekdays"};
    static const std::set<std::string> kFlags = {"open", "list",      "quit",  "help",  "version",
                                                 "once", "autostart", "pause", "resume"};
    std::map<std::string, std::string> given;
    std::vector<std::string> positional;
    auto fail = [&cl](std::string why) {
        cl.m_action = Action::Usage;
        cl.m_error = std::move(why);
        return cl;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            ours = true;
            positional.insert(positional.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (a == "-h") {
            ours = true;
            given["help"];
            continue;
        }
        if (a.size() < 2 || a[0] != '-') {
            positional.push_back(a);
            continue;
        }
        // Qt's own options, with one dash or two, are left for Qt, in the form Qt reads them.
        if (const auto qt = platform::qtOptionAt(args, i)) {
            if (qt->misspelt) {
                const std::string asQtReadsIt = a.substr(0, a.find('=')) + (qt->value.empty() ? "" : " " + qt->value);
                return fail("Qt のオプションは「=」を使わずに書きます: " + a + "（" + asQtReadsIt + "）");
            }
            i += qt->count - 1;
            continue;
        }
        const bool twoDashes = a[1] == '-';
        std::string name = a.substr(twoDashes ? 2 : 1);
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (!twoDashes) {
            const bool meant = kWithValue.count(name) != 0 || kFlags.count(name) != 0;
            return fail("不明なオプションです: " + a + (meant ? "（--" + name + " のことですか?）" : ""));
        }
        ours = true;
        if (given.count(name) != 0) {
            return fail("オプションが二回指定されています: --" + name);
        }
        if (kFlags.count(name) != 0) {
            if (inlineValue) {
                return fail("--" + name + " に値は付けられません。");
            }
            given[name];
        } else if (kWithValue.count(name) != 0) {
            if (inlineValue) {
                given[name] = *inlineValue;
            } else if (i + 1 < args.size()) {
                given[name] = args[++i];
            } else {
                return fail("--" + name + " の値がありません。");
            }
        } else {
            return fail("不明なオプションです: --" + name);
        }
    }

    if (!ours) {
        return cl; // started as always; Qt reads its own options
    }
    // Digits and colons typed with the input method still on are read as half-width ones, as the
    // panels read them.
    for (const char* name : {"timer", "rest", "repeat", "at", "day", "date"}) {
        if (const auto it = given.find(name); it != given.end()) {
            it->second = core::halfWidthDigits(it->second);
        }
    }
    if (given.count("help") != 0) {
        cl.m_action = Action::Help;
        return cl;
    }
    if (given.count("version") != 0) {
        cl.m_action = Action::Version;
        return cl;
    }
    int actions = 0;
    for (const char* a : {"open", "list", "quit", "timer", "at", "autostart", "pause", "resume"}) {
        actions += static_cast<int>(given.count(a));
    }
    if (actions != 1) {
        return fail(actions == 0
                        ? "--open、--timer、--at、--pause、--resume、--list、--quit のどれかを指定してください。"
                        : "--open、--timer、--at、--pause、--resume、--list、--quit は一つだけ指定できます。");
    }
    auto only = [&](std::initializer_list<const char*> allowed, const char* action) -> std::optional<std::string> {
        for (const auto& [name, value] : given) {
            bool ok = false;
            for (const char* a : allowed) {
                ok = ok || name == a;
            }
            if (!ok) {
                return "--" + name + " は " + action + " と一緒には使えません。";
            }
        }
        return std::nullopt;
    };
    const bool timer = given.count("timer") != 0;
    const bool at = given.count("at") != 0;
    if (given.count("pause") != 0 || given.count("resume") != 0) {
        const bool pause = given.count("pause") != 0;
        const char* action = pause ? "--pause" : "--resume";
        if (const auto why = only({action + 2}, action)) {
            return fail(*why);
        }
        if (positional.size() > 1) {
            return fail("表示名は一つだけ書きます（空白を含む表示名は引用符で囲みます）。");
        }
        cl.m_action = pause ? Action::Pause : Action::Resume;
        cl.m_values = {positional.empty() ? std::string() : positional.front()};
        return cl;
    }
    if (!timer && !at) {
        const char* action = given.count("open") != 0        ? "--open"
                             : given.count("list") != 0      ? "--list"
                             : given.count("autostart") != 0 ? "--autostart"
                                                             : "--quit";
        if (const auto why = only({action + 2}, action)) {
            return fail(*why);
        }
        if (!positional.empty()) {
            return fail(std::string(action) + " に表示名は付けられません: " + positional.front());
        }
        cl.m_action = given.count("open") != 0        ? Action::Open
                      : given.count("list") != 0      ? Action::List
                      : given.count("autostart") != 0 ? Action::Autostart
                                                      : Action::Quit;
        return cl;
    }
    if (positional.size() != 1) {
        return fail(positional.empty() ? "表示名がありません（空の表示名は \"\" と書きます）。"
                                       : "表示名は一つだけ書きます（空白を含む表示名は引用符で囲みます）。");
    }
    std::string h;
    std::string m;
    if (timer) {
        if (const auto why = only({"timer", "rest", "repeat"}, "--timer")) {
            return fail(*why);
        }
        if (!splitAtColon(given["timer"], h, m)) {
            return fail("--timer の時間は H:MM か H:MM:SS で書きます: " + given["timer"]);
        }
        if (given.count("rest") != 0 && given.count("repeat") == 0) {
            return fail("--rest は --repeat と一緒に指定します（休憩時間は繰り返しの間に入ります）。");
        }
        cl.m_action = Action::Timer;
        cl.m_repeating = given.count("repeat") != 0;
        std::string rh = "0";
        std::string rm = "0";
        if (given.count("rest") != 0 && !splitAtColon(given["rest"], rh, rm)) {
            return fail("--rest の時間は H:MM か H:MM:SS で書きます: " + given["rest"]);
        }
        const std::string repeat = given.count("repeat") != 0 ? given["repeat"] : "0";
        cl.m_values = cl.m_repeating ? std::vector<std::string>{h, m, rh, rm, repeat} : std::vector<std::string>{h, m};
    } else {
        if (const auto why = only({"at", "day", "date", "weekdays", "once"}, "--at")) {
            return fail(*why);
        }
        if (given.count("day") + given.count("date") + given.count("weekdays") > 1) {
            return fail("--day、--date、--weekdays は一つだけ指定できます。");
        }
        if (!splitAtColon(given["at"], h, m)) {
            return fail("--at の時刻は HH:MM で書きます: " + given["at"]);
        }
        std::string month;
        std::string day = given.count("day") != 0 ? given["day"] : "";
        if (given.count("date") != 0) {
            const std::string& date = given["date"];
            const auto slash = date.find('/');
            if (slash == std::string::npos) {
                return fail("--date の月日は M/D で書きます: " + date);
            }
            month = date.substr(0, slash);
            day = date.substr(slash + 1);
        }
        cl.m_action = Action::Alarm;
        cl.m_once = given.count("once") != 0;
        cl.m_values = {h, m, month, day, given.count("weekdays") != 0 ? given["weekdays"] : ""};
    }
    cl.m_values.push_back(positional.front());
    return cl;
}

std::optional<int> CommandLine::runWithoutResident(int argc, char* argv[]) const {
    const bool openHere = m_action == Action::Open && !displayAvailable(argc, argv);
    switch (m_action) {
    case Action::Run:
    case Action::Autostart:
        return std::nullopt;
    case Action::Open:
        if (!openHere) {
            return std::nullopt; // asked once the application exists; it may have to start
        }
        break;
    case Action::Help:
        out(stdout, helpText());
        out(stdout, "\n" + optionsHelp());
        out(stdout, "\n" + dataPlaceLine());
        return kDone;
    case Action::Version:
        out(stdout, std::string(core::kTitle) + " バージョン " + std::to_string(core::kMajor) + "." +
                        std::to_string(core::kMinor) + "." + std::to_string(core::kRevision) + "\n");
        out(stdout, dataPlaceLine());
        return kDone;
    case Action::Usage:
        return printUsage(m_error);
    default:
        break;
    }

    // A client of the running instance: no display needed.
    QCoreApplication app(argc, argv);
    // Qt D-Bus registers its own types on first use, from whichever thread comes first; an error
    // reply read meanwhile on its connection thread prints warnings. Registered here, before any
    // message.
    QDBusMetaType::typeToSignature(QMetaType::fromType<QDBusVariant>());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (openHere && bus.isConnected() && !instanceRunning(bus)) {
        // Only a start needs a display, and there is none.
        out(stderr, kCannotStartHere);
        return kNoInstance;
    }
    if (const auto status = reachInstance(bus)) {
        return status;
    }
    QDBusMessage reply;
    std::optional<int> failed;
    QString quitting; // the instance told to quit
    switch (m_action) {
    case Action::Open:
        failed = call(bus, "Open", {}, reply);
        break;
    case Action::Timer:
        failed = call(bus, m_repeating ? "AddRepeatingTimer" : "AddTimer", texts(m_values), reply);
        break;
    case Action::Alarm: {
        QVariantList args = texts({m_values.begin(), m_values.begin() + 5});
        args << !m_once << QString::fromStdString(m_values.back());
        failed = call(bus, "AddAlarm", args, reply);
        break;
    }
    case Action::List:
        failed = call(bus, "List", {}, reply);
        break;
    case Action::Pause:
    case Action::Resume:
        failed = call(bus, m_action == Action::Pause ? "Pause" : "Resume", texts(m_values), reply);
        break;
    case Action::Quit:
        quitting = instanceConnection(bus);
        failed = call(bus, "Quit", {}, reply);
        break;
    default:
        break;
    }
    if (failed) {
        return failed;
    }
    if (m_action == Action::List || m_action == Action::Pause || m_action == Action::Resume) {
        for (const QString& line : reply.arguments().value(0).toStringList()) {
            out(stdout, line + QLatin1Char('\n'));
        }
    } else if (m_action == Action::Open) {
        return kDone;
    } else if (m_action == Action::Quit) {
        // Done once the instance is gone: its data file is written and its end is logged.
        QDeadlineTimer deadline(kQuitWaitMs);
        while (instanceRunning(bus, quitting.isEmpty() ? QString::fromLatin1(ui::kBusName) : quitting)) {
            if (deadline.hasExpired()) {
                out(stderr, kStillRunning);
                return kRefused;
            }
            QThread::msleep(50);
        }
    } else {
        out(stdout, reply.arguments().value(0).toString() + QLatin1Char('\n'));
    }
    return kDone;
}

std::optional<int> CommandLine::openInRunningInstance() const {
    if (m_action != Action::Open) {
        return std::nullopt;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !instanceRunning(bus)) {
        return std::nullopt;
    }
    QDBusMessage reply;
    if (const auto failed = call(bus, "Open", {}, reply)) {
        // Gone meanwhile: this one starts instead.
        return *failed == kNoInstance ? std::nullopt : failed;
    }
    return kDone;
}

} // namespace mayorin::app
