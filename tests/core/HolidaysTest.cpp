#include "core/Holidays.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>

#include <gtest/gtest.h>

namespace mayorin::core {
namespace {

// Every day from 1955 to 2050 is a holiday exactly when the published lists hold it.
TEST(HolidaysTest, EveryDayFrom1955To2050AsThePublishedListsHoldIt) {
    std::ifstream in(std::string(MAYORIN_TEST_DATA) + "/core/holidays_1955_2050.txt");
    ASSERT_TRUE(in.is_open());
    std::set<std::string> listed;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') {
            listed.insert(line);
        }
    }
    using namespace std::chrono;
    // The day count from std::chrono: 1 January 1970 is day 719163 when 1 January of year 1 is day 1.
    const sys_days first = year{1955} / January / 1;
    const sys_days last = year{2050} / December / 31;
    int seen = 0;
    int failures = 0;
    char text[16];
    for (sys_days d = first; d <= last && failures <= 5; d += days{1}) {
        const year_month_day ymd{d};
        std::snprintf(text, sizeof text, "%04d-%02u-%02u", int(ymd.year()), unsigned(ymd.month()), unsigned(ymd.day()));
        const bool expected = listed.count(text) == 1;
        seen += expected ? 1 : 0;
        if (isHoliday(d.time_since_epoch().count() + 719163LL) != expected) {
            ADD_FAILURE() << text << (expected ? " is a holiday" : " is not a holiday");
            ++failures;
        }
    }
    // Every listed date was met on the walk: the list holds nothing outside it, nor a line misread.
    EXPECT_EQ(seen, static_cast<int>(listed.size()));
}

} // namespace
} // namespace mayorin::core
