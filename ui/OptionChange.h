#pragma once

#include "persist/Options.h"
#include "ui/UiContext.h"

namespace mayorin::ui {

// What changes at once when the 設定 menu turns an option on or off, after the change was stored.
// Options read where they are used need nothing here.
void optionChanged(UiContext& ctx, persist::Option option, bool on);

} // namespace mayorin::ui
