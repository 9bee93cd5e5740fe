#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mayorin::app {

// What the command line asks for. Without options the program starts as the resident reminder;
// every option but --open, --autostart, --help and --version speaks to the running instance over the
// session bus and returns at once.
class CommandLine {
public:
    // Autostart is a start from the log-in entry: the program starts only for an account whose
    // data folder is there.
    enum class Action { Run, Open, Timer, Alarm, List, Pause, Resume, Quit, Help, Version, Usage, Autostart };

    // Exit statuses of the commands.
    static constexpr int kDone = 0;
    static constexpr int kRefused = 1;
    static constexpr int kUsage = 2;
    static constexpr int kNoInstance = 3;

    // Reads argv. Qt's own options ("-platform", "--platform", "-session" and the like) are left
    // for Qt; with nothing else but texts the program starts as it always has. One of them written
    // with "=" where Qt reads none ("--platform=offscreen") is a usage error, as is any other
    // option with one dash.
    static CommandLine parse(int argc, char* argv[]);

    Action action() const { return m_action; }

    // Runs what needs no resident program here: help, version, a usage error, the commands for
    // the running instance, and --open when there is no display to start with (without a display
    // all of them). Returns the exit status, or nothing when the program is to start.
    std::optional<int> runWithoutResident(int argc, char* argv[]) const;
    // For --open, once the application exists: asks the running instance to open its entry
    // window. Returns the exit status, or nothing when no instance runs and this one is to start
    // and open it.
    std::optional<int> openInRunningInstance() const;

    // The values as typed: hours, minutes, rest hours, rest minutes, repeat count (timer) or
    // hour, minute, month, day, weekdays (alarm), then the display name; for a pause or a resume
    // the display name alone, empty when none was given.
    const std::vector<std::string>& values() const { return m_values; }
    bool once() const { return m_once; }
    bool repeating() const { return m_repeating; }
    const std::string& usageError() const { return m_error; }

private:
    Action m_action = Action::Run;
    std::vector<std::string> m_values;
    bool m_once = false;
    bool m_repeating = false;
    std::string m_error;
};

} // namespace mayorin::app
