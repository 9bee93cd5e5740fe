#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/Env.h"
#include "ui/UiContext.h"

namespace mayorin::ui {

// Pauses (pause true) or resumes the countdowns that pick chooses among those that run (are
// paused), whoever asks: the rows and the open entry window's list and edit items, then the data
// file, then one log line per row, "［停止］," or "［再開］," with the seconds it had left. Returns
// the changed rows' list lines, soonest first; none when pick chose nothing, and then nothing is
// written or logged. env is the program's own or one whose failures and log go elsewhere.
std::vector<std::string> pauseReservations(UiContext& ctx, core::Env& env, bool pause,
                                           const std::function<bool(const core::Fields&)>& pick);

} // namespace mayorin::ui
