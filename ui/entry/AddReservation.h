#pragma once

#include <array>
#include <string>

#include "platform/MessagePresenter.h"
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
    // The name check's messages when it refused the name, one per line; empty otherwise.
    std::string refusal;
};

// Adds a reservation as the panels' buttons do, whoever asks: the name check, the staging row,
// normalising, the history, the sorted insert with the list line of an open entry window, the
// name list, the data file and the "［追加］," log line. The name check speaks through
// nameCheckBoxes, so a caller without a screen can collect its messages instead of showing them.
// A refused name changes nothing, writes nothing and logs nothing. A failure inside is reported
// by the step that failed; the add goes on or stops as that step says.
AddOutcome addReservation(UiContext& ctx, const PanelTexts& panel, platform::MessagePresenter& nameCheckBoxes);

} // namespace mayorin::ui
