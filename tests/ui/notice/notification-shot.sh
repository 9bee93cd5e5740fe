#!/usr/bin/env bash
# Takes a screenshot of a notice as a real notification service (dunst) shows it beside the
# notification window, under openbox on a virtual X display, on a session bus of its own:
#   tests/ui/notice/notification-shot.sh BUILD_DIR OUTPUT.png
# Needs xvfb, openbox, dunst and imagemagick (scripts/install-deps.sh --screens) and the IPAGothic font.
set -euo pipefail
build=$(realpath "${1:?build directory}")
out=$(realpath "${2:?output png}")
source_dir=$(cd "$(dirname "$0")/../../.." && pwd)
display=:${SHOT_DISPLAY:-96}
work=$(mktemp -d)
Xvfb "$display" -screen 0 1180x330x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
sleep 1
cp "$build/mayorin" "$build/Mayorin。音.wav" "$work/"
# The icon where an installed program's lies; dunst finds it by its name in icon_path.
mkdir -p "$work/.local/share/icons/hicolor/48x48/apps"
cp "$source_dir/resources/icons/hicolor/48x48/apps/mayorin.png" "$work/.local/share/icons/hicolor/48x48/apps/"
printf '[global]\n    font = IPAGothic 10\n    width = 400\n    offset = 10x10\n    icon_path = %s\n    icon_position = left\n' "$work/.local/share/icons/hicolor/48x48/apps" >"$work/dunstrc"
export DISPLAY=$display HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/.local/share QT_QPA_PLATFORM=xcb
dbus-run-session -- bash -c '
    openbox >/dev/null 2>&1 &
    dunst -config "$1/dunstrc" >/dev/null 2>&1 &
    sleep 1
    "$1/mayorin" >/dev/null 2>&1 &
    sleep 2
    "$1/mayorin" --timer 0:00:01 会議 >/dev/null
    "$1/mayorin" --timer 0:00:02 お茶 >/dev/null
    sleep 3
    import -window root "$2"
    "$1/mayorin" --quit >/dev/null
    kill %1 %2 2>/dev/null || true
' shot "$work" "$out"
