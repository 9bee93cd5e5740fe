#pragma once

#include "core/Env.h"
#include "core/State.h"
#include "platform/CodePage.h"
#include "tests/support/Fakes.h"

namespace mayorin::test {

// A fresh program state with fakes for every platform interface, the real code page 932
// converter, and WeekdayNames filled as at start-up.
struct TestEnv {
    TestEnv();

    core::State st;
    FakeClock clock;
    platform::IconvCodePage codePage;
    RecordingErrors errors;
    ScriptedMessages messages;
    RecordingLog log;
    FakeSettings settings;
    core::Env env{st, clock, codePage, errors, messages, log, settings};
};

} // namespace mayorin::test
