#include "platform/qt/SessionPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mayorin::platform {
namespace {

TEST(SessionPlatformTest, WaylandSessionGoesThroughXWaylandWhenThereUnlessTheUserChose) {
    struct Case {
        SessionFacts facts;
        std::string platform;
    };
    const std::vector<Case> cases = {
        {{"", "wayland", "wayland-0", ":0"}, "xcb"},
        {{"", "", "wayland-0", ":1"}, "xcb"},          // a session that only sets WAYLAND_DISPLAY
        {{"", "wayland", "", ":0"}, "xcb"},            // one that only names its type
        {{"", "wayland", "wayland-0", ""}, "wayland"}, // no XWayland
        {{"", "", "wayland-0", ""}, "wayland"},
        {{"wayland", "wayland", "wayland-0", ":0"}, ""},
        {{"offscreen", "wayland", "wayland-0", ":0"}, ""},
        {{"", "wayland", "wayland-0", ":0", "offscreen"}, ""}, // -platform on the command line
        {{"", "x11", "", ":0"}, ""},
        {{"", "tty", "", ""}, ""},
        {{"", "", "", ""}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platformForSession(c.facts), c.platform)
            << "QT_QPA_PLATFORM=" << c.facts.qpaPlatform << " XDG_SESSION_TYPE=" << c.facts.sessionType
            << " WAYLAND_DISPLAY=" << c.facts.waylandDisplay << " DISPLAY=" << c.facts.display
            << " -platform=" << c.facts.platformArgument;
    }
}

TEST(SessionPlatformTest, NoUsableScreenIsToldInsteadOfAborting) {
    const std::vector<std::string> plugins = {"offscreen", "xcb", "minimal"};
    const std::vector<std::string> withWayland = {"offscreen", "xcb", "wayland", "wayland-egl"};
    const std::string noScreen = "Mayorin。: 画面が見つからないため起動できません。DISPLAY も WAYLAND_DISPLAY "
                                 "も設定されていません。デスクトップのセッションの中で起動してください"
                                 "（画面なしで動かすときは QT_QPA_PLATFORM=offscreen）。";
    const std::string noWaylandPlugin = "Mayorin。: Qt の Wayland プラグイン「wayland」がインストールされていないため"
                                        "起動できません。パッケージ qt6-wayland を入れてください。";
    struct Case {
        SessionFacts facts;
        std::vector<std::string> installed;
        std::string said;
    };
    const std::vector<Case> cases = {
        {{"", "", "", ":0"}, plugins, ""},
        {{"", "", "", ""}, plugins, noScreen},
        {{"", "tty", "", ""}, withWayland, noScreen},
        {{"offscreen", "", "", ""}, plugins, ""},
        {{"", "", "", "", "minimal"}, plugins, ""},
        {{"", "wayland", "wayland-0", ""}, withWayland, ""},
        {{"", "wayland", "wayland-0", ""}, plugins, noWaylandPlugin},
        {{"wayland", "x11", "", ":0"}, plugins, noWaylandPlugin},
        {{"wayland;xcb", "x11", "", ":0"}, plugins, ""}, // Qt falls back to the next one
        {{"", "wayland", "wayland-1", "", "", false},
         withWayland,
         "Mayorin。: Qt のプラットフォーム「wayland」の画面につなげないため起動できません（Wayland "
         "のコンポジタが見つかりません）。"},
        {{"xcb:nograb", "wayland", "wayland-0", ""},
         plugins,
         "Mayorin。: Qt のプラットフォーム「xcb」の画面につなげないため起動できません（DISPLAY "
         "が設定されていません）。"},
        {{"vnc", "", "", ":0"},
         plugins,
         "Mayorin。: Qt のプラットフォーム「vnc」が見つからないため起動できません。使えるもの: offscreen, xcb, "
         "minimal。"},
        {{"vnc", "", "", ":0"}, {}, ""}, // no plugin list to go by
        {{"", "", "", ":9", "", true, false},
         plugins,
         "Mayorin。: 画面につなげないため起動できません（DISPLAY の X サーバー「:9」につなげません）。"},
        {{"xcb", "", "", ":9", "", true, false},
         plugins,
         "Mayorin。: Qt のプラットフォーム「xcb」の画面につなげないため起動できません（DISPLAY の X "
         "サーバー「:9」につなげません）。"},
        {{"", "", "", ":9", "offscreen", true, false}, plugins, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unusablePlatform(c.facts, platformForSession(c.facts), c.installed), c.said)
            << "QT_QPA_PLATFORM=" << c.facts.qpaPlatform << " XDG_SESSION_TYPE=" << c.facts.sessionType
            << " WAYLAND_DISPLAY=" << c.facts.waylandDisplay << " DISPLAY=" << c.facts.display
            << " -platform=" << c.facts.platformArgument << " plugins=" << c.installed.size();
    }
}

// Qt's options as Qt reads them: with one dash or two, the value as the next argument; "=" only
// where Qt reads it.
TEST(SessionPlatformTest, QtOptionsAreTheOnesQtReads) {
    struct Case {
        std::vector<std::string> args;
        std::string said; // name, value, count, "misspelt"; "" when not Qt's
    };
    const std::vector<Case> cases = {
        {{"-platform", "offscreen"}, "platform offscreen 2"},
        {{"--platform", "offscreen"}, "platform offscreen 2"},
        {{"--platform=offscreen"}, "platform offscreen 1 misspelt"},
        {{"-platform=offscreen"}, "platform offscreen 1 misspelt"},
        {{"-platform"}, "platform  1"}, // no value: Qt reads none
        {{"-display", "-x"}, "display -x 2"},
        {{"-style=fusion"}, "style fusion 1"},
        {{"--stylesheet=a.qss"}, "stylesheet a.qss 1"},
        {{"-reverse"}, "reverse  1"},
        {{"--reverse=1"}, "reverse  1 misspelt"},
        {{"---platform", "offscreen"}, ""},
        {{"-platforms", "offscreen"}, ""},
        {{"--timer", "0:05"}, ""},
        {{"platform"}, ""},
        {{"-"}, ""},
    };
    for (const auto& c : cases) {
        const auto option = qtOptionAt(c.args, 0);
        const std::string said = option ? option->name + " " + option->value + " " + std::to_string(option->count) +
                                              (option->misspelt ? " misspelt" : "")
                                        : "";
        EXPECT_EQ(said, c.said) << c.args.front();
    }
}

} // namespace
} // namespace mayorin::platform
