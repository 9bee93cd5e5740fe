#pragma once

#include "core/EntryListView.h"
#include "core/State.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/ErrorSink.h"
#include "platform/LogSink.h"
#include "platform/MessagePresenter.h"
#include "platform/SettingsBackend.h"

namespace mayorin::core {

// What every operation reaches: the program state and the small platform interfaces.
// main wires the real adapters; a test wires fakes (tests/support/TestEnv.h).
struct Env {
    State& st;
    const platform::Clock& clock;
    const platform::CodePage& codePage;
    platform::ErrorSink& errors;
    platform::MessagePresenter& messages;
    platform::LogSink& log;
    platform::SettingsBackend& settings;
    // The entry window's reservation list; set while the entry window is open.
    EntryListView* entryList = nullptr;
};

// The same environment with its failures, message boxes and log lines going elsewhere: one
// operation's own sinks (a remote call, a read that keeps the file aside). Every other part is
// env's own.
inline Env redirected(const Env& env, platform::ErrorSink& errors, platform::MessagePresenter& messages,
                      platform::LogSink& log) {
    return Env{env.st, env.clock, env.codePage, errors, messages, log, env.settings, env.entryList};
}

// The present local time on the clock the reservation table is kept on: every due second and
// every text of the present moment is read from it.
inline platform::LocalTime presentTime(const Env& env) {
    return env.st.Frame.now(env.clock);
}

// The program's title, caption of every message box.
inline constexpr const char* kTitle = "Mayorin。";
// Version 1.01.0068.
inline constexpr int kMajor = 1;
inline constexpr int kMinor = 1;
inline constexpr int kRevision = 68;
// Who makes the program and where to reach them: the version information and the contact line
// of an error report.
inline constexpr const char* kAuthorName = "Mayorin developers";
inline constexpr const char* kAuthorAddress = "https://mayorin.example/";

} // namespace mayorin::core
