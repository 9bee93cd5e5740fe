#pragma once

#include "ui/UiContext.h"

namespace mayorin::ui {

// Shows the message dialog modally with the content chosen by State::MessageMode (and
// State::MessageText) and returns when it is closed. One dialog at a time.
void showMessageDialog(UiContext& ctx);
// Closes the message dialog by program if it is open: no button action runs, and the caller
// waiting on it goes on as if it had been closed.
void closeMessageDialog(UiContext& ctx);

// The start-up message of this release: shown unless hidden by the user, or always when forced
// is 1 (the tray menu item "メッセージ"). "messeiji M4　メッセージ".
void messeiji(UiContext& ctx, int forced);

} // namespace mayorin::ui
