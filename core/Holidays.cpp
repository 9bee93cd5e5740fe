#include "core/Holidays.h"

#include <cstdint>

namespace mayorin::core {

namespace {

struct Date {
    std::int64_t year;
    int month;   // [1, 12]
    int day;     // [1, 31]
    int weekday; // [0, 6], 0 = Sunday
};

bool onOrAfter(const Date& t, std::int64_t year, int month, int day) {
    if (t.year != year) {
        return t.year > year;
    }
    return t.month != month ? t.month > month : t.day >= day;
}

// The date of day count D, counted in 400-year eras from 1 March of year 0 so that the leap day
// ends its year. D ≥ 1.
Date dateOf(std::int64_t dayCount) {
    const std::int64_t z = dayCount + 305; // days since 1 March of year 0, which is day -305
    const std::int64_t era = z / 146097;
    const std::int64_t doe = z - era * 146097;                                      // [0, 146096]
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365; // [0, 399]
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);               // [0, 365], from 1 March
    const std::int64_t mp = (5 * doy + 2) / 153;                                    // [0, 11], 0 = March
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);                 // [1, 31]
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);                  // [1, 12]
    return {era * 400 + yoe + (month <= 2 ? 1 : 0), month, day, static_cast<int>(dayCount % 7)}; // day 1 a Monday
}

// Day d of its month is the n-th Monday of that month.
bool isNthMonday(const Date& t, int n) {
    return t.weekday == 1 && (t.day - 1) / 7 == n - 1;
}

// The equinox days by the standard formula: the day of the month of the equinox in Japan's time,
// 0.242194 days later each year, a day earlier each leap year. Its three forms hold for 1900 to
// 1979, 1980 to 2099 and 2100 to 2150; later years take the last one.
int equinoxDay(std::int64_t year, double at1900, double at1980, double at2100) {
    const auto day = [year](double base, std::int64_t leapFrom) {
        // Truncation towards 0 on both parts, as the formula is stated.
        return static_cast<int>(base + 0.242194 * static_cast<double>(year - 1980) - (year - leapFrom) / 4);
    };
    if (year <= 1979) {
        return day(at1900, 1983);
    }
    return year <= 2099 ? day(at1980, 1980) : day(at2100, 1980);
}
int springEquinox(std::int64_t year) {
    return equinoxDay(year, 20.8357, 20.8431, 21.8510); // [19, 22] of March
}
int autumnEquinox(std::int64_t year) {
    return equinoxDay(year, 23.2588, 23.2488, 24.2488); // [21, 24] of September
}

// One of the 国民の祝日, or a day that a separate law made a holiday and one of them.
bool isNationalHoliday(const Date& t) {
    if (!onOrAfter(t, 1948, 7, 20)) {
        return false; // the act took effect on 20 July 1948
    }
    const std::int64_t y = t.year;
    const int d = t.day;
    switch (t.month) {
    case 1:
        // 元日; 成人の日 on 15 January until 1999, the second Monday from 2000.
        return d == 1 || (y <= 1999 ? d == 15 : isNthMonday(t, 2));
    case 2:
        // 建国記念の日 from 1967; 天皇誕生日 from 2020; 大喪の礼 in 1989.
        return (d == 11 && y >= 1967) || (d == 23 && y >= 2020) || (y == 1989 && d == 24);
    case 3:
        return d == springEquinox(y); // 春分の日
    case 4:
        // 29 April: 天皇誕生日 until 1988, みどりの日 1989 to 2006, 昭和の日 from 2007. 結婚の儀 in
        // 1959; 30 April 2019 by the law of the accession (it also stands between two 祝日).
        return d == 29 || (y == 1959 && d == 10) || (y == 2019 && d == 30);
    case 5:
        // 憲法記念日, こどもの日; みどりの日 on 4 May from 2007; the accession on 1 May 2019, and
        // 2 May 2019 by the same law.
        return d == 3 || d == 5 || (d == 4 && y >= 2007) || (y == 2019 && (d == 1 || d == 2));
    case 6:
        return y == 1993 && d == 9; // 結婚の儀
    case 7:
        // 海の日 on 20 July 1996 to 2002, the third Monday from 2003, moved in 2020 and 2021 with
        // スポーツの日 beside it.
        if (y == 2020) {
            return d == 23 || d == 24;
        }
        if (y == 2021) {
            return d == 22 || d == 23;
        }
        return y >= 2003 ? isNthMonday(t, 3) : (y >= 1996 && d == 20);
    case 8:
        // 山の日 on 11 August from 2016, moved to 10 August in 2020 and to 8 August in 2021.
        if (y == 2020 || y == 2021) {
            return d == (y == 2020 ? 10 : 8);
        }
        return y >= 2016 && d == 11;
    case 9:
        // 敬老の日 on 15 September 1966 to 2002, the third Monday from 2003; 秋分の日.
        return (y >= 2003 ? isNthMonday(t, 3) : (y >= 1966 && d == 15)) || d == autumnEquinox(y);
    case 10:
        // 体育の日 on 10 October 1966 to 1999, the second Monday 2000 to 2019; as スポーツの日 the
        // second Monday from 2022 (in July in 2020 and 2021). 即位礼正殿の儀 in 2019.
        if (y == 2019 && d == 22) {
            return true;
        }
        if (y == 2020 || y == 2021) {
            return false;
        }
        return y >= 2000 ? isNthMonday(t, 2) : (y >= 1966 && d == 10);
    case 11:
        // 文化の日, 勤労感謝の日; 即位礼正殿の儀 in 1990.
        return d == 3 || d == 23 || (y == 1990 && d == 12);
    case 12:
        return y >= 1989 && y <= 2018 && d == 23; // 天皇誕生日
    default:
        return false;
    }
}

bool isNationalHolidayDay(std::int64_t dayCount) {
    return isNationalHoliday(dateOf(dayCount));
}

// 振替休日: from 12 April 1973 the day after a 祝日 on a Sunday; from 2007 the first day after it
// that is not a 祝日. The day itself is not a 祝日.
bool isSubstituteHoliday(std::int64_t dayCount, const Date& t) {
    if (t.year >= 2007) {
        // Back over the 祝日 right before it, at most the eight of the longest run.
        for (std::int64_t k = dayCount - 1; isNationalHolidayDay(k); --k) {
            if (k % 7 == 0) {
                return true;
            }
        }
        return false;
    }
    const std::int64_t sunday = dayCount - 1;
    return sunday % 7 == 0 && onOrAfter(dateOf(sunday), 1973, 4, 12) && isNationalHolidayDay(sunday);
}

// 国民の休日: from 27 December 1985 a day between two 祝日 that is not one itself; until 2006 not
// on a Sunday (nor on a 振替休日, which is a holiday anyway).
bool isCitizensHoliday(std::int64_t dayCount, const Date& t) {
    if (!onOrAfter(t, 1985, 12, 27) || (t.year <= 2006 && t.weekday == 0)) {
        return false;
    }
    return isNationalHolidayDay(dayCount - 1) && isNationalHolidayDay(dayCount + 1);
}

} // namespace

bool isHoliday(std::int64_t dayCount) {
    if (dayCount < 1) {
        return false; // before year 1, long before the act
    }
    const Date t = dateOf(dayCount);
    return isNationalHoliday(t) || isSubstituteHoliday(dayCount, t) || isCitizensHoliday(dayCount, t);
}

} // namespace mayorin::core
