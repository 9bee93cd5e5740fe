#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Calendar.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "notify/DueNotice.h"
#include "tests/support/TestEnv.h"

namespace mayorin::notify {
namespace {

// Display columns as the fixed-pitch list counts them, for the texts these tests use:
// ASCII one column, every other character two.
int columns(const std::string& text) {
    int w = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        w += len == 1 ? 1 : 2;
        i += len;
    }
    return w;
}

std::string padded(const std::string& text) {
    const int w = columns(text);
    return text + std::string(w < 30 ? 30 - w : 0, ' ');
}

class DueNoticeTest : public ::testing::Test {
protected:
    void SetUp() override {
        t.clock.set(2026, 12, 7, 9, 0, 0); // a Monday
        core::hensu_kensuu(t.env);
        due = core::byouni(t.env, 2026, 12, 7, 9, 0, 0);
    }

    // Puts one row into the store as its only (and soonest) row.
    void putRow(core::Fields fields) {
        t.st.ReservationTable[0] = fields;
        t.st.ReservationCount = 1;
        core::hensu_kensuu(t.env);
    }

    test::TestEnv t;
    double due = 0;
};

struct MessageCase {
    core::Fields row; // fields 1 to 8; field 9 is set to the due second
    std::string message;
    std::string logLine;
};

TEST_F(DueNoticeTest, MessageAndLogLineByKind) {
    const std::string at = ", 2026/12/07(月),09:00:00";
    const std::vector<MessageCase> cases = {
        {{"", "0", "0", "ラーメン", "00", "05:30"},
         " から05分30秒が経過しました。",
         "♪タイマ" + at + ",,ラーメン,,,,,,"},
        {{"", "0", "0", "散歩", "01", "00"}, " から01時間が経過しました。", "♪タイマ" + at + ",,散歩,,,,,,"},
        {{"", "0", "0", "散歩", "01", "20"}, " から01時間20分が経過しました。", "♪タイマ" + at + ",,散歩,,,,,,"},
        {{"", "0", "0", "卵", "00", "00:45"}, " から00分45秒が経過しました。", "♪タイマ" + at + ",,卵,,,,,,"},
        {{"", "0", "0", "卵", "00", "00"}, " から00分が経過しました。", "♪タイマ" + at + ",,卵,,,,,,"},
        {{"", "1", " 5", "体操", "00", "01", "00", "02", " 3"},
         " 1回目の開始時間です。",
         "♪繰返タ" + at + ",,体操, 1回目の開始,,,,,"},
        {{"", "1", " 4", "体操", "00", "01", "00", "02", " 3"},
         " 1回目の終了時間です。",
         "♪繰返タ" + at + ",,体操, 1回目の終了,,,,,"},
        {{"", "1", " 1", "体操", "00", "01", "00", "02", " 3"},
         " 3回目の開始時間です。",
         "♪繰返タ" + at + ",,体操, 3回目の開始,,,,,"},
        {{"", "1", " 0", "体操", "00", "01", "00", "02", " 3"},
         " 3回目の終了時間です。",
         "♪繰返タ" + at + ",,体操, 3回目の終了,,,,,"},
        {{"", "2", "1", "会議", "09", "00"}, " の時間です。", "♪予時刻" + at + ",,会議,,,,,,"},
        {{"", "3", "1", "家賃", "09", "00", "", "07"}, " の時間です。", "♪予日付" + at + ",,家賃,,,,,,"},
        {{"", "4", "1", "誕生日", "09", "00", "12", "07"}, " の時間です。", "♪予月日" + at + ",,誕生日,,,,,,"},
        {{"", "5", "1", "ごみ", "09", "00", "", "", "月木"}, " の時間です。", "♪予曜日" + at + ",,ごみ,,,,,,"},
        {{"", "10", "0", "会議", "", "10", "", "", " 63"}, "10分の延長が過ぎました。", "♪延長　" + at + ",,会議,,,,,,"},
        {{"", "10", "0", "会議", "", " 15", "", "", " 63"},
         " 15分の延長が過ぎました。",
         "♪延長　" + at + ",,会議,,,,,,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        core::Fields row = c.row;
        row[core::kNextSecond] = core::spacedDecimalText(due);
        putRow(row);
        t.log.lines.clear();

        const std::string line = hyouji_F2(t.env, 0);

        const auto& texts = t.st.NoticeTextTable[0];
        EXPECT_EQ(texts[1], padded(c.message));
        EXPECT_EQ(texts[2], "【表示日時】 2026/12/07(月) 09:00:00");
        EXPECT_EQ(line, texts[0] + "【状態】" + texts[1] + texts[2]);
        ASSERT_EQ(t.log.lines.size(), 1u);
        EXPECT_EQ(t.log.lines[0], c.logLine);
        // Composing a notice files nothing yet and leaves the row as it was.
        EXPECT_EQ(t.st.NoticeCount, 0);
        EXPECT_EQ(t.st.ReservationTable[0], row);
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(DueNoticeTest, LateOnlyWhenMoreThanThreeSecondsPastDue) {
    struct Case {
        int secondsLate;
        std::string kind;
        std::string field2;
        std::string message;
        std::string logLine;
    };
    const std::vector<Case> cases = {
        {3, "2", "【表示日時】 2026/12/07(月) 09:00:00", " の時間です。",
         "♪予時刻, 2026/12/07(月),09:00:03,,会議,,,,,,"},
        {4, "2", "【表示日時】 2026/12/07(月) 09:00:00 + 0日 00:00:04", "【遅刻表示】 の時間です。",
         "♪予時刻, 2026/12/07(月),09:00:04, + 0日 00:00:04,会議,,【遅刻表示】,,,,"},
        {3723, "0", "【表示日時】 2026/12/07(月) 09:00:00 + 0日 01:02:03", "【遅刻表示】 から05分が経過しました。",
         "♪タイマ, 2026/12/07(月),10:02:03, + 0日 01:02:03,会議,,【遅刻表示】,,,,"},
        {90061, "1", "【表示日時】 2026/12/07(月) 09:00:00 + 1日 01:01:01", "【遅刻表示】 2回目の開始時間です。",
         "♪繰返タ, 2026/12/08(火),10:01:01, + 1日 01:01:01,会議, 2回目の開始,【遅刻表示】,,,,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.secondsLate);
        putRow({"", c.kind, c.kind == "1" ? " 1" : "0", "会議", "00", "05", "00", "05", c.kind == "1" ? " 2" : "",
                core::spacedDecimalText(due)});
        t.clock.set(2026, 12, 7, 9, 0, 0);
        t.clock.advance(c.secondsLate);
        t.log.lines.clear();

        hyouji_F2(t.env, 0);

        EXPECT_EQ(t.st.NoticeTextTable[0][2], c.field2);
        EXPECT_EQ(t.st.NoticeTextTable[0][1], padded(c.message));
        ASSERT_EQ(t.log.lines.size(), 1u);
        EXPECT_EQ(t.log.lines[0], c.logLine);
    }
}

TEST_F(DueNoticeTest, NamesArePaddedToThirtyColumnsAndAMissingNameIsNamed) {
    struct Case {
        std::string name;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"会議", "会議" + std::string(26, ' ')},
        {"", "(表示名無し)" + std::string(18, ' ')},
        {"abc", "abc" + std::string(27, ' ')},
        // 30 and 32 columns: no filling, the message follows right after "【状態】".
        {"あいうえおかきくけこさしすせそ", "あいうえおかきくけこさしすせそ"},
        {"あいうえおかきくけこさしすせそた", "あいうえおかきくけこさしすせそた"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        putRow({"", "2", "0", c.name, "09", "00", "", "", "", core::spacedDecimalText(due)});
        t.log.lines.clear();

        const std::string line = hyouji_F2(t.env, 0);

        EXPECT_EQ(t.st.NoticeTextTable[0][0], c.shown);
        EXPECT_EQ(line, c.shown + "【状態】" + " の時間です。" + std::string(17, ' ') +
                            "【表示日時】 2026/12/07(月) 09:00:00");
        const std::string logged = c.name.empty() ? "(表示名無し)" : c.name;
        ASSERT_EQ(t.log.lines.size(), 1u);
        EXPECT_EQ(t.log.lines[0], "♪予時刻, 2026/12/07(月),09:00:00,," + logged + ",,,,,,");
    }
}

TEST_F(DueNoticeTest, AFailureIsReportedOnceAndLogsNothing) {
    putRow({"", "2", "0", "会議", "09", "00", "", "", "", core::spacedDecimalText(due)});

    // Row 5 does not exist.
    const std::string line = hyouji_F2(t.env, 5);

    EXPECT_EQ(line, "");
    ASSERT_EQ(t.errors.reports.size(), 1u);
    EXPECT_EQ(t.errors.reports[0].location, "hyouji_F2 M3　お知らせ表示");
    EXPECT_EQ(t.errors.reports[0].code, core::kSubscript);
    EXPECT_TRUE(t.log.lines.empty());
}

} // namespace
} // namespace mayorin::notify
