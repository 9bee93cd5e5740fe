#include "persist/DataFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/Calendar.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "persist/ErrorReporter.h"
#include "persist/FileText.h"
#include "tests/persist/PersistFixture.h"
#include "tests/support/OtherUser.h"

// Every file this test program syncs, by the path it had then: a new data file must be on the
// disk before the rename that puts it in place. The program's own fsync calls come here first.
static std::vector<std::string> g_synced;
extern "C" int fsync(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[4096];
    const ssize_t n = ::readlink(link, path, sizeof path - 1);
    g_synced.emplace_back(path, n > 0 ? static_cast<std::size_t>(n) : 0);
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace mayorin::persist {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHeader = "「Mayorin。.exe」用データ";
constexpr const char* kStamp = " 2026/12/07(月),04:50:12";

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override { core::hensu_kensuu(f.env); }

    std::string path() const { return dataFilePath(f.st); }
    // The file's text in UTF-8 from code page 932 bytes.
    void putFile(const std::string& utf8) { test::writeBytes(path(), f.cp932(utf8)); }
    // Event lines of this month's log, without its two header lines.
    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        if (!fs::exists(f.logPath("2026", "12"))) {
            return lines;
        }
        const std::string text = f.codePage.decode(test::readBytes(f.logPath("2026", "12")));
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find("\r\n", start);
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        lines.erase(lines.begin(), lines.begin() + 2);
        return lines;
    }
    std::string readLine(int rc, int h0, int h1) const {
        return std::string("□読込　,") + kStamp + ",,,データの読み込み,予約データ数=" + std::to_string(rc) +
               ",タイマー履歴数=" + std::to_string(h0) + ",予定履歴数=" + std::to_string(h1) + "," + path() + ",";
    }
    std::string writeLine(int rc, int h0, int h1) const {
        return std::string("□書込　,") + kStamp + ",,,データの書き込み,予約データ数=" + std::to_string(rc) +
               ",タイマー履歴数=" + std::to_string(h0) + ",予定履歴数=" + std::to_string(h1) + "," + path() + ",";
    }
    std::vector<std::string> backups() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(f.dir.path)) {
            const std::string name = e.path().filename().string();
            if (name.rfind("Mayorin。保存.txt.", 0) == 0) {
                names.push_back(name);
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs op as the other user and returns the locations and codes of the reports, one a line;
    // nothing when the switch of user failed.
    std::optional<std::string> reportsAsOtherUser(const std::function<void()>& op) {
        return test::OtherUser::run([&] {
            op();
            std::string out;
            for (const auto& r : f.errors.reports) {
                out += r.location + " " + std::to_string(r.code) + "\n";
            }
            return out;
        });
    }
    // The program folder as a shared folder: the other user may write the log folders only;
    // the folder itself gets the given mode. Put back as it was at the end of the test.
    void shareFolder(mode_t mode) {
        const std::string year = f.dir.path + "/Mayorin。ログ/2026年";
        fs::create_directories(year);
        for (const std::string& p : {f.dir.path + "/Mayorin。ログ", year}) {
            ASSERT_EQ(::chown(p.c_str(), test::OtherUser::uid(), test::OtherUser::gid()), 0);
        }
        ASSERT_EQ(::chmod(f.dir.path.c_str(), mode), 0);
        m_reopen = true;
    }
    void TearDown() override {
        if (m_reopen) {
            ::chmod(f.dir.path.c_str(), 0700);
        }
    }
    std::vector<std::string> names(const std::string& folder) const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(folder)) {
            out.push_back(e.path().filename().string());
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    test::FileEnv f;
    bool m_reopen = false;
};

// Sets an environment variable for the length of a test; nullptr unsets it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST_F(DataFileTest, EveryKindOfRowReadAndWrittenBackByteForByte) {
    test::writeBytes(path(), test::golden("data_every_kind.txt"));
    EXPECT_TRUE(yomikomi01(f.env));
    EXPECT_TRUE(f.errors.reports.empty());
    EXPECT_EQ(f.st.ReservationCount, 8);
    EXPECT_EQ(f.st.NameHistoryCount[0], 3);
    EXPECT_EQ(f.st.NameHistoryCount[1], 3);
    EXPECT_EQ(f.st.EntryRow[2], "");
    EXPECT_EQ(f.st.ReservationTable[0][3], "延長の件");
    EXPECT_EQ(f.st.ReservationTable[7][3], "");
    EXPECT_EQ(f.st.NameHistory.entry(1, 2)[3], "髙橋さん誕生日～");

    fs::remove(path());
    kakikomi01(f.env);
    EXPECT_TRUE(f.errors.reports.empty());
    EXPECT_EQ(test::readBytes(path()), test::golden("data_every_kind.txt"));
    EXPECT_EQ(logLines(), (std::vector<std::string>{readLine(8, 3, 3), writeLine(8, 3, 3)}));
    EXPECT_TRUE(backups().empty());
}

TEST_F(DataFileTest, EmptyStateIsSevenLines) {
    kakikomi01(f.env);
    EXPECT_EQ(test::readBytes(path()), test::golden("data_empty.txt"));
    EXPECT_EQ(logLines(), std::vector<std::string>{writeLine(0, 0, 0)});
}

TEST_F(DataFileTest, HistoryLineOfANameWithEmptyFields) {
    f.st.EntryRow = {};
    f.st.EntryRow[3] = "A";
    core::rireki01(f.env, 0);
    kakikomi01(f.env);
    const std::string text = f.codePage.decode(test::readBytes(path()));
    EXPECT_NE(text.find("'■■　タイマーの履歴　■■\r\n02,,,A,,,,,,,\r\n'■■　　予定の履歴　　■■\r\n"), std::string::npos);
}

TEST_F(DataFileTest, ReadingEdgeCases) {
    struct Case {
        const char* name;
        std::string content;
        int rc, h0, h1;
        bool backup;
    };
    const std::string h = std::string(kHeader) + "\r\n";
    const std::vector<Case> cases = {
        {"identification line only", h, 0, 0, 0, false},
        {"identification line without line end", kHeader, 0, 0, 0, false},
        {"empty file", "", 0, 0, 0, false},
        {"trailing blank on the first line", std::string(kHeader) + " \r\n02,,,A,,,,,,,\r\n", 0, 0, 0, true},
        {"another caption", "「Mayorin.exe」用データ\r\n02,,,A,,,,,,,\r\n", 0, 0, 0, true},
        {"lone CR line ends", std::string(kHeader) + "\r02,,,A,,,,,,,\r03,,,B,,,,,,,\r01,0,0,C,00,01,00,00, 0, 5,", 1,
         1, 1, false},
        {"LF alone does not end a line", std::string(kHeader) + "\n02,,,A,,,,,,,\n", 0, 0, 0, true},
        {"same name twice on one side", h + "02,0,0,A,01,,,,,,\r\n02,0,0,A,02,,,,,,\r\n03,2,0,A,,,,,,,\r\n", 0, 1, 1,
         false},
        {"comments, banners, blank and unknown lines", h + "'02,,,X,,,,,,,\r\n\r\n04,,,Y\r\nabc\r\n 2,,,Z\r\n", 0, 1, 0,
         false},
        {"empty display name in history", h + "02,0,0,,01,,,,,,\r\n", 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        test::FileEnv e;
        core::hensu_kensuu(e.env);
        const std::string file = dataFilePath(e.st);
        test::writeBytes(file, e.cp932(c.content));
        yomikomi01(e.env);
        EXPECT_TRUE(e.errors.reports.empty()) << c.name;
        EXPECT_EQ(e.st.ReservationCount, c.rc) << c.name;
        EXPECT_EQ(e.st.NameHistoryCount[0], c.h0) << c.name;
        EXPECT_EQ(e.st.NameHistoryCount[1], c.h1) << c.name;
        const bool backedUp = fs::exists(file + ".backup-20261207-045012");
        EXPECT_EQ(backedUp, c.backup) << c.name;
        if (backedUp) {
            EXPECT_EQ(test::readBytes(file + ".backup-20261207-045012"), e.cp932(c.content)) << c.name;
        }
        EXPECT_TRUE(fs::exists(e.logPath("2026", "12"))) << c.name; // the read is logged in every case
    }
}

TEST_F(DataFileTest, LaterHistoryLineWithTheSameNameReplacesTheEarlier) {
    putFile(std::string(kHeader) + "\r\n02,0,0,A,01,,,,,,\r\n02,0,0,B,,,,,,,\r\n02,0,0,A,02,,,,,,\r\n");
    yomikomi01(f.env);
    ASSERT_EQ(f.st.NameHistoryCount[0], 2);
    EXPECT_EQ(f.st.NameHistory.entry(0, 0)[3], "A");
    EXPECT_EQ(f.st.NameHistory.entry(0, 0)[4], "02");
    EXPECT_EQ(f.st.NameHistory.entry(0, 1)[3], "B");
}

TEST_F(DataFileTest, MissingFileReadsNothingAndLogsNothing) {
    EXPECT_TRUE(yomikomi01(f.env)) << "nothing is lost by writing";
    EXPECT_EQ(f.st.ReservationCount, 0);
    EXPECT_TRUE(f.errors.reports.empty());
    EXPECT_FALSE(fs::exists(f.dir.path + "/Mayorin。ログ"));
}

TEST_F(DataFileTest, LineSplitting) {
    struct Case {
        const char* line;
        std::array<std::string, 11> slots;
    };
    const std::vector<Case> cases = {
        {"9,a,b,c,d,e,f,g,h,i,j,k,l", {"9", "a", "b", "c", "d", "e", "f", "g", "h", "i", "jkl"}},
        {"9,a,b'c,d", {"9", "a", "b", "", "", "", "", "", "", "", ""}},
        {"'9,a", {"", "", "", "", "", "", "", "", "", "", ""}},
        {"9,,,名前,,", {"9", "", "", "名前", "", "", "", "", "", "", ""}},
        {"9,1,2,3,4,5,6,7,8,9,10,", {"9", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
    };
    for (const auto& c : cases) {
        f.st.EntryRow.fill("stale");
        yomikomi02(f.env, c.line);
        EXPECT_EQ(f.st.EntryRow, c.slots) << c.line;
    }
    EXPECT_TRUE(f.errors.reports.empty());
    EXPECT_EQ(f.st.ReservationCount, 0);
}

TEST_F(DataFileTest, ReservationDueInThePastIsReadAsStored) {
    // The weekday row is due on 20 July 2026, 海の日: kept there while holidays are not skipped.
    putFile(std::string(kHeader) +
            "\r\n01,0,0,old,00,05,00,00, 0, 100,\r\n01,5,1,朝会,08,15,,,月火水木金, 63920218500,\r\n");
    yomikomi01(f.env);
    ASSERT_EQ(f.st.ReservationCount, 2);
    EXPECT_EQ(f.st.ReservationTable[1][9], " 100");
    EXPECT_EQ(f.st.ReservationTable[0][9], " 63920218500");
}

// A paused countdown is written with the second it would fall due at if it were resumed now, and
// its seconds left after its last field; it is read back paused. Any other text there, or a marker
// on an alarm, is dropped: the row runs from its stored second.
TEST_F(DataFileTest, PausedRowsAreReadBackPausedAndWrittenWithTheirMarker) {
    const struct Case {
        const char* fields; // 1 to 8
        const char* after;  // the text after the last field
        const char* left;   // "" when read back running
    } cases[] = {
        {"0,0,卵,00,05,00,00, 0,", "一時停止=754", "754"},    {"1, 3,体操,00,10,00,05, 3,", "一時停止=0240", "240"},
        {"10,0,会議,, 5,,, 63932220000,", "一時停止=0", "0"}, {"2,1,朝会,09,30,,,,", "一時停止=60", ""},
        {"0,0,卵,00,05,00,00, 0,", "一時停止=", ""},          {"0,0,卵,00,05,00,00, 0,", "一時停止=-5", ""},
        {"0,0,卵,00,05,00,00, 0,", "一時停止=12a", ""},       {"0,0,卵,00,05,00,00, 0,", "一時停止=1234567890123", ""},
        {"0,0,卵,00,05,00,00, 0,", "一時停止 =5", ""},
    };
    for (const Case& c : cases) {
        test::FileEnv e;
        core::hensu_kensuu(e.env);
        const std::string fields = std::string("01,") + c.fields;
        test::writeBytes(dataFilePath(e.st),
                         e.cp932(std::string(kHeader) + "\r\n" + fields + " 63932230000," + c.after + "\r\n"));
        yomikomi01(e.env);
        ASSERT_EQ(e.st.ReservationCount, 1) << c.after;
        EXPECT_EQ(e.st.ReservationTable[0][0], c.left) << c.fields << c.after;
        e.clock.advance(3600); // the second written is counted from the write
        kakikomiAfterNotice(e.env);
        const std::string paused =
            core::spacedDecimalText(core::genByou(e.env) + core::value(c.left)) + ",一時停止=" + c.left;
        const std::string line = fields + (*c.left != 0 ? paused : std::string(" 63932230000,")) + "\r\n";
        EXPECT_NE(e.codePage.decode(test::readBytes(dataFilePath(e.st))).find("\r\n" + line), std::string::npos)
            << line;
        EXPECT_TRUE(e.errors.reports.empty());
    }
}

TEST_F(DataFileTest, ReservationsAndHistoryRoundTrip) {
    // Rows built by the store itself; several share their next second.
    for (int i = 0; i < 300; ++i) {
        f.st.EntryRow = {};
        f.st.EntryRow[2] = i % 3 == 0 ? "1" : "0";
        f.st.EntryRow[3] = "予定" + std::to_string(i);
        f.st.EntryRow[4] = std::to_string(i % 24);
        f.st.EntryRow[5] = std::to_string(i % 60);
        f.st.EntryRow[9] = " " + std::to_string(63932230000 + (i * 7919) % 97 * 60);
        core::tuika03(f.env, 2);
        core::tuika_mein(f.env);
        if (i % 5 == 0) {
            f.st.EntryRow[0] = "";
            core::rireki01(f.env, i % 2);
        }
    }
    ASSERT_TRUE(f.errors.reports.empty());
    kakikomi01(f.env);

    test::FileEnv g;
    core::hensu_kensuu(g.env);
    test::writeBytes(dataFilePath(g.st), test::readBytes(path()));
    yomikomi01(g.env);
    ASSERT_TRUE(g.errors.reports.empty());
    ASSERT_EQ(g.st.ReservationCount, f.st.ReservationCount);
    for (int i = 0; i <= f.st.ReservationCount; ++i) {
        EXPECT_EQ(g.st.ReservationTable[i], f.st.ReservationTable[i]) << i;
    }
    for (int side = 0; side < 2; ++side) {
        ASSERT_EQ(g.st.NameHistoryCount[side], f.st.NameHistoryCount[side]);
        for (int i = 0; i < f.st.NameHistoryCount[side]; ++i) {
            core::Fields expected = f.st.NameHistory.entry(side, i);
            expected[0] = "02";
            if (side == 1) {
                expected[0] = "03";
            }
            expected[9].clear(); // the next second of a history entry is not stored
            EXPECT_EQ(g.st.NameHistory.entry(side, i), expected) << side << " " << i;
        }
    }
}

TEST_F(DataFileTest, ReadOnlyDataFileIsRefusedAndKept) {
    test::writeBytes(path(), "old");
    ::chmod(path().c_str(), 0444);
    kakikomi01(f.env);
    ASSERT_EQ(f.errors.reports.size(), 1u);
    const auto& r = f.errors.reports[0];
    EXPECT_EQ(r.location, "kakikomi01 M4　保存");
    EXPECT_EQ(r.code, 75);
    const std::string message = composeErrorMessage(r.location, r.code, r.description);
    const std::string name = "「Mayorin。保存.txt」";
    const auto first = message.find(name);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(message.find(name, first + 1), std::string::npos);
    EXPECT_EQ(test::readBytes(path()), "old");
    EXPECT_TRUE(logLines().empty()); // a failed write logs nothing
    EXPECT_EQ(fs::status(path()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

TEST_F(DataFileTest, WriteIntoAMissingFolderFailsWithCode75) {
    f.st.AppDir = f.dir.path + "/gone";
    kakikomi01(f.env);
    ASSERT_EQ(f.errors.reports.size(), 1u);
    EXPECT_EQ(f.errors.reports[0].location, "kakikomi01 M4　保存");
    EXPECT_EQ(f.errors.reports[0].code, 75);
    EXPECT_FALSE(fs::exists(f.st.AppDir));
}

TEST_F(DataFileTest, WriteStoppedBeforeTheRenameLeavesTheOldFileWhole) {
    test::writeBytes(path(), "old content");
    static std::string seenTemp;
    static std::string seenTarget;
    static std::string target;
    static bool tempSynced = false;
    target = path();
    // Stopped after the new content is complete on disk, before it replaces the old file: this
    // is the moment a killed write would leave behind.
    EXPECT_THROW(detail::replaceFile(path(), "new content",
                                     [](const std::string& temp) {
                                         seenTemp = test::readBytes(temp);
                                         seenTarget = test::readBytes(target);
                                         tempSynced =
                                             std::find(g_synced.begin(), g_synced.end(), temp) != g_synced.end();
                                         throw core::Failure(core::kFileAccess, "stopped");
                                     }),
                 core::Failure);
    EXPECT_EQ(seenTemp, "new content");
    EXPECT_TRUE(tempSynced) << "the temporary file is on the disk before it is renamed";
    EXPECT_EQ(seenTarget, "old content");
    EXPECT_EQ(test::readBytes(path()), "old content");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(f.dir.path)) {
        ++files;
    }
    EXPECT_EQ(files, 1u); // no temporary file left behind

    detail::replaceFile(path(), "new content");
    EXPECT_EQ(test::readBytes(path()), "new content");
}

// A rewrite in place that would end half-way (here the file size limit stands in for a full disk)
// takes its room first, so it fails before the old content is touched.
TEST_F(DataFileTest, RewriteInPlaceWithoutRoomKeepsTheOldBytes) {
    const std::string old(4096, 'o');
    test::writeBytes(path(), old);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{6000, 6000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            detail::rewriteInPlace(path(), std::string(8192, 'n'));
        } catch (const core::Failure&) {
            ::_exit(0);
        }
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the rewrite must fail";
    EXPECT_EQ(test::readBytes(path()), old);
}

// What writes killed half-way left beside the data file goes; everything else stays.
TEST_F(DataFileTest, LeftoverTemporariesOfAKilledWriteAreRemoved) {
    putFile(kHeader);
    const std::vector<std::string> kept = {
        "Mayorin。保存.txt",
        "Mayorin。保存.txt.backup-20261207-045012",
        "Mayorin。保存.txt.tmp-Ab3xY",   // not six characters
        "Mayorin。保存.txt.tmp-Ab3xY9z", // nor seven
        "Mayorin。保存.txt.tmp-Ab3.Y9",  // not what the write makes
        "Mayorin。保存.txt.tmp-folder",  // a folder
        "Mayorin。保存.txt.tmp-link01",  // a link
        "other.txt.tmp-Ab3xY9",          // another file's
    };
    for (const std::string& name :
         {kept[1], kept[2], kept[3], kept[4], kept[7], std::string("Mayorin。保存.txt.tmp-Ab3xY9"),
          std::string("Mayorin。保存.txt.tmp-000000")}) {
        test::writeBytes(f.dir.path + "/" + name, "half");
    }
    fs::create_directory(f.dir.path + "/" + kept[5]);
    fs::create_symlink(kept[7], f.dir.path + "/" + kept[6]);

    removeLeftoverTemporaries(f.st);

    std::vector<std::string> sorted = kept;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(names(f.dir.path), sorted);
    EXPECT_EQ(test::readBytes(f.dir.path + "/" + kept[7]), "half");
}

TEST_F(DataFileTest, OverLongLineIsReportedAndTheFileKeptAside) {
    const std::string longest = "03,,," + std::string(32762, 'x'); // 32767 characters: fine
    const std::string tooLong = "03,,," + std::string(32763, 'y'); // 32768 characters
    std::string wide = "03,,,";                                    // 32767 characters, twice as many bytes
    for (int i = 0; i < 32762; ++i) {
        wide += "あ";
    }
    const std::string longComment = "'" + std::string(32767, 'z'); // a comment counts as well
    const std::string content = std::string(kHeader) + "\r\n" + longest + "\r\n" + wide + "\r\n" + tooLong + "\r\n" +
                                longComment + "\r\n02,,,after,,,,,,,\r\n";
    putFile(content);
    EXPECT_FALSE(yomikomi01(f.env)) << "the tables do not hold every line";
    ASSERT_EQ(f.errors.reports.size(), 2u);
    for (const auto& r : f.errors.reports) {
        EXPECT_EQ(r.location, "yomikomi02 M4　読込仕分");
        EXPECT_EQ(r.code, 6);
    }
    EXPECT_EQ(f.st.NameHistoryCount[1], 2);
    EXPECT_EQ(f.st.NameHistoryCount[0], 1); // reading goes on after the failed line
    EXPECT_EQ(backups(), std::vector<std::string>{"Mayorin。保存.txt.backup-20261207-045012"});
    EXPECT_EQ(test::readBytes(path() + ".backup-20261207-045012"), f.cp932(content));
    EXPECT_EQ(logLines(), std::vector<std::string>{readLine(0, 1, 2)});
}

TEST_F(DataFileTest, FailureInsideTheStoreWhileReadingAlsoKeepsTheFileAside) {
    struct Case {
        const char* line;
        const char* location;
    };
    const Case cases[] = {
        {"01,99999,0,x,,,,,, 5,", "yomikomi02 M4　読込仕分"}, // a kind code too large for a 16-bit number
        // A next second no number holds, sorted in beside another row: the store's own trap.
        {"01,0,0,y,00,00,00,00, 0, 5,\r\n01,0,0,x,00,00,00,00, 0,1e400,", "narabikae M2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        test::FileEnv e;
        core::hensu_kensuu(e.env);
        test::writeBytes(dataFilePath(e.st), e.cp932(std::string(kHeader) + "\r\n" + c.line + "\r\n"));
        EXPECT_FALSE(yomikomi01(e.env)) << "the tables do not hold the line";
        ASSERT_EQ(e.errors.reports.size(), 1u);
        EXPECT_EQ(e.errors.reports[0].location, c.location);
        EXPECT_EQ(e.errors.reports[0].code, 6);
        int copies = 0;
        for (const auto& entry : fs::directory_iterator(e.dir.path)) {
            copies += entry.path().filename().string().find(".backup-") != std::string::npos;
        }
        EXPECT_EQ(copies, 1);
    }
}

TEST_F(DataFileTest, InvalidBytesReadAsQuestionMarksAndTheFileIsKeptAside) {
    const std::string bytes =
        f.cp932(std::string(kHeader) + "\r\n02,,,A") + "\xFF" + f.cp932("B,,,,,,,\r\n03,,,C,,,,,,,\r\n");
    test::writeBytes(path(), bytes);
    EXPECT_TRUE(yomikomi01(f.env)) << "read to its end; only the copy keeps the bytes";
    EXPECT_TRUE(f.errors.reports.empty());
    ASSERT_EQ(f.st.NameHistoryCount[0], 1);
    EXPECT_EQ(f.st.NameHistory.entry(0, 0)[3], "A?B");
    EXPECT_EQ(f.st.NameHistoryCount[1], 1);
    EXPECT_EQ(backups(), std::vector<std::string>{"Mayorin。保存.txt.backup-20261207-045012"});
    EXPECT_EQ(test::readBytes(path() + ".backup-20261207-045012"), bytes);
}

TEST_F(DataFileTest, BackupNeverOverwritesAnOlderOne) {
    putFile("not a data file\r\n");
    yomikomi01(f.env);
    putFile("another file\r\n");
    yomikomi01(f.env); // same second
    f.clock.advance(61);
    putFile("third\r\n");
    yomikomi01(f.env);
    EXPECT_EQ(backups(), (std::vector<std::string>{"Mayorin。保存.txt.backup-20261207-045012",
                                                   "Mayorin。保存.txt.backup-20261207-045012-2",
                                                   "Mayorin。保存.txt.backup-20261207-045113"}));
    EXPECT_EQ(test::readBytes(path() + ".backup-20261207-045012"), "not a data file\r\n");
    EXPECT_EQ(test::readBytes(path() + ".backup-20261207-045012-2"), "another file\r\n");
}

TEST_F(DataFileTest, HiddenFileCountsAndUnreadableFileIsReported) {
    fs::create_directory(path()); // a folder where the file should be
    EXPECT_FALSE(yomikomi01(f.env));
    ASSERT_EQ(f.errors.reports.size(), 1u);
    EXPECT_EQ(f.errors.reports[0].location, "yomikomi01 M4　読込");
    EXPECT_EQ(f.errors.reports[0].code, 75);
    EXPECT_TRUE(logLines().empty());
}

TEST_F(DataFileTest, FolderThatRefusesTheTemporaryFileGetsTheFileRewrittenInPlace) {
    struct Case {
        const char* name;
        mode_t folderMode;
        bool otherUserOwnsTheFile; // else root owns it, writable by everyone
        std::string old;
    };
    std::vector<Case> cases = {{"folder closed to the user, longer old file", 0555, true, std::string(5000, 'x')}};
    if (::geteuid() == 0) {
        // A sticky folder takes the temporary file but not its rename over another user's file.
        cases.push_back({"sticky folder, another user's file, shorter old file", 01777, false, "old"});
    }
    for (const auto& c : cases) {
        fs::remove(path()); // a new file: the owner given below
        test::writeBytes(path(), c.old);
        ASSERT_EQ(::chmod(path().c_str(), c.otherUserOwnsTheFile ? 0640 : 0666), 0);
        if (c.otherUserOwnsTheFile) {
            ASSERT_EQ(::chown(path().c_str(), test::OtherUser::uid(), test::OtherUser::gid()), 0);
        }
        shareFolder(c.folderMode);
        const auto reports = reportsAsOtherUser([&] { kakikomi01(f.env); });
        if (!reports) {
            GTEST_SKIP() << "cannot run as uid 65534 to test a folder closed to the user";
        }
        EXPECT_EQ(*reports, "") << c.name;
        EXPECT_EQ(test::readBytes(path()), test::golden("data_empty.txt")) << c.name;
        EXPECT_EQ(names(f.dir.path), (std::vector<std::string>{"Mayorin。ログ", "Mayorin。保存.txt"})) << c.name;
        EXPECT_EQ(fs::status(path()).permissions() & fs::perms::mask,
                  c.otherUserOwnsTheFile ? fs::perms(0640) : fs::perms(0666))
            << c.name;
        const auto lines = logLines();
        EXPECT_TRUE(!lines.empty() && lines.back() == writeLine(0, 0, 0)) << c.name;
        ::chmod(f.dir.path.c_str(), 0700);
    }
}

TEST_F(DataFileTest, FolderAndFileBothClosedToTheUserIsReportedWithCode75) {
    test::writeBytes(path(), "old");
    ASSERT_EQ(::chmod(path().c_str(), 0644), 0); // owned by root, or read-only to its owner
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(path().c_str(), 0444), 0);
    }
    shareFolder(0555);
    const auto reports = reportsAsOtherUser([&] { kakikomi01(f.env); });
    if (!reports) {
        GTEST_SKIP() << "cannot run as uid 65534 to test a folder closed to the user";
    }
    EXPECT_EQ(*reports, "kakikomi01 M4　保存 75\n");
    EXPECT_EQ(test::readBytes(path()), "old");
    EXPECT_EQ(names(f.dir.path), (std::vector<std::string>{"Mayorin。ログ", "Mayorin。保存.txt"}));
}

TEST_F(DataFileTest, BackupRefusedBesideTheFileGoesToTheStateFolderAndTheReadLineSaysWhere) {
    test::TempDir home;
    ASSERT_EQ(::chmod(home.path.c_str(), 0755), 0);
    ASSERT_EQ(::chown(home.path.c_str(), test::OtherUser::uid(), test::OtherUser::gid()), 0);
    ScopedEnv state("XDG_STATE_HOME", (home.path + "/state").c_str());
    putFile("not a data file\r\n");
    shareFolder(0555);
    const auto reports = reportsAsOtherUser([&] { yomikomi01(f.env); });
    if (!reports) {
        GTEST_SKIP() << "cannot run as uid 65534 to test a folder closed to the user";
    }
    EXPECT_EQ(*reports, "");
    const std::string copy = home.path + "/state/Mayorin/Mayorin。保存.txt.backup-20261207-045012";
    EXPECT_EQ(test::readBytes(copy), "not a data file\r\n");
    EXPECT_EQ(fs::status(copy).permissions() & fs::perms::mask, fs::perms(0600));
    EXPECT_EQ(names(f.dir.path), (std::vector<std::string>{"Mayorin。ログ", "Mayorin。保存.txt"}));
    EXPECT_EQ(logLines(), std::vector<std::string>{readLine(0, 0, 0) + "控え=" + copy + ","});
}

TEST_F(DataFileTest, StateFolderFollowsXdgStateHome) {
    ScopedEnv home("HOME", "/home/u");
    const struct {
        const char* state;
        const char* folder;
    } cases[] = {
        {"/var/st", "/var/st/Mayorin"},
        {nullptr, "/home/u/.local/state/Mayorin"},
        {"", "/home/u/.local/state/Mayorin"},
        {"relative/st", "/home/u/.local/state/Mayorin"}, // not absolute: ignored
    };
    for (const auto& c : cases) {
        ScopedEnv state("XDG_STATE_HOME", c.state);
        EXPECT_EQ(detail::stateFolder(), c.folder) << (c.state ? c.state : "unset");
    }
}

TEST_F(DataFileTest, SymbolicLinkStaysAndItsTargetIsWrittenInItsOwnFolder) {
    test::TempDir elsewhere;
    const std::string target = elsewhere.path + "/schedule.txt";
    test::writeBytes(target, "old");
    const std::string link = "../" + fs::path(elsewhere.path).filename().string() + "/schedule.txt";
    fs::create_symlink(link, path());
    kakikomi01(f.env);
    EXPECT_TRUE(f.errors.reports.empty());
    ASSERT_TRUE(fs::is_symlink(path()));
    EXPECT_EQ(fs::read_symlink(path()).string(), link);
    EXPECT_EQ(test::readBytes(target), test::golden("data_empty.txt"));
    EXPECT_EQ(names(elsewhere.path), std::vector<std::string>{"schedule.txt"}); // no temporary file left
}

TEST_F(DataFileTest, NewDataFileAndBackupArePrivateAndAnExistingFileKeepsItsMode) {
    const mode_t mask = ::umask(022);
    kakikomi01(f.env);
    EXPECT_EQ(fs::status(path()).permissions() & fs::perms::mask, fs::perms(0600));
    ::chmod(path().c_str(), 0640);
    kakikomi01(f.env);
    EXPECT_EQ(fs::status(path()).permissions() & fs::perms::mask, fs::perms(0640));
    putFile("not a data file\r\n");
    yomikomi01(f.env);
    EXPECT_EQ(fs::status(path() + ".backup-20261207-045012").permissions() & fs::perms::mask, fs::perms(0600));
    ::umask(mask);
    EXPECT_TRUE(f.errors.reports.empty());
}

} // namespace
} // namespace mayorin::persist
