#pragma once

#include <string>

#include "ui/UiContext.h"

namespace mayorin::ui {

// Opens the reservation entry window, or brings the open one to the front.
void openEntryWindow(UiContext& ctx);
// Closes it by program if it is open, running its closing steps.
void closeEntryWindow(UiContext& ctx);
// For the display-name editor, while the entry window is open (nothing otherwise):
// empties the name list of a side (0 timer, 1 schedule), appends one name to it, and enables or
// disables the 編集 menu item that opens the editor of a side.
void clearEntryNameList(UiContext& ctx, int side);
void appendEntryName(UiContext& ctx, int side, const std::string& name);
void setEntryEditorItemEnabled(UiContext& ctx, int side, bool enabled);

} // namespace mayorin::ui
