#pragma once

#include <cstdint>
#include <string>

#include "core/Env.h"

namespace mayorin::core {

// The one-line description of reservation row r shown in the entry window's list.
// "hyouji12 M2"; an empty line after a failure.
std::string hyouji12(Env& env, std::int16_t row);

// Builds test reservation choice (0 timer, 1 repeating timer, 2 schedule), due now, in the
// spare row. The caller adds it with tuika_mein. "hyouji_test M2".
void hyouji_test(Env& env, std::int16_t choice);

// The kind names of the add log line and the short labels of the due-notice log line,
// by KindCode 0 to 10.
std::string kindName(int kindCode);
std::string kindShortLabel(int kindCode);

} // namespace mayorin::core
