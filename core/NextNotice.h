#pragma once

#include <cstdint>

#include "core/Env.h"

namespace mayorin::core {

// Computes the second of the next notice of a row and writes it into field 9; for a repeating
// countdown it also lowers the phase counter (field 2). Kinds other than "0" to "5" are left
// untouched. "byoukeisan01 M2".
void byoukeisan01(Env& env, std::int16_t row);

} // namespace mayorin::core
