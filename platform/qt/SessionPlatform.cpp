#include "platform/qt/SessionPlatform.h"

#include <cstdlib>
#include <string_view>

namespace mayorin::platform {
namespace {

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

} // namespace

std::string platformForSession(const SessionFacts& facts) {
    if (!facts.qpaPlatform.empty() || facts.platformArgument) {
        return {};
    }
    const bool wayland = facts.sessionType == "wayland" || !facts.waylandDisplay.empty();
    if (!wayland || facts.display.empty()) {
        return {};
    }
    return "xcb";
}

void choosePlatformForSession(int argc, char** argv) {
    SessionFacts facts{env("QT_QPA_PLATFORM"), env("XDG_SESSION_TYPE"), env("WAYLAND_DISPLAY"), env("DISPLAY")};
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        // Qt takes its options with one dash or two, and the value as the next argument.
        if (arg == "-platform" || arg == "--platform") {
            facts.platformArgument = true;
        }
    }
    const std::string platform = platformForSession(facts);
    if (!platform.empty()) {
        setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    }
}

} // namespace mayorin::platform
