#pragma once

#include <string>

#include "ui/UiContext.h"

namespace mayorin::ui {

// Opens the notification window if it is not open (its load sets NoticeWindowState to "作業中").
void openNoticeWindow(UiContext& ctx);
// Closes it by program if it is open, running its closing steps.
void closeNoticeWindow(UiContext& ctx);
// Its list: insert at the top, append at the end, select item 0. Nothing when it is not open.
// The tick selects item 0 after each new notice, which then goes to the desktop notification too.
// A line inserted at the top is a new notice: the window comes forward with it.
void insertNoticeLine(UiContext& ctx, const std::string& line);
void appendNoticeLine(UiContext& ctx, const std::string& line);
void selectTopNotice(UiContext& ctx);

} // namespace mayorin::ui
