#include "core/ClockFrame.h"

#include <chrono>
#include <cstdlib>

namespace mayorin::core {

namespace {

// Seconds since 1970-01-01 00:00:00 of a local reading, as if it were UTC.
long long localSeconds(const platform::LocalTime& t) {
    using namespace std::chrono;
    const sys_days day{year{t.year} / month{unsigned(t.month)} / std::chrono::day{unsigned(t.day)}};
    return day.time_since_epoch().count() * 86400LL + t.hour * 3600LL + t.minute * 60LL + t.second;
}

platform::LocalTime fromLocalSeconds(long long total, long utcOffset) {
    using namespace std::chrono;
    const sys_seconds t{seconds{total}};
    const auto day = floor<days>(t);
    const year_month_day ymd{day};
    const hh_mm_ss hms{t - day};
    return {static_cast<int>(ymd.year()),
            static_cast<int>(unsigned(ymd.month())),
            static_cast<int>(unsigned(ymd.day())),
            static_cast<int>(hms.hours().count()),
            static_cast<int>(hms.minutes().count()),
            static_cast<int>(hms.seconds().count()),
            static_cast<int>(weekday{day}.c_encoding()),
            utcOffset};
}

long long wallLessBoot(const platform::LocalTime& t, long long boot) {
    return localSeconds(t) - t.utcOffset - boot;
}

} // namespace

platform::LocalTime ClockFrame::now(const platform::Clock& clock) const {
    const platform::LocalTime t = clock.now();
    if (!m_read) {
        return t;
    }
    const long long boot = clock.bootSeconds();
    if (t.utcOffset == m_utcOffset && std::llabs(wallLessBoot(t, boot) - m_wallLessBoot) <= kJitterSeconds) {
        return t;
    }
    return fromLocalSeconds(boot + m_wallLessBoot + m_utcOffset, m_utcOffset);
}

double ClockFrame::move(const platform::Clock& clock) {
    const platform::LocalTime t = clock.now();
    const long long now = wallLessBoot(t, clock.bootSeconds());
    double moved = 0;
    if (m_read) {
        // A suspend moves both clocks alike: countdowns due meanwhile are notified late at resume.
        if (std::llabs(now - m_wallLessBoot) > kJitterSeconds) {
            moved = static_cast<double>(now - m_wallLessBoot);
        }
        // Local seconds move with the zone's offset too, also when the wall clock did not jump
        // (summer time, a new zone).
        moved += static_cast<double>(t.utcOffset - m_utcOffset);
    }
    m_read = true;
    m_wallLessBoot = now;
    m_utcOffset = t.utcOffset;
    return moved;
}

} // namespace mayorin::core
