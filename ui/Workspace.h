#pragma once

class QWidget;

namespace mayorin::ui {

// Moves a shown top-level window to the workspace the user is looking at, where the window
// manager keeps workspaces as X11 desktops (_NET_CURRENT_DESKTOP of the root window). The window
// manager is asked with a _NET_WM_DESKTOP message to the root window; it moves the window without
// giving it the keyboard. A window already there, shown on every workspace, not
// yet taken in by the window manager (it puts a new window on the workspace in view itself), or
// under a window manager without workspaces stays where it is. A native Wayland session gives a
// program no say over workspaces: there, and without a screen, this does nothing.
void moveToWorkspaceInView(QWidget* window);

} // namespace mayorin::ui
