#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/Calendar.h"
#include "core/ListLine.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "notify/Recalc.h"
#include "tests/notify/NotifyFakes.h"
#include "tests/support/TestEnv.h"

namespace mayorin::notify {
namespace {

class RecalcTest : public ::testing::Test {
protected:
    void SetUp() override {
        t.clock.set(2026, 12, 7, 9, 0, 0); // a Monday
        core::hensu_kensuu(t.env);
        now = core::byouni(t.env, 2026, 12, 7, 9, 0, 0);
    }

    std::string at(double stamp) { return core::spacedDecimalText(stamp); }

    // Puts rows into the store as they are; the last one is the soonest.
    void putRows(const std::vector<core::Fields>& rows) {
        for (const auto& r : rows) {
            t.st.ReservationTable[t.st.ReservationCount] = r;
            ++t.st.ReservationCount;
            core::hensu_kensuu(t.env);
        }
    }

    test::TestEnv t;
    double now = 0;
};

TEST_F(RecalcTest, WhatHappensToARowAfterItsNotice) {
    const double day = 86400;
    struct Case {
        std::string what;
        core::Fields row; // due now
        bool kept;
        std::string modeAfter; // when kept
        double nextAfter;      // when kept, seconds after now
    };
    const std::vector<Case> cases = {
        {"single countdown", {"", "0", "0", "卵", "00", "03"}, false, "", 0},
        {"repeating countdown, a notice still to follow",
         {"", "1", " 1", "体操", "00", "01:30", "00", "02", " 1"},
         true,
         " 0",
         90},
        {"repeating countdown, rest time next",
         {"", "1", " 2", "体操", "00", "01:30", "00", "02", " 2"},
         true,
         " 1",
         120},
        {"repeating countdown, last notice", {"", "1", " 0", "体操", "00", "01:30", "00", "02", " 1"}, false, "", 0},
        {"schedule this time only", {"", "2", "0", "会議", "09", "00"}, false, "", 0},
        {"schedule every time", {"", "2", "1", "会議", "09", "00"}, true, "1", day},
        {"day of month every time", {"", "3", "1", "家賃", "09", "00", "", "07"}, true, "1", 31 * day},
        {"weekday set every time", {"", "5", "1", "ごみ", "09", "00", "", "", "月木"}, true, "1", 3 * day},
        {"weekday set once each, two left", {"", "5", "2", "ごみ", "09", "00", "", "", "月水木"}, true, "2", 2 * day},
        {"weekday set once each, one left", {"", "5", "2", "ごみ", "09", "00", "", "", "月木"}, true, "0", 3 * day},
        {"extension", {"", "10", "0", "会議", "", "10", "", "", " 1"}, false, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TestEnv e;
        e.clock.set(2026, 12, 7, 9, 0, 0);
        core::hensu_kensuu(e.env);
        const core::Fields later = {"", "2", "1", "後", "23", "59", "", "", "", at(now + 3600 * 14)};
        core::Fields row = c.row;
        row[core::kNextSecond] = at(now);
        for (const auto& r : {later, row}) {
            e.st.ReservationTable[e.st.ReservationCount] = r;
            ++e.st.ReservationCount;
            core::hensu_kensuu(e.env);
        }
        core::hensu_kensuu(e.env);

        saikeisan_F2(e.env, 1);

        EXPECT_TRUE(e.errors.reports.empty());
        ASSERT_EQ(e.st.NoticeCount, 1);
        EXPECT_EQ(e.st.NoticeTable[0], row) << "the pending notice is the row as it fell due";
        if (c.kept) {
            ASSERT_EQ(e.st.ReservationCount, 2);
            // Sorted: the later of the two stands at index 0.
            const core::Fields& moved = c.nextAfter > 3600 * 14 ? e.st.ReservationTable[0] : e.st.ReservationTable[1];
            EXPECT_EQ(moved[core::kName], row[core::kName]);
            EXPECT_EQ(moved[core::kRepeatMode], c.modeAfter);
            EXPECT_EQ(moved[core::kNextSecond], at(now + c.nextAfter));
        } else {
            ASSERT_EQ(e.st.ReservationCount, 1);
            EXPECT_EQ(e.st.ReservationTable[0], later);
            EXPECT_EQ(e.st.ReservationTable[1], core::Fields{}) << "the removed row is blank";
        }
    }
}

TEST_F(RecalcTest, EntryListFollowsTheRecalculatedRow) {
    test::FakeEntryList list;
    putRows({{"", "2", "0", "昼", "12", "00", "", "", "", at(now + 3 * 3600)},
             {"", "2", "1", "朝", "09", "00", "", "", "", at(now)}});
    t.st.EntryWindowOpen = true;
    t.env.entryList = &list;
    list.lines = {core::hyouji12(t.env, 1), core::hyouji12(t.env, 0)};

    saikeisan_F2(t.env, 1);

    ASSERT_EQ(t.st.ReservationCount, 2);
    EXPECT_EQ(t.st.ReservationTable[0][core::kName], "朝");
    EXPECT_EQ(t.st.ReservationTable[0][core::kNextSecond], at(now + 86400));
    // The list mirrors the table: item 0 is the soonest row.
    ASSERT_EQ(list.lines.size(), 2u);
    EXPECT_EQ(list.lines[0], core::hyouji12(t.env, 1));
    EXPECT_EQ(list.lines[1], core::hyouji12(t.env, 0));
    EXPECT_NE(list.lines[0], list.lines[1]);

    // A finished row leaves the list too.
    saikeisan_F2(t.env, 1);
    EXPECT_EQ(t.st.ReservationCount, 1);
    ASSERT_EQ(list.lines.size(), 1u);
    EXPECT_EQ(list.lines[0], core::hyouji12(t.env, 0));
}

TEST_F(RecalcTest, ExtensionRows) {
    const double due = now;
    t.st.NoticeTable[0] = {"", "2", "0", "会議", "09", "00", "", "", "", at(due)};
    t.st.NoticeCount = 1;
    core::hensu_kensuu(t.env);

    entyou_syori(t.env, 0, 10);
    const core::Fields first = {"", "10", "0", "会議", "", "10", "", "", at(due), at(due + 600)};
    EXPECT_EQ(t.st.ReservationTable[0], first);

    // Extending that extension again by 5 counts from the first due time, with a leading blank.
    t.st.NoticeTable[1] = first;
    t.st.NoticeCount = 2;
    core::hensu_kensuu(t.env);
    entyou_syori(t.env, 1, 5);
    EXPECT_EQ(t.st.ReservationTable[0],
              (core::Fields{"", "10", "0", "会議", "", " 15", "", "", at(due), at(due + 900)}));

    // And once more: the minutes keep accumulating, field 8 keeps the first due time.
    t.st.NoticeTable[2] = t.st.ReservationTable[0];
    t.st.NoticeTable[2][core::kNextSecond] = at(due + 900);
    t.st.NoticeCount = 3;
    core::hensu_kensuu(t.env);
    entyou_syori(t.env, 2, 99);
    EXPECT_EQ(t.st.ReservationTable[0],
              (core::Fields{"", "10", "0", "会議", "", " 114", "", "", at(due), at(due + 900 + 5940)}));
    EXPECT_EQ(t.st.ReservationCount, 0) << "the caller adds the row";
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(RecalcTest, DiscardingPendingNotices) {
    entyou_kesu(t.env);
    EXPECT_EQ(t.st.NoticeCount, 0);

    t.st.NoticeCount = 2;
    core::hensu_kensuu(t.env);
    for (int i = 0; i < 2; ++i) {
        t.st.NoticeTable[i] = {"", "0", "0", "卵", "00", "03", "", "", " 0", " 1"};
        t.st.NoticeTextTable[i] = {"卵", "msg", "date"};
    }
    entyou_kesu(t.env);
    EXPECT_EQ(t.st.NoticeCount, 0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(t.st.NoticeTable[i], core::Fields{});
        EXPECT_EQ(t.st.NoticeTextTable[i], core::Fields{});
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

// Friday 17 July 2026; Monday 20 July is 海の日.
TEST_F(RecalcTest, HolidayOptionMovesEveryWeekdayRowAtOnce) {
    t.clock.set(2026, 7, 17, 9, 0, 0);
    const auto on = [&](int d, int h, int mi) { return at(core::byouni(t.env, 2026, 7, d, h, mi, 0)); };
    const core::Fields weekdays = {"", "5", "1", "朝会", "08", "15", "", "", "月火水木金", on(20, 8, 15)};
    const core::Fields saturday = {"", "5", "1", "掃除", "08", "00", "", "", "土", on(18, 8, 0)};
    const core::Fields daily = {"", "2", "1", "体操", "08", "30", "", "", "", on(20, 8, 30)};
    const core::Fields due = {"", "5", "1", "日報", "08", "15", "", "", "月火水木金", on(17, 8, 15)};
    putRows({weekdays, daily, saturday, due});
    t.st.DeletedTable[0] = {"", "5", "1", "点検", "08", "15", "", "", "月火水木金", on(20, 8, 15), "1"};
    t.st.DeletedCount = 1;
    core::hensu_kensuu(t.env);

    struct Step {
        bool on;
        int moved;
        std::string weekdaysNext, deletedNext;
        std::vector<std::string> order; // latest first
    };
    const std::vector<Step> steps = {
        {true, 1, on(21, 8, 15), on(21, 8, 15), {"朝会", "体操", "掃除", "日報"}},
        {true, 0, on(21, 8, 15), on(21, 8, 15), {"朝会", "体操", "掃除", "日報"}},
        {false, 1, on(20, 8, 15), on(20, 8, 15), {"体操", "朝会", "掃除", "日報"}},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(syukujituHosei(t.env, s.on), s.moved);
        EXPECT_EQ(t.st.WeekdaysSkipHolidays, s.on);
        std::vector<std::string> order;
        for (int r = 0; r < t.st.ReservationCount; ++r) {
            order.push_back(t.st.ReservationTable[r][core::kName]);
        }
        EXPECT_EQ(order, s.order);
        const int w = order[0] == "朝会" ? 0 : 1;
        EXPECT_EQ(t.st.ReservationTable[w][core::kNextSecond], s.weekdaysNext);
        EXPECT_EQ(t.st.ReservationTable[1 - w][core::kNextSecond], daily[core::kNextSecond]);
        EXPECT_EQ(t.st.ReservationTable[2][core::kNextSecond], saturday[core::kNextSecond]);
        EXPECT_EQ(t.st.ReservationTable[3][core::kNextSecond], due[core::kNextSecond]) << "due already";
        EXPECT_EQ(t.st.DeletedTable[0][core::kNextSecond], s.deletedNext);
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(RecalcTest, FailuresAreReportedWithTheirLocation) {
    struct Case {
        std::string location;
        int code;
        std::function<void()> run;
    };
    putRows({{"", "2", "0", "会議", "09", "00", "", "", "", at(now)}});
    t.st.NoticeTable[0] = {"", "2", "0", "会議", "09", "00", "", "", "", at(now)};
    t.st.NoticeCount = 1;
    core::hensu_kensuu(t.env);
    const std::vector<Case> cases = {
        {"saikeisan_F2 M3　再計算", core::kSubscript, [&] { saikeisan_F2(t.env, 40); }},
        {"entyou_syori M3　延長", core::kSubscript, [&] { entyou_syori(t.env, 7, 5); }},
        // 600 minutes are 36000 seconds, past the 16-bit range of the product.
        {"entyou_syori M3　延長", core::kOverflow, [&] { entyou_syori(t.env, 0, 600); }},
        {"syukujituHosei M3　祝日", core::kSubscript,
         [&] {
             t.st.ReservationCount = 40;
             syukujituHosei(t.env, true);
             t.st.ReservationCount = 1;
         }},
    };
    for (const auto& c : cases) {
        t.errors.reports.clear();
        c.run();
        ASSERT_EQ(t.errors.reports.size(), 1u);
        EXPECT_EQ(t.errors.reports[0].location, c.location);
        EXPECT_EQ(t.errors.reports[0].code, c.code);
    }
    EXPECT_EQ(t.st.ReservationCount, 1) << "nothing was removed";
    EXPECT_EQ(t.st.NoticeCount, 1);
}

TEST_F(RecalcTest, NoticeCountPastTheLimitIsAnOverflow) {
    putRows({{"", "2", "0", "会議", "09", "00", "", "", "", at(now)}});
    t.st.NoticeCount = 32767;
    core::hensu_kensuu(t.env);

    saikeisan_F2(t.env, 0);

    ASSERT_EQ(t.errors.reports.size(), 1u);
    EXPECT_EQ(t.errors.reports[0].location, "saikeisan_F2 M3　再計算");
    EXPECT_EQ(t.errors.reports[0].code, core::kOverflow);
    EXPECT_EQ(t.st.NoticeCount, 32767);
    EXPECT_EQ(t.st.ReservationCount, 1) << "the row stays for the next start";
}

} // namespace
} // namespace mayorin::notify
