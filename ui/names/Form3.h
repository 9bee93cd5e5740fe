#pragma once

#include "ui/UiContext.h"

namespace mayorin::ui {

// Opens the display-name editor for State::HistorySideEdited, or brings the open one to the front.
void openNamesEditor(UiContext& ctx);
// Closes it by program if it is open (no question), running its closing steps.
void closeNamesEditor(UiContext& ctx);

} // namespace mayorin::ui
