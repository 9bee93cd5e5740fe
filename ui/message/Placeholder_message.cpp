// Stand-ins until the message dialog is built.
#include "ui/message/Form5.h"
namespace mayorin::ui {
void showMessageDialog(UiContext&) {}
void closeMessageDialog(UiContext&) {}
void messeiji(UiContext&, int) {}
} // namespace mayorin::ui
