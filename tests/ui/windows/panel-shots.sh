#!/usr/bin/env bash
# Takes the README's pictures of the real program under openbox with a panel at the top of the
# screen (trayer, which reserves its strip of the screen):
#   tests/ui/windows/panel-shots.sh BUILD_DIR OUTPUT_DIR
# docs/panel-entry-default.png: the entry window at its default place, just below the panel.
# docs/panel-notice-restored.png: the notification window stored at (-3, -30), as a native
#   Wayland run stores it, reopened with its title bar below the panel.
# Prints each window's frame as the window manager has it. Needs xvfb, openbox, trayer,
# imagemagick, x11-utils, dbus and the IPAGothic font (scripts/install-deps.sh --screens).
set -euo pipefail
build=$(realpath "${1:?build directory}")
out=$(realpath "${2:?output folder}")
display=:${SHOT_DISPLAY:-96}
dir=$(mktemp -d)
Xvfb "$display" -screen 0 1024x640x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$dir"' EXIT
sleep 1
export DISPLAY=$display
openbox >/dev/null 2>&1 &
sleep 1
trayer --edge top --align left --widthtype percent --width 100 --height 26 --SetPartialStrut true \
    --SetDockType true --transparent true --alpha 0 --tint 0x505860 >/dev/null 2>&1 &
sleep 1

cp "$build/mayorin" "$build/Mayorin。音.wav" "$dir/"
mkdir -p "$dir/config/Mayorin"
printf '[form2]\nLeft%%20%%20=-45\nTop%%20%%20%%20=-450\n' >"$dir/config/Mayorin/Mayorin.ini"
export HOME=$dir XDG_CONFIG_HOME=$dir/config QT_QPA_PLATFORM=xcb

frame() { # the frame's left, top, width and height of the window titled $1
    local id x y w h l r t b
    id=$(xwininfo -root -tree | grep -F "\"$1\"" | head -1 | awk '{print $1}')
    read -r x y w h < <(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        / Width:/{w=$NF} / Height:/{h=$NF} END{print x, y, w, h}')
    IFS=', ' read -r l r t b < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //')
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
export -f frame

dbus-run-session -- bash -c '
    set -e
    cd "$1"
    ./mayorin >mayorin.out 2>&1 &
    sleep 2
    ./mayorin --open
    sleep 1.5
    echo "entry window frame: $(frame "Mayorin。予約作成")"
    import -window root "$2/panel-entry-default.png"
    xdotool search --name "Mayorin。予約作成" windowactivate --sync key alt+F4
    ./mayorin --timer 0:00:01 お茶の時間 >/dev/null
    sleep 2.5
    echo "notice window frame: $(frame "Mayorin。お知らせ")"
    import -window root "$2/panel-notice-restored.png"
    ./mayorin --quit
' shots "$dir" "$out"
echo "stored after closing:"
grep -A4 '^\[form2\]' "$dir/config/Mayorin/Mayorin.ini"
