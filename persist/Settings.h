#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/State.h"
#include "persist/InstanceLock.h"
#include "persist/WindowHooks.h"
#include "platform/ErrorSink.h"
#include "platform/SettingsBackend.h"

// Every section and key the program keeps in the per-user settings store, with its default.
namespace mayorin::persist {

// Window geometry in twips.
struct Geometry {
    double top = 0;
    double left = 0;
    double height = 0;
    double width = 0;
};

// The option that sends each notice to the desktop's notification service as well, kept beside
// the four options of the settings menu.
inline constexpr int kDesktopNotification = 4;

class Settings {
public:
    explicit Settings(platform::SettingsBackend& backend) : m_backend(backend) {}

    platform::SettingsBackend& backend() { return m_backend; }

    // Option i (0 sound, 1 log, 2 name pick, 3 reservation pick, kDesktopNotification) as used at
    // its point of use: on unless the stored text is exactly "False".
    bool optionOn(int i) const;
    // Option i as the settings menu's check mark: "True"/"False" in any letter case, a number is
    // checked when not 0; a damaged text counts as the default (checked).
    bool optionChecked(int i) const;
    // Stores all four options as "True" or "False", keys "0" to "3" in that order.
    void saveOptions(const std::array<bool, 4>& checks);
    // Stores option i alone as "True" or "False".
    void saveOption(int i, bool on);

    // Entry window: geometry and the four check marks on load, geometry on unload. Without
    // withPlace only the size is stored, and the stored top and left stay as they are.
    Geometry rejisutory01(std::array<bool, 4>& checks) const;
    void rejisutory02(const Geometry& g, bool withPlace = true);
    // Notification window: geometry and window state (0 normal, 1 minimised, 2 maximised).
    Geometry rejisutory03(int& windowState) const;
    void rejisutory04(int windowState, const Geometry& normalGeometry, bool withPlace = true);
    // Display-name editor: top and left only (height and width of the result stay 0).
    Geometry rejisutory05() const;
    void rejisutory06(const Geometry& g);

    // Running marker under "form4"/appDir: true when it was already set (the last run from there
    // did not end normally); otherwise stores "運転中" and returns false.
    bool testAndSetRunningMarker(const std::string& appDir);
    void ClearRunningMarker(const std::string& appDir);

    // The start-up message of this release ("ver"/"68") and its "起動時に表示しない。" flag.
    std::string releaseMessage() const;
    int messageHidden() const; // whole-number value of "ver"/"msse_h", default 0
    void saveMessageHidden(bool hidden);

    // Removes everything the program keeps.
    void deleteAll();

private:
    double number(std::string_view section, std::string_view key, double fallback) const;

    platform::SettingsBackend& m_backend;
};

// The duplicate-start check of the resident window's load, once the folder's lock was tried:
// a live instance holding it (HeldElsewhere) shows the message dialog in its duplicate-start
// content (MessageMode 6), and the marker is then left alone. Otherwise the marker is set when
// empty. Where the lock was taken, a marker still set only says the last run did not end normally,
// and the start goes on quietly; where the lock cannot tell, the marker decides alone: set, it
// shows the duplicate-start content too. "registry1_F4 F4".
void registry1_F4(core::State& st, Settings& settings, MessageDialogHost& dialog, platform::ErrorSink& errors,
                  InstanceLock::Outcome folderLock);

} // namespace mayorin::persist
