#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace mayorin::platform {

// One of the options Qt reads from the command line itself (the application, its widgets and the
// X11 platform), as Qt reads it: with one dash or two, and its value, if it takes one, as the next
// argument.
struct QtOption {
    std::string name{};    // without its dashes: "platform"
    std::string value{};   // "" for a flag
    std::size_t count = 1; // the arguments it takes: itself, and its value when it is there
    bool misspelt = false; // "--platform=offscreen": Qt reads no value after "=" for this option,
                           // nor any for a flag, and would pass the argument on unread
};

// The Qt option that begins at args[i], or nothing when args[i] is not one of Qt's. The one place
// that knows which arguments are Qt's.
std::optional<QtOption> qtOptionAt(const std::vector<std::string>& args, std::size_t i);

// What decides the Qt platform the program asks for.
struct SessionFacts {
    std::string qpaPlatform{};      // QT_QPA_PLATFORM
    std::string sessionType{};      // XDG_SESSION_TYPE
    std::string waylandDisplay{};   // WAYLAND_DISPLAY
    std::string display{};          // DISPLAY: set on a Wayland session when XWayland is there
    std::string platformArgument{}; // the value of -platform on the command line, "" without
    bool compositorThere = true;    // the Wayland compositor's socket exists
    bool xServerThere = true;       // the X server of DISPLAY (or of -display) takes a connection
};

// The Qt platform to ask for, or "" to leave the choice to Qt. On a Wayland session a window
// cannot keep itself above others nor place itself, so the notice would open behind other
// windows and away from where the user left it: the program goes through XWayland ("xcb") when
// the session has it, unless the user chose a platform. A Wayland session without XWayland gets
// Qt's Wayland platform.
std::string platformForSession(const SessionFacts& facts);

// Why Qt could not show a window with the platform it will use (asked for by the user, or chosen
// by platformForSession), as the Japanese text for standard error; "" when it can. installed: the
// names of the platform plugins Qt finds. Qt itself would abort instead: no display to connect
// to, or none of the asked-for platforms installed.
std::string unusablePlatform(const SessionFacts& facts, const std::string& chosen,
                             const std::vector<std::string>& installed);

// The facts of this process: its environment, the platform and display its command line asks Qt for,
// and whether the compositor and the X server they name are there.
SessionFacts sessionFacts(int argc, char** argv);

// Reads the facts from the environment and the arguments and, when a platform is to be asked
// for, sets QT_QPA_PLATFORM. Call before the application object is made. Returns
// unusablePlatform's text for the platform plugins installed ("" when a window can be shown).
std::string choosePlatformForSession(int argc, char** argv);

} // namespace mayorin::platform
