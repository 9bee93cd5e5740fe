// Stand-ins until the entry window is built.
#include "ui/entry/Form1.h"
namespace mayorin::ui {
void openEntryWindow(UiContext&) {}
void closeEntryWindow(UiContext&) {}
void clearEntryNameList(UiContext&, int) {}
void appendEntryName(UiContext&, int, const std::string&) {}
void setEntryEditorItemEnabled(UiContext&, int, bool) {}
} // namespace mayorin::ui
