#!/usr/bin/env bash
# Prints the resting cost of the program: CPU time used over a minute of idling and the resident
# memory at the end, with 1,000 reservations (none due) and the session bus connected.
# Usage: scripts/idle-cost.sh [--settings INI] [SECONDS] EXE [EXE...]   (default: 60 seconds, build/mayorin)
# --settings starts each one with a copy of INI as its settings (Mayorin.ini). Several executables
# are measured side by side, each in its own folder and on its own session bus, so that they see
# the same machine load.
set -euo pipefail
cd "$(dirname "$0")/.."

settings=
if [ "${1:-}" = --settings ]; then
    settings=$(realpath "$2")
    shift 2
fi
seconds=60
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
[ "$#" -gt 0 ] || set -- build/mayorin

work=$(mktemp -d /tmp/mayorin-idle-XXXXXX)
trap 'rm -rf "$work"' EXIT

# 1,000 daily alarms, far in the future, as the data file holds them (ASCII: no conversion).
data() {
    printf '%s\r\n' "「Mayorin。.exe」用データ" | iconv -f UTF-8 -t CP932
    printf "'\r\n"
    for i in $(seq 1000); do
        printf '01,2,1,name%04d,07,30,,,, %d,\r\n' "$i" $((70000000000 + i * 60))
    done
    printf "'\r\n"
}

measure() { # index exe
    local dir="$work/$1" exe=$2
    mkdir -p "$dir/config/Mayorin"
    [ -z "$settings" ] || cp "$settings" "$dir/config/Mayorin/Mayorin.ini"
    cp "$exe" "$dir/mayorin"
    data >"$dir/Mayorin。保存.txt"
    dbus-run-session -- bash -c '
        dir=$1 seconds=$2
        HOME=$dir XDG_CONFIG_HOME=$dir/config QT_QPA_PLATFORM=offscreen "$dir/mayorin" >"$dir/out.txt" 2>&1 &
        pid=$!
        sleep 3 # start-up done, data file read
        ticks() { awk "{print \$14 + \$15}" "/proc/$pid/stat"; }
        before=$(ticks)
        sleep "$seconds"
        after=$(ticks)
        rss=$(awk "/^VmRSS/ {print \$2}" "/proc/$pid/status")
        hz=$(getconf CLK_TCK)
        kill -TERM "$pid"
        wait "$pid" || true
        rows=$(cat "$dir"/Mayorin。ログ/*/*.txt | iconv -f CP932 -t UTF-8 | grep -m1 "^□読込" | sed "s/.*予約データ数=\([0-9]*\).*/\1/")
        awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" -v rss="$rss" -v exe="$3" -v rows="$rows" \
            "BEGIN { printf \"%-32s  %s rows  CPU %6.3f s in %d s (%.3f %%)  VmRSS %6d kB\n\", exe, rows, t / hz, s, 100 * t / hz / s, rss }"
    ' _ "$dir" "$seconds" "$exe" 2>/dev/null
}

i=0
for exe in "$@"; do
    i=$((i + 1))
    measure "$i" "$exe" >"$work/result-$i" &
done
wait
cat "$work"/result-*
