#include "platform/qt/SessionPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mayorin::platform {
namespace {

TEST(SessionPlatformTest, WaylandSessionWithXWaylandGoesThroughXcbUnlessTheUserChose) {
    struct Case {
        SessionFacts facts;
        std::string platform;
    };
    const std::vector<Case> cases = {
        {{"", "wayland", "wayland-0", ":0"}, "xcb"},
        {{"", "", "wayland-0", ":1"}, "xcb"},   // a session that only sets WAYLAND_DISPLAY
        {{"", "wayland", "", ":0"}, "xcb"},     // one that only names its type
        {{"", "wayland", "wayland-0", ""}, ""}, // no XWayland: Qt's own choice
        {{"wayland", "wayland", "wayland-0", ":0"}, ""},
        {{"offscreen", "wayland", "wayland-0", ":0"}, ""},
        {{"", "wayland", "wayland-0", ":0", true}, ""}, // -platform on the command line
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

} // namespace
} // namespace mayorin::platform
