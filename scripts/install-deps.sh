#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
# A no-op when they are all there already.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-multimedia-dev
    # The notice window is moved between X11 workspaces on the toolkit's own connection.
    libxcb1-dev
    # The tray icon reaches into the toolkit's own tray icon to keep it an embedded one.
    qt6-base-private-dev
    libgtest-dev libgmock-dev
    fp-utils
    fonts-ipafont-gothic
    # A face of a taller line than the program's own, for the entry list's row height.
    fonts-dejavu-core
    # The tests: a private session bus, an X server of their own with a window manager and a
    # panel (and a key press on its windows, a program that shows the keys it gets, the window
    # manager's stacking and workspaces), the desktop entries' check, a wall clock set while the
    # program runs.
    dbus xvfb xauth xdotool openbox trayer x11-utils wmctrl desktop-file-utils faketime
    # A real session manager, whose session saves and log-off the program must take right.
    xfce4-session
)
# Only for running on a desktop and for looking at windows without one. qt6-wayland is Qt's
# Wayland platform, for a Wayland session without XWayland or a user's QT_QPA_PLATFORM=wayland.
if [ "${1:-}" = "--desktop" ]; then
    packages+=(xchm xdg-utils qt6-wayland)
fi
if [ "${1:-}" = "--screens" ]; then
    # dunst: a real notification service for tests/ui/notice/notification-shot.sh.
    packages+=(imagemagick dunst)
fi
# Only for building the Debian package: dpkg-shlibdeps for its Depends and dpkg-buildflags for its
# flags, lintian to check it, appstreamcli for its AppStream metadata, man and groff for its manual
# pages' warnings.
if [ "${1:-}" = "--package" ]; then
    packages+=(dpkg-dev lintian appstream man-db groff-base)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ "${#missing[@]}" -gt 0 ]; then
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -q
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
