#include "core/Calendar.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/Failure.h"
#include "core/Guard.h"
#include "core/TextValue.h"
#include "core/Utf8.h"

namespace mayorin::core {

namespace {

constexpr const char* kNyou2 = "nyou2 M1";
constexpr const char* kHini = "hini M1";
constexpr const char* kByouni = "byouni M1";
constexpr const char* kGenByou = "genByou M1";
constexpr const char* kByouModosu = "byouModosu M1";
constexpr const char* kTukihiNi = "tukihiNi M1";
constexpr const char* kGenzai = "genzai M1";
constexpr const char* kYoubi01 = "youbi01 M1";
constexpr const char* kKySakujo = "kySakujo M1";

// Entry k of WeekdayNames; an index outside the 14 entries is a subscript failure.
const std::string& weekdayName(const State& st, int k) {
    if (k < 0 || k >= static_cast<int>(st.WeekdayNames.size())) {
        throwSubscript();
    }
    return st.WeekdayNames[static_cast<std::size_t>(k)];
}

constexpr std::int32_t kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Year 0 is taken as a common year: it is reached only while reading back dates of year 1.
bool isLeap(std::int64_t y) {
    return y != 0 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0);
}

std::int32_t checked32(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max() || v < std::numeric_limits<std::int32_t>::min()) {
        throwOverflow();
    }
    return static_cast<std::int32_t>(v);
}

// Days before 1 January of year y + 1, counting from day 1 = 1 January of year 1.
std::int64_t daysBeforeYearAfter(std::int64_t a) {
    return a * 365 + a / 4 - a / 100 + a / 400;
}

std::int32_t monthLength(std::int32_t year, std::int32_t month) {
    // [1, 12] for every month; 0 counts as 12 and 13 as 1. Truncating remainder like the
    // rest of the arithmetic, so a month of -11 or below is outside the table.
    const std::int64_t m = (static_cast<std::int64_t>(month) + 11) % 12 + 1;
    if (m < 1 || m > 12) {
        throwSubscript();
    }
    if (m == 2 && isLeap(year)) {
        return 29;
    }
    return kMonthDays[m - 1];
}

std::int32_t dayCountOf(std::int32_t year, std::int32_t month, std::int32_t day) {
    const std::int64_t a = static_cast<std::int64_t>(year) - 1;
    std::int32_t d = checked32(daysBeforeYearAfter(a));
    if (month >= 1 && month <= 12) {
        // [0, 335]: the days of the months before this one
        static constexpr std::int32_t kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
        d = checked32(static_cast<std::int64_t>(d) + kDaysBefore[month - 1] + (month > 2 && isLeap(year) ? 1 : 0));
    } else {
        for (std::int32_t k = 1; k < month; ++k) {
            d = checked32(static_cast<std::int64_t>(d) + monthLength(year, k));
        }
    }
    const std::int32_t len = monthLength(year, month);
    return checked32(static_cast<std::int64_t>(d) + (day < len ? day : len));
}

double stampOf(Env& env, std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
               std::int32_t minute, std::int32_t second) {
    const std::int32_t d = hini(env, year, month, day);
    // The minutes count is 32-bit; seconds only exist as a double.
    const std::int32_t t = checked32((static_cast<std::int64_t>(d) * 24 + hour) * 60 + minute);
    return static_cast<double>(t) * 60.0 + second;
}

std::string dateText(Env& env, double dayCount) {
    const std::int32_t dc = toInt32(dayCount);
    std::int32_t y = dc / 366; // a year not after the true one
    const std::int64_t a = static_cast<std::int64_t>(y) - 1;
    std::int64_t d = dc - daysBeforeYearAfter(a); // day of year y, may run past its end
    std::int32_t m = 1;
    // Whole years first: subtracting twelve month lengths from January on is one year's length.
    while (d > 365 + (isLeap(y) ? 1 : 0)) {
        d -= 365 + (isLeap(y) ? 1 : 0);
        y = checked32(static_cast<std::int64_t>(y) + 1);
    }
    while (d > monthLength(y, m)) {
        d -= monthLength(y, m);
        ++m;
        if (m > 12) {
            m = 1;
            y = checked32(static_cast<std::int64_t>(y) + 1);
        }
    }
    const std::int32_t wd = dc % 7; // negative before day 0: outside WeekdayNames
    if (wd < 0) {
        throwSubscript();
    }
    // Month [1, 12] and day [1, 31] always have two digits or fewer, so their zero filling is
    // simply two digits.
    const std::string& name = weekdayName(env.st, wd);
    char buf[48];
    char* p = buf;
    *p++ = ' ';
    if (y < 0) {
        --p; // a negative year carries its sign instead of the blank
    }
    p = std::to_chars(p, buf + 16, y).ptr;
    const auto twoDigits = [&p](std::int64_t v) {
        *p++ = '/';
        *p++ = static_cast<char>('0' + v / 10);
        *p++ = static_cast<char>('0' + v % 10);
    };
    twoDigits(m);
    twoDigits(d);
    std::string out;
    out.reserve(static_cast<std::size_t>(p - buf) + name.size() + 2);
    out.append(buf, p);
    out += '(';
    out += name;
    out += ')';
    return out;
}

std::string stampText(Env& env, std::string_view stamp, int mode) {
    const double x = value(stamp);
    const double days = std::floor(x / 86400.0);
    double r = x - days * 86400.0;
    const std::int32_t hours = toInt32(r) / 3600;
    r -= static_cast<double>(hours) * 3600.0;
    const std::int32_t minutes = toInt32(r) / 60;
    const double seconds = r - static_cast<double>(minutes) * 60.0;
    const std::string clock = ZeroPad(hours, 2) + ":" + ZeroPad(minutes, 2) + ":" + ZeroPad(seconds, 2);
    switch (mode) {
    case 0:
        return tukihiNi(env, days) + " " + clock;
    case 1:
        return decimalText(days) + "日 " + clock;
    case 2:
        return decimalText(days) + "日 " + ZeroPad(hours, 2) + "時間　" + ZeroPad(minutes, 2) + "分　" +
               ZeroPad(seconds, 2) + "秒";
    case 3:
        return tukihiNi(env, days) + "," + clock;
    default:
        return {};
    }
}

// The weekday name of the present day, WeekdayNames(weekday + 6) with weekday 1 = Sunday.
std::string presentText(Env& env, int mode) {
    const platform::LocalTime t = presentTime(env);
    if (mode == 0) {
        // 令和 from 1 May 2019; before that the earlier era, whose count the program always used.
        const bool reiwa = t.year > 2019 || (t.year == 2019 && t.month >= 5);
        const std::string era = reiwa ? "令和" : "平成";
        const int eraYear = reiwa ? t.year - 2018 : t.year - 1988;
        return decimalText(t.year) + "年" + "(" + era + spacedDecimalText(eraYear) + "年)" + "　" +
               decimalText(t.month) + "月　" + decimalText(t.day) + "日　" + weekdayName(env.st, t.weekday + 7) +
               "曜日";
    }
    if (mode == 1) {
        return decimalText(t.hour) + "時　" + decimalText(t.minute) + "分　" + decimalText(t.second) + "秒";
    }
    return {};
}

// The text as it reads back from a code page 932 file: a character that code page 932 maps one
// way only ("〜" U+301C is stored as "～") becomes the character it is stored as; a character
// without a code page 932 form stays as it is.
std::string asStored(const platform::CodePage& codePage, std::string_view text) {
    if (const auto bytes = codePage.encode(text)) {
        return codePage.decode(*bytes);
    }
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = utf8::charLength(text, i);
        const std::string_view ch = text.substr(i, n);
        const auto bytes = codePage.encode(ch);
        out += bytes ? codePage.decode(*bytes) : std::string(ch);
        i += n;
    }
    return out;
}

std::string weekdaySet(Env& env, std::string_view typed) {
    // Input methods type "〜" where the file keeps "～": both are read as the range mark.
    const std::string stored = asStored(env.codePage, typed);
    const std::string_view text = stored;
    const auto& names = env.st.WeekdayNames;
    bool marked[7] = {};
    for (int k = 0; k < 7; ++k) {
        marked[k] = text.find(names[k]) != std::string_view::npos;
    }
    // A range "before～after" marks every weekday from before up to, not including, after,
    // wrapping over the week end; the end itself is marked only when named.
    static constexpr std::string_view kRangeMark = "～";
    const std::size_t at = text.find(kRangeMark);
    if (at != std::string_view::npos && at > 0) {
        std::size_t start = at - 1;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
            --start;
        }
        const std::string_view before = text.substr(start, at - start);
        std::string_view after;
        const std::size_t next = at + kRangeMark.size();
        if (next < text.size()) {
            after = text.substr(next, utf8::charLength(text, next));
        }
        int state = 0;
        for (int k = 0; k < 14; ++k) {
            if (before == names[k]) {
                state = 1;
            }
            if (after == names[k]) {
                state = 2;
            }
            if (state == 1) {
                marked[k % 7] = true;
            }
        }
    }
    std::string set;
    for (int k = 0; k < 7; ++k) {
        if (marked[k]) {
            set += names[k];
        }
    }
    return set;
}

std::string zeroPadText(const std::string& digits, int n) {
    if (n < 0) {
        throw Failure(kInvalidCall, "プロシージャの呼び出し、または引数が不正です。");
    }
    const std::string s = "00000" + std::string(utf8::trimBlanks(digits));
    return s.size() <= static_cast<std::size_t>(n) ? s : s.substr(s.size() - static_cast<std::size_t>(n));
}

} // namespace

std::int32_t nyou2(Env& env, std::int32_t year, std::int32_t month) {
    return guarded(env.errors, kNyou2, [&] { return monthLength(year, month); });
}

std::int32_t hini(Env& env, std::int32_t year, std::int32_t month, std::int32_t day) {
    return guarded(env.errors, kHini, [&] { return dayCountOf(year, month, day); });
}

double byouni(Env& env, std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour, std::int32_t minute,
              std::int32_t second) {
    return guarded(env.errors, kByouni, [&] { return stampOf(env, year, month, day, hour, minute, second); });
}

double genByou(Env& env) {
    return guarded(env.errors, kGenByou, [&] {
        const platform::LocalTime t = presentTime(env);
        return byouni(env, t.year, t.month, t.day, t.hour, t.minute, t.second);
    });
}

std::string byouModosu(Env& env, std::string_view stamp, int mode) {
    return guarded(env.errors, kByouModosu, [&] { return stampText(env, stamp, mode); });
}

std::string tukihiNi(Env& env, double dayCount) {
    return guarded(env.errors, kTukihiNi, [&] { return dateText(env, dayCount); });
}

std::string genzai(Env& env, int mode) {
    return guarded(env.errors, kGenzai, [&] { return presentText(env, mode); });
}

std::string youbi01(Env& env, std::string_view text) {
    return guarded(env.errors, kYoubi01, [&] { return weekdaySet(env, text); });
}

std::string kySakujo(Env& env, std::string_view set) {
    return guarded(env.errors, kKySakujo, [&] { return withoutWeekday(env.st, set, presentTime(env).weekday); });
}

std::string withoutWeekday(const State& st, std::string_view set, int weekday) {
    const std::string& name = weekdayName(st, weekday + 7);
    std::string out;
    std::size_t i = 0;
    while (i < set.size()) {
        if (!name.empty() && set.substr(i, name.size()) == name) {
            i += name.size();
        } else {
            out += set[i];
            ++i;
        }
    }
    return out;
}

int weekdayOfStamp(double stamp) {
    const double day = std::floor(stamp / 86400);           // day 1 is a Monday
    return static_cast<int>(day - 7 * std::floor(day / 7)); // [0, 6], 0 = Sunday
}

std::string dateTimeText(Env& env) {
    return byouModosu(env, decimalText(genByou(env)), 3);
}

std::string ZeroPad(std::string_view x, int n) {
    return zeroPadText(decimalText(value(x)), n);
}
std::string ZeroPad(std::int16_t x, int n) {
    return zeroPadText(decimalText(x), n);
}
std::string ZeroPad(std::int32_t x, int n) {
    return zeroPadText(decimalText(x), n);
}
std::string ZeroPad(double x, int n) {
    return zeroPadText(decimalText(x), n);
}

std::string PadToWidth(std::string_view text, std::int16_t width) {
    int w = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = 0;
        const char32_t cp = utf8::decodeAt(text, i, &len);
        i += len;
        // Single-byte in code page 932: ASCII and half-width katakana.
        w += (cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F)) ? 1 : 2;
    }
    return w >= width ? std::string() : std::string(static_cast<std::size_t>(width - w), ' ');
}

} // namespace mayorin::core
