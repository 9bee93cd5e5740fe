#pragma once

#include <cstdint>

namespace mayorin::core {

// Whether day D of the day count (day 1 = 1 January of year 1) is a holiday in Japan: a 国民の祝日,
// a day made one by a separate law, a 振替休日 or a 国民の休日, as the Act on National Holidays has
// set them since it took effect on 20 July 1948, computed by its rules for any year. The equinox
// days of a year not yet announced (each year's are announced a year ahead) are the standard
// formula's estimate. No trap of its own: it cannot fail.
bool isHoliday(std::int64_t dayCount);

} // namespace mayorin::core
