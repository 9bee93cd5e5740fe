// The command line against the built program, running offscreen in a fresh folder on the private
// session bus that dbus-run-session gives this test.

#include <algorithm>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/E2eSupport.h"

namespace {

using namespace mayorin::e2e;

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.rfind(prefix, 0) == 0;
}

struct Result {
    int status = -1; // -1: did not end in time
    std::string out;
    std::string err;
};

// The program copied into a fresh folder with its own settings folder, and the command line run
// against it.
class Program {
public:
    Program() : m_dir(freshDir("mayorin-remote")) { copyProgram(m_dir); }
    ~Program() {
        killChild(m_pid);
        fs::remove_all(m_dir);
    }

    const fs::path& dir() const { return m_dir; }
    fs::path dataFile() const { return m_dir / "Mayorin。保存.txt"; }
    std::vector<std::string> log() const {
        std::vector<std::string> lines;
        if (fs::exists(m_dir / "Mayorin。ログ")) {
            for (const auto& e : fs::recursive_directory_iterator(m_dir / "Mayorin。ログ")) {
                if (e.is_regular_file()) {
                    const auto more = decodeLines(readFile(e.path()));
                    lines.insert(lines.end(), more.begin(), more.end());
                }
            }
        }
        return lines;
    }

    // Starts the resident program (with the given options and environment).
    void launch(const std::vector<std::string>& args = {}, const std::vector<std::string>& env = {}) {
        m_pid = spawn(args, true, m_dir / "output.txt", m_dir / "output.txt", env);
    }
    // Starts it and waits until it answers on the bus.
    void start(const std::vector<std::string>& args = {}, const std::vector<std::string>& env = {}) {
        launch(args, env);
        ASSERT_GT(m_pid, 0);
        if (!waitUntil([&] { return cli({"--list"}).status == 0; })) {
            FAIL() << "the program never answered on the bus: " << readFile(m_dir / "output.txt");
        }
    }
    std::string output() const { return readFile(m_dir / "output.txt"); }

    // Starts one more resident program from the same folder, as a user would (with extraEnv:
    // under another HOME, say), and returns its pid.
    pid_t startAnother(const std::vector<std::string>& extraEnv = {}) {
        return spawn({}, true, m_dir / "output-2.txt", m_dir / "output-2.txt", extraEnv);
    }

    // Kills the resident program as a crash would, and waits for it to be gone.
    void crash() {
        ::kill(m_pid, SIGKILL);
        ASSERT_EQ(waitForExit(m_pid, 5s), 128 + SIGKILL);
    }

    // The resident program's exit status once it ends, -1 when it does not end in time.
    int waitForEnd(milliseconds limit = 10s) { return waitForExit(m_pid, limit); }

    // Runs the command line with these options, without a display; tag names its output files
    // when several run at once.
    Result cli(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {},
               const std::string& tag = "cli") {
        const fs::path out = m_dir / (tag + "-out.txt");
        const fs::path err = m_dir / (tag + "-err.txt");
        pid_t pid = spawn(args, false, out, err, extraEnv);
        Result r;
        r.status = waitForExit(pid, 20s);
        r.out = readFile(out);
        r.err = readFile(err);
        return r;
    }

private:
    pid_t spawn(const std::vector<std::string>& args, bool resident, const fs::path& out, const fs::path& err,
                const std::vector<std::string>& extraEnv = {}) {
        // The command line needs no display; the resident program runs offscreen unless told.
        std::vector<std::string> platform;
        if (resident && std::none_of(extraEnv.begin(), extraEnv.end(),
                                     [](const std::string& v) { return startsWith(v, "QT_QPA_PLATFORM="); })) {
            platform.push_back("QT_QPA_PLATFORM=offscreen");
        }
        std::vector<std::string> argv{(m_dir / "mayorin").string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return mayorin::e2e::spawn(argv, programEnvironment(m_dir, platform, extraEnv), out, err, resident);
    }

    fs::path m_dir;
    pid_t m_pid = 0;
};

// The log lines that begin with a mark.
std::vector<std::string> marked(const std::vector<std::string>& lines, const std::string& mark) {
    std::vector<std::string> out;
    for (const auto& l : lines) {
        if (startsWith(l, mark)) {
            out.push_back(l);
        }
    }
    return out;
}

// The stand-in notification service on the test's bus, from its start to the end of the test.
class NotificationService {
public:
    NotificationService(const fs::path& dir, const std::string& tag, const std::vector<std::string>& options = {})
        : m_record(dir / (tag + ".txt")) {
        std::vector<std::string> argv{MAYORIN_NOTIFICATION_STANDIN, m_record.string()};
        argv.insert(argv.end(), options.begin(), options.end());
        m_pid = spawn(argv, inheritedEnvironment(), dir / (tag + "-out.txt"), dir / (tag + "-out.txt"));
        m_ready = m_pid > 0 && waitUntil([&] { return fs::exists(m_record); }, 5s);
    }
    ~NotificationService() { killChild(m_pid); }
    bool ready() const { return m_ready; }
    // Every Notify and CloseNotification received, one line each.
    std::vector<std::string> calls() const {
        std::vector<std::string> lines = split(readFile(m_record), '\n');
        lines.erase(lines.begin()); // "ready"
        lines.pop_back();           // after the last line's end
        return lines;
    }

private:
    fs::path m_record;
    pid_t m_pid = 0;
    bool m_ready = false;
};

std::string notifyLine(const std::string& replaces, const std::string& body, bool extendable = true) {
    return "Notify app=Mayorin。 replaces=" + replaces + " icon=mayorin summary=Mayorin。 body=" + body +
           " actions=default=お知らせ画面を表示;0=消して閉じる;1=消さずに閉じる" + (extendable ? ";2=延長する" : "") +
           " urgency=2 desktop-entry=mayorin suppress-sound=true resident=true expire=0";
}

const std::string kNotRunning = "Mayorin。は起動していません。\n";
const std::string kEnding = "Mayorin。は終了するところです。\n";
const std::string kEndRest = ",,,終了,Revision=68,レジストリ=0,エラー回数=0,,";

TEST(RemoteEndToEnd, timerNoticeComesOnTimeAndQuitEndsTheProgramNormally) {
    Program program;
    program.start();
    // Typed with the input method still on: full-width digits and colons.
    const Result add = program.cli({"--timer", "０：００：０２", "卵"});
    const auto added = steady_clock::now();
    ASSERT_EQ(add.status, 0) << add.err;
    EXPECT_TRUE(startsWith(add.out, "卵 ")) << add.out;
    EXPECT_EQ(add.err, "");

    bool notified = false;
    while (!notified && steady_clock::now() < added + 3s * kSlowdown) {
        notified = !marked(program.log(), "♪タイマ,").empty();
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(notified) << "no notice in time";
    EXPECT_GT(steady_clock::now() - added, 800ms) << "two seconds, not none";
    const std::string notice = marked(program.log(), "♪タイマ,")[0];
    EXPECT_EQ(split(notice, ',').at(4), "卵") << notice;

    const Result quit = program.cli({"--quit"});
    EXPECT_EQ(quit.status, 0) << quit.err;
    // --quit returns once the instance is gone: its end is logged by then.
    const std::vector<std::string> lines = program.log();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(startsWith(lines.back(), "▲終了　,")) << lines.back();
    EXPECT_EQ(lines.back().substr(lines.back().find(",,,")), kEndRest);
    EXPECT_EQ(program.waitForEnd(), 0) << readFile(program.dir() / "output.txt");

    // Nobody answers any more.
    const Result list = program.cli({"--list"});
    EXPECT_EQ(list.status, 3);
    EXPECT_EQ(list.err, kNotRunning);
    EXPECT_EQ(list.out, "");
}

// What the entry window stores and logs for 10:00 on 25 December, this time only; the same texts
// typed into its schedule panel are compared with the bus's add in the remote control test.
TEST(RemoteEndToEnd, alarmAddedWithAtIsStoredLoggedAndListedAsInTheEntryWindow) {
    Program program;
    program.start();
    const long long before = localNow().stamp;
    const Result add = program.cli({"--at", "１０：００", "--date", "１２/２５", "--once", "記念日"});
    const long long after = localNow().stamp;
    ASSERT_EQ(add.status, 0) << add.err;

    const sys_days today = kDayZero + days{before / 86400};
    const year y = year_month_day{today}.year();
    long long due = stamp(y / December / 25, 10, 0, 0);
    if (due <= before) {
        due = stamp((y + years{1}) / December / 25, 10, 0, 0);
    }
    const std::string dueText = " " + std::to_string(due);
    EXPECT_EQ(
        readFile(program.dataFile()),
        encodeLines(
            {"「Mayorin。.exe」用データ",
             "'　このテキストファイルは「Mayorin。.exe」であなたが入力した内容が記憶され、自動で読み書きされます。",
             "'■■　タイマーの履歴　■■", "'■■　　予定の履歴　　■■", "03,4,0,記念日,10,00,12,25,,,",
             "'■■　予約中の内容　　■■", "01,4,0,記念日,10,00,12,25,," + dueText + ",", "'",
             "'　このテキストファイルは「Mayorin。.exe」 Ver 1.1.68　が作りました。"}));

    const std::vector<std::string> adds = marked(program.log(), "［追加］,");
    ASSERT_EQ(adds.size(), 1u);
    const std::string& line = adds[0];
    const std::string expectedRest = ",,記念日,月日時刻,予約データ数=1,タイマー履歴数=0,予定履歴数=1,,";
    bool stampFits = false;
    for (long long t = before; t <= after; ++t) {
        stampFits = stampFits || line == "［追加］," + dateColumn(t) + "," + clockColumn(t) + expectedRest;
    }
    EXPECT_TRUE(stampFits) << line;

    const std::string listLine = "記念日" + std::string(24, ' ') + "【次のお知らせ】" + dateColumn(due) + " " +
                                 clockColumn(due) + "【設定】今回のみ12月25日　10:00:00";
    EXPECT_EQ(add.out, listLine + "\n");
    const Result list = program.cli({"--list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, listLine + "\n");

    EXPECT_EQ(program.cli({"--quit"}).status, 0);
    EXPECT_EQ(program.waitForEnd(), 0);
}

TEST(RemoteEndToEnd, refusedNameSaysWhyAndChangesNothing) {
    Program program;
    program.start();
    ASSERT_EQ(program.cli({"--at", "7:30", "起床"}).status, 0);
    const std::string file = readFile(program.dataFile());
    const std::vector<std::string> log = program.log();

    std::string longName;
    for (int i = 0; i < 257; ++i) {
        longName += "長";
    }
    const std::pair<std::string, std::string> names[] = {
        {"a,b", "半角英字の「　,　」(コロン)は表示名に使用できません。\n"},
        {longName, "表示名に使用できるのは２５６文字までです。\n"},
    };
    for (const auto& [name, message] : names) {
        const Result refused = program.cli({"--timer", "0:05", name});
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.err, message);
        EXPECT_EQ(refused.out, "");
        EXPECT_EQ(readFile(program.dataFile()), file);
        EXPECT_EQ(program.log(), log);
    }
    const Result list = program.cli({"--list"});
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 1);

    EXPECT_EQ(program.cli({"--quit"}).status, 0);
    EXPECT_EQ(program.waitForEnd(), 0);
}

// --open asks the running instance to open its entry window, without a display of its own; with
// none running it starts the program and opens the window there.
TEST(RemoteEndToEnd, openReachesTheRunningInstanceOrStartsOne) {
    {
        Program running;
        running.start();
        EXPECT_TRUE(marked(running.log(), "▽予約　,").empty());
        const Result open = running.cli({"--open"});
        EXPECT_EQ(open.status, 0) << open.err;
        EXPECT_EQ(marked(running.log(), "▽予約　,").size(), 1u);
        EXPECT_EQ(running.cli({"--quit"}).status, 0);
        EXPECT_EQ(running.waitForEnd(), 0);
        EXPECT_EQ(marked(running.log(), "△予約　,").size(), 1u) << "closed at the end";
    }
    Program started;
    started.start({"--open"});
    const std::vector<std::string> lines = started.log();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_TRUE(startsWith(lines[2], "▼起動　,"));
    EXPECT_EQ(marked(lines, "▽予約　,").size(), 1u);
    EXPECT_EQ(started.cli({"--quit"}).status, 0);
    EXPECT_EQ(started.waitForEnd(), 0);
}

// Without options the program starts as it always has: a second start from the same folder stops
// at the duplicate-start warning, and the first instance keeps its name on the bus.
TEST(RemoteEndToEnd, plainSecondStartStillWarnsAndLeavesTheFirstInCharge) {
    Program program;
    program.start();
    const pid_t second = program.startAnother();
    ASSERT_GT(second, 0);
    std::this_thread::sleep_for(1500ms);
    int status = 0;
    EXPECT_EQ(::waitpid(second, &status, WNOHANG), 0) << "the second start waits at its warning";
    EXPECT_EQ(marked(program.log(), "▼起動　,").size(), 1u);
    EXPECT_EQ(program.cli({"--timer", "0:05", "卵"}).status, 0);
    ::kill(second, SIGKILL);
    ::waitpid(second, nullptr, 0);
    EXPECT_EQ(program.cli({"--quit"}).status, 0);
    EXPECT_EQ(program.waitForEnd(), 0);
}

// A crash leaves the running marker set. The next start is quiet all the same: it answers the
// command line at once and gives the notice that fell due while nothing ran. A countdown paused
// just before the crash is paused after it, and rings its seconds left after it is resumed.
TEST(RemoteEndToEnd, startAfterAKillIsQuietAndGivesTheMissedNotice) {
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "running");
        Program program;
        program.start();
        ASSERT_EQ(program.cli({"--timer", paused ? "0:00:05" : "0:00:02", "卵"}).status, 0);
        int left = 0;
        if (paused) {
            ASSERT_EQ(program.cli({"--timer", "0:30", "茶"}).status, 0);
            const Result pause = program.cli({"--pause"}); // both, 卵 listed first
            ASSERT_EQ(pause.status, 0) << pause.err;
            EXPECT_EQ(std::count(pause.out.begin(), pause.out.end(), '\n'), 2) << pause.out;
            const std::string shown = "【次のお知らせ】 一時停止中 残り00:00:0";
            ASSERT_TRUE(startsWith(pause.out, "卵 ") && pause.out.find(shown) != std::string::npos) << pause.out;
            left = pause.out.at(pause.out.find(shown) + shown.size()) - '0';
            EXPECT_GE(left, 3);
        }
        program.crash();
        std::this_thread::sleep_for(3s); // due while nothing runs, unless paused

        const auto restarted = steady_clock::now();
        program.start();
        EXPECT_LT(steady_clock::now() - restarted, 5s) << "no box held the start up";
        EXPECT_EQ(marked(program.log(), "▼起動　,").size(), 2u);
        const auto rang = [&] { return !marked(program.log(), "♪タイマ,").empty(); };
        if (paused) {
            std::this_thread::sleep_for(1s);
            EXPECT_FALSE(rang()) << "still paused";
            const Result resume = program.cli({"--resume", "卵"});
            const auto resumed = steady_clock::now();
            ASSERT_EQ(resume.status, 0) << resume.err;
            EXPECT_TRUE(startsWith(resume.out, "卵 ") && resume.out.find("一時停止中") == std::string::npos &&
                        std::count(resume.out.begin(), resume.out.end(), '\n') == 1)
                << resume.out;
            const Result again = program.cli({"--resume", "卵"});
            EXPECT_EQ(again.status, 1);
            EXPECT_EQ(again.err, "表示名が「卵」の一時停止中のタイマーはありません。\n");
            ASSERT_TRUE(waitUntil(rang, (seconds(left) + 2s) * kSlowdown));
            EXPECT_GT(steady_clock::now() - resumed, seconds(left - 1)) << "not before its seconds left";
            const std::vector<std::string> pauses = marked(program.log(), "［停止］,");
            ASSERT_EQ(pauses.size(), 2u);
            EXPECT_EQ(pauses[0].substr(pauses[0].find(",,")),
                      ",,卵,予約の一時停止,残り=00:00:0" + std::to_string(left) + ",予約データ数=2,,,");
            EXPECT_EQ(marked(program.log(), "［再開］,").size(), 1u);
        }
        ASSERT_TRUE(waitUntil(rang, 3s * kSlowdown));
        const std::vector<std::string> notice = split(marked(program.log(), "♪タイマ,")[0], ',');
        EXPECT_EQ(notice.at(4), "卵");

        EXPECT_EQ(program.cli({"--quit"}).status, 0);
        EXPECT_EQ(program.waitForEnd(), 0);
    }
}

// The desktop notification follows the window, whatever the service is like. 延長する on it extends
// the notice it shows as the window's button does: the same extension row, message box and log
// line; an answer while that box is open does nothing, as the window's own buttons wait for the
// box. A service that takes 3 s to reply gets the notice that came meanwhile, and an answer to the
// first notice while the second is on its way extends the first. One that reads markup gets the
// name as text; one whose user closed the notification gets a new one. The end withdraws what is
// shown, also when the display goes first.
TEST(RemoteEndToEnd, desktopNotificationFollowsTheWindow) {
    const std::string tea = "茶　から00分01秒が経過しました。\\nほかに1件のお知らせがあります。";
    const auto extended = [](const std::string& name) {
        return "［延長］,," + name + ",予約の延長,予約データ数=1,,,,";
    };
    const std::string closed = "△お知ら,,,お知らせ画面を閉じる,,,,,";
    struct Row {
        const char* name;
        std::vector<std::string> options;
        std::vector<std::pair<std::string, size_t>> notices; // each once the service has had so many calls
        std::vector<std::string> calls;                      // what the service received and sent
        std::vector<std::string> lines;                      // the extension and closing lines, unstamped
        bool displayLost = false;                            // ended by its X server going, not by --quit
    };
    const std::vector<Row> rows{
        {"answered",
         {"--answer", "2"},
         {{"会議", 3}},
         {notifyLine("0", "会議　から00分01秒が経過しました。"), "ActionInvoked 2 0", "ActionInvoked 1 2",
          "CloseNotification 1"},
         {extended("会議"), closed}},
        {"answered during the box",
         {"--answer", "2,0"},
         {{"会議", 4}},
         {notifyLine("0", "会議　から00分01秒が経過しました。"), "ActionInvoked 2 0", "ActionInvoked 1 2",
          "ActionInvoked 1 0", "CloseNotification 1"},
         {extended("会議"), closed}},
        // 消して閉じる: withdrawn with the window; the next notice is a new notification.
        {"discarded",
         {"--answer", "0"},
         {{"卵", 4}, {"茶", 5}},
         {notifyLine("0", "卵　から00分01秒が経過しました。"), "ActionInvoked 2 0", "ActionInvoked 1 0",
          "CloseNotification 1", notifyLine("0", "茶　から00分01秒が経過しました。"), "CloseNotification 2"},
         {closed, closed}},
        {"slow service",
         {"--delay", "3000", "--answer", "2"},
         {{"卵", 1}, {"茶", 4}},
         {notifyLine("0", "卵　から00分01秒が経過しました。"), notifyLine("1", tea), "ActionInvoked 2 0",
          "ActionInvoked 1 2", "CloseNotification 1"},
         {extended("卵"), closed}},
        {"markup",
         {"--markup"},
         {{"<b>会議</b>&", 1}},
         {notifyLine("0", "&lt;b&gt;会議&lt;/b&gt;&amp;　から00分01秒が経過しました。"), "CloseNotification 1"},
         {closed}},
        {"closed on the desktop",
         {"--dismiss"},
         {{"卵", 2}, {"茶", 3}},
         {notifyLine("0", "卵　から00分01秒が経過しました。"), "NotificationClosed 1 2", notifyLine("0", tea),
          "CloseNotification 2"},
         {closed}},
        // Ended while the number is still on its way: the end waits for it.
        {"display lost",
         {"--delay", "3000"},
         {{"卵", 1}},
         {notifyLine("0", "卵　から00分01秒が経過しました。"), "CloseNotification 1"},
         {},
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.displayLost && !fs::exists(XServer::kXvfb)) {
            std::cout << "display lost: left out, Xvfb is not installed (Debian package xvfb)\n";
            continue;
        }
        Program program;
        NotificationService service(program.dir(), "notifications", row.options);
        ASSERT_TRUE(service.ready());
        std::optional<XServer> x;
        if (row.displayLost) {
            ASSERT_TRUE(x.emplace().running()) << "Xvfb did not start";
            // The toolkit ends the process from inside its event loop: what the libraries under it
            // hold is never handed back, and is no leak of ours.
            program.start({}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + x->display, asanOptions("detect_leaks=0")});
        } else {
            program.start();
        }
        const long long before = localNow().stamp;
        for (const auto& [name, calls] : row.notices) {
            ASSERT_EQ(program.cli({"--timer", "0:00:01", name}).status, 0);
            ASSERT_TRUE(waitUntil([&] { return service.calls().size() >= calls; }, 10s * kSlowdown));
        }
        const long long after = localNow().stamp;
        std::this_thread::sleep_for(500ms); // the program takes in what the service sent last

        if (row.displayLost) {
            x->stop();
            EXPECT_EQ(program.waitForEnd(), 1); // the toolkit's own exit
        } else {
            // The end closes the extension's box unanswered; the extension is then logged and saved.
            ASSERT_EQ(program.cli({"--quit"}).status, 0);
            EXPECT_EQ(program.waitForEnd(), 0);
        }
        EXPECT_EQ(service.calls(), row.calls);
        std::vector<std::string> lines;
        for (const std::string& l : program.log()) {
            if (startsWith(l, "［延長］,") || startsWith(l, "△お知ら,")) {
                const size_t date = l.find(',');
                lines.push_back(l.substr(0, date) + l.substr(l.find(',', l.find(',', date + 1) + 1))); // no stamp
            }
        }
        EXPECT_EQ(lines, row.lines);
        if (!row.lines.empty() && startsWith(row.lines.front(), "［延長］,")) {
            // Five minutes (the box's "5") after the countdown's own due second.
            const std::string name = split(row.lines.front(), ',').at(2);
            const std::vector<std::string> saved = decodeLines(readFile(program.dataFile()));
            bool rowFits = false;
            for (long long due = before + 1; due <= after + 1; ++due) {
                const std::string extension =
                    "01,10,0," + name + ",,5,,, " + std::to_string(due) + ", " + std::to_string(due + 300) + ",";
                rowFits = rowFits || std::find(saved.begin(), saved.end(), extension) != saved.end();
            }
            EXPECT_TRUE(rowFits) << readFile(program.dataFile());
        }
    }
}

// Without a notification service, with one that turns notifications down or one that shows no
// buttons, the window works alone: no error, nothing logged. A service that comes later is used:
// it gets the notice not yet shown (or shown by a service gone since), then the next one in its
// place.
TEST(RemoteEndToEnd, desktopNotificationWaitsForAServiceThatCanShowIt) {
    const std::string first = "卵　から00分01秒が経過しました。";
    const std::string second = "茶　から00分01秒が経過しました。\\nほかに1件のお知らせがあります。";
    struct Row {
        const char* name;
        std::vector<std::string> options; // {"-"}: no service at first
        std::vector<std::string> before;  // what the first service received
        std::vector<std::string> later;   // what a usable service started after the notice receives
    };
    const std::vector<Row> rows{
        {"none", {"-"}, {}, {notifyLine("0", first), notifyLine("1", second)}},
        {"without actions", {"--no-actions"}, {}, {notifyLine("0", first), notifyLine("1", second)}},
        {"refusing", {"--refuse"}, {notifyLine("0", first)}, {notifyLine("0", second)}},
        // What it showed went with it: the next service shows the notice anew.
        {"usable, then gone", {}, {notifyLine("0", first)}, {notifyLine("0", first), notifyLine("1", second)}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Program program;
        auto service = row.options == std::vector<std::string>{"-"}
                           ? nullptr
                           : std::make_unique<NotificationService>(program.dir(), "first", row.options);
        program.start();
        ASSERT_EQ(program.cli({"--timer", "0:00:01", "卵"}).status, 0);
        ASSERT_TRUE(waitUntil([&] { return !marked(program.log(), "♪タイマ,").empty(); }, 3s * kSlowdown));
        std::this_thread::sleep_for(1s); // time for a notification that should not come
        if (service) {
            EXPECT_EQ(service->calls(), row.before);
        }

        service.reset();
        service = std::make_unique<NotificationService>(program.dir(), "later");
        ASSERT_TRUE(service->ready());
        ASSERT_TRUE(waitUntil([&] { return service->calls().size() + 1 == row.later.size(); }, 5s * kSlowdown));
        ASSERT_EQ(program.cli({"--timer", "0:00:01", "茶"}).status, 0);
        ASSERT_TRUE(waitUntil([&] { return service->calls().size() == row.later.size(); }, 5s * kSlowdown));
        EXPECT_EQ(service->calls(), row.later);

        ASSERT_EQ(program.cli({"--quit"}).status, 0);
        EXPECT_EQ(program.waitForEnd(), 0);
        EXPECT_EQ(marked(program.log(), "※エラー,"), std::vector<std::string>{});
        EXPECT_EQ(program.log().back().substr(program.log().back().find(",,,")), kEndRest);
    }
}

// A second start from the same folder under another HOME (so with a running marker of its own)
// waits at the duplicate-start box and never writes the data file: every add the first instance
// acknowledged is kept, whichever of the two ends last.
TEST(RemoteEndToEnd, secondStartUnderAnotherHomeLosesNoAdd) {
    for (const bool secondEndsFirst : {true, false}) {
        SCOPED_TRACE(secondEndsFirst ? "second ends first" : "first ends first");
        Program program;
        program.start();
        const fs::path otherHome = program.dir() / "other-home";
        fs::create_directories(otherHome / "config");
        pid_t second =
            program.startAnother({"HOME=" + otherHome.string(), "XDG_CONFIG_HOME=" + (otherHome / "config").string()});
        ASSERT_GT(second, 0);
        std::this_thread::sleep_for(1500ms);
        ASSERT_EQ(::waitpid(second, nullptr, WNOHANG), 0) << "the second start waits at its box";

        const std::vector<std::string> names = {"卵", "茶", "麺", "湯", "餅"};
        for (const auto& name : names) {
            ASSERT_EQ(program.cli({"--timer", "1:00", name}).status, 0) << name;
        }
        const auto endSecond = [&] {
            ::kill(second, SIGTERM);
            EXPECT_EQ(waitForExit(second, 10s), 0) << readFile(program.dir() / "output-2.txt");
        };
        if (secondEndsFirst) {
            endSecond();
        }
        EXPECT_EQ(program.cli({"--quit"}).status, 0);
        EXPECT_EQ(program.waitForEnd(), 0);
        if (!secondEndsFirst) {
            endSecond();
        }

        const std::vector<std::string> lines = decodeLines(readFile(program.dataFile()));
        for (const auto& name : names) {
            EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                    [&](const std::string& l) { return startsWith(l, "01,0,0," + name + ","); }),
                      1)
                << name;
        }
    }
}

// A full table turns a remote add down at once and changes nothing, and the program goes on.
// While it shuts down (a long data file write here), callers hear the program's own words, never
// a raw D-Bus error.
TEST(RemoteEndToEnd, fullTableRefusesAtOnceAndTheShutDownAnswersInItsOwnWords) {
    Program program;
    std::vector<std::string> lines{"「Mayorin。.exe」用データ"};
    lines.resize(1 + 32767, "01,2,1,朝,07,00,,,, 70000000000,");
    std::ofstream(program.dataFile(), std::ios::binary) << encodeLines(lines);
    program.start();
    const std::string file = readFile(program.dataFile());
    const std::vector<std::string> log = program.log();
    const std::string full = "予約の数が上限の32767件に達しているため、追加できません。\n";
    const auto asked = steady_clock::now();
    const Result refused = program.cli({"--timer", "0:05", "新しい名前"});
    EXPECT_LT(steady_clock::now() - asked, 2s * kSlowdown);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, full);
    EXPECT_EQ(readFile(program.dataFile()), file);
    EXPECT_EQ(program.log(), log);

    std::thread quit([&] { EXPECT_EQ(program.cli({"--quit"}, {}, "quit").status, 0); });
    int status = -1;
    std::vector<std::string> answers;
    while ((status = program.waitForEnd(5ms)) == -1) {
        answers.push_back(program.cli({"--timer", "0:05", "新しい名前"}).err);
    }
    quit.join();
    EXPECT_EQ(status, 0);
    for (const std::string& a : answers) {
        EXPECT_TRUE(a == full || a == kEnding || a == kNotRunning) << a;
    }
    const std::vector<std::string> stored = decodeLines(readFile(program.dataFile()));
    EXPECT_TRUE(std::none_of(stored.begin(), stored.end(), [](const std::string& l) {
        return l.find("新しい名前") != std::string::npos;
    })) << "no history entry";
}

// A data file that can no longer be written: the caller hears of it at once, and the program then
// reports the error as the entry window's add would, which ends it.
TEST(RemoteEndToEnd, failedSaveIsAnsweredAtOnceThenReported) {
    Program program;
    program.start({}, {"LD_PRELOAD=" MAYORIN_FULL_DISK, "MAYORIN_FULL_DISK_DIR=" + program.dir().string(),
                       asanOptions("verify_asan_link_order=0")});
    std::ofstream(program.dir() / ".disk-full") << "";
    const auto asked = steady_clock::now();
    const Result failed = program.cli({"--timer", "0:05", "卵"});
    EXPECT_LT(steady_clock::now() - asked, 1s * kSlowdown);
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(startsWith(failed.err, "予約の追加中にエラーが発生しました。\nエラー番号 75　"
                                       "パス名またはファイル名が無効です。"))
        << failed.err;
    EXPECT_NE(failed.err.find("No space left on device"), std::string::npos) << failed.err;
    const Result after = program.cli({"--timer", "0:05", "茶"});
    EXPECT_EQ(after.status, 1);
    EXPECT_EQ(after.err, kEnding) << "the error report is under way";
}

// Another process holds the bus name: the program says so and takes the name once it is free.
TEST(RemoteEndToEnd, busNameHeldElsewhereIsWaitedFor) {
    Program holder;
    holder.start();
    Program waiting;
    waiting.launch();
    const std::string said = "Mayorin。: D-Bus の名前 example.mayorin.Mayorin は別のプロセスが使用しています。"
                             "空きしだい使用します。それまでリモート操作は使えません。\n";
    ASSERT_TRUE(waitUntil([&] { return waiting.output().find(said) != std::string::npos; })) << waiting.output();
    EXPECT_EQ(holder.cli({"--quit"}).status, 0);
    EXPECT_EQ(holder.waitForEnd(), 0);
    ASSERT_TRUE(waitUntil([&] { return waiting.cli({"--timer", "0:05", "卵"}).status == 0; }));
    EXPECT_EQ(marked(waiting.log(), "［追加］,").size(), 1u);
    EXPECT_TRUE(marked(holder.log(), "［追加］,").empty());
    EXPECT_EQ(waiting.cli({"--quit"}).status, 0);
    EXPECT_EQ(waiting.waitForEnd(), 0);
}

// A build from source keeps its data beside itself, which is always there: its log-in start starts
// it as a plain start does.
TEST(RemoteEndToEnd, logInStartOfASourceBuildStartsBesideTheProgram) {
    Program program;
    program.start({"--autostart"});
    EXPECT_EQ(program.cli({"--quit"}).status, 0);
    EXPECT_EQ(program.waitForEnd(), 0);
    EXPECT_EQ(marked(program.log(), "▼起動　,").size(), 1u);
    EXPECT_TRUE(fs::exists(program.dataFile()));
}

TEST(RemoteEndToEnd, usageErrorsHelpVersionAndNoBus) {
    Program program; // not started: none of these reaches an instance
    const std::vector<std::vector<std::string>> usage = {
        {"--timer", "5", "卵"},                               // no colon
        {"--timer", "0:05"},                                  // no name
        {"--timer", "0:05", "卵", "茶"},                      // two names
        {"--at", "7:30", "--day", "1", "--date", "1/2", "x"}, // two day options
        {"--at", "7:30", "--date", "12", "x"},                // no slash
        {"--timer", "0:05", "--at", "7:00", "x"},             // two actions
        {"--timer", "0:05", "--once", "x"},                   // an alarm's option with a timer
        {"--list", "x"},                                      // a name where none goes
        {"--quit", "--open"},                                 //
        {"--repeat"},                                         // no value
        {"--bogus"},                                          //
        {"--list", "--list"},                                 //
        {"--once"},                                           // no action
        {"-timer", "0:05", "x"},                              // one dash: not a resident start
        {"-bogus"},                                           //
        {"--timer", "0:05", "--rest", "0:01", "x"},           // a rest without repeats
        {"--autostart", "x"},                                 // the log-in start takes nothing
        {"--autostart", "--list"},                            //
        {"--pause", "卵", "茶"},                              // two names
        {"--resume", "--list"},                               // two actions
        {"--pause", "--once"},                                //
    };
    for (const auto& args : usage) {
        const Result r = program.cli(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_TRUE(startsWith(r.err, "mayorin: ")) << r.err;
        EXPECT_NE(r.err.find("使い方: mayorin"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }

    const Result help = program.cli({"--help"});
    EXPECT_EQ(help.status, 0);
    // Every option has an example.
    std::string examples;
    for (const auto& l : split(help.out, '\n')) {
        examples += l.find("例: mayorin ") != std::string::npos ? l + " " : "";
    }
    for (const char* option : {"--open", "--timer", "--rest", "--repeat", "--at", "--day", "--date", "--weekdays",
                               "--once", "--pause", "--resume", "--list", "--quit", "--help", "--version"}) {
        EXPECT_NE(examples.find(std::string(option) + " "), std::string::npos) << option;
    }
    // The 設定 menu's options, from the option table.
    EXPECT_NE(help.out.find("予約画面の「設定」メニューの項目（~/.config/Mayorin/Mayorin.ini の [settei] に、キー = "
                            "True / False で保存します）:\n"
                            "  お知らせ時に音を鳴らす（0、初期値 True）\n"
                            "  ログを保存する。（1、初期値 True）\n"
                            "  表示名選択時に数値を再現する。（2、初期値 True）\n"
                            "  予約内容選択時に表示名と数値を再現する。（3、初期値 True）\n"
                            "  お知らせをデスクトップにも通知する。（4、初期値 True）\n"
                            "  お知らせの音を、答えるまで繰り返す。（5、初期値 False）\n"
                            "  曜日時刻は祝日を除く。（6、初期値 False）\n"
                            "  お知らせの音を選ぶ…（oto、選んだ WAV ファイルのパス。初期値は空で、プログラムの音"
                            "「Mayorin。音.wav」を鳴らします）\n\n"),
              std::string::npos)
        << help.out;
    const Result version = program.cli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Mayorin。 バージョン 1.1.68\n予約とログの保存場所: " + program.dir().string() +
                               "（プログラムと同じフォルダ）\n");

    // Qt's own options, with one dash or two, are no usage errors.
    for (const char* platform : {"-platform", "--platform"}) {
        const Result noInstance = program.cli({platform, "offscreen", "--timer", "0:05", "卵"});
        EXPECT_EQ(noInstance.status, 3) << platform;
        EXPECT_EQ(noInstance.err, kNotRunning);
    }
    // Written with "=", which Qt does not read, it would never reach Qt.
    const Result equals = program.cli({"--platform=offscreen"});
    EXPECT_EQ(equals.status, 2);
    EXPECT_EQ(equals.err.substr(0, equals.err.find('\n') + 1),
              "mayorin: Qt のオプションは「=」を使わずに書きます: --platform=offscreen（--platform offscreen）\n");
    // Only a start needs a display.
    const Result openWithoutDisplay = program.cli({"--open"});
    EXPECT_EQ(openWithoutDisplay.status, 3);
    EXPECT_EQ(openWithoutDisplay.err,
              "Mayorin。は起動していません。画面（ディスプレイ）が無いため、ここからは起動できません。\n");

    const Result noBus = program.cli({"--list"}, {"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus"});
    EXPECT_EQ(noBus.status, 3);
    EXPECT_EQ(noBus.err, "リモート操作は使用できません。D-Bus のセッションバスに接続できませんでした。\n");
    EXPECT_FALSE(fs::exists(program.dataFile()));
}

} // namespace
