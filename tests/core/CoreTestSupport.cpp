#include "tests/core/CoreTestSupport.h"

#include <chrono>
#include <cstdio>

namespace mayorin::test {

double stampOf(int year, int month, int day, int hour, int minute, int second) {
    using namespace std::chrono;
    const sys_days d{std::chrono::year{year} / std::chrono::month{unsigned(month)} / std::chrono::day{unsigned(day)}};
    // 1 January 1970 is day 719163 when 1 January of year 1 is day 1.
    const long long dayCount = d.time_since_epoch().count() + 719163LL;
    return static_cast<double>(((dayCount * 24 + hour) * 60 + minute) * 60 + second);
}

std::string stampField(int year, int month, int day, int hour, int minute, int second) {
    char buf[32];
    std::snprintf(buf, sizeof buf, " %.0f", stampOf(year, month, day, hour, minute, second));
    return buf;
}

} // namespace mayorin::test
