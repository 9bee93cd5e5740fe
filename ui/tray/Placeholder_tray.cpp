// Stand-ins until the resident window is built.
#include "ui/tray/Help.h"
namespace mayorin::ui {
void openHelp(UiContext&) {}
} // namespace mayorin::ui
