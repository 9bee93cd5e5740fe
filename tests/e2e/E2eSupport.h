#pragma once

// What the end-to-end tests share: files in code page 932 with CR LF, the program's seconds
// stamps and log columns from the standard library's calendar, and starting, waiting for and
// ending a copy of the built program in a folder of its own.

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/CodePage.h"

extern char** environ;

namespace mayorin::e2e {

namespace fs = std::filesystem;
using namespace std::chrono;
using namespace std::chrono_literals;

inline const platform::IconvCodePage kCodePage;

// --- files

inline std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Lines as the program writes them: code page 932, each ended by CR LF.
inline std::string encodeLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        out += *kCodePage.encode(l) + "\r\n";
    }
    return out;
}

inline std::vector<std::string> decodeLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(kCodePage.decode(bytes));
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') {
            l.pop_back();
        }
        lines.push_back(l);
    }
    return lines;
}

inline std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out(1);
    for (const char c : s) {
        if (c == sep) {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

// --- the program's seconds stamps and log columns

inline constexpr sys_days kDayZero = sys_days{year{1} / January / 1} - days{1}; // day count 0

inline long long stamp(const year_month_day& ymd, int h, int m, int s) {
    return (((sys_days{ymd} - kDayZero).count() * 24 + h) * 60 + m) * 60 + s;
}

inline std::string two(long long v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

inline const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};

// " 2026/12/07(月)" and "09:05:00": the log's date and clock columns.
inline std::string dateColumn(long long st) {
    const sys_days day = kDayZero + days{st / 86400};
    const year_month_day ymd{day};
    return " " + std::to_string(int(ymd.year())) + "/" + two(unsigned(ymd.month())) + "/" + two(unsigned(ymd.day())) +
           "(" + kWeekdays[weekday{day}.c_encoding()] + ")";
}

inline std::string clockColumn(long long st) {
    const long long r = st % 86400;
    return two(r / 3600) + ":" + two(r / 60 % 60) + ":" + two(r % 60);
}

struct LocalNow {
    year_month_day ymd;
    long long stamp;
};

inline LocalNow localNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    const year_month_day ymd{year{tm.tm_year + 1900} / unsigned(tm.tm_mon + 1) / unsigned(tm.tm_mday)};
    return {ymd, stamp(ymd, tm.tm_hour, tm.tm_min, tm.tm_sec)};
}

// --- processes

// A fresh folder under /tmp whose name begins with prefix.
inline fs::path freshDir(const std::string& prefix) {
    std::string tmpl = "/tmp/" + prefix + "-XXXXXX";
    return fs::path(::mkdtemp(tmpl.data()));
}

// Makes dir a folder the program may run from: a copy of the built program and a settings folder.
inline void copyProgram(const fs::path& dir) {
    fs::create_directories(dir / "config");
    fs::copy_file(MAYORIN_EXE, dir / "mayorin");
}

// This process's environment.
inline std::vector<std::string> inheritedEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);
    }
    return env;
}

// The environment of the program copied into dir: this process's, with no display or platform of
// its own, settings and home in dir. own (the platform) and extra follow in that order; each of
// their variables takes the place of an inherited one of the same name, and one of extra that of
// the settings folder or home.
inline std::vector<std::string> programEnvironment(const fs::path& dir, const std::vector<std::string>& own,
                                                   const std::vector<std::string>& extra) {
    const auto name = [](const std::string& v) { return v.substr(0, v.find('=') + 1); };
    std::vector<std::string> set = own;
    for (const std::string& v : {"XDG_CONFIG_HOME=" + (dir / "config").string(), "HOME=" + dir.string()}) {
        bool overridden = false;
        for (const auto& x : extra) {
            overridden = overridden || name(x) == name(v);
        }
        if (!overridden) {
            set.push_back(v);
        }
    }
    set.insert(set.end(), extra.begin(), extra.end());
    std::vector<std::string> env;
    for (const std::string& v : inheritedEnvironment()) {
        bool keep = true;
        for (const char* drop : {"QT_QPA_PLATFORM=", "DISPLAY=", "WAYLAND_DISPLAY="}) {
            keep = keep && v.rfind(drop, 0) != 0;
        }
        for (const auto& x : set) {
            keep = keep && v.rfind(x.substr(0, x.find('=') + 1), 0) != 0;
        }
        if (keep) {
            env.push_back(v);
        }
    }
    env.insert(env.end(), set.begin(), set.end());
    return env;
}

// Starts argv[0] with this environment, its standard output going to out and its errors to err
// (the same file when they are equal), truncated or appended to; returns its pid, or -1.
inline pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env, const fs::path& out,
                   const fs::path& err, bool append = false) {
    const auto pointers = [](std::vector<std::string>& v) {
        std::vector<char*> p;
        for (auto& s : v) {
            p.push_back(s.data());
        }
        p.push_back(nullptr);
        return p;
    };
    std::vector<char*> argp = pointers(argv);
    std::vector<char*> envp = pointers(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int flags = O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), flags, 0644);
    if (out == err) {
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), flags, 0644);
    }
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Waits for the child pid to end and returns its exit status (128 + the signal when a signal
// ended it), or -1 when it did not end in time. pid becomes 0 once the child is reaped.
inline int waitForExit(pid_t& pid, milliseconds limit) {
    const auto until = steady_clock::now() + limit;
    while (pid > 0 && steady_clock::now() < until) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            pid = 0;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(10ms);
    }
    return -1;
}

// Kills the child pid, if it still runs, and reaps it.
inline void killChild(pid_t& pid) {
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        pid = 0;
    }
}

// Limits on how soon the program answers or shows something are this many times longer in a
// sanitizer build, which starts, answers and draws several times slower.
#ifdef __SANITIZE_ADDRESS__
inline constexpr int kSlowdown = 4;
#else
inline constexpr int kSlowdown = 1;
#endif

// The sanitizer options this test run has, with more of them for one program: a later option
// wins over an inherited one of the same name.
inline std::string asanOptions(const std::string& more) {
    const char* inherited = std::getenv("ASAN_OPTIONS");
    return "ASAN_OPTIONS=" + (inherited != nullptr ? std::string(inherited) + ":" : std::string()) + more;
}

// Runs argv[0] with this environment to its end and returns its standard output ("" when it
// could not start or took longer than 10 s).
inline std::string capture(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    const fs::path out = fs::temp_directory_path() / ("mayorin-capture-" + std::to_string(::getpid()));
    pid_t pid = spawn(argv, env, out, "/dev/null");
    const bool ended = pid > 0 && waitForExit(pid, 10s) >= 0;
    killChild(pid);
    std::string text = ended ? readFile(out) : std::string();
    fs::remove(out);
    return text;
}

// Polls until done() is true or the limit has passed; returns whether done() came true.
template <class Done> bool waitUntil(Done&& done, milliseconds limit = 15s) {
    const auto until = steady_clock::now() + limit;
    while (!done()) {
        if (steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// An X server of the test's own.
class XServer {
public:
    // The server picks a free display itself and says which once it takes connections: tests
    // running side by side never share one. It never resets: a reset when the last client goes
    // (an xdotool call) drops a connection it has just taken, the program's among them.
    XServer() : m_dir(mayorin::e2e::freshDir("mayorin-xvfb")) {
        const fs::path said = m_dir / "display";
        m_pid =
            std::max(0, spawn({kXvfb, "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "1024x768x24"},
                              inheritedEnvironment(), said, "/dev/null"));
        if (m_pid != 0 && waitUntil([&] { return readFile(said).find('\n') != std::string::npos; }, 10s)) {
            const std::string n = readFile(said);
            display = ":" + n.substr(0, n.find('\n'));
        } else {
            stop();
        }
    }
    ~XServer() {
        stop();
        fs::remove_all(m_dir);
    }

    bool running() const { return m_pid != 0; }
    void stop() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = 0;
        }
    }

    static constexpr const char* kXvfb = "/usr/bin/Xvfb";
    std::string display;

private:
    fs::path m_dir;
    pid_t m_pid = 0;
};

} // namespace mayorin::e2e
