#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/Calendar.h"
#include "core/Env.h"
#include "core/State.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "notify/Resident.h"
#include "persist/ErrorReporter.h"
#include "persist/Settings.h"
#include "platform/CodePage.h"
#include "tests/notify/NotifyFakes.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace mayorin::test {

// One program with the real store, data file, settings logic and error reporter, and fakes for
// the clock, the message boxes, the log, the settings backend, the windows and the tray.
// The clock starts on Monday 7 December 2026 at 09:00:00.
struct Harness {
    Harness() {
        core::fillWeekdayNames(st);
        st.AppDir = dir.path;
        st.DataFileRead = true; // as after the start-up
        core::hensu_kensuu(env);
    }

    // The seconds stamp of a moment, and the same as a table field (" 63…").
    double stamp(int y, int mo, int d, int h, int mi, int s = 0) { return core::byouni(env, y, mo, d, h, mi, s); }
    std::string field(double stampValue) { return core::spacedDecimalText(stampValue); }

    // Adds a reservation as the entry window does: EntryRow slots 2 to 9, the row builder for the
    // side code, then the sorted add. An empty next second is computed from the clock.
    void add(int sideCode, const std::string& mode, const std::string& name, const std::string& f4,
             const std::string& f5, const std::string& f6, const std::string& f7, const std::string& f8,
             const std::string& next = "") {
        st.EntryRow = {};
        st.EntryRow[2] = mode;
        st.EntryRow[3] = name;
        st.EntryRow[4] = f4;
        st.EntryRow[5] = f5;
        st.EntryRow[6] = f6;
        st.EntryRow[7] = f7;
        st.EntryRow[8] = f8;
        st.EntryRow[9] = next;
        core::tuika03(env, static_cast<std::int16_t>(sideCode));
        core::tuika_mein(env);
    }

    // Message text of pending notice n without its padding.
    std::string message(int n) {
        std::string text = st.NoticeTextTable[n][1];
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        return text;
    }

    TempDir dir;
    core::State st;
    FakeClock clock;
    platform::IconvCodePage codePage;
    ScriptedMessages messages;
    RecordingLog log;
    FakeSettings backend;
    FakeDialog dialog{st};
    FakeResidentHost resident;
    persist::ErrorReporter reporter{env, dialog, resident};
    core::Env env{st, clock, codePage, reporter, messages, log, backend};
    persist::Settings settings{backend};
    FakeNoticeWindow window{st};
    FakeShell shell;
    notify::ResidentController controller{env, settings, dialog, window, shell};
};

} // namespace mayorin::test
