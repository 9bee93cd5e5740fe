#!/usr/bin/env bash
# Takes a screenshot of the notification window with three notices under a virtual X display:
#   tests/ui/notice/shot.sh BUILD_DIR OUTPUT.png
# Needs xvfb and imagemagick (scripts/install-deps.sh --screens) and the IPAGothic font.
set -euo pipefail
build=${1:?build directory}
out=${2:?output png}
display=:${SHOT_DISPLAY:-97}
Xvfb "$display" -screen 0 800x330x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/notice_shot" 4000 &
app=$!
sleep 2.5
DISPLAY=$display import -window root "$out"
wait "$app"
