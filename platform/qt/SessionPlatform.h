#pragma once

#include <string>
#include <vector>

namespace mayorin::platform {

// What decides the Qt platform the program asks for.
struct SessionFacts {
    std::string qpaPlatform;       // QT_QPA_PLATFORM
    std::string sessionType;       // XDG_SESSION_TYPE
    std::string waylandDisplay;    // WAYLAND_DISPLAY
    std::string display;           // DISPLAY: set on a Wayland session when XWayland is there
    bool platformArgument = false; // -platform on the command line
};

// The Qt platform to ask for, or "" to leave the choice to Qt. On a Wayland session a window
// cannot keep itself above others nor place itself, so the notice would open behind other
// windows and away from where the user left it: the program goes through XWayland ("xcb") when
// the session has it, unless the user chose a platform.
std::string platformForSession(const SessionFacts& facts);

// Reads the facts from the environment and the arguments and, when a platform is to be asked
// for, sets QT_QPA_PLATFORM. Call before the application object is made.
void choosePlatformForSession(int argc, char** argv);

} // namespace mayorin::platform
