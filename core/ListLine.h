#pragma once

#include <cstdint>
#include <string>

#include "core/Env.h"

namespace mayorin::core {

// The one-line description of reservation row r shown in the entry window's list.
// "hyouji12 M2"; an empty line after a failure.
std::string hyouji12(Env& env, std::int16_t row);

// The soonest reservation as the tray tip names it: "次のお知らせ", the moment of its notice as
// its list line shows it, a full-width blank and its display name, as in
// "次のお知らせ 2026/12/07(月) 21:18:00　会議". Empty when no reservation runs, or when the
// moment cannot be shown: the tip then names none, and nothing is reported.
std::string nextNoticeText(Env& env);

// Builds test reservation choice (0 timer, 1 repeating timer, 2 schedule), due now, in the
// spare row. The caller adds it with tuika_mein. "hyouji_test M2".
void hyouji_test(Env& env, std::int16_t choice);

// The kind names of the add log line and the short labels of the due-notice log line,
// by KindCode 0 to 10.
std::string kindName(int kindCode);
std::string kindShortLabel(int kindCode);

} // namespace mayorin::core
