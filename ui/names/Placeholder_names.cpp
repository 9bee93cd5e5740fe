// Stand-ins until the display-name editor is built.
#include "ui/names/Form3.h"
namespace mayorin::ui {
void openNamesEditor(UiContext&) {}
void closeNamesEditor(UiContext&) {}
} // namespace mayorin::ui
