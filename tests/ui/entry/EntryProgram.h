#pragma once

#include <QTemporaryDir>

#include "core/Env.h"
#include "core/State.h"
#include "core/Store.h"
#include "persist/OperationLog.h"
#include "persist/Settings.h"
#include "platform/CodePage.h"
#include "tests/support/Fakes.h"
#include "tests/support/RecordingNotification.h"
#include "ui/UiContext.h"

namespace mayorin::test {

// The program with fakes around it, except the operation log, which writes its real file into a
// temporary program directory. The clock stands at Monday 7 December 2026, 09:00:00.
struct EntryProgram {
    EntryProgram() {
        st.AppDir = dir.path().toStdString();
        st.ProgramDir = "/opt/mayorin"; // the help is not there
        core::fillWeekdayNames(st);
        core::hensu_kensuu(env);
        clock.set(2026, 12, 7, 9, 0, 0);
    }
    QTemporaryDir dir;
    core::State st;
    FakeClock clock;
    platform::IconvCodePage codePage;
    RecordingErrors errors;
    ScriptedMessages messages;
    FakeSettings backend;
    persist::OperationLog log{env};
    core::Env env{st, clock, codePage, errors, messages, log, backend};
    persist::Settings settings{backend};
    FakeSound sound;
    FakeHelp help;
    FakeProcess process;
    RecordingNotification desktop;
    ui::UiContext ctx{env, settings, sound, help, process, &desktop};
};

} // namespace mayorin::test
