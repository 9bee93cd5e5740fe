#include "core/NextNotice.h"

#include <string>

#include <gtest/gtest.h>

#include "core/Store.h"
#include "tests/core/CoreTestSupport.h"
#include "tests/support/TestEnv.h"

namespace mayorin::core {
namespace {

using test::stampField;
using test::stampOf;

struct Clock {
    int y, mo, d, h, mi, s;
};

class NextNoticeTest : public ::testing::Test {
protected:
    NextNoticeTest() { hensu_kensuu(t.env); }

    Fields& row() { return t.st.ReservationTable[0]; }
    void setRow(const char* kind, const char* mode, const char* f4, const char* f5, const char* f6, const char* f7,
                const char* f8) {
        row() = {"", kind, mode, "名前", f4, f5, f6, f7, f8, " 1"};
    }
    void at(const Clock& c) { t.clock.set(c.y, c.mo, c.d, c.h, c.mi, c.s); }

    test::TestEnv t;
};

TEST_F(NextNoticeTest, CountdownsRunFromThePresentSecond) {
    struct Case {
        const char* kind;
        const char* mode;
        const char* f4;
        const char* f5;
        const char* f6;
        const char* f7;
        double seconds;
        const char* modeAfter;
    } cases[] = {
        {"0", "0", "01", "30:15", "", "", 5415, "0"},
        {"0", "0", "00", "05", "", "", 300, "0"},
        {"0", "0", "99", "99:99", "", "", (99 * 60 + 99) * 60 + 99, "0"},
        {"1", " 5", "00", "05:30", "00", "01", 330, " 4"}, // odd: match time
        {"1", " 4", "00", "05:30", "00", "01", 60, " 3"},  // even: rest time
        {"1", " 1", "00", "05", "02", "01:02", 300, " 0"},
        {"1", " 0", "00", "05", "02", "01:02", 7262, "-1"},
        {"1", "-1", "00", "05", "00", "01", 60, "-2"}, // a negative counter counts as even
    };
    for (const auto& c : cases) {
        at({2026, 12, 6, 13, 0, 0});
        setRow(c.kind, c.mode, c.f4, c.f5, c.f6, c.f7, "");
        byoukeisan01(t.env, 0);
        const double now = stampOf(2026, 12, 6, 13, 0, 0);
        EXPECT_EQ(row()[kNextSecond], " " + std::to_string(static_cast<long long>(now + c.seconds)))
            << c.kind << " " << c.f5;
        EXPECT_EQ(row()[kRepeatMode], c.modeAfter) << c.kind << " " << c.mode;
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(NextNoticeTest, ScheduleKindsFindTheNextOccurrence) {
    struct Case {
        const char* label;
        Clock now;
        const char* kind;
        const char* f4;
        const char* f5;
        const char* f6;
        const char* f7;
        const char* f8;
        Clock next;
        bool skipHolidays = false;
    } cases[] = {
        {"time, passed", {2026, 12, 6, 8, 0, 0}, "2", "07", "30", "", "", "", {2026, 12, 7, 7, 30, 0}},
        {"time, ahead", {2026, 12, 6, 7, 0, 0}, "2", "07", "30", "", "", "", {2026, 12, 6, 7, 30, 0}},
        {"time, exactly now", {2026, 12, 6, 7, 30, 0}, "2", "07", "30", "", "", "", {2026, 12, 7, 7, 30, 0}},
        {"time, year end", {2026, 12, 31, 23, 59, 0}, "2", "00", "00", "", "", "", {2027, 1, 1, 0, 0, 0}},
        // day of the month: the same day of the following month, cut to its length
        {"day 31 in January", {2027, 1, 31, 10, 0, 0}, "3", "09", "00", "", "31", "", {2027, 2, 28, 9, 0, 0}},
        {"day 31 in leap January", {2028, 1, 31, 10, 0, 0}, "3", "09", "00", "", "31", "", {2028, 2, 29, 9, 0, 0}},
        {"day 31 on 30 April", {2026, 4, 30, 10, 0, 0}, "3", "09", "00", "", "31", "", {2026, 5, 31, 9, 0, 0}},
        {"day 31 early on 30 April", {2026, 4, 30, 8, 0, 0}, "3", "09", "00", "", "31", "", {2026, 4, 30, 9, 0, 0}},
        {"day 15 after it", {2026, 2, 20, 10, 0, 0}, "3", "09", "00", "", "15", "", {2026, 3, 15, 9, 0, 0}},
        {"day 15 before it", {2026, 2, 10, 10, 0, 0}, "3", "09", "00", "", "15", "", {2026, 2, 15, 9, 0, 0}},
        {"day 5 in December", {2026, 12, 31, 10, 0, 0}, "3", "09", "00", "", "05", "", {2027, 1, 5, 9, 0, 0}},
        {"day 5 exactly now", {2026, 3, 5, 9, 0, 0}, "3", "09", "00", "", "05", "", {2026, 4, 5, 9, 0, 0}},
        // month and day
        {"29 February in a common year",
         {2026, 3, 1, 0, 0, 0},
         "4",
         "09",
         "00",
         "02",
         "29",
         "",
         {2027, 2, 28, 9, 0, 0}},
        {"29 February ahead", {2027, 12, 1, 0, 0, 0}, "4", "09", "00", "02", "29", "", {2028, 2, 29, 9, 0, 0}},
        {"15 May ahead", {2026, 5, 15, 7, 0, 0}, "4", "07", "30", "05", "15", "", {2026, 5, 15, 7, 30, 0}},
        {"15 May passed", {2026, 5, 15, 7, 30, 0}, "4", "07", "30", "05", "15", "", {2027, 5, 15, 7, 30, 0}},
        // weekdays; 9 December 2026 is a Wednesday
        {"月水金 Wednesday late", {2026, 12, 9, 10, 0, 0}, "5", "09", "00", "", "", "月水金", {2026, 12, 11, 9, 0, 0}},
        {"月水金 Wednesday early", {2026, 12, 9, 8, 0, 0}, "5", "09", "00", "", "", "月水金", {2026, 12, 9, 9, 0, 0}},
        {"水 alone, passed", {2026, 12, 9, 10, 0, 0}, "5", "09", "00", "", "", "水", {2026, 12, 16, 9, 0, 0}},
        {"月水金 Friday late", {2026, 12, 11, 10, 0, 0}, "5", "09", "00", "", "", "月水金", {2026, 12, 14, 9, 0, 0}},
        {"日 from Saturday", {2026, 12, 12, 23, 0, 0}, "5", "09", "00", "", "", "日", {2026, 12, 13, 9, 0, 0}},
        {"no weekday", {2026, 12, 9, 10, 0, 0}, "5", "09", "00", "", "", "", {2026, 12, 9, 9, 0, 0}},
        // weekdays past holidays: 20 July 2026 is 海の日; 3 to 6 May 2026 are 憲法記念日, みどりの日,
        // こどもの日 and the 振替休日 for the Sunday; 1 and 8 January 2029 are 元日 and 成人の日
        {"海の日", {2026, 7, 17, 9, 0, 0}, "5", "08", "15", "", "", "月火水木金", {2026, 7, 21, 8, 15, 0}, true},
        {"海の日, not skipped", {2026, 7, 17, 9, 0, 0}, "5", "08", "15", "", "", "月火水木金", {2026, 7, 20, 8, 15, 0}},
        {"Golden Week", {2026, 5, 1, 9, 0, 0}, "5", "08", "15", "", "", "月火水木金", {2026, 5, 7, 8, 15, 0}, true},
        {"two Mondays", {2028, 12, 25, 9, 0, 0}, "5", "08", "15", "", "", "月", {2029, 1, 15, 8, 15, 0}, true},
        {"a working day", {2026, 7, 21, 7, 0, 0}, "5", "08", "15", "", "", "月火水木金", {2026, 7, 21, 8, 15, 0}, true},
    };
    for (const auto& c : cases) {
        at(c.now);
        t.st.WeekdaysSkipHolidays = c.skipHolidays;
        setRow(c.kind, "1", c.f4, c.f5, c.f6, c.f7, c.f8);
        byoukeisan01(t.env, 0);
        EXPECT_EQ(row()[kNextSecond], stampField(c.next.y, c.next.mo, c.next.d, c.next.h, c.next.mi, c.next.s))
            << c.label;
        EXPECT_EQ(row()[kRepeatMode], "1") << c.label;
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(NextNoticeTest, OtherKindsAreLeftAlone) {
    for (const char* kind : {"10", "6", "9", "-1"}) {
        setRow(kind, " 3", "01", "02", "", "", "");
        row()[kNextSecond] = " 42";
        byoukeisan01(t.env, 0);
        EXPECT_EQ(row()[kRepeatMode], " 3") << kind;
        EXPECT_EQ(row()[kNextSecond], " 42") << kind;
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(NextNoticeTest, DurationBeyond32BitsIsReportedAndLeavesTheRow) {
    setRow("1", " 5", "9999999", "00", "", "", "");
    row()[kNextSecond] = " 42";
    byoukeisan01(t.env, 0);
    ASSERT_EQ(t.errors.reports.size(), 1u);
    EXPECT_EQ(t.errors.reports[0].location, "byoukeisan01 M2");
    EXPECT_EQ(t.errors.reports[0].code, kOverflow);
    EXPECT_EQ(row()[kNextSecond], " 42");
    EXPECT_EQ(row()[kRepeatMode], " 5");
}

} // namespace
} // namespace mayorin::core
