#include "persist/OperationLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "tests/persist/PersistFixture.h"

namespace mayorin::persist {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStart = "▼起動　, 2026/12/07(月),04:50:12,,,起動,Revision=68,,,,";
constexpr const char* kError = "※エラー, 2026/12/07(月),04:50:12,,,エラー75,発生場所kakikomi01 M4　保存,操作1,,,";
constexpr const char* kHeader = "'このファイルは「Mayorin。」 Ver1.1.68から記録されたログファイルです。\r\n'\r\n";

class OperationLogTest : public ::testing::Test {
protected:
    test::FileEnv f;
};

TEST_F(OperationLogTest, NewMonthFileOpensWithTheHeaderAndLinesAreAppended) {
    f.oplog.kiloku(kStart);
    f.oplog.kiloku(kError);
    EXPECT_EQ(test::readBytes(f.logPath("2026", "12")), test::golden("log_two_lines.txt"));
    EXPECT_TRUE(f.errors.reports.empty());
}

TEST_F(OperationLogTest, LinesAreFiledByTheMonthAndYearAtTheMomentOfWriting) {
    f.clock.set(2026, 12, 31, 23, 59, 59);
    f.oplog.kiloku("a");
    f.clock.advance(1);
    f.oplog.kiloku("b");
    f.clock.set(2027, 2, 1, 0, 0, 0);
    f.oplog.kiloku("c");
    const std::string header = f.cp932(kHeader);
    EXPECT_EQ(test::readBytes(f.logPath("2026", "12")), header + "a\r\n");
    EXPECT_EQ(test::readBytes(f.logPath("2027", "1")), header + "b\r\n");
    EXPECT_EQ(test::readBytes(f.logPath("2027", "2")), header + "c\r\n");
}

TEST_F(OperationLogTest, SwitchedOffOnlyByExactlyFalse) {
    f.settings.save("settei", "1", "False");
    f.oplog.kiloku(kStart);
    EXPECT_FALSE(fs::exists(f.dir.path + "/Mayorin。ログ"));

    for (const char* on : {"false", "0", "True", ""}) {
        f.settings.save("settei", "1", on);
        f.oplog.kiloku(on);
    }
    EXPECT_EQ(test::readBytes(f.logPath("2026", "12")), f.cp932(kHeader) + "false\r\n0\r\nTrue\r\n\r\n");
    EXPECT_TRUE(f.errors.reports.empty());
}

TEST_F(OperationLogTest, EmptyExistingFileStillGetsTheHeader) {
    fs::create_directories(f.dir.path + "/Mayorin。ログ/2026年");
    test::writeBytes(f.logPath("2026", "12"), "");
    f.oplog.kiloku("x");
    EXPECT_EQ(test::readBytes(f.logPath("2026", "12")), f.cp932(kHeader) + "x\r\n");
}

TEST_F(OperationLogTest, CharacterWithoutCodePageFormIsWrittenAsQuestionMark) {
    f.oplog.kiloku("［追加］,名前😀①,");
    EXPECT_EQ(test::readBytes(f.logPath("2026", "12")), f.cp932(kHeader) + f.cp932("［追加］,名前?①,") + "\r\n");
}

TEST_F(OperationLogTest, FailuresAreReportedWithTheStepThatFailed) {
    struct Case {
        const char* name;
        void (*prepare)(test::FileEnv&);
        const char* location;
    };
    const Case cases[] = {
        {"file in place of the log folder",
         [](test::FileEnv& e) { test::writeBytes(e.dir.path + "/Mayorin。ログ", "x"); }, "kiloku M4　ログのパスを指定"},
        {"file in place of the year folder",
         [](test::FileEnv& e) {
             fs::create_directories(e.dir.path + "/Mayorin。ログ");
             test::writeBytes(e.dir.path + "/Mayorin。ログ/2026年", "x");
         },
         "kiloku2 M4　ログの保存中"},
        {"program folder gone", [](test::FileEnv& e) { e.st.AppDir = e.dir.path + "/gone"; },
         "kiloku M4　ログのパスを指定"},
        {"read-only log file",
         [](test::FileEnv& e) {
             fs::create_directories(e.dir.path + "/Mayorin。ログ/2026年");
             test::writeBytes(e.logPath("2026", "12"), "old\r\n");
             ::chmod(e.logPath("2026", "12").c_str(), 0444);
         },
         "kiloku2 M4　ログの保存中"},
    };
    for (const auto& c : cases) {
        test::FileEnv e;
        c.prepare(e);
        e.oplog.kiloku("line");
        ASSERT_EQ(e.errors.reports.size(), 1u) << c.name;
        EXPECT_EQ(e.errors.reports[0].location, c.location) << c.name;
        EXPECT_EQ(e.errors.reports[0].code, 75) << c.name;
    }
}

TEST_F(OperationLogTest, ReadOnlyLogFileIsLeftUnchanged) {
    fs::create_directories(f.dir.path + "/Mayorin。ログ/2026年");
    test::writeBytes(f.logPath("2026", "12"), "old\r\n");
    ::chmod(f.logPath("2026", "12").c_str(), 0444);
    f.oplog.kiloku("line");
    EXPECT_EQ(test::readBytes(f.logPath("2026", "12")), "old\r\n");
}

TEST_F(OperationLogTest, NewLogFileIsPrivateAndAnExistingOneKeepsItsMode) {
    const mode_t mask = ::umask(022);
    f.oplog.kiloku("a");
    EXPECT_EQ(fs::status(f.logPath("2026", "12")).permissions() & fs::perms::mask, fs::perms(0600));
    ::chmod(f.logPath("2026", "12").c_str(), 0644);
    f.oplog.kiloku("b");
    EXPECT_EQ(fs::status(f.logPath("2026", "12")).permissions() & fs::perms::mask, fs::perms(0644));
    ::umask(mask);
    EXPECT_EQ(test::readBytes(f.logPath("2026", "12")), f.cp932(kHeader) + "a\r\nb\r\n");
}

} // namespace
} // namespace mayorin::persist
