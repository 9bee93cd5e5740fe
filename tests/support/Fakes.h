#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/ErrorSink.h"
#include "platform/HelpOpener.h"
#include "platform/LogSink.h"
#include "platform/MessagePresenter.h"
#include "platform/ProcessControl.h"
#include "platform/SettingsBackend.h"
#include "platform/SoundPlayer.h"

namespace mayorin::test {

// A clock that moves only when the test moves it: a wall clock with its zone's UTC offset, and a
// boot-time clock that goes on with the time that passes but not with a clock set or a zone change.
class FakeClock final : public platform::Clock {
public:
    platform::LocalTime now() const override;
    long long bootSeconds() const override { return m_boot; }
    // Sets the present local time, as if that much time had passed; the weekday is derived from the date.
    void set(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    // Lets whole seconds pass (any amount; days, months and years roll over), a suspend included.
    void advance(long long seconds);
    // Sets the wall clock on (or back, when negative) by whole seconds, as a user or a time server does.
    void setWallClockBy(long long seconds);
    // Moves to another zone or into or out of summer time: the local time moves, UTC does not.
    void setUtcOffset(long seconds);

private:
    long long m_utc = 1796634000; // Monday 7 December 2026, 09:00:00 local
    long m_offset = 0;
    long long m_boot = 100000;
};

// An in-memory settings store with exact keys.
class FakeSettings final : public platform::SettingsBackend {
public:
    std::string get(std::string_view section, std::string_view key, std::string_view fallback) const override;
    void save(std::string_view section, std::string_view key, std::string_view value) override;
    void removeAll() override { values.clear(); }

    std::map<std::pair<std::string, std::string>, std::string> values;
};

// Message boxes answered from a script; every box shown is recorded.
class ScriptedMessages final : public platform::MessagePresenter {
public:
    struct Shown {
        std::string text;
        std::string title;
        platform::Buttons buttons;
        platform::Icon icon;
        bool waited = true; // false: shown without waiting for an answer
    };
    platform::Answer show(std::string_view text, std::string_view title, platform::Buttons buttons, platform::Icon icon,
                          platform::Answer defaultButton) override;
    void setWaiting(platform::Waiting w) override { waiting = w; }
    // The answer to give to the next box (Yes/No boxes); OK boxes are always answered Ok.
    void answerNext(platform::Answer a) { answers.push_back(a); }

    std::vector<Shown> shown; // boxes asked for once the display had gone are not shown
    std::deque<platform::Answer> answers;
    platform::Waiting waiting = platform::Waiting::ForAnswer;
};

// Records every reported error.
using RecordingErrors = platform::KeptErrors;

// Records every log line instead of writing a file.
class RecordingLog final : public platform::LogSink {
public:
    void kiloku(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

// Records the steps sent to the sound player.
class FakeSound final : public platform::SoundPlayer {
public:
    void setFile(const std::string& path, const std::string& fallback, FellBack) override {
        steps.push_back("File " + path + (fallback.empty() ? "" : " or " + fallback));
    }
    void open() override { steps.push_back("Open"); }
    void play() override { steps.push_back("Play"); }
    void close() override { steps.push_back("Close"); }
    std::vector<std::string> steps;
};

// Records every help file asked for; opens it or not as the test says.
class FakeHelp final : public platform::HelpOpener {
public:
    void open(const std::string& path, std::function<void(bool)> done) override {
        opened.push_back(path);
        done(result);
    }
    bool result = true;
    std::vector<std::string> opened;
};

// Records a request to end the process instead of ending it.
class FakeProcess final : public platform::ProcessControl {
public:
    void terminateNow() override {
        ++terminations;
        if (onTerminate) {
            onTerminate();
        }
    }
    int terminations = 0;
    std::function<void()> onTerminate; // runs where the process would have ended
};

} // namespace mayorin::test
