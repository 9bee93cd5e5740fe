#include "core/NextNotice.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

#include "core/Calendar.h"
#include "core/Failure.h"
#include "core/Guard.h"
#include "core/Holidays.h"
#include "core/TextValue.h"
#include "core/Utf8.h"

namespace mayorin::core {

namespace {

constexpr const char* kByoukeisan01 = "byoukeisan01 M2";
constexpr double kDay = 86400.0;

// Entry k of WeekdayNames; an index outside the 14 entries is a subscript failure.
const std::string& weekdayName(const State& st, int k) {
    if (k < 0 || k >= static_cast<int>(st.WeekdayNames.size())) {
        throwSubscript();
    }
    return st.WeekdayNames[static_cast<std::size_t>(k)];
}

std::int32_t checked32(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max() || v < std::numeric_limits<std::int32_t>::min()) {
        throwOverflow();
    }
    return static_cast<std::int32_t>(v);
}

// The seconds of a minutes field written as "MM" or "MM:SS": its last two characters count
// only when it holds a ":".
std::int32_t secondsOf(std::string_view field) {
    if (field.find(':') == std::string_view::npos) {
        return 0;
    }
    return int32Of(utf8::right(field, 2));
}

// The second next moved on by whole days to the first day after its own that is no holiday and
// whose weekday is in set; next itself when its own day is no holiday.
double pastHolidays(const State& st, const std::string& set, double next) {
    const auto day = static_cast<std::int64_t>(std::floor(next / kDay));
    if (!isHoliday(day)) {
        return next;
    }
    // A year holds far fewer holidays than any weekday has days: a set with a weekday in it finds
    // one within a year.
    for (int k = 1; k <= 366; ++k) {
        if (set.find(weekdayName(st, static_cast<int>((day + k) % 7))) != std::string::npos && !isHoliday(day + k)) {
            return next + k * kDay;
        }
    }
    return next; // no weekday in the set
}

std::int32_t durationOf(std::int32_t h, std::int32_t m, std::int32_t s) {
    return checked32((static_cast<std::int64_t>(h) * 60 + m) * 60 + s);
}

void computeNext(Env& env, Fields& row) {
    const std::int32_t kind = int32Of(row[kKindCode]);
    if (kind < 0 || kind > 5) {
        return;
    }
    const platform::LocalTime t = presentTime(env);
    const double now = byouni(env, t.year, t.month, t.day, t.hour, t.minute, t.second);
    const std::int32_t h = int32Of(row[4]);
    const std::int32_t m = int32Of(row[5]);
    const std::int32_t rh = int32Of(row[6]);
    const std::int32_t rm = int32Of(row[7]);
    auto at = [&](std::int32_t y, std::int32_t mo, std::int32_t d) { return byouni(env, y, mo, d, h, m, 0); };

    double next = 0;
    switch (kind) {
    case 0:
        next = now + durationOf(h, m, secondsOf(row[5]));
        break;
    case 1: {
        const std::int32_t p = int32Of(row[kRepeatMode]);
        // An odd counter: the next notice ends the present cycle; even: it starts the next one.
        const std::int32_t duration =
            p % 2 == 1 ? durationOf(h, m, secondsOf(row[5])) : durationOf(rh, rm, secondsOf(row[7]));
        next = now + duration;
        row[kRepeatMode] = spacedDecimalText(value(row[kRepeatMode]) - 1);
        break;
    }
    case 2:
        next = at(t.year, t.month, t.day);
        if (now >= next) {
            next += kDay;
        }
        break;
    case 3:
        next = at(t.year, t.month, rm);
        if (now >= next) {
            // The same day of the following month, cut to that month's length.
            next = t.month >= 12 ? at(checked32(static_cast<std::int64_t>(t.year) + 1), 1, rm)
                                 : at(t.year, t.month + 1, rm);
        }
        break;
    case 4:
        next = at(t.year, rh, rm);
        if (now >= next) {
            next = at(checked32(static_cast<std::int64_t>(t.year) + 1), rh, rm);
        }
        break;
    case 5: {
        next = at(t.year, t.month, t.day);
        const std::string& set = row[8];
        for (int i = 0; i <= 7; ++i) {
            const std::string& name = weekdayName(env.st, t.weekday + i);
            if (set.find(name) != std::string::npos) {
                next += i * kDay;
                if (now < next) {
                    break;
                }
            }
        }
        if (env.st.WeekdaysSkipHolidays) {
            next = pastHolidays(env.st, set, next);
        }
        break;
    }
    default:
        return;
    }
    row[kNextSecond] = spacedDecimalText(next);
}

} // namespace

void byoukeisan01(Env& env, std::int16_t row) {
    guarded(env.errors, kByoukeisan01, [&] { computeNext(env, env.st.ReservationTable[row]); });
}

void byoukeisan01(Env& env, Fields& row) {
    guarded(env.errors, kByoukeisan01, [&] { computeNext(env, row); });
}

bool offHolidays(const State& st, Fields& row) {
    if (!st.WeekdaysSkipHolidays || int32Of(row[kKindCode]) != 5) {
        return false;
    }
    const double held = value(row[kNextSecond]);
    const double next = pastHolidays(st, row[8], held);
    if (next == held) {
        return false;
    }
    row[kNextSecond] = spacedDecimalText(next);
    return true;
}

} // namespace mayorin::core
