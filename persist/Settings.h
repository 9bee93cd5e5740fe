#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/State.h"
#include "persist/InstanceLock.h"
#include "persist/Options.h"
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

// An option as used at its point of use, read straight from the store.
bool optionOn(const platform::SettingsBackend& backend, Option option);

class Settings {
public:
    explicit Settings(platform::SettingsBackend& backend) : m_backend(backend) {}

    platform::SettingsBackend& backend() { return m_backend; }

    // An option as used at its point of use: only the exact text that is not its default turns it
    // from its default (an option on by default is on unless the text is exactly "False").
    bool optionOn(Option option) const;
    // An option as the settings menu's check mark: "True"/"False" in any letter case, a number is
    // checked when not 0; a damaged text counts as the option's default.
    bool optionChecked(Option option) const;
    // Stores every option as "True" or "False", in the order of the option table; checks[i] is
    // the mark of the table's row i.
    void saveOptions(const std::array<bool, kOptionCount>& checks);
    // The notice sound of the user's own, empty for the program's chime; an empty path stores it.
    std::string ownSound() const;
    void saveOwnSound(const std::string& path);

    // Entry window: geometry on load (its check marks are the options), geometry on unload.
    // Without withPlace only the size is stored, and the stored top and left stay as they are.
    Geometry rejisutory01() const;
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
