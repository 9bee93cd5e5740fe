#include "platform/qt/SessionPlatform.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <set>
#include <string_view>
#include <thread>

#include <dlfcn.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>

namespace mayorin::platform {
namespace {

constexpr const char* kNoScreen = "Mayorin。: 画面が見つからないため起動できません。"
                                  "DISPLAY も WAYLAND_DISPLAY も設定されていません。"
                                  "デスクトップのセッションの中で起動してください"
                                  "（画面なしで動かすときは QT_QPA_PLATFORM=offscreen）。";

// Why an X server cannot be used, for the texts below.
std::string noXServer(const SessionFacts& facts) {
    return "DISPLAY の X サーバー「" + facts.display + "」につなげません";
}

// True when the X server named by display takes a connection, asked the way Qt's X11 platform will
// ask it. The X library is looked up at run time: without it Qt's X11 platform does not load either,
// and Qt says so itself. An X server that resets (its last client has just gone) drops the
// connections it took meanwhile, so a refusal is asked again twice before it counts.
bool xServerTakesConnections(const std::string& display) {
    void* xcb = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (xcb == nullptr) {
        return true;
    }
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    const auto connect = reinterpret_cast<Connect>(::dlsym(xcb, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(::dlsym(xcb, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(xcb, "xcb_disconnect"));
    bool there = true;
    if (connect != nullptr && hasError != nullptr && disconnect != nullptr) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (attempt > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            void* connection = connect(display.c_str(), nullptr);
            there = hasError(connection) == 0;
            disconnect(connection);
            if (there) {
                break;
            }
        }
    }
    ::dlclose(xcb);
    return there;
}

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

bool isWayland(const SessionFacts& facts) {
    return facts.sessionType == "wayland" || !facts.waylandDisplay.empty();
}

// The platform names in a request such as "wayland;xcb" or "xcb:nograb", in the order Qt tries them.
std::vector<std::string> requestedNames(const std::string& request) {
    std::vector<std::string> names;
    std::string::size_type start = 0;
    while (start <= request.size()) {
        const std::string::size_type end = std::min(request.find(';', start), request.size());
        const std::string item = request.substr(start, end - start);
        const std::string name = item.substr(0, item.find(':'));
        if (!name.empty()) {
            names.push_back(name);
        }
        start = end + 1;
    }
    return names;
}

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// The arguments after the program's name.
std::vector<std::string> argumentsOf(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

// Each of Qt's options on the command line, in order.
template <class Each> void forEachQtOption(int argc, char** argv, Each&& each) {
    const std::vector<std::string> args = argumentsOf(argc, argv);
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (const auto option = qtOptionAt(args, i)) {
            if (!option->misspelt) {
                each(*option);
            }
            i += option->count - 1;
        }
    }
}

// The names of the platform plugins in the folders Qt looks in, read from their metadata
// without loading them; nothing when the command line names a folder of its own.
std::optional<std::vector<std::string>> installedPlatforms(int argc, char** argv) {
    bool ownFolder = false;
    forEachQtOption(argc, argv,
                    [&](const QtOption& option) { ownFolder = ownFolder || option.name == "platformpluginpath"; });
    if (ownFolder) {
        return std::nullopt;
    }
    QStringList folders;
    if (const QString own = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH"); !own.isEmpty()) {
        folders << own;
    }
    for (const QString& path :
         qEnvironmentVariable("QT_PLUGIN_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        folders << path + QStringLiteral("/platforms");
    }
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
    folders << QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QStringLiteral("/platforms");
    std::vector<std::string> names;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& file : dir.entryList(QDir::Files)) {
            const QJsonObject meta =
                QPluginLoader(dir.filePath(file)).metaData().value(QStringLiteral("MetaData")).toObject();
            for (const QJsonValue& key : meta.value(QStringLiteral("Keys")).toArray()) {
                names.push_back(key.toString().toStdString());
            }
        }
    }
    return names;
}

} // namespace

std::optional<QtOption> qtOptionAt(const std::vector<std::string>& args, std::size_t i) {
    // The options of QCoreApplication, QGuiApplication, QApplication and the X11 platform (whose
    // -geometry, -title and -icon Qt reads as its own on X11 only).
    static const std::set<std::string, std::less<>> kWithValue = {
        "platform",        "platformpluginpath", "platformtheme", "plugin",
        "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
        "display",         "geometry",           "title",         "icon",
        "style",           "stylesheet",         "name",          "visual",
        "qmljsdebugger"};
    // The ones of them Qt also reads as "-name=value".
    static const std::set<std::string, std::less<>> kWithValueAfterEquals = {"style", "stylesheet", "qmljsdebugger"};
    static const std::set<std::string, std::less<>> kFlags = {"reverse", "widgetcount", "nograb",
                                                              "dograb",  "sync",        "testability"};
    const std::string_view arg = args.at(i);
    if (arg.size() < 2 || arg[0] != '-') {
        return std::nullopt;
    }
    // Qt drops one dash of two, and compares the whole rest.
    std::string_view name = arg.substr(arg[1] == '-' ? 2 : 1);
    std::optional<std::string_view> afterEquals;
    if (const auto eq = name.find('='); eq != std::string_view::npos) {
        afterEquals = name.substr(eq + 1);
        name = name.substr(0, eq);
    }
    QtOption option;
    option.name = std::string(name);
    if (kFlags.count(name) != 0) {
        option.misspelt = afterEquals.has_value();
        return option;
    }
    if (kWithValue.count(name) == 0) {
        return std::nullopt;
    }
    if (afterEquals) {
        option.value = std::string(*afterEquals);
        option.misspelt = kWithValueAfterEquals.count(name) == 0;
        return option;
    }
    if (i + 1 < args.size()) {
        option.count = 2;
        option.value = args[i + 1];
    }
    return option;
}

std::string platformForSession(const SessionFacts& facts) {
    if (!facts.qpaPlatform.empty() || !facts.platformArgument.empty() || !isWayland(facts)) {
        return {};
    }
    return facts.display.empty() ? "wayland" : "xcb";
}

std::string unusablePlatform(const SessionFacts& facts, const std::string& chosen,
                             const std::vector<std::string>& installed) {
    const std::string request = !facts.platformArgument.empty() ? facts.platformArgument
                                : !chosen.empty()               ? chosen
                                                                : facts.qpaPlatform;
    if (request.empty()) {
        // Qt's own choice is the X server named by DISPLAY (a Wayland session was chosen above).
        if (facts.display.empty()) {
            return kNoScreen;
        }
        return facts.xServerThere ? std::string()
                                  : "Mayorin。: 画面につなげないため起動できません（" + noXServer(facts) + "）。";
    }
    std::string missing;     // the first asked-for platform that is not installed
    std::string unreachable; // the first installed one without its display, and why
    std::string why;
    for (const std::string& name : requestedNames(request)) {
        // Without a list of plugins, every asked-for one counts as there.
        const bool there = installed.empty() || std::any_of(installed.begin(), installed.end(),
                                                            [&](const auto& key) { return sameName(key, name); });
        const bool x11 = sameName(name, "xcb");
        const bool wayland = name.rfind("wayland", 0) == 0;
        const bool reachable = x11       ? !facts.display.empty() && facts.xServerThere
                               : wayland ? facts.compositorThere
                                         : true;
        if (there && reachable) {
            return {};
        }
        if (!there && missing.empty()) {
            missing = name;
        } else if (there && unreachable.empty()) {
            unreachable = name;
            why = !x11                    ? "Wayland のコンポジタが見つかりません"
                  : facts.display.empty() ? "DISPLAY が設定されていません"
                                          : noXServer(facts);
        }
    }
    if (!unreachable.empty()) {
        return "Mayorin。: Qt のプラットフォーム「" + unreachable + "」の画面につなげないため起動できません（" + why +
               "）。";
    }
    if (missing.rfind("wayland", 0) == 0) {
        return "Mayorin。: Qt の Wayland プラグイン「" + missing +
               "」がインストールされていないため起動できません。パッケージ qt6-wayland を入れてください。";
    }
    std::string names;
    for (const std::string& key : installed) {
        names += (names.empty() ? "" : ", ") + key;
    }
    return "Mayorin。: Qt のプラットフォーム「" + missing + "」が見つからないため起動できません。使えるもの: " + names +
           "。";
}

SessionFacts sessionFacts(int argc, char** argv) {
    SessionFacts facts{env("QT_QPA_PLATFORM"), env("XDG_SESSION_TYPE"), env("WAYLAND_DISPLAY"), env("DISPLAY")};
    forEachQtOption(argc, argv, [&](const QtOption& option) {
        if (option.count == 2 && option.name == "platform") {
            facts.platformArgument = option.value;
        } else if (option.count == 2 && option.name == "display") {
            facts.display = option.value;
        }
    });
    // A DISPLAY whose X server has gone (a session that ended, a forwarding that was closed) would
    // make Qt's X11 platform abort.
    facts.xServerThere = facts.display.empty() || xServerTakesConnections(facts.display);
    // Where libwayland looks for the compositor: WAYLAND_DISPLAY, a name in the runtime folder
    // ("wayland-0" without one) or a path, unless the compositor handed over a socket already.
    const std::string socket = facts.waylandDisplay.empty() ? "wayland-0" : facts.waylandDisplay;
    facts.compositorThere =
        !env("WAYLAND_SOCKET").empty() || QFileInfo::exists(QString::fromStdString(
                                              socket.front() == '/' ? socket : env("XDG_RUNTIME_DIR") + "/" + socket));
    return facts;
}

std::string choosePlatformForSession(int argc, char** argv) {
    const SessionFacts facts = sessionFacts(argc, argv);
    const std::string platform = platformForSession(facts);
    if (!platform.empty()) {
        setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    }
    // Qt's own choice needs no look at the plugins (a few milliseconds): it is the X server's.
    if (platform.empty() && facts.qpaPlatform.empty() && facts.platformArgument.empty()) {
        return unusablePlatform(facts, platform, {});
    }
    const auto installed = installedPlatforms(argc, argv);
    return installed ? unusablePlatform(facts, platform, *installed) : std::string();
}

} // namespace mayorin::platform
