// Runs the built program offscreen in a fresh folder with a data file of every kind of row, some
// already due, ends it with SIGTERM, and checks its log and the data file it leaves behind.

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/E2eSupport.h"

namespace {

using namespace mayorin::e2e;

// A duration as a late notice shows it: "0日 00:10:02".
std::string durationText(long long d) {
    return std::to_string(d / 86400) + "日 " + clockColumn(d);
}

// The stamp of a log line's date and clock columns.
long long parseStamp(const std::string& date, const std::string& clock) {
    const int y = std::stoi(date.substr(1, 4));
    const unsigned mo = std::stoul(date.substr(6, 2));
    const unsigned d = std::stoul(date.substr(9, 2));
    return stamp(year{y} / mo / d, std::stoi(clock.substr(0, 2)), std::stoi(clock.substr(3, 2)),
                 std::stoi(clock.substr(6, 2)));
}

std::string sp(long long v) {
    return " " + std::to_string(v);
}

const std::vector<std::string> kHead = {
    "「Mayorin。.exe」用データ",
    "'　このテキストファイルは「Mayorin。.exe」であなたが入力した内容が記憶され、自動で読み書きされます。",
    "'■■　タイマーの履歴　■■",
};
const char* const kScheduleBanner = "'■■　　予定の履歴　　■■";
const char* const kRowBanner = "'■■　予約中の内容　　■■";
const std::vector<std::string> kTail = {
    "'",
    "'　このテキストファイルは「Mayorin。.exe」 Ver 1.1.68　が作りました。",
};

// A reservation line: "01," then fields 1 to 9, each followed by ",".
std::string rowLine(const std::vector<std::string>& f) {
    std::string l = "01,";
    for (const auto& x : f) {
        l += x + ",";
    }
    return l;
}

const std::string kNoBus = "unix:path=/nonexistent/mayorin-e2e-bus";

// The program, started from a fresh folder with its own settings folder.
class Program {
public:
    explicit Program(const fs::path& dir) : m_dir(dir) { copyProgram(dir); }

    // Starts it offscreen, or on the X server of display (":111") when one is given; extra holds
    // more environment entries, each taking the place of an inherited one of the same name. On
    // an X server without a session bus the bus library would start one of its own for the
    // display, which outlives the test: the program gets no session bus there.
    void start(const std::string& display = "", const std::vector<std::string>& extra = {}) {
        const std::vector<std::string> platform =
            display.empty() ? std::vector<std::string>{"QT_QPA_PLATFORM=offscreen"}
                            : std::vector<std::string>{"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display,
                                                       "DBUS_SESSION_BUS_ADDRESS=" + kNoBus};
        m_pid = spawn({(m_dir / "mayorin").string()}, programEnvironment(m_dir, platform, extra), m_dir / "output.txt",
                      m_dir / "output.txt");
        ASSERT_GT(m_pid, 0);
    }

    // Waits for the program to end and returns its exit status (128 + the signal when a signal
    // ended it), or -1 when it did not end in time.
    int waitForEnd(milliseconds limit) { return waitForExit(m_pid, limit); }

    void signal(int sig) { ::kill(m_pid, sig); }

    // Sends SIGTERM and returns the exit status, or -1 when the program did not end in time.
    int terminate() {
        signal(SIGTERM);
        return waitForEnd(10s);
    }

    ~Program() { killChild(m_pid); }

private:
    fs::path m_dir;
    pid_t m_pid = 0;
};

fs::path freshDir() {
    return mayorin::e2e::freshDir("mayorin-e2e");
}

// The private runtime folder a desktop session gives every program (Qt speaks up without one), in
// dir, as an environment entry.
std::string runtimeDir(const fs::path& dir) {
    fs::create_directory(dir / "runtime");
    fs::permissions(dir / "runtime", fs::perms::owner_all);
    return "XDG_RUNTIME_DIR=" + (dir / "runtime").string();
}

fs::path logFile(const fs::path& dir, const year_month_day& ymd) {
    const std::string y = std::to_string(int(ymd.year()));
    const std::string m = std::to_string(unsigned(ymd.month()));
    return dir / "Mayorin。ログ" / (y + "年") / ("Mayorin。ログ" + y + "年" + m + "月.txt");
}

TEST(EndToEnd, dueRowsAreNotifiedRescheduledOrRemovedAndSavedOnSigterm) {
    const fs::path dir = freshDir();
    const LocalNow now = localNow();
    const long long n = now.stamp;
    const year_month_day today = now.ymd;
    const std::string dd = two(unsigned(today.day()));
    const std::string mm = two(unsigned(today.month()));
    // The weekday row's own due day and the one two days later, in the week's order (Sunday
    // first). Its due day, not today: a run just after midnight finds it due since yesterday.
    const long long weekdayDue = n - 100;
    const sys_days weekdayDueDay = kDayZero + days{weekdayDue / 86400};
    const int wdDue = int(weekday{weekdayDueDay}.c_encoding());
    const int wdLater = (wdDue + 2) % 7;
    const std::string weekdaySet = wdDue < wdLater ? std::string(kWeekdays[wdDue]) + kWeekdays[wdLater]
                                                   : std::string(kWeekdays[wdLater]) + kWeekdays[wdDue];

    // Due rows, soonest first, each late by more than the three seconds of grace.
    const std::vector<std::string> single = {"0", "0", "卵", "00", "03", "00", "00", " 0", sp(n - 600)};
    const std::vector<std::string> cycle = {"1", " 1", "ストレッチ", "00", "05", "00", "01", " 2", sp(n - 500)};
    const std::vector<std::string> daily = {"2", "1", "朝会", "00", "00", "", "", "", sp(n - 400)};
    const std::vector<std::string> monthly = {"3", "1", "月次報告", "00", "00", "", dd, "", sp(n - 300)};
    const std::vector<std::string> yearlyOnce = {"4", "0", "記念日", "00", "00", mm, dd, "", sp(n - 200)};
    const std::vector<std::string> weekdays = {"5", "2", "ゴミ出し", "00", "00", "", "", weekdaySet, sp(weekdayDue)};
    const std::vector<std::string> extension = {"10", "0", "会議", "", " 5", "", "", sp(n - 350), sp(n - 50)};
    // Rows that are not due keep every field.
    const std::vector<std::string> later1 = {"0", "0", "パン", "00", "30", "00", "00", " 0", sp(n + 100000)};
    const std::vector<std::string> later2 = {"2", "0", "", "07", "30", "", "", "", sp(n + 200000)};
    const std::vector<std::string> later3 = {"5", "1", "体操", "06", "45", "", "", "月水金", sp(n + 300000)};
    const std::vector<std::string> later4 = {"4", "1", "祝日", "10", "00", "12", "25", "", sp(n + 400000)};

    const std::string timerHistory = "02,0,0,卵,00,03,00,00, 0,,";
    const std::string scheduleHistory = "03,5,1,体操,06,45,,,月水金,,";

    std::vector<std::string> input = kHead;
    input.push_back(timerHistory);
    input.push_back(kScheduleBanner);
    input.push_back(scheduleHistory);
    input.push_back(kRowBanner);
    // In no particular order: the program sorts them as it reads.
    for (const auto* row :
         {&daily, &later2, &single, &weekdays, &later4, &extension, &cycle, &later1, &monthly, &yearlyOnce, &later3}) {
        input.push_back(rowLine(*row));
    }
    input.insert(input.end(), kTail.begin(), kTail.end());
    const fs::path dataFile = dir / "Mayorin。保存.txt";
    std::ofstream(dataFile, std::ios::binary) << encodeLines(input);
    // The chime repeated until answered, from a sound of the user's own that does not decode.
    const fs::path ownSound = dir / "bad.wav";
    std::ofstream(ownSound) << std::string(4096, 'x');
    fs::create_directories(dir / "config" / "Mayorin");
    std::ofstream(dir / "config" / "Mayorin" / "Mayorin.ini") << "[settei]\n5=True\noto=" << ownSound.string() << "\n";

    Program program(dir);
    program.start();
    const fs::path log = logFile(dir, today);
    // Seven due rows take seven ticks; wait for them, then a little longer to see nothing more.
    for (int i = 0; i < 750; ++i) {
        const std::string text = readFile(log);
        std::size_t notices = 0;
        for (const auto& l : decodeLines(text)) {
            notices += l.rfind("♪", 0) == 0;
        }
        if (notices >= 7) {
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    std::this_thread::sleep_for(3s);
    ASSERT_EQ(program.terminate(), 0) << readFile(dir / "output.txt");

    // --- the log
    const std::vector<std::string> lines = decodeLines(readFile(log));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "'このファイルは「Mayorin。」 Ver1.1.68から記録されたログファイルです。");
    EXPECT_EQ(lines[1], "'");

    struct Expected {
        const char* tag;
        const std::vector<std::string>* row;
        std::string round;
    };
    const std::vector<Expected> expected = {
        {"♪タイマ", &single, ""},    {"♪繰返タ", &cycle, " 2回目の開始"}, {"♪予時刻", &daily, ""},
        {"♪予日付", &monthly, ""},   {"♪予月日", &yearlyOnce, ""},        {"♪予曜日", &weekdays, ""},
        {"♪延長　", &extension, ""},
    };
    std::vector<long long> noticeAt;
    bool started = false;
    std::string readLine;
    std::string endLine;
    std::vector<std::string> fellBack;
    for (const auto& l : lines) {
        const std::vector<std::string> f = split(l, ',');
        if (l.rfind("▼起動　,", 0) == 0) {
            started = true;
            EXPECT_EQ(f.size(), 11u) << l;
            EXPECT_EQ(l.substr(l.find(",,,")), ",,,起動,Revision=68,,,,");
        } else if (l.rfind("□読込　,", 0) == 0) {
            readLine = l;
        } else if (l.rfind("♪", 0) == 0) {
            const std::size_t k = noticeAt.size();
            ASSERT_LT(k, expected.size()) << "one notice too many: " << l;
            ASSERT_EQ(f.size(), 11u) << l;
            const long long at = parseStamp(f[1], f[2]);
            const long long due = std::stoll((*expected[k].row)[8]);
            EXPECT_EQ(f[0], expected[k].tag) << l;
            EXPECT_EQ(f[1], dateColumn(at)) << l; // the weekday too
            EXPECT_EQ(f[3], " + " + durationText(at - due)) << l;
            EXPECT_EQ(f[4], (*expected[k].row)[2]) << l;
            EXPECT_EQ(f[5], expected[k].round) << l;
            EXPECT_EQ(f[6], "【遅刻表示】") << l;
            EXPECT_EQ(l.substr(l.size() - 4), ",,,,") << l;
            // Each at its own tick, all soon after the start.
            EXPECT_GE(at, n) << l;
            EXPECT_LE(at, n + 20) << l;
            if (!noticeAt.empty()) {
                EXPECT_GE(at, noticeAt.back());
            }
            noticeAt.push_back(at);
        } else if (l.rfind("▲終了", 0) == 0) {
            endLine = l;
        } else if (l.rfind("※音　　,", 0) == 0) {
            fellBack.push_back(l.substr(l.find(",,,")));
        }
    }
    EXPECT_TRUE(started);
    // The first notice finds the sound unplayable; the program's chime plays in its place.
    EXPECT_EQ(fellBack,
              std::vector<std::string>{",,,お知らせの音を鳴らせない," + ownSound.string() +
                                       ",理由=再生できない,代わり=" + (dir / "Mayorin。音.wav").string() + ",,"});
    ASSERT_EQ(noticeAt.size(), expected.size());
    EXPECT_EQ(readLine.substr(readLine.find(",,,")),
              ",,,データの読み込み,予約データ数=11,タイマー履歴数=1,予定履歴数=1," + dataFile.string() + ",");
    ASSERT_FALSE(endLine.empty());
    EXPECT_EQ(endLine, lines.back());
    EXPECT_EQ(endLine.substr(0, endLine.find(',') + 1), "▲終了　,");
    EXPECT_EQ(endLine.substr(endLine.find(",,,")), ",,,終了,Revision=68,レジストリ=0,エラー回数=0,,");

    // --- the data file: finished rows gone, repeating rows moved on to their next occurrence
    const sys_days day{today};
    const year_month_day tomorrow{day + days{1}};
    year_month_day nextMonth = today + months{1};
    if (!nextMonth.ok()) {
        nextMonth = nextMonth.year() / nextMonth.month() / last;
    }
    const year_month_day twoDaysAfterDue{weekdayDueDay + days{2}};

    std::vector<std::string> cycleAfter = cycle;
    cycleAfter[1] = " 0";
    cycleAfter[8] = sp(noticeAt[1] + 5 * 60); // the match time, counted from its notice
    std::vector<std::string> dailyAfter = daily;
    dailyAfter[8] = sp(stamp(tomorrow, 0, 0, 0));
    std::vector<std::string> monthlyAfter = monthly;
    monthlyAfter[8] = sp(stamp(nextMonth, 0, 0, 0));
    std::vector<std::string> weekdaysAfter = weekdays;
    weekdaysAfter[1] = "0";
    weekdaysAfter[7] = kWeekdays[wdLater];
    weekdaysAfter[8] = sp(stamp(twoDaysAfterDue, 0, 0, 0));

    std::vector<std::vector<std::string>> rows = {cycleAfter, dailyAfter, monthlyAfter, weekdaysAfter,
                                                  later1,     later2,     later3,       later4};
    // Latest first.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return std::stoll(a[8]) > std::stoll(b[8]); });
    std::vector<std::string> output = kHead;
    output.push_back(timerHistory);
    output.push_back(kScheduleBanner);
    output.push_back(scheduleHistory);
    output.push_back(kRowBanner);
    for (const auto& r : rows) {
        output.push_back(rowLine(r));
    }
    output.insert(output.end(), kTail.begin(), kTail.end());
    EXPECT_EQ(readFile(dataFile), encodeLines(output));

    fs::remove_all(dir);
}

// An empty folder: the program starts, writes an empty data file at the end and logs both ends.
TEST(EndToEnd, startsInAnEmptyFolderAndEndsCleanly) {
    const fs::path dir = freshDir();
    Program program(dir);
    const LocalNow now = localNow();
    program.start("", {runtimeDir(dir)});
    const fs::path log = logFile(dir, now.ymd);
    for (int i = 0; i < 250 && readFile(log).empty(); ++i) {
        std::this_thread::sleep_for(20ms);
    }
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(program.terminate(), 0) << readFile(dir / "output.txt");

    std::vector<std::string> empty = kHead;
    empty.push_back(kScheduleBanner);
    empty.push_back(kRowBanner);
    empty.insert(empty.end(), kTail.begin(), kTail.end());
    EXPECT_EQ(readFile(dir / "Mayorin。保存.txt"), encodeLines(empty));
    const std::vector<std::string> lines = decodeLines(readFile(log));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2].substr(0, lines[2].find(',') + 1), "▼起動　,");
    EXPECT_EQ(lines[3].substr(0, lines[3].find(',') + 1), "□書込　,");
    EXPECT_EQ(lines[4].substr(lines[4].find(",,,")), ",,,終了,Revision=68,レジストリ=0,エラー回数=0,,");
    EXPECT_EQ(readFile(dir / "output.txt"), "") << "a start says nothing but the program's own words";
    fs::remove_all(dir);
}

// The running marker of the program's folder: the value under [form4] in the settings file, or
// "<none>" when there is none.
std::string runningMarker(const fs::path& dir) {
    std::istringstream in(readFile(dir / "config" / "Mayorin" / "Mayorin.ini"));
    bool inSection = false;
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l[0] == '[') {
            inSection = l == "[form4]";
        } else if (inSection && l.find('=') != std::string::npos) {
            return l.substr(l.find('=') + 1);
        }
    }
    return "<none>";
}

std::vector<std::string> logLines(const fs::path& dir) {
    return decodeLines(readFile(logFile(dir, localNow().ymd)));
}

bool logHas(const fs::path& dir, const std::string& start) {
    for (const auto& l : logLines(dir)) {
        if (l.rfind(start, 0) == 0) {
            return true;
        }
    }
    return false;
}

// A data file with a daily alarm due a few seconds from now (or already due) and a countdown a
// day later; and the same file once the alarm was notified and moved on to tomorrow at 00:00.
struct DueAlarm {
    std::vector<std::string> daily;
    std::vector<std::string> later;
    std::string before;
    std::string after;

    explicit DueAlarm(long long dueIn) {
        const LocalNow now = localNow();
        daily = {"2", "1", "朝会", "00", "00", "", "", "", sp(now.stamp + dueIn)};
        later = {"0", "0", "パン", "00", "30", "00", "00", " 0", sp(now.stamp + 100000)};
        before = file({daily, later});
        std::vector<std::string> moved = daily;
        moved[8] = sp(stamp(year_month_day{sys_days{now.ymd} + days{1}}, 0, 0, 0));
        after = file({later, moved});
    }

    static std::string file(const std::vector<std::vector<std::string>>& rows) {
        std::vector<std::string> lines = kHead;
        lines.push_back(kScheduleBanner);
        lines.push_back(kRowBanner);
        for (const auto& r : rows) {
            lines.push_back(rowLine(r));
        }
        lines.insert(lines.end(), kTail.begin(), kTail.end());
        return encodeLines(lines);
    }
};

// A notice given is kept at once: killed right after it, the program leaves the row moved on.
TEST(EndToEnd, notifiedRowIsInTheDataFileBeforeAKill) {
    const fs::path dir = freshDir();
    const DueAlarm alarm(-5);
    const fs::path dataFile = dir / "Mayorin。保存.txt";
    std::ofstream(dataFile, std::ios::binary) << alarm.before;
    Program program(dir);
    program.start();
    ASSERT_TRUE(waitUntil([&] { return logHas(dir, "♪予時刻,"); })) << readFile(dir / "output.txt");
    EXPECT_TRUE(waitUntil([&] { return readFile(dataFile) != alarm.before; }, 5s));
    program.signal(SIGKILL);
    ASSERT_EQ(program.waitForEnd(5s), 128 + SIGKILL);

    EXPECT_EQ(readFile(dataFile), alarm.after);
    EXPECT_FALSE(logHas(dir, "□書込")) << "the write after a notice is not logged";
    EXPECT_FALSE(logHas(dir, "▲終了"));
    fs::remove_all(dir);
}

// A folder whose file system takes no locks (a network mount without its lock manager): the
// program starts all the same and says once, on standard error and in the log, that the running
// marker alone tells a second start, which then stops at the duplicate-start box. A write under
// way, for all it knows, is left alone.
TEST(EndToEnd, folderThatTakesNoLocksStartsOnTheRunningMarker) {
    const fs::path dir = freshDir();
    Program program(dir);
    const fs::path writing = dir / "Mayorin。保存.txt.tmp-k1LLed";
    std::ofstream(writing) << "";
    const std::vector<std::string> noLocks = {"LD_PRELOAD=" MAYORIN_NO_LOCKS, "MAYORIN_NO_LOCKS_DIR=" + dir.string(),
                                              asanOptions("verify_asan_link_order=0"), runtimeDir(dir)};
    program.start("", noLocks);
    ASSERT_TRUE(waitUntil([&] { return logHas(dir, "※ロック,"); })) << readFile(dir / "output.txt");
    EXPECT_EQ(runningMarker(dir), "運転中");

    pid_t second = spawn({(dir / "mayorin").string()}, programEnvironment(dir, {"QT_QPA_PLATFORM=offscreen"}, noLocks),
                         dir / "output-2.txt", dir / "output-2.txt");
    const std::string said =
        "Mayorin。: フォルダー「" + dir.string() + "」をロックできないため、二重起動は起動中の印だけで確かめます。\n";
    // Offscreen, Qt says a word of its own as the box opens.
    EXPECT_TRUE(waitUntil([&] { return readFile(dir / "output-2.txt").rfind(said, 0) == 0; }))
        << readFile(dir / "output-2.txt");
    std::this_thread::sleep_for(1s * kSlowdown);
    EXPECT_EQ(waitForExit(second, 0ms), -1) << "waits at the box";
    killChild(second);
    EXPECT_EQ(readFile(dir / "output-2.txt").find(said, 1), std::string::npos) << "said once";

    ASSERT_EQ(program.terminate(), 0);
    EXPECT_EQ(readFile(dir / "output.txt"), said);
    const std::vector<std::string> lines = logLines(dir);
    std::vector<std::string> marks;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        marks.push_back(lines[i].substr(0, lines[i].find(',') + 1));
    }
    ASSERT_EQ(marks, (std::vector<std::string>{"▼起動　,", "※ロック,", "□書込　,", "▲終了　,"}))
        << "one instance came up";
    EXPECT_EQ(lines[3].substr(lines[3].find(",,,")),
              ",,,フォルダーをロックできない," + dir.string() + ",エラー=ENOLCK,二重起動の確認=起動中の印,,");
    EXPECT_TRUE(fs::exists(writing));
    fs::remove_all(dir);
}

// A disk that fails when the session ends: the data file cannot be rewritten, yet the program is
// gone within five seconds and the old file is whole. On a full disk every report of the failure
// goes unanswered and the program ends by itself; a write that hangs is ended by the watchdog.
TEST(EndToEnd, failingDiskAtSigtermEndsSoonAndKeepsTheDataFile) {
    const struct {
        const char* fault; // the marker file that turns the fault on
        int status;
    } cases[] = {{".disk-full", 1}, {".disk-hung", 128 + SIGALRM}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        const fs::path dir = freshDir();
        const DueAlarm alarm(100000);
        const fs::path dataFile = dir / "Mayorin。保存.txt";
        std::ofstream(dataFile, std::ios::binary) << alarm.before;
        Program program(dir);
        program.start("", {"LD_PRELOAD=" MAYORIN_FULL_DISK, "MAYORIN_FULL_DISK_DIR=" + dir.string(),
                           asanOptions("verify_asan_link_order=0")});
        ASSERT_TRUE(waitUntil([&] { return logHas(dir, "□読込"); })) << readFile(dir / "output.txt");
        std::ofstream(dir / c.fault) << "";

        const auto sent = steady_clock::now();
        program.signal(SIGTERM);
        const int status = program.waitForEnd(10s);
        const auto took = duration_cast<milliseconds>(steady_clock::now() - sent);
        EXPECT_EQ(status, c.status) << readFile(dir / "output.txt");
        EXPECT_LT(took, 5s);
        EXPECT_EQ(readFile(dataFile), alarm.before);
        EXPECT_FALSE(logHas(dir, "▲終了")) << "the end is logged after the data file is written";
        fs::remove_all(dir);
    }
}

// The wall clock set back an hour while a countdown runs (libfaketime moves the program's wall clock
// and leaves its boot-time clock alone): the countdown still rings twenty seconds after its start.
TEST(EndToEnd, countdownKeepsItsLengthWhenTheClockIsSetBack) {
    const fs::path preload = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";
    if (!fs::exists(preload)) {
        GTEST_SKIP() << "libfaketime is not installed (Debian package faketime)";
    }
    const fs::path dir = freshDir();
    const fs::path offset = dir / "faketime";
    const auto setOffset = [&](const std::string& text) {
        std::ofstream(dir / "faketime.new") << text << "\n";
        fs::rename(dir / "faketime.new", offset);
    };
    setOffset("+0");
    const auto started = steady_clock::now();
    const LocalNow now = localNow();
    const std::vector<std::string> egg = {"0", "0", "卵", "00", "00:20", "00", "00", " 0", sp(now.stamp + 20)};
    std::ofstream(dir / "Mayorin。保存.txt", std::ios::binary) << DueAlarm::file({egg});
    Program program(dir);
    program.start("",
                  {"LD_PRELOAD=" + preload.string(), "FAKETIME_TIMESTAMP_FILE=" + offset.string(),
                   "FAKETIME_NO_CACHE=1", "FAKETIME_DONT_FAKE_MONOTONIC=1", asanOptions("verify_asan_link_order=0")});
    ASSERT_TRUE(waitUntil([&] { return logHas(dir, "□読込"); })) << readFile(dir / "output.txt");
    std::this_thread::sleep_for(1s); // a few ticks on the clock as it was
    setOffset("-3600");

    // The notice is logged in the month of the clock as set back.
    const year_month_day setBackDay{floor<days>(system_clock::now() - 1h)};
    std::string notice;
    ASSERT_TRUE(waitUntil(
        [&] {
            for (const auto& l : decodeLines(readFile(logFile(dir, setBackDay)))) {
                if (l.rfind("♪タイマ,", 0) == 0) {
                    notice = l;
                }
            }
            return !notice.empty();
        },
        40s))
        << "not rung within 40 s";
    const auto took = duration_cast<milliseconds>(steady_clock::now() - started);
    // The notice is logged once its window has opened, which takes seconds in a sanitizer build.
    EXPECT_GT(took, 17s);
    EXPECT_LT(took, 30s);
    const std::vector<std::string> f = split(notice, ',');
    ASSERT_EQ(f.size(), 11u) << notice;
    const long long rungAt = parseStamp(f[1], f[2]);
    EXPECT_GE(rungAt, now.stamp + 20 - 3600 - 2) << "rung on the clock as set back: " << notice;
    EXPECT_LE(rungAt, now.stamp + 20 - 3600 + 8) << "rung on the clock as set back: " << notice;
    EXPECT_EQ(program.terminate(), 0) << readFile(dir / "output.txt");
    fs::remove_all(dir);
}

constexpr const char* kXdotool = "/usr/bin/xdotool";

// xdotool's output lines for these arguments on the X server of display ("" alone when it found
// nothing).
std::vector<std::string> xdotool(const std::string& display, std::vector<std::string> args) {
    args.insert(args.begin(), kXdotool);
    return split(capture(args, {"DISPLAY=" + display}), '\n');
}

// A desktop on the X server of display: openbox, and trayer with panelArgs (none without them);
// ended with the test.
class Desktop {
public:
    Desktop(const std::string& display, std::vector<std::string> panelArgs) {
        std::vector<std::string> env;
        for (const std::string& v : inheritedEnvironment()) {
            if (v.rfind("DISPLAY=", 0) != 0) {
                env.push_back(v);
            }
        }
        env.push_back("DISPLAY=" + display);
        m_wm = spawn({"/usr/bin/openbox", "--sm-disable"}, env, "/dev/null", "/dev/null");
        std::this_thread::sleep_for(1s);
        if (!panelArgs.empty()) {
            panelArgs.insert(panelArgs.begin(), "/usr/bin/trayer");
            m_panel = spawn(panelArgs, env, "/dev/null", "/dev/null");
            std::this_thread::sleep_for(1s); // the panel takes its place on the screen
        }
    }
    ~Desktop() {
        killChild(m_panel);
        killChild(m_wm);
    }

private:
    pid_t m_wm = 0;
    pid_t m_panel = 0;
};

// A log-off that ends the X server before anything else: the program still keeps the day's
// changes, logs its end and clears its running marker, so the next start is a quiet one.
TEST(EndToEnd, lostDisplayEndsNormally) {
    if (!fs::exists(XServer::kXvfb)) {
        GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb)";
    }
    XServer x;
    ASSERT_TRUE(x.running()) << "Xvfb did not start";
    const fs::path dir = freshDir();
    const DueAlarm alarm(2);
    const fs::path dataFile = dir / "Mayorin。保存.txt";
    std::ofstream(dataFile, std::ios::binary) << alarm.before;
    Program program(dir);
    // The toolkit ends the process from inside its event loop, so the libraries under it (the
    // font and bus libraries among them) never hand back what they hold: not leaks of ours.
    program.start(x.display, {asanOptions("detect_leaks=0")});
    ASSERT_TRUE(waitUntil([&] { return logHas(dir, "♪予時刻,"); })) << readFile(dir / "output.txt");
    EXPECT_EQ(runningMarker(dir), "運転中");
    std::this_thread::sleep_for(300ms);

    x.stop();
    const int status = program.waitForEnd(5s);
    EXPECT_EQ(status, 1) << readFile(dir / "output.txt"); // the toolkit's own exit

    EXPECT_EQ(readFile(dataFile), alarm.after);
    const std::vector<std::string> lines = logLines(dir);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2].substr(0, lines[lines.size() - 2].find(',') + 1), "□書込　,");
    EXPECT_EQ(lines.back().substr(0, lines.back().find(',') + 1), "▲終了　,");
    EXPECT_EQ(lines.back().substr(lines.back().find(",,,")), ",,,終了,Revision=68,レジストリ=0,エラー回数=0,,");
    EXPECT_EQ(runningMarker(dir), "");
    fs::remove_all(dir);
}

// xfce4-session with the program as the one client of its session, on a session bus of its own
// (with xfce's settings service, which it reads its session from); ended with the test. The
// program runs as the log-in start runs it, its exit status going to "status" in dir.
class SessionManager {
public:
    static constexpr const char* kSession = "/usr/bin/xfce4-session";

    SessionManager(const std::string& display, const fs::path& dir) {
        m_bus = spawn({"/usr/bin/dbus-daemon", "--config-file=" MAYORIN_PRIVATE_BUS, "--nofork", "--print-address=1"},
                      inheritedEnvironment(), dir / "bus.txt", "/dev/null");
        if (m_bus <= 0 || !waitUntil([&] { return readFile(dir / "bus.txt").find('\n') != std::string::npos; }, 10s)) {
            return;
        }
        const std::string bus = readFile(dir / "bus.txt");
        std::vector<std::string> env = programEnvironment(
            dir,
            {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display, "DBUS_SESSION_BUS_ADDRESS=" + bus.substr(0, bus.find('\n'))},
            {runtimeDir(dir), "XDG_CONFIG_DIRS=" + (dir / "no-system-config").string(), "NO_AT_BRIDGE=1"});
        std::erase_if(env, [](const std::string& v) { return v.rfind("SESSION_MANAGER=", 0) == 0; });
        m_env = env;
        const fs::path channels = dir / "config" / "xfce4" / "xfconf" / "xfce-perchannel-xml";
        fs::create_directories(channels);
        // Its session: client.sh, "@" below.
        std::string channel = R"(<channel name="xfce4-session" version="1.0">
  <property name="startup" type="empty">
    <property name="ssh-agent" type="empty"><property name="enabled" type="bool" value="false"/></property>
    <property name="gpg-agent" type="empty"><property name="enabled" type="bool" value="false"/></property>
  </property>
  <property name="sessions" type="empty"><property name="Failsafe" type="empty">
    <property name="Count" type="int" value="1"/>
    <property name="Client0_Command" type="array"><value type="string" value="@"/></property>
  </property></property>
</channel>
)";
        std::ofstream(channels / "xfce4-session.xml")
            << channel.replace(channel.find('@'), 1, (dir / "client.sh").string());
        std::ofstream(dir / "client.sh")
            << "#!/bin/sh\ncd \"$(dirname \"$0\")\"\n./mayorin >output.txt 2>&1\necho $? >status\n";
        fs::permissions(dir / "client.sh", fs::perms::owner_all);
        // The machine's log-in starts would join the session: each is hidden by one of the account's.
        fs::create_directories(dir / "config" / "autostart");
        std::error_code none;
        for (const auto& e : fs::directory_iterator("/etc/xdg/autostart", none)) {
            std::ofstream(dir / "config" / "autostart" / e.path().filename())
                << "[Desktop Entry]\nType=Application\nName=-\nExec=true\nHidden=true\n";
        }
        // Where the bus would start the settings service on demand.
        const std::string service = readFile("/usr/share/dbus-1/services/org.xfce.Xfconf.service");
        const auto exec = service.find("Exec=");
        if (exec == std::string::npos) {
            return;
        }
        m_settings = spawn({service.substr(exec + 5, service.find('\n', exec) - exec - 5)}, env, dir / "xfconfd.txt",
                           dir / "xfconfd.txt");
        m_session = spawn({kSession, "--disable-tcp"}, env, dir / "session.txt", dir / "session.txt");
        m_socket = "/tmp/.ICE-unix/" + std::to_string(m_session); // where clients reach it
    }
    ~SessionManager() {
        killChild(m_session);
        killChild(m_settings);
        killChild(m_bus);
        std::error_code none;
        fs::remove(m_socket, none); // it leaves it behind
    }

    bool running() const { return m_session > 0; }
    // Waits for the session manager to end, as it does once a log-off is through; true when it did.
    bool ended() { return waitForExit(m_session, 10s) >= 0; }

    // Runs argv[0] on the session's bus and display; returns its standard output.
    std::string run(const std::vector<std::string>& argv) const { return capture(argv, m_env); }

private:
    std::vector<std::string> m_env;
    pid_t m_bus = 0;
    pid_t m_settings = 0;
    pid_t m_session = 0;
    fs::path m_socket;
};

// Under a real session manager a save of the session (xfce's "Save session") writes the data file
// and ends nothing; the saved session does not hold the program, so a restored session never
// starts it beside the log-in start. The log-off that follows ends it the normal way.
TEST(EndToEnd, sessionSaveKeepsItRunningAndTheLogOffEndsIt) {
    for (const char* tool : {XServer::kXvfb, SessionManager::kSession}) {
        if (!fs::exists(tool)) {
            GTEST_SKIP() << tool << " is not installed (Debian packages xvfb, xfce4-session)";
        }
    }
    XServer x;
    ASSERT_TRUE(x.running()) << "Xvfb did not start";
    const fs::path dir = freshDir();
    const DueAlarm alarm(100000);
    const std::string bytes = DueAlarm::file({alarm.later});
    const fs::path dataFile = dir / "Mayorin。保存.txt";
    std::ofstream(dataFile, std::ios::binary) << bytes;
    copyProgram(dir);
    SessionManager session(x.display, dir);
    ASSERT_TRUE(session.running());
    ASSERT_TRUE(waitUntil([&] { return logHas(dir, "□読込　,"); }))
        << readFile(dir / "session.txt") << readFile(dir / "output.txt");
    const std::vector<std::string> started = logLines(dir);

    // The save: a data file taken away meanwhile is back, as it was.
    fs::remove(dataFile);
    session.run({"/usr/bin/gdbus", "call", "--session", "--dest", "org.xfce.SessionManager", "--object-path",
                 "/org/xfce/SessionManager", "--method", "org.xfce.Session.Manager.Checkpoint", ""});
    // The saved session, "xfce4-session-<host><display>" once it is whole.
    const auto sessionFile = [&] {
        std::error_code none;
        for (const auto& e : fs::directory_iterator(dir / ".cache" / "sessions", none)) {
            if (e.path().string().ends_with(x.display)) {
                return readFile(e.path());
            }
        }
        return std::string();
    };
    ASSERT_TRUE(waitUntil([&] { return fs::exists(dataFile) && !sessionFile().empty(); }))
        << readFile(dir / "session.txt") << readFile(dir / "output.txt");
    EXPECT_EQ(readFile(dataFile), bytes);
    const std::string saved = sessionFile();
    EXPECT_EQ(saved.substr(0, saved.find("Screen0")), "[Session: Default]\nCount=0\n")
        << "the session holds no client to start again";
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(fs::exists(dir / "status")) << "still running: " << readFile(dir / "output.txt");
    EXPECT_EQ(logLines(dir), started) << "a save logs nothing";
    EXPECT_EQ(runningMarker(dir), "運転中");

    session.run({"/usr/bin/xfce4-session-logout", "--logout", "--fast"});
    ASSERT_TRUE(waitUntil([&] { return readFile(dir / "status").find('\n') != std::string::npos; }))
        << readFile(dir / "session.txt") << readFile(dir / "output.txt");
    EXPECT_EQ(readFile(dir / "status"), "0\n") << readFile(dir / "output.txt");
    EXPECT_TRUE(session.ended()) << readFile(dir / "session.txt");
    EXPECT_EQ(readFile(dataFile), bytes);
    const std::vector<std::string> lines = logLines(dir);
    ASSERT_EQ(lines.size(), started.size() + 2);
    EXPECT_EQ(lines[lines.size() - 2].substr(0, lines[lines.size() - 2].find(',') + 1), "□書込　,");
    EXPECT_EQ(lines.back().substr(0, lines.back().find(',') + 1), "▲終了　,");
    EXPECT_EQ(lines.back().substr(lines.back().find(",,,")), ",,,終了,Revision=68,レジストリ=0,エラー回数=0,,");
    EXPECT_EQ(runningMarker(dir), "");
    fs::remove_all(dir);
}

// A line the reader cannot take (over 32,767 characters) is reported at start. Once the user has
// answered the error box, the program ends, and the file is still every line it was, byte for
// byte: only a read that got through may be written back.
TEST(EndToEnd, unreadableLineLeavesTheDataFileAsItWas) {
    if (!fs::exists(XServer::kXvfb) || !fs::exists(kXdotool)) {
        GTEST_SKIP() << "Xvfb and xdotool are not installed (Debian packages xvfb, xdotool)";
    }
    XServer x;
    ASSERT_TRUE(x.running()) << "Xvfb did not start";
    const fs::path dir = freshDir();
    const DueAlarm alarm(100000);
    std::vector<std::string> lines = kHead;
    lines.push_back("02,0,0,卵,00,03,00,00, 0,,");
    lines.push_back("02,0,0," + std::string(40000, 'x') + ",00,03,00,00, 0,,");
    lines.push_back(kScheduleBanner);
    lines.push_back(kRowBanner);
    lines.push_back(rowLine(alarm.later));
    lines.insert(lines.end(), kTail.begin(), kTail.end());
    const std::string bytes = encodeLines(lines);
    const fs::path dataFile = dir / "Mayorin。保存.txt";
    std::ofstream(dataFile, std::ios::binary) << bytes;

    Program program(dir);
    program.start(x.display);
    // The error box is the only window the program shows: its default button "OK" takes Return.
    std::string window;
    ASSERT_TRUE(waitUntil([&] {
        window = xdotool(x.display, {"search", "--onlyvisible", "--name", "Mayorin"}).at(0);
        return !window.empty();
    })) << readFile(dir / "output.txt");
    xdotool(x.display, {"windowfocus", "--sync", window, "key", "Return"});
    EXPECT_EQ(program.waitForEnd(10s), 1) << "ended by the error: " << readFile(dir / "output.txt");

    EXPECT_EQ(readFile(dataFile), bytes);
    const std::vector<std::string> log = logLines(dir);
    ASSERT_FALSE(log.empty());
    EXPECT_TRUE(logHas(dir, "※エラー,")) << "the error was reported";
    EXPECT_EQ(log.back().substr(log.back().find(",,,")), ",,,終了,Revision=68,レジストリ=0,エラー回数=1,,");
    EXPECT_FALSE(logHas(dir, "□書込")) << "nothing was written over it";
    fs::remove_all(dir);
}

// Under openbox with a panel along the top, a notification window stored above the screen (where
// a native Wayland run used to leave it) opens at its own size with its title bar just below the
// panel, and that is the place stored at the end.
TEST(EndToEnd, noticeStoredAboveTheScreenOpensBelowATopPanel) {
    for (const char* tool : {XServer::kXvfb, "/usr/bin/openbox", "/usr/bin/trayer"}) {
        if (!fs::exists(tool)) {
            GTEST_SKIP() << tool << " is not installed (Debian packages xvfb, openbox, trayer)";
        }
    }
    XServer x;
    ASSERT_TRUE(x.running()) << "Xvfb did not start";
    const Desktop desktop(x.display, {"--edge", "top", "--widthtype", "percent", "--width", "100", "--height", "26",
                                      "--SetPartialStrut", "true", "--SetDockType", "true"});

    const fs::path dir = freshDir();
    std::ofstream(dir / "Mayorin。保存.txt", std::ios::binary) << DueAlarm(1).before;
    Program program(dir);
    fs::create_directories(dir / "config" / "Mayorin");
    std::ofstream(dir / "config" / "Mayorin" / "Mayorin.ini") << "[form2]\nLeft%20%20=-45\nTop%20%20%20=-450\n";
    program.start(x.display);
    ASSERT_TRUE(waitUntil([&] { return logHas(dir, "♪予時刻,"); })) << readFile(dir / "output.txt");
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(program.terminate(), 0) << readFile(dir / "output.txt");

    const std::string ini = readFile(dir / "config" / "Mayorin" / "Mayorin.ini");
    const std::string form2 = ini.substr(ini.find("[form2]"));
    EXPECT_EQ(form2.substr(0, form2.find("\n\n")), "[form2]\nHeight=3645\nLeft%20%20=0\nTop%20%20%20=390\n"
                                                   "Width%20=9390\nWindowState=0")
        << "26 pixels of panel are 390 twips";
    fs::remove_all(dir);
}

// Under openbox with two workspaces, while the user types into another program kept on top (xev,
// which prints the keys it gets): a notice shows the notice window without taking the keyboard;
// the next, once the user has brought that program above it, raises it again; one while the user
// is on the other workspace brings it there. A click gives it the keyboard. One shown on every
// workspace stays so.
TEST(EndToEnd, noticeLeavesTheKeyboardAndFollowsToTheWorkspaceInView) {
    for (const char* tool :
         {XServer::kXvfb, "/usr/bin/openbox", kXdotool, "/usr/bin/xev", "/usr/bin/xprop", "/usr/bin/wmctrl"}) {
        if (!fs::exists(tool)) {
            GTEST_SKIP() << tool << " is not installed (Debian packages xvfb, openbox, xdotool, x11-utils, wmctrl)";
        }
    }
    XServer x;
    ASSERT_TRUE(x.running()) << "Xvfb did not start";
    const Desktop desktop(x.display, {});
    const std::vector<std::string> env = {"DISPLAY=" + x.display};
    const auto xdo = [&](const std::vector<std::string>& args) { return xdotool(x.display, args).at(0); };
    xdo({"set_num_desktops", "2"});
    const fs::path dir = freshDir();
    pid_t xev = spawn({"/usr/bin/xev", "-name", "typist", "-event", "keyboard"}, env, dir / "typed.txt", "/dev/null");
    std::string typist;
    ASSERT_TRUE(waitUntil([&] { return !(typist = xdo({"search", "--onlyvisible", "--name", "typist"})).empty(); }));
    capture({"/usr/bin/wmctrl", "-i", "-r", typist, "-b", "add,above"}, env);
    xdo({"windowactivate", "--sync", typist});
    // The topmost window, the last in the window manager's stacking list ("…# 0x400001, 0x600006").
    const auto top = [&] {
        const std::string line = capture({"/usr/bin/xprop", "-root", "_NET_CLIENT_LIST_STACKING"}, env);
        return std::to_string(std::stol(line.substr(line.rfind("0x")), nullptr, 16));
    };
    const auto notices = [&] {
        const std::vector<std::string> lines = logLines(dir);
        return std::count_if(lines.begin(), lines.end(),
                             [](const std::string& l) { return l.rfind("♪予時刻,", 0) == 0; });
    };

    // Four notices, each once the user has done what comes before it.
    const long long first = localNow().stamp + 3 * kSlowdown;
    std::ofstream(dir / "Mayorin。保存.txt", std::ios::binary)
        << DueAlarm::file({{"2", "0", "四", "00", "00", "", "", "", sp(first + 11 * kSlowdown)},
                           {"2", "0", "三", "00", "00", "", "", "", sp(first + 7 * kSlowdown)},
                           {"2", "0", "二", "00", "00", "", "", "", sp(first + 3 * kSlowdown)},
                           {"2", "0", "一", "00", "00", "", "", "", sp(first)}});
    Program program(dir);
    program.start(x.display);
    std::string notice;
    ASSERT_TRUE(waitUntil([&] {
        return !(notice = xdo({"search", "--onlyvisible", "--name", "Mayorin。お知らせ"})).empty();
    })) << readFile(dir / "output.txt");
    std::this_thread::sleep_for(500ms); // the window manager has taken the window in
    EXPECT_EQ(xdo({"getactivewindow"}), typist) << "the first notice took the keyboard";

    xdo({"windowactivate", "--sync", typist}); // the user's window comes above the notice window
    ASSERT_TRUE(waitUntil([&] { return top() == typist; }, 5s));
    ASSERT_EQ(notices(), 1) << "the second notice came too soon to tell";
    EXPECT_TRUE(waitUntil([&] { return notices() == 2 && top() == notice; }, 20s)) << "not raised";
    EXPECT_EQ(xdo({"getactivewindow"}), typist) << "the second notice took the keyboard";

    xdo({"set_desktop_for_window", typist, "1"});
    xdo({"set_desktop", "1"});
    xdo({"windowactivate", "--sync", typist});
    ASSERT_EQ(notices(), 2) << "the third notice came too soon to tell";
    const auto followed = [&] { return xdo({"get_desktop_for_window", notice}) == "1" && top() == notice; };
    EXPECT_TRUE(waitUntil(followed, 20s)) << "the notice window stays on the workspace it was opened on";
    EXPECT_EQ(xdo({"getactivewindow"}), typist) << "the third notice took the keyboard";
    xdo({"type", "ab"});
    EXPECT_TRUE(waitUntil([&] { return readFile(dir / "typed.txt").find("(keysym 0x62, b)") != std::string::npos; }));

    xdo({"mousemove", "--window", notice, "300", "60", "click", "1"});
    EXPECT_TRUE(waitUntil([&] { return xdo({"getactivewindow"}) == notice; }, 5s)) << "a click gives it the keyboard";

    // Put on every workspace (as the window menu does), it stays there with the next notice.
    xdo({"set_desktop_for_window", notice, "4294967295"});
    xdo({"set_desktop", "0"});
    ASSERT_EQ(notices(), 3) << "the fourth notice came too soon to tell";
    ASSERT_TRUE(waitUntil([&] { return notices() == 4; }, 20s));
    std::this_thread::sleep_for(500ms); // the window manager has had the time to move it
    EXPECT_EQ(xdo({"get_desktop_for_window", notice}), "-1") << "moved onto one workspace";
    EXPECT_EQ(program.terminate(), 0) << readFile(dir / "output.txt");
    killChild(xev);
    fs::remove_all(dir);
}

// Without a screen, or with a DISPLAY whose X server has gone, the program says so in Japanese and
// ends with an error, before it touches its settings, data file or log; Qt would abort instead.
// (Each cause and its text: platform_qt_tests.)
TEST(EndToEnd, withoutAScreenItSaysSoAndEnds) {
    const struct {
        std::string display;
        std::string said;
    } cases[] = {
        {"", "Mayorin。: 画面が見つからないため起動できません。DISPLAY も WAYLAND_DISPLAY も設定されていません。"
             "デスクトップのセッションの中で起動してください（画面なしで動かすときは QT_QPA_PLATFORM=offscreen）。\n"},
        {":65000",
         "Mayorin。: 画面につなげないため起動できません（DISPLAY の X サーバー「:65000」につなげません）。\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.display);
        const fs::path dir = freshDir();
        copyProgram(dir);
        std::vector<std::string> own = {"XDG_SESSION_TYPE="};
        if (!c.display.empty()) {
            own.push_back("DISPLAY=" + c.display);
        }
        pid_t pid =
            spawn({(dir / "mayorin").string()}, programEnvironment(dir, own, {}), dir / "out.txt", dir / "err.txt");
        EXPECT_EQ(waitForExit(pid, 10s), 1);
        killChild(pid);
        EXPECT_EQ(readFile(dir / "err.txt"), c.said);
        EXPECT_TRUE(fs::is_empty(dir / "config"));
        EXPECT_FALSE(fs::exists(dir / "Mayorin。ログ"));
        fs::remove_all(dir);
    }
}

// An old-style tray (trayer at the bottom of the screen, under openbox): a press on the icon shows
// the menu, and a double click opens the entry window, at the usual speeds and right after the
// menu was used, although the menu the first press shows takes the second one.
TEST(EndToEnd, oldStyleTrayDoubleClickOpensEntryWindow) {
    for (const char* tool : {XServer::kXvfb, "/usr/bin/openbox", "/usr/bin/trayer", kXdotool}) {
        if (!fs::exists(tool)) {
            GTEST_SKIP() << tool << " is not installed (Debian packages xvfb, openbox, trayer, xdotool)";
        }
    }
    XServer x;
    ASSERT_TRUE(x.running()) << "Xvfb did not start";
    const Desktop desktop(x.display, {"--edge", "bottom", "--align", "right", "--widthtype", "request"});
    const fs::path dir = freshDir();
    Program program(dir);
    // No session bus: the icon goes to the old-style tray whatever the desktop running the tests.
    program.start(x.display);

    const auto xdo = [&](const std::vector<std::string>& args) { return xdotool(x.display, args); };
    // The program's visible windows: the icon, and the menu, the icon's tip or the entry window
    // when they show.
    const auto shown = [&] {
        std::vector<std::string> ids = xdo({"search", "--onlyvisible", "--class", "mayorin"});
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        ids.erase(std::remove(ids.begin(), ids.end(), ""), ids.end());
        return ids;
    };
    const auto dump = [&] {
        std::string d = "\n";
        for (const auto& id : shown()) {
            for (const auto& l : xdo({"getwindowname", id, "getwindowgeometry", id})) {
                d += id + " " + l + "\n";
            }
        }
        return d + xdo({"getmouselocation"}).at(0) + "\n" + readFile(dir / "output.txt");
    };
    std::string icon;
    ASSERT_TRUE(waitUntil([&] {
        const auto ids = shown();
        icon = ids.size() == 1 ? ids[0] : "";
        return !icon.empty();
    })) << dump();
    std::this_thread::sleep_for(500ms); // the tray lays its icons out
    const auto entryWindow = [&] { return xdo({"search", "--onlyvisible", "--name", "予約作成"}).at(0); };
    // The menu: another window of the program, taller than the icon's tip with its six items.
    const auto menuShown = [&] {
        const auto ids = shown();
        return std::any_of(ids.begin(), ids.end(), [&](const std::string& id) {
            const std::string geometry = xdo({"getwindowgeometry", id}).at(2); // "  Geometry: 207x112"
            return id != icon && id != entryWindow() && std::stoi(geometry.substr(geometry.find('x') + 1)) > 60;
        });
    };

    for (const char* delay : {"80", "150", "300"}) {
        SCOPED_TRACE(std::string("clicks ") + delay + " ms apart");
        xdo({"mousemove", "--window", icon, "11", "11", "click", "1"});
        EXPECT_TRUE(waitUntil(menuShown, 5s)) << "a press shows the menu" << dump();
        xdo({"key", "Escape"});
        EXPECT_TRUE(waitUntil([&] { return !menuShown(); }, 5s));
        std::this_thread::sleep_for(500ms); // past the double-click interval: the double click starts afresh

        xdo({"click", "--repeat", "2", "--delay", delay, "1"});
        EXPECT_TRUE(waitUntil([&] { return !entryWindow().empty(); }, 5s))
            << "the double click opens the entry window" << dump();
        std::this_thread::sleep_for(200ms);
        EXPECT_FALSE(menuShown()) << "the double click closes the menu its first press showed" << dump();
        xdo({"windowactivate", "--sync", entryWindow(), "key", "--clearmodifiers", "alt+F4"});
        ASSERT_TRUE(waitUntil([&] { return entryWindow().empty(); }, 5s));
    }
    // The second press anywhere on the icon makes the double click, even farther from the first
    // than the toolkit's double-click distance: here at opposite corners of the icon.
    std::this_thread::sleep_for(500ms);
    const std::string geometry = xdo({"getwindowgeometry", icon}).at(2); // "  Geometry: 24x24"
    const int width = std::stoi(geometry.substr(geometry.find(':') + 1));
    const int height = std::stoi(geometry.substr(geometry.find('x') + 1));
    xdo({"mousemove", "--window", icon, "1", "1", "click", "1", "sleep", "0.15", "mousemove", "--window", icon,
         std::to_string(width - 2), std::to_string(height - 2), "click", "1"});
    EXPECT_TRUE(waitUntil([&] { return !entryWindow().empty(); }, 5s)) << "a double click across the icon" << dump();
    EXPECT_EQ(program.terminate(), 0) << readFile(dir / "output.txt");
    fs::remove_all(dir);
}

} // namespace
