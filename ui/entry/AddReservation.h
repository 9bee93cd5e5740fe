#pragma once

#include <array>
#include <string>

#include "core/Env.h"
#include "ui/UiContext.h"

namespace mayorin::ui {

// The texts of one input panel as the user typed them, before any normalising.
struct PanelTexts {
    int side = 0;          // 0 the timer panel, 1 the schedule panel
    bool everyTime = true; // schedule panel: "毎回" rather than "今回のみ"
    // Indices 3 to 8 as the panel's combos 3 to 8: the display name, then hours, minutes, and
    // rest hours, rest minutes, repeat count (timer) or month, day, weekdays (schedule).
    std::array<std::string, 9> text{};
};

// What became of an add.
struct AddOutcome {
    bool added = false;
    // Why the add was refused: the name check's messages, one per line, or that the table is
    // full; empty otherwise.
    std::string refusal;
};

// Adds a reservation as the panels' buttons do, whoever asks: the name check, the staging row,
// normalising, the history, the sorted insert with the list line of an open entry window, the
// name list, the data file and the "［追加］," log line. env is the program's own or one that
// differs only in its message presenter and error sink: the name check speaks through env's
// presenter, so a caller without a screen can collect its messages instead of showing them, and
// failures go to env's sink. A refused name changes nothing, writes nothing and logs nothing. A
// failure inside is reported by the step that failed; the add goes on or stops as that step says.
// With refuseWhenFull, an add for which the table or the side's history has no room left is
// refused the same way instead of failing part-way.
AddOutcome addReservation(UiContext& ctx, core::Env& env, const PanelTexts& panel, bool refuseWhenFull = false);

} // namespace mayorin::ui
