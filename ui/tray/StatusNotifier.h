#pragma once

namespace mayorin::ui {

// True when the session bus has a status-notifier watcher with a registered host. Qt asks the
// same question once, at the first tray icon, and then shows the icon as a status-notifier item
// (the panel draws it and its menu; a left click arrives as a trigger and never as a double
// click) instead of in an old-style tray. Asked before that icon is made, it tells which of the
// two paths the icon takes. False without a session bus.
bool statusNotifierHostRegistered();

} // namespace mayorin::ui
