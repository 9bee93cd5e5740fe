#!/usr/bin/env bash
# Installs what is missing, builds the program, installs it with its sound and help files into
# ~/.local/opt/mayorin and starts it from there, detached from this terminal.
# Rebuilding or cleaning build/ never touches the data file and the log, which live beside the
# installed program.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${MAYORIN_BUILD_DIR:-build}"
prefix="$HOME/.local/opt/mayorin"

./scripts/install-deps.sh --desktop
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$(nproc)" --target mayorin

# An instance already running from the install folder is ended first: SIGTERM makes it save its
# reservations and log its end, as a log-off would.
running=()
for pid in $(pgrep -x mayorin || true); do
    if [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$prefix/mayorin" ]; then
        running+=("$pid")
    fi
done
if [ "${#running[@]}" -gt 0 ]; then
    echo "Ending the running instance (pid ${running[*]}) so that the new build can start..."
    kill -TERM "${running[@]}"
    for _ in $(seq 50); do
        alive=0
        for pid in "${running[@]}"; do
            if kill -0 "$pid" 2>/dev/null; then alive=1; fi
        done
        [ "$alive" -eq 0 ] && break
        sleep 0.1
    done
fi

mkdir -p "$prefix"
# Replace the executable by renaming, so a file still in use is never written over.
install -m 755 "$build/mayorin" "$prefix/mayorin.new"
mv -f "$prefix/mayorin.new" "$prefix/mayorin"
for f in "Mayorin。音.wav" "Mayorin。ヘルプ.chm"; do
    if [ -f "$build/$f" ]; then
        install -m 644 "$build/$f" "$prefix/$f"
    else
        echo "warning: $build/$f was not built; the program runs without it" >&2
    fi
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "warning: no desktop session found (DISPLAY and WAYLAND_DISPLAY are empty);" >&2
    echo "         set QT_QPA_PLATFORM=offscreen to run without a screen." >&2
fi

cd "$prefix"
setsid nohup "$prefix/mayorin" >>"$prefix/mayorin.out" 2>&1 </dev/null &
pid=$!
sleep 1
if ! kill -0 "$pid" 2>/dev/null; then
    echo "Mayorin。 did not start; see $prefix/mayorin.out" >&2
    exit 1
fi

cat <<MSG
Mayorin。 is running (pid $pid) from $prefix
  reservations: $prefix/Mayorin。保存.txt
  log:          $prefix/Mayorin。ログ/
  settings:     ${XDG_CONFIG_HOME:-$HOME/.config}/Mayorin/Mayorin.ini
  output:       $prefix/mayorin.out
End it from the tray icon's menu with "終了", or with: kill -TERM $pid   (or: pkill -TERM -x mayorin)
MSG
