#include "platform/Clock.h"

#include <ctime>

namespace mayorin::platform {

LocalTime SystemClock::now() const {
    // localtime_r keeps the zone it was given; tzset looks at the zone file again (a stat of it
    // when nothing changed).
    const long long second = bootSeconds();
    if (second != m_zoneReadAt) {
        m_zoneReadAt = second;
        tzset();
    }
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_wday, tm.tm_gmtoff};
}

long long SystemClock::bootSeconds() const {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return ts.tv_sec;
}

} // namespace mayorin::platform
