#include "core/Calendar.h"

#include <chrono>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "core/TextValue.h"
#include "tests/core/CoreTestSupport.h"
#include "tests/support/TestEnv.h"

namespace mayorin::core {
namespace {

using test::stampOf;
using test::TestEnv;

class CalendarTest : public ::testing::Test {
protected:
    void expectOneReport(const char* location) {
        ASSERT_EQ(t.errors.reports.size(), 1u);
        EXPECT_EQ(t.errors.reports[0].location, location);
    }
    TestEnv t;
};

TEST_F(CalendarTest, MonthLengthsWrapTheMonthAndFollowTheLeapRule) {
    struct Case {
        int year, month, days;
    } cases[] = {
        {2024, 13, 31}, {2024, 0, 31}, {2100, 2, 28},  {2000, 2, 29},  {1900, 2, 28},  {2024, 2, 29},
        {2023, 2, 28},  {2023, 4, 30}, {2023, 12, 31}, {2023, 14, 28}, {2023, -1, 30}, {0, 2, 28},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nyou2(t.env, c.year, c.month), c.days) << c.year << "/" << c.month;
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(CalendarTest, DayCountsOfKnownDates) {
    EXPECT_EQ(hini(t.env, 1, 1, 1), 1);
    EXPECT_EQ(hini(t.env, 2000, 1, 1), 730120);
    EXPECT_EQ(hini(t.env, 2000, 3, 1) - hini(t.env, 2000, 2, 28), 2);
    EXPECT_EQ(hini(t.env, 1900, 3, 1) - hini(t.env, 1900, 2, 28), 1);
    // A day past the month's end counts as its last day.
    EXPECT_EQ(hini(t.env, 2023, 2, 30), hini(t.env, 2023, 2, 28));
    EXPECT_EQ(hini(t.env, 2024, 4, 31), hini(t.env, 2024, 4, 30));
    EXPECT_EQ(byouni(t.env, 2000, 1, 1, 0, 0, 0), 63082368000.0);
    // Hours are not limited: 25 o'clock is 1 o'clock of the next day.
    EXPECT_EQ(byouni(t.env, 2026, 12, 6, 25, 0, 0), stampOf(2026, 12, 7, 1, 0, 0));
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(CalendarTest, EveryDayFromYearOneToYear9999ReadsBack) {
    using namespace std::chrono;
    static const char* const kNames[7] = {"日", "月", "火", "水", "木", "金", "土"};
    std::int32_t previous = 0;
    int failures = 0;
    char expected[64];
    for (int y = 1; y <= 9999 && failures <= 5; ++y) {
        for (unsigned m = 1; m <= 12; ++m) {
            // Month length and weekday of the first come from std::chrono, the rest by counting.
            const unsigned length = unsigned((year{y} / month{m} / last).day());
            const unsigned firstWeekday = weekday{sys_days{year{y} / month{m} / 1}}.c_encoding();
            for (unsigned d = 1; d <= length; ++d) {
                const std::int32_t count = hini(t.env, y, int(m), int(d));
                std::snprintf(expected, sizeof expected, " %d/%02u/%02u(%s)", y, m, d,
                              kNames[(firstWeekday + d - 1) % 7]);
                const std::string shown = tukihiNi(t.env, count);
                // Any second of the day, late in the day included, has that day's weekday.
                const int weekdayOfLastSecond = weekdayOfStamp(count * 86400.0 + 86399);
                if (count != previous + 1 || shown != expected ||
                    weekdayOfLastSecond != int((firstWeekday + d - 1) % 7)) {
                    ADD_FAILURE() << y << "/" << m << "/" << d << ": day " << count << " after " << previous
                                  << " shows \"" << shown << "\", expected \"" << expected << "\", weekday "
                                  << weekdayOfLastSecond;
                    ++failures;
                }
                previous = count;
            }
        }
    }
    EXPECT_EQ(previous, 3652059);
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(CalendarTest, DayZeroIsTheLastDayOfYearZero) {
    EXPECT_EQ(tukihiNi(t.env, 730120), " 2000/01/01(土)");
    EXPECT_EQ(tukihiNi(t.env, 0), " 0/12/31(日)");
    EXPECT_EQ(tukihiNi(t.env, 730118.5), " 1999/12/30(木)"); // rounded half to even
    EXPECT_EQ(tukihiNi(t.env, 730119.5), " 2000/01/01(土)");
}

TEST_F(CalendarTest, StampsShownInEveryMode) {
    struct Case {
        const char* stamp;
        int mode;
        const char* text;
    } cases[] = {
        {"3723", 1, "0日 01:02:03"},
        {"3723", 2, "0日 01時間　02分　03秒"},
        {"3723", 0, " 0/12/31(日) 01:02:03"},
        {"3723", 3, " 0/12/31(日),01:02:03"},
        {"3723", 4, ""},
        {" 90061", 1, "1日 01:01:01"},
        {"", 1, "0日 00:00:00"},
        {" 63082368000", 0, " 2000/01/01(土) 00:00:00"},
        {" 63082454399", 3, " 2000/01/01(土),23:59:59"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(byouModosu(t.env, c.stamp, c.mode), c.text) << c.stamp << " mode " << c.mode;
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(CalendarTest, ModeZeroReadsBackIntoTheSameStamp) {
    // Stamps from year 1 up to the last year whose minute count fits in 32 bits.
    const double first = stampOf(1, 1, 1, 0, 0, 0);
    const double last = stampOf(4000, 12, 31, 23, 59, 59);
    const double step = 9876543.0; // about 114 days, with every clock field changing
    int checked = 0;
    for (double s = first; s <= last; s += step) {
        const std::string shown = byouModosu(t.env, spacedDecimalText(s), 0);
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
        char wd[8] = {};
        ASSERT_EQ(std::sscanf(shown.c_str(), " %d/%d/%d(%3s) %d:%d:%d", &y, &mo, &d, wd, &h, &mi, &sec), 7) << shown;
        ASSERT_EQ(byouni(t.env, y, mo, d, h, mi, sec), s) << shown;
        ++checked;
    }
    EXPECT_GT(checked, 10000);
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(CalendarTest, PresentDateNamesTheRightEra) {
    struct Case {
        int y, m, d;
        const char* text;
    } cases[] = {
        {2026, 12, 7, "2026年(令和 8年)　12月　7日　月曜日"},  {2019, 5, 1, "2019年(令和 1年)　5月　1日　水曜日"},
        {2019, 4, 30, "2019年(平成 31年)　4月　30日　火曜日"}, {1989, 1, 8, "1989年(平成 1年)　1月　8日　日曜日"},
        {2020, 2, 29, "2020年(令和 2年)　2月　29日　土曜日"},
    };
    for (const auto& c : cases) {
        t.clock.set(c.y, c.m, c.d, 13, 5, 7);
        EXPECT_EQ(genzai(t.env, 0), c.text);
    }
    EXPECT_EQ(genzai(t.env, 1), "13時　5分　7秒");
    t.clock.set(2026, 1, 1, 0, 0, 0);
    EXPECT_EQ(genzai(t.env, 1), "0時　0分　0秒");
    EXPECT_EQ(genzai(t.env, 2), "");
}

TEST_F(CalendarTest, PresentSecondAndLogDateTime) {
    t.clock.set(2026, 12, 6, 13, 5, 7);
    EXPECT_EQ(genByou(t.env), stampOf(2026, 12, 6, 13, 5, 7));
    EXPECT_EQ(dateTimeText(t.env), " 2026/12/06(日),13:05:07");
}

TEST_F(CalendarTest, WeekdaySetsFromFreeText) {
    struct Case {
        const char* text;
        const char* set;
    } cases[] = {
        {"月・水・金", "月水金"},
        {"金水月", "月水金"},
        {"月～土", "月火水木金土"},
        {"月～金", "月火水木金"},
        {"金～月", "日月金土"},
        {"土～月", "日月土"},
        {"月～", "日月火水木金土"},
        {"～月", "月"},
        {"月～月", "月"},
        {"x月～水", "月火水"},
        {"月〜金", "月火水木金"}, // U+301C, as input methods type it, is stored as the range mark
        {"😀土〜月", "日月土"},    // a character without a code page 932 form does not stop that
        {"毎日", "日"},
        {"abc", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(youbi01(t.env, c.text), c.set) << c.text;
    }
}

TEST_F(CalendarTest, TodayTakenOutOfAWeekdaySet) {
    t.clock.set(2026, 12, 9); // a Wednesday
    EXPECT_EQ(kySakujo(t.env, "月水金"), "月金");
    EXPECT_EQ(kySakujo(t.env, "水"), "");
    EXPECT_EQ(kySakujo(t.env, "水水x"), "x");
    EXPECT_EQ(kySakujo(t.env, "月火"), "月火");
}

TEST(ZeroPadTest, LastDigitsOfTheNumber) {
    EXPECT_EQ(ZeroPad(std::int32_t{5}, 2), "05");
    EXPECT_EQ(ZeroPad(std::int32_t{99}, 2), "99");
    EXPECT_EQ(ZeroPad(std::int32_t{100}, 2), "00");
    EXPECT_EQ(ZeroPad(std::int32_t{123}, 2), "23");
    EXPECT_EQ(ZeroPad(std::int16_t{7}, 3), "007");
    EXPECT_EQ(ZeroPad(std::int32_t{7}, 0), "");
    EXPECT_EQ(ZeroPad(std::int32_t{-5}, 3), "0-5");
    EXPECT_EQ(ZeroPad(std::int32_t{5}, 9), "000005"); // never more than the text has
    EXPECT_EQ(ZeroPad(30.0, 2), "30");
    EXPECT_EQ(ZeroPad(std::string_view(" 7"), 2), "07");
    EXPECT_EQ(ZeroPad(std::string_view("05:30"), 2), "05");
    EXPECT_EQ(ZeroPad(std::string_view(""), 2), "00");
    EXPECT_EQ(ZeroPad(std::string_view("abc"), 2), "00");
}

TEST(PadToWidthTest, FullWidthCharactersCountTwoColumns) {
    EXPECT_EQ(PadToWidth("あいう", 30), std::string(24, ' '));
    EXPECT_EQ(PadToWidth("(表示名無し)", 30), std::string(18, ' '));
    EXPECT_EQ(PadToWidth("abc", 5), "  ");
    EXPECT_EQ(PadToWidth("ｱｲｳ", 5), "  "); // half-width katakana: one column each
    EXPECT_EQ(PadToWidth("～〜", 5), " "); // both tildes are double-byte
    EXPECT_EQ(PadToWidth(std::string(40, 'x'), 30), "");
    EXPECT_EQ(PadToWidth(std::string(30, 'x'), 30), "");
    EXPECT_EQ(PadToWidth("", 3), "   ");
}

TEST_F(CalendarTest, DayCountBeyond32BitsIsReportedByHini) {
    EXPECT_EQ(hini(t.env, 2147483647, 1, 1), 0);
    expectOneReport("hini M1");
    EXPECT_EQ(t.errors.reports[0].code, kOverflow);
}

TEST_F(CalendarTest, MinuteCountBeyond32BitsIsReportedByByouni) {
    // Day 1491309 times 1440 minutes no longer fits: year 4084.
    EXPECT_EQ(byouni(t.env, 4084, 12, 31, 0, 0, 0), 0.0);
    expectOneReport("byouni M1");
    EXPECT_EQ(t.errors.reports[0].code, kOverflow);
}

TEST_F(CalendarTest, MonthOutsideTheTableIsReportedByNyou2) {
    EXPECT_EQ(nyou2(t.env, 2026, -12), 0);
    expectOneReport("nyou2 M1");
    EXPECT_EQ(t.errors.reports[0].code, kSubscript);
}

TEST_F(CalendarTest, DayBeforeDayZeroIsReportedByTukihiNi) {
    EXPECT_EQ(tukihiNi(t.env, -1), "");
    expectOneReport("tukihiNi M1");
}

TEST_F(CalendarTest, UnreadableStampIsReportedByByouModosu) {
    EXPECT_EQ(byouModosu(t.env, "1e400", 0), "");
    expectOneReport("byouModosu M1");
    EXPECT_EQ(t.errors.reports[0].code, kOverflow);
}

// A clock whose weekday is outside the week: no day name exists for it.
class BadWeekdayClock final : public platform::Clock {
public:
    platform::LocalTime now() const override { return {2026, 12, 7, 9, 0, 0, 9}; }
    long long bootSeconds() const override { return 0; }
};

TEST_F(CalendarTest, MissingDayNameIsReportedByGenzai) {
    BadWeekdayClock clock;
    Env env{t.st, clock, t.codePage, t.errors, t.messages, t.log, t.settings};
    EXPECT_EQ(genzai(env, 0), "");
    expectOneReport("genzai M1");
    EXPECT_EQ(t.errors.reports[0].code, kSubscript);
}

TEST_F(CalendarTest, MissingDayNameIsReportedByKySakujo) {
    BadWeekdayClock clock;
    Env env{t.st, clock, t.codePage, t.errors, t.messages, t.log, t.settings};
    EXPECT_EQ(kySakujo(env, "月水"), "");
    expectOneReport("kySakujo M1");
}

// A clock that cannot be read.
class FailingClock final : public platform::Clock {
public:
    platform::LocalTime now() const override { throw Failure(kInvalidCall, "clock unreadable"); }
    long long bootSeconds() const override { return 0; }
};

TEST_F(CalendarTest, UnreadableClockIsReportedByGenByou) {
    FailingClock clock;
    Env env{t.st, clock, t.codePage, t.errors, t.messages, t.log, t.settings};
    EXPECT_EQ(genByou(env), 0.0);
    expectOneReport("genByou M1");
}

} // namespace
} // namespace mayorin::core
