#pragma once

#include <cstdint>
#include <string>

#include "core/Env.h"

namespace mayorin::notify {

// Composes the notice of due row `row` into the spare row of NoticeTextTable, logs its "♪" line
// and returns its list line. "hyouji_F2 M3　お知らせ表示"; an empty line after a failure.
std::string hyouji_F2(core::Env& env, std::int16_t row);

// The list line of pending notice n: name, "【状態】", message, due date and lateness.
std::string noticeLine(const core::State& st, int n);

} // namespace mayorin::notify
