#include "core/ListLine.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/Store.h"
#include "tests/core/CoreTestSupport.h"
#include "tests/support/TestEnv.h"

namespace mayorin::core {
namespace {

using test::stampField;

class ListLineTest : public ::testing::Test {
protected:
    ListLineTest() {
        t.clock.set(2026, 12, 6, 13, 5, 7);
        hensu_kensuu(t.env);
    }
    std::string lineOf(const Fields& fields) {
        t.st.ReservationTable[0] = fields;
        return hyouji12(t.env, 0);
    }
    static std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

    test::TestEnv t;
};

TEST_F(ListLineTest, LinesOfEveryKind) {
    const std::string at0605 = stampField(2026, 12, 6, 13, 5, 7);
    const std::string at1300 = stampField(2026, 12, 6, 13, 0, 0);
    const std::string at0730 = stampField(2026, 12, 7, 7, 30, 0);
    struct Case {
        Fields row;
        std::string line;
    } cases[] = {
        {{"", "0", "0", "会議", "00", "05", "00", "00", " 0", at0605},
         "会議" + blanks(26) + "【次のお知らせ】 2026/12/06(日) 13:05:07【設定】タイマー00:05:00"},
        {{"", "0", "0", "会議", "00", "05:30", "00", "00", " 0", at0605},
         "会議" + blanks(26) + "【次のお知らせ】 2026/12/06(日) 13:05:07【設定】タイマー00:05:30"},
        {{"", "1", " 5", "練習", "00", "05", "00", "01", " 3", at1300},
         "練習" + blanks(26) + "【次開始01回目】 2026/12/06(日) 13:00:00【設定】繰返し　 3回　00:05:00⇔00:01:00"},
        {{"", "1", " 2", "練習", "01", "05:30", "00", "01:15", " 3", at1300},
         "練習" + blanks(26) + "【次終了02回目】 2026/12/06(日) 13:00:00【設定】繰返し　 3回　01:05:30⇔00:01:15"},
        {{"", "2", "1", "起床", "07", "30", "", "", "", at0730},
         "起床" + blanks(26) + "【次のお知らせ】 2026/12/07(月) 07:30:00【設定】毎日　　07:30:00"},
        {{"", "2", "0", "起床", "07", "30", "", "", "", at0730},
         "起床" + blanks(26) + "【次のお知らせ】 2026/12/07(月) 07:30:00【設定】今回のみ07:30:00"},
        {{"", "3", "1", "給料", "07", "30", "", "15", "", at0730},
         "給料" + blanks(26) + "【次のお知らせ】 2026/12/07(月) 07:30:00【設定】毎月　　15日　07:30:00"},
        {{"", "3", "0", "給料", "07", "30", "", "15", "", at0730},
         "給料" + blanks(26) + "【次のお知らせ】 2026/12/07(月) 07:30:00【設定】今回のみ15日　07:30:00"},
        {{"", "4", "1", "誕生日", "07", "30", "05", "15", "", at0730},
         "誕生日" + blanks(24) + "【次のお知らせ】 2026/12/07(月) 07:30:00【設定】毎年　　05月15日　07:30:00"},
        {{"", "5", "2", "ゴミ", "07", "30", "", "", "月水金", at0730},
         "ゴミ" + blanks(26) + "【次のお知らせ】 2026/12/07(月) 07:30:00【設定】今回のみ月水金曜　07:30:00"},
        {{"", "5", "1", "ゴミ", "07", "30", "", "", "月水金", at0730},
         "ゴミ" + blanks(26) + "【次のお知らせ】 2026/12/07(月) 07:30:00【設定】毎週　　月水金曜　07:30:00"},
        {{"", "10", "0", "会議", "", "10", "", "", at1300, at0605},
         "会議" + blanks(26) + "【次のお知らせ】 2026/12/06(日) 13:05:07【設定】延長　　10分"},
        {{"", "10", "0", "会議", "", " 10", "", "", at1300, at0605},
         "会議" + blanks(26) + "【次のお知らせ】 2026/12/06(日) 13:05:07【設定】延長　　 10分"},
        // Paused: what is left, as wide as a moment; a repeating timer keeps its period and cycle.
        {{"300", "0", "0", "会議", "00", "05", "00", "00", " 0", at0605},
         "会議" + blanks(26) + "【次のお知らせ】 一時停止中 残り00:05:00【設定】タイマー00:05:00"},
        {{"240", "1", " 3", "体操", "00", "10", "00", "05", " 3", at1300},
         "体操" + blanks(26) + "【次開始02回目】 一時停止中 残り00:04:00【設定】繰返し　 3回　00:10:00⇔00:05:00"},
        {{"362439", "0", "0", "長", "99", "99:99", "00", "00", " 0", at0605},
         "長" + blanks(28) + "【次のお知らせ】 一時停止中 残り100:40:39【設定】タイマー99:99:99"},
        {{"", "0", "0", "", "00", "05", "00", "00", " 0", at0605},
         "(表示名無し)" + blanks(18) + "【次のお知らせ】 2026/12/06(日) 13:05:07【設定】タイマー00:05:00"},
        {{"", "0", "0", "ｶｲｷﾞ abc", "00", "05", "00", "00", " 0", at0605},
         "ｶｲｷﾞ abc" + blanks(22) + "【次のお知らせ】 2026/12/06(日) 13:05:07【設定】タイマー00:05:00"},
        {{"", "0", "0", "とても長い表示名の予約がここにありますよ", "00", "05", "00", "00", " 0", at0605},
         "とても長い表示名の予約がここにありますよ【次のお知らせ】 2026/12/06(日) 13:05:07【設定】タイマー00:05:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lineOf(c.row), c.line);
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(ListLineTest, RepeatingTimerCountsItsCycles) {
    struct Case {
        const char* counter;
        const char* label;
    } cases[] = {
        {" 5", "【次開始01回目】"}, {" 4", "【次終了01回目】"}, {" 3", "【次開始02回目】"},
        {" 2", "【次終了02回目】"}, {" 1", "【次開始03回目】"}, {" 0", "【次終了03回目】"},
    };
    for (const auto& c : cases) {
        const std::string line = lineOf({"", "1", c.counter, "練習", "00", "05", "00", "01", " 3", " 0"});
        EXPECT_EQ(line.substr(std::string("練習").size() + 26, std::string(c.label).size()), c.label) << c.counter;
    }
}

TEST_F(ListLineTest, TestReservationsAreDueNow) {
    const std::string now = stampField(2026, 12, 6, 13, 5, 7);
    struct Case {
        Fields row;
        std::string line;
    } cases[] = {
        {{"", "0", "0", "テスト表示　(タイマー)", "", "0", "", "", "", now},
         "テスト表示　(タイマー)" + blanks(8) + "【次のお知らせ】 2026/12/06(日) 13:05:07【設定】タイマー00:0:00"},
        {{"", "1", "3", "テスト表示　(繰返しタイマー)", "", "0", "", "0", "2", now},
         "テスト表示　(繰返しタイマー)" + blanks(2) +
             "【次開始01回目】 2026/12/06(日) 13:05:07【設定】繰返し　2回　00:0:00⇔00:0:00"},
        {{"", "2", "0", "テスト表示　(予定)", " 13", " 5", "", "", "", now},
         "テスト表示　(予定)" + blanks(12) + "【次のお知らせ】 2026/12/06(日) 13:05:07【設定】今回のみ13: 5:00"},
    };
    for (std::int16_t choice = 0; choice < 3; ++choice) {
        hyouji_test(t.env, choice);
        EXPECT_EQ(t.st.ReservationTable[0], cases[choice].row) << choice;
        EXPECT_EQ(hyouji12(t.env, 0), cases[choice].line) << choice;
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(ListLineTest, TestReservationGoesToTheTopOfTheList) {
    test::RecordingList list;
    t.env.entryList = &list;
    t.st.EntryWindowOpen = true;
    t.st.ReservationTable[0] = {"", "2", "1", "later", "14", "00", "", "", "", stampField(2026, 12, 6, 14, 0, 0)};
    tuika_mein(t.env);
    t.st.ReservationTable[1] = {"", "9", "9", "spare leftovers", "x", "x", "x", "x", "x", "x"};
    hyouji_test(t.env, 2);
    EXPECT_EQ(t.st.ReservationTable[1][6], ""); // the spare row is built from blank
    tuika_mein(t.env);
    ASSERT_EQ(list.items.size(), 2u);
    EXPECT_EQ(list.items[0].substr(0, std::string("テスト表示").size()), "テスト表示");
    EXPECT_EQ(list.items[1].substr(0, 5), "later");
}

// The tray tip's line: the soonest row, the last used one, by its next moment and name. What it
// cannot show it leaves out without a report: a tip is no operation of the user's.
TEST_F(ListLineTest, NextNoticeTextNamesTheSoonestRow) {
    const std::string at0605 = stampField(2026, 12, 6, 13, 5, 7);
    const std::string at0730 = stampField(2026, 12, 7, 7, 30, 0);
    const Fields timer = {"", "0", "0", "会議", "00", "05", "00", "00", " 0", at0605};
    const Fields daily = {"", "2", "1", "起床", "07", "30", "", "", "", at0730};
    Fields unnamed = timer;
    unnamed[kName] = "";
    Fields farOff = timer;
    farOff[kNextSecond] = " 99999999999999999999";
    Fields pausedTimer = timer;
    pausedTimer[0] = "60";
    struct Case {
        std::vector<Fields> rows; // latest first, as the table keeps them
        std::string text;
    } cases[] = {
        {{}, ""},
        {{timer}, "次のお知らせ 2026/12/06(日) 13:05:07　会議"},
        {{timer, daily}, "次のお知らせ 2026/12/07(月) 07:30:00　起床"},
        {{unnamed}, "次のお知らせ 2026/12/06(日) 13:05:07　(表示名無し)"},
        {{farOff}, ""},
        {{pausedTimer}, ""},
        {{pausedTimer, daily}, "次のお知らせ 2026/12/07(月) 07:30:00　起床"},
    };
    for (const auto& c : cases) {
        t.st.ReservationCount = static_cast<std::int16_t>(c.rows.size());
        hensu_kensuu(t.env);
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            t.st.ReservationTable[static_cast<int>(i)] = c.rows[i];
        }
        EXPECT_EQ(nextNoticeText(t.env), c.text) << c.rows.size();
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST(KindLabelTest, NamesAndShortLabels) {
    const char* names[] = {"タイマー", "繰返しタイマー", "時刻", "日付時刻", "月日時刻", "曜日時刻", "6", "7", "8", "9",
                           "10"};
    const char* labels[] = {"タイマ", "繰返タ", "予時刻", "予日付", "予月日", "予曜日", "6", "7", "8", "9", "延長　"};
    for (int k = 0; k <= 10; ++k) {
        EXPECT_EQ(kindName(k), names[k]) << k;
        EXPECT_EQ(kindShortLabel(k), labels[k]) << k;
    }
    EXPECT_EQ(kindName(11), "11");
    EXPECT_EQ(kindShortLabel(-1), "-1");
}

TEST_F(ListLineTest, RowOutsideTheTableIsReportedByHyouji12) {
    EXPECT_EQ(hyouji12(t.env, 7), "");
    ASSERT_EQ(t.errors.reports.size(), 1u);
    EXPECT_EQ(t.errors.reports[0].location, "hyouji12 M2");
}

TEST_F(ListLineTest, UnknownChoiceIsReportedByHyoujiTest) {
    hyouji_test(t.env, 3);
    ASSERT_EQ(t.errors.reports.size(), 1u);
    EXPECT_EQ(t.errors.reports[0].location, "hyouji_test M2");
}

} // namespace
} // namespace mayorin::core
