#!/usr/bin/env bash
# Installs the already built program with ./scripts/run.sh into a temporary HOME (offscreen, no
# desktop, on the private session bus this test runs on), checks the menu and log-in entries,
# ends the instance from the command line, installs again without the log-in start, and
# uninstalls, which must keep the reservations, the log and the settings.
#   RunScriptTest.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
# The log lines are matched character by character, whatever locale the test was started in.
export LC_ALL=C.UTF-8
source_dir=$1
build=$2

tmp=$(mktemp -d)
# A blank in HOME: the entries must quote the program's path.
export HOME="$tmp/home dir"
mkdir -p "$HOME"
unset XDG_CONFIG_HOME XDG_DATA_HOME DISPLAY WAYLAND_DISPLAY MAYORIN_BUILD_DIR
export QT_QPA_PLATFORM=offscreen

prefix="$HOME/.local/opt/mayorin"
program="$prefix/mayorin"
menu="$HOME/.local/share/applications/mayorin.desktop"
autostart="$HOME/.config/autostart/mayorin.desktop"
icons="$HOME/.local/share/icons/hicolor"
data="$prefix/Mayorin。保存.txt"
settings="$HOME/.config/Mayorin/Mayorin.ini"

instances() {
    local exe pid
    for exe in /proc/[0-9]*/exe; do
        case "$(readlink "$exe" 2>/dev/null)" in
        "$tmp"/*)
            pid=${exe#/proc/}
            echo "${pid%/exe}"
            ;;
        esac
    done
}
cleanup() {
    local left
    left=$(instances)
    if [ -n "$left" ]; then
        kill -KILL $left 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -f "$prefix/mayorin.out" ]; then
        echo "--- mayorin.out" >&2
        cat "$prefix/mayorin.out" >&2
    fi
    exit 1
}

# The command line this test drives the instance with comes with the remote control.
probe="$tmp/probe"
mkdir -p "$probe/home"
cp "$build/mayorin" "$probe/"
if ! HOME="$probe/home" timeout -s TERM 5 "$probe/mayorin" --help 2>&1 | grep -q -- '--quit'; then
    echo "SKIP: $build/mayorin --help does not list --quit: the program has no command line to end it with"
    exit 77
fi

# The operation log, decoded, one line per line.
log_lines() {
    find "$prefix/Mayorin。ログ" -name '*.txt' -print0 2>/dev/null | sort -z | xargs -0 -r cat |
        iconv -f CP932 -t UTF-8 | tr -d '\r'
}
end_lines() {
    log_lines | grep -cE '^▲終了　, [0-9]{4}/[0-9]{2}/[0-9]{2}\(.\),[0-9]{2}:[0-9]{2}:[0-9]{2},,,終了,Revision=68,レジストリ=0,エラー回数=0,,$' || true
}
start_lines() {
    log_lines | grep -cE '^▼起動　, [0-9]{4}/[0-9]{2}/[0-9]{2}\(.\),[0-9]{2}:[0-9]{2}:[0-9]{2},,,起動,Revision=68,,,,$' || true
}
wait_for() { # seconds, then a command that has to succeed
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
running() { [ -n "$(instances)" ]; }
ended() { [ -z "$(instances)" ]; }
has_line() { grep -qxF -- "$2" "$1" || fail "$1 lacks the line: $2"; }

# --- install: the program, its icon, the menu entry and the log-in start; the instance runs
"$source_dir/scripts/run.sh" --prebuilt "$build" >"$tmp/install.out" 2>&1 || {
    cat "$tmp/install.out" >&2
    fail "run.sh --prebuilt returned $?"
}
for f in "$program" "$prefix/Mayorin。音.wav" "$prefix/Mayorin。ヘルプ.chm" "$menu" "$autostart" \
    "$icons/scalable/apps/mayorin.svg" "$icons/16x16/apps/mayorin.png" "$icons/48x48/apps/mayorin.png" \
    "$icons/256x256/apps/mayorin.png"; do
    [ -f "$f" ] || fail "not installed: $f"
done
for entry in "$menu" "$autostart"; do
    report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate $entry: $report"
    [ -z "$report" ] || fail "desktop-file-validate $entry: $report"
    has_line "$entry" 'Name=Mayorin。'
    has_line "$entry" 'Name[ja]=Mayorin。'
    has_line "$entry" 'Icon=mayorin'
    has_line "$entry" 'Type=Application'
done
has_line "$menu" "Exec=\"$program\" --open"
has_line "$menu" 'Categories=Utility;Clock;'
has_line "$autostart" "Exec=\"$program\""
wait_for 10 running || fail "the installed instance is not running"
wait_for 10 test "$(start_lines)" -eq 1 || fail "no start line in the log"

# --- the command line ends it as 終了 does: saved, its end logged
"$program" --quit || fail "mayorin --quit returned $?"
wait_for 10 ended || fail "mayorin --quit did not end the instance"
[ "$(end_lines)" -eq 1 ] || fail "expected one end line in the log after --quit"
[ -f "$data" ] || fail "no data file after --quit"
[ -f "$settings" ] || fail "no settings after --quit"

# --- again without the log-in start: the entry installed before goes
"$source_dir/scripts/run.sh" --no-autostart --prebuilt "$build" >"$tmp/install2.out" 2>&1 || {
    cat "$tmp/install2.out" >&2
    fail "run.sh --no-autostart returned $?"
}
[ ! -e "$autostart" ] || fail "--no-autostart left $autostart"
[ -f "$menu" ] || fail "--no-autostart removed the menu entry"
wait_for 10 running || fail "the instance did not start again"
wait_for 10 test "$(start_lines)" -eq 2 || fail "no second start line in the log"
# A reservation the uninstall must keep.
"$program" --timer 9:00:00 会議の準備 || fail "mayorin --timer returned $?"

# --- uninstall: ends the instance the normal way, removes the program and its entries, keeps
# the reservations, the log and the settings, and says where they are
"$source_dir/scripts/run.sh" --uninstall >"$tmp/uninstall.out" 2>&1 || {
    cat "$tmp/uninstall.out" >&2
    fail "run.sh --uninstall returned $?"
}
ended || fail "--uninstall left the instance running"
[ "$(end_lines)" -eq 2 ] || fail "--uninstall did not end the instance the normal way (no second end line)"
for f in "$program" "$prefix/Mayorin。音.wav" "$prefix/Mayorin。ヘルプ.chm" "$menu" "$autostart" \
    "$icons/scalable/apps/mayorin.svg" "$icons/16x16/apps/mayorin.png" "$icons/256x256/apps/mayorin.png"; do
    [ ! -e "$f" ] || fail "--uninstall left $f"
done
[ -f "$data" ] || fail "--uninstall removed the data file"
iconv -f CP932 -t UTF-8 "$data" | grep -q ',会議の準備,' || fail "the reservation is not in the kept data file"
[ -f "$settings" ] || fail "--uninstall removed the settings"
for said in "$data" "$prefix/Mayorin。ログ/" "$settings"; do
    grep -qF -- "$said" "$tmp/uninstall.out" || fail "--uninstall did not say where $said is"
done
echo "PASS"
