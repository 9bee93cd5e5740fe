#pragma once

#include "ui/UiContext.h"

class QWidget;

namespace mayorin::ui {

// Shows the message dialog modally with the content chosen by State::MessageMode (and
// State::MessageText) and returns when it is closed. One dialog at a time.
void showMessageDialog(UiContext& ctx);
// Shows the message dialog with that content and returns at once, without waiting for it to be
// closed: for the end the system asked for, when nobody may be there to answer. It is not the
// dialog closeMessageDialog closes; it deletes itself when closed. Returns it.
QWidget* showMessageDialogWithoutWaiting(UiContext& ctx);
// Closes the message dialog by program if it is open: no button action runs, and the caller
// waiting on it goes on as if it had been closed.
void closeMessageDialog(UiContext& ctx);

// The start-up message of this release: shown unless hidden by the user, or always when forced
// is 1 (the tray menu item "メッセージ"). "messeiji M4　メッセージ".
void messeiji(UiContext& ctx, int forced);

} // namespace mayorin::ui
