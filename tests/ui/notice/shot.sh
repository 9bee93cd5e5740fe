#!/usr/bin/env bash
# Takes a screenshot of the notification window with three notices under a virtual X display:
#   tests/ui/notice/shot.sh BUILD_DIR OUTPUT.png
# With SHOT_WM=openbox the window manager runs too, so the shot shows the window with its frame
# where the window manager puts it: at its default place, its title bar at the top of the screen.
# Needs xvfb and imagemagick (scripts/install-deps.sh --screens), the IPAGothic font, and openbox
# for SHOT_WM=openbox.
set -euo pipefail
build=${1:?build directory}
out=${2:?output png}
display=:${SHOT_DISPLAY:-97}
Xvfb "$display" -screen 0 800x330x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
wm=
trap 'kill $wm "$xvfb" 2>/dev/null || true' EXIT
sleep 1
if [ -n "${SHOT_WM:-}" ]; then
    DISPLAY=$display "$SHOT_WM" >/dev/null 2>&1 &
    wm=$!
    sleep 1
fi
DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/notice_shot" 4000 &
app=$!
sleep 2.5
DISPLAY=$display import -window root "$out"
wait "$app"
