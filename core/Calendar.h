#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/Env.h"

// The program's own calendar and seconds arithmetic. A moment is a seconds stamp:
// ((D * 24 + h) * 60 + m) * 60 + s with D the day count (day 1 = 1 January of year 1).
// Each operation with a location text runs under its own error trap and returns the empty
// result (0 or "") after a failure.
namespace mayorin::core {

std::int32_t nyou2(Env& env, std::int32_t year, std::int32_t month);                  // "nyou2 M1"
std::int32_t hini(Env& env, std::int32_t year, std::int32_t month, std::int32_t day); // "hini M1"
double byouni(Env& env, std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour, std::int32_t minute,
              std::int32_t second);                                 // "byouni M1"
double genByou(Env& env);                                           // "genByou M1"
std::string byouModosu(Env& env, std::string_view stamp, int mode); // "byouModosu M1"
std::string tukihiNi(Env& env, double dayCount);                    // "tukihiNi M1"
std::string genzai(Env& env, int mode);                             // "genzai M1"
std::string youbi01(Env& env, std::string_view text);               // "youbi01 M1"
std::string kySakujo(Env& env, std::string_view set);               // "kySakujo M1"

// The weekday set without the name of weekday (0 = Sunday) wherever it occurs, and the weekday
// of a seconds stamp (0 = Sunday). No trap of their own.
std::string withoutWeekday(const State& st, std::string_view set, int weekday);
int weekdayOfStamp(double stamp);

// The present moment as log lines and window texts show it: byouModosu(genByou, mode 3),
// date and clock joined by ",".
std::string dateTimeText(Env& env);

// The last n characters of "00000" followed by the decimal text of x. A text is first turned
// into its value. No trap of its own.
std::string ZeroPad(std::string_view x, int n);
std::string ZeroPad(std::int16_t x, int n);
std::string ZeroPad(std::int32_t x, int n);
std::string ZeroPad(double x, int n);

// The blanks that fill text out to width display columns: one column for a single-byte
// character of code page 932 (ASCII, half-width katakana), two for any other. No trap of its own.
std::string PadToWidth(std::string_view text, std::int16_t width);

} // namespace mayorin::core
