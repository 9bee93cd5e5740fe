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
// The desktop notification switched on or off, as the option お知らせをデスクトップにも通知する。 is
// set: off withdraws it at once; on, the next notice shows it with every notice pending.
void switchDesktopNotification(UiContext& ctx, bool on);

} // namespace mayorin::ui
