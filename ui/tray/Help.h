#pragma once

class QWidget;

#include "ui/UiContext.h"

namespace mayorin::ui {

// Opens "Mayorin。ヘルプ.chm" beside the program (else in share/mayorin beside its bin folder) with
// the desktop's viewer, as the F1 key does; when there is no help file or nothing to open it with,
// tells the user so in a message box.
void openHelp(UiContext& ctx);

} // namespace mayorin::ui
