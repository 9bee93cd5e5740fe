#pragma once

#include <cstdint>

#include "core/Env.h"

namespace mayorin::core {

// Computes the second of the next notice of a row and writes it into field 9; for a repeating
// countdown it also lowers the phase counter (field 2). Kinds other than "0" to "5" are left
// untouched. "byoukeisan01 M2".
void byoukeisan01(Env& env, std::int16_t row);
// The same for a row held outside the reservation table (a deleted row). "byoukeisan01 M2".
void byoukeisan01(Env& env, Fields& row);

// With WeekdaysSkipHolidays on, a weekday row (kind "5") whose NextSecond falls on a holiday moves
// on to the first later day of its weekday set that is not one, at the same time of day. Other
// kinds, and every row while the option is off, are left as they are. Returns whether the row
// moved. No trap of its own.
bool offHolidays(const State& st, Fields& row);

} // namespace mayorin::core
