// Stand-ins until the notification window is built.
#include "ui/notice/Form2.h"
namespace mayorin::ui {
void openNoticeWindow(UiContext&) {}
void closeNoticeWindow(UiContext&) {}
void insertNoticeLine(UiContext&, const std::string&) {}
void appendNoticeLine(UiContext&, const std::string&) {}
void selectTopNotice(UiContext&) {}
} // namespace mayorin::ui
