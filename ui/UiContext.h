#pragma once

#include "core/Env.h"
#include "persist/Settings.h"
#include "platform/HelpOpener.h"
#include "platform/ProcessControl.h"
#include "platform/SoundPlayer.h"

#include <set>
#include <string>

namespace mayorin::ui {

class Form1;
class Form2;
class Form3;
class Form5;
class Form4;
class NoticeNotification;

// What the windows share: the program state with its platform interfaces, the settings, and
// the windows open right now. Each window sets its own pointer as it loads and clears it as it
// unloads, so "open" means "pointer not null".
struct UiContext {
    core::Env& env;
    persist::Settings& settings;
    platform::SoundPlayer& sound;
    platform::HelpOpener& help;
    platform::ProcessControl& process;
    NoticeNotification* desktop = nullptr; // the desktop notification beside Form2; none in tests

    Form1* entry = nullptr;  // reservation entry window
    Form2* notice = nullptr; // notification window
    Form3* names = nullptr;  // display-name editor
    Form5* message = nullptr; // message dialog
    Form4* resident = nullptr; // hidden resident window (owns the tray icon)

    // The notice sounds of the user's own that were found unplayable in this run, each logged once.
    std::set<std::string> unplayableSounds{};
};

} // namespace mayorin::ui
