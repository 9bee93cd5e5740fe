#!/usr/bin/env bash
# Checks a Debian package of Mayorin。 made by scripts/package.sh: its fields, its files with their
# owners and modes, lintian, its desktop entries, and the packaged program itself, unpacked and run
# under a HOME of its own on a private session bus: it keeps its data in ~/.local/share/mayorin,
# made 0700, and writes nothing beside itself.
#
#   bash tests/package/PackageCheck.sh build-package/mayorin_1.1.68_amd64.deb
set -euo pipefail
export LC_ALL=C.UTF-8

fail() {
    echo "PackageCheck: $*" >&2
    exit 1
}

# --- the packaged program, run from the unpacked tree $1 under HOME $2 on this session bus
if [ "${1:-}" = "--run" ]; then
    root=$2
    export HOME=$3
    unset XDG_DATA_HOME XDG_CONFIG_HOME DISPLAY WAYLAND_DISPLAY
    export XDG_RUNTIME_DIR=$HOME/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    export QT_QPA_PLATFORM=offscreen
    program=$root/usr/bin/mayorin
    data=$HOME/.local/share/mayorin
    # Waits until the resident program answers on the bus.
    answering() {
        for _ in $(seq 100); do
            "$program" --list >/dev/null 2>&1 && return 0
            sleep 0.1
        done
        fail "the program never answered: $(cat "$HOME/out.txt")"
    }

    out=$("$program" --autostart 2>&1) || fail "--autostart without a data folder ended with $?: $out"
    [ -z "$out" ] || fail "--autostart without a data folder said: $out"
    [ ! -e "$HOME/.local" ] || fail "--autostart without a data folder made $HOME/.local"

    # Without a place for its data it says so and does not start.
    status=0
    out=$(env -u HOME "$program" 2>&1) || status=$?
    [ "$status" = 1 ] && [ "$out" = "mayorin: データの保存場所が決まりません。環境変数 HOME が設定されていません。" ] ||
        fail "a start without HOME ended with $status: $out"
    touch "$HOME/file"
    status=0
    out=$(XDG_DATA_HOME=$HOME/file "$program" 2>&1) || status=$?
    [ "$status" = 1 ] && [ "$out" = "mayorin: データの保存場所のフォルダを作れませんでした: $HOME/file/mayorin（Not a directory）" ] ||
        fail "a start with XDG_DATA_HOME on a file ended with $status: $out"

    expected="Mayorin。 バージョン 1.1.68
予約とログの保存場所: $data（アカウントごとの \$XDG_DATA_HOME/mayorin、既定は ~/.local/share/mayorin）"
    [ "$("$program" --version)" = "$expected" ] || fail "--version said: $("$program" --version)"

    "$program" >"$HOME/out.txt" 2>&1 &
    pid=$!
    answering
    "$program" --timer 0:05 卵 >/dev/null || fail "--timer was refused"
    "$program" --quit || fail "--quit failed"
    wait "$pid" || fail "the program ended with $?: $(cat "$HOME/out.txt")"
    [ "$(stat -c %a "$data")" = 700 ] || fail "$data has mode $(stat -c %a "$data")"
    [ -f "$data/Mayorin。保存.txt" ] || fail "no data file in $data"
    grep -q "$(printf '\x97\x91')" "$data/Mayorin。保存.txt" || fail "the reservation is not in the data file"
    ls "$data/Mayorin。ログ/"*/*.txt >/dev/null || fail "no log in $data"

    # With the data folder there, the log-in start starts it.
    "$program" --autostart >>"$HOME/out.txt" 2>&1 &
    pid=$!
    answering
    [ "$("$program" --list | head -c 3)" = "卵" ] || fail "the reservation was not read back"
    "$program" --quit || fail "--quit failed"
    wait "$pid" || fail "the log-in start ended with $?"
    exit 0
fi

deb=${1:?usage: PackageCheck.sh PACKAGE.deb}

# --- fields
field() { dpkg-deb -f "$deb" "$1"; }
arch=$(dpkg --print-architecture)
for pair in Package=mayorin Version=1.1.68 "Architecture=$arch" Section=utils Priority=optional \
    "Maintainer=Mayorin developers <dev@mayorin.example>" "Recommends=fonts-ipafont-gothic, xchm" \
    Suggests=qt6-wayland; do
    [ "$(field "${pair%%=*}")" = "${pair#*=}" ] || fail "${pair%%=*} is \"$(field "${pair%%=*}")\", not \"${pair#*=}\""
done
depends=$(field Depends)
# The very Qt it was built against, as the Qt core library here provides it.
abi=$(dpkg-query -W -f='${Provides}' "libqt6core6:$arch" | grep -o 'qt6-base-abi (= [^)]*)')
for dep in "libc6 (" "libstdc++6 (" "libqt6core6 (" "libqt6gui6 (" "libqt6widgets6 (" "libqt6multimedia6 (" \
    "libqt6dbus6 (" "$abi,"; do
    [[ ", $depends," == *", $dep"* ]] || fail "Depends does not name ${dep%[ ,]*}: $depends"
done
description=$(field Description)
[ "$(head -n 1 <<<"$description")" = "resident reminder with countdowns and alarms / 予定を表示するソフト" ] ||
    fail "the synopsis is $(head -n 1 <<<"$description")"
grep -q "お知らせ画面と音でお知らせするソフトです" <<<"$description" || fail "no Japanese description"

# --- files: every one with its owner and mode
expected=$(
    cat <<LIST
-rw-r--r-- root/root ./etc/xdg/autostart/mayorin.desktop
-rwxr-xr-x root/root ./usr/bin/mayorin
-rw-r--r-- root/root ./usr/share/applications/mayorin.desktop
-rw-r--r-- root/root ./usr/share/bash-completion/completions/mayorin
-rw-r--r-- root/root ./usr/share/doc/mayorin/README.md
-rw-r--r-- root/root ./usr/share/doc/mayorin/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/mayorin/copyright
$(for size in 128x128 16x16 22x22 24x24 256x256 32x32 48x48 64x64; do
        echo "-rw-r--r-- root/root ./usr/share/icons/hicolor/$size/apps/mayorin.png"
    done)
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/mayorin.svg
-rw-r--r-- root/root ./usr/share/man/ja/man1/mayorin.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/mayorin.1.gz
-rw-r--r-- root/root ./usr/share/metainfo/example.mayorin.Mayorin.metainfo.xml
-rw-r--r-- root/root ./usr/share/mayorin/Mayorin。ヘルプ.chm
-rw-r--r-- root/root ./usr/share/mayorin/Mayorin。音.wav
LIST
)
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort)
[ "$files" = "$(sort <<<"$expected")" ] || fail "the files differ:
$(diff <(sort <<<"$expected") <(echo "$files"))"
dirs=$(dpkg-deb -c "$deb" | awk '$1 ~ /^d/ && ($1 != "drwxr-xr-x" || $2 != "root/root")')
[ -z "$dirs" ] || fail "folders not 0755 root/root: $dirs"
[ "$(dpkg-deb -I "$deb" conffiles)" = /etc/xdg/autostart/mayorin.desktop ] || fail "conffiles: $(dpkg-deb -I "$deb" conffiles)"

# --- lintian: no error, no warning, and only these infos: the D-Bus interface's argument everyTime,
# in the program and in the English manual page's list of the methods
expected="I: mayorin: spelling-error-in-binary everyTime every time [usr/bin/mayorin]
I: mayorin: typo-in-manual-page everyTime every time [usr/share/man/man1/mayorin.1.gz]"
said=$(lintian --display-info --tag-display-limit 0 "$deb" 2>/dev/null | sed 's/:[0-9]*\]$/]/') || true
[ "$said" = "$expected" ] || fail "lintian said:
$said"

# --- the unpacked package
work=$(mktemp -d /tmp/mayorin-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/root" "$work/home"
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/mayorin.desktop" \
    "$work/root/etc/xdg/autostart/mayorin.desktop" || fail "a desktop entry is not valid"
grep -qx "Exec=mayorin --open" "$work/root/usr/share/applications/mayorin.desktop" || fail "the menu entry's Exec"
grep -qx "Exec=mayorin --autostart" "$work/root/etc/xdg/autostart/mayorin.desktop" || fail "the log-in entry's Exec"

# --- the manual pages: nothing for man to warn about, their names as mandb reads them, the options
# of --help with their examples and the 設定 menu's options it lists, every one, and the D-Bus methods
helpText=$("$work/root/usr/bin/mayorin" --help)
help=$(grep '^  --' <<<"$helpText" | sed 's/^ *//')
settings=$(sed -n 's/^  \([^ -][^（]*\)（.*/\1/p' <<<"$helpText")
[ -n "$settings" ] || fail "--help lists no options of the 設定 menu"
lines="$(sed -n 's/^      例: //p' <<<"$helpText")
$settings
Open()
AddTimer(s hours, s minutes, s name) → s
List() → as"
for row in "man1=mayorin - resident reminder with countdowns and alarms" "ja/man1=mayorin - 予定を表示するソフト"; do
    page=$work/root/usr/share/man/${row%%=*}/mayorin.1.gz
    warnings=$(MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about ${row%%=*}/mayorin.1: $warnings"
    [ "$(lexgrog "$page" | sed 's/^[^:]*: //')" = "\"${row#*=}\"" ] || fail "${row%%=*}/mayorin.1 is named $(lexgrog "$page")"
    text=$(MANWIDTH=1000 man -E UTF-8 -l "$page" 2>/dev/null)
    options=$(grep '^       --' <<<"$text" | sed 's/^ *//')
    stripped=$(sed 's/^ *//' <<<"$text")
    case $row in
    ja/*)
        [ "$options" = "$help" ] || fail "the Japanese page's options differ from --help:
$(diff <(echo "$help") <(echo "$options"))"
        synopsis=$(grep '^       mayorin --' <<<"$text" | sed 's/^ *mayorin //')
        [ "$synopsis" = "$help" ] || fail "the Japanese page's synopsis differs from --help: $synopsis"
        # the notes that follow the options in --help
        notes=$(awk '/^  --/ { options = 1 } options && /^[^ ]/ { print; notes = 1 } notes && /^$/ { exit }' <<<"$helpText")
        [ -n "$notes" ] || fail "--help has no notes after its options"
        while read -r line; do
            grep -qxF -e "$line" <<<"$stripped" || fail "the Japanese page has no note \"$line\""
        done <<<"$notes" ;;
    *)
        [ "$(grep -o -- '--[a-z]*' <<<"$options")" = "$(grep -o -- '--[a-z]*' <<<"$help")" ] ||
            fail "the English page's options differ from --help: $options"
        synopsis=$(grep '^       mayorin' <<<"$text")
        ! grep -q 表示名 <<<"$options$synopsis" || fail "the English page's options say 表示名: $options$synopsis" ;;
    esac
    while read -r line; do
        grep -qxF -e "$line" <<<"$stripped" || fail "${row%%=*}/mayorin.1 has no line \"$line\""
    done <<<"$lines"
done

# --- the AppStream metadata, with the menu entry it names
appstreamcli validate-tree --no-net "$work/root" >"$work/appstream.txt" 2>&1 ||
    fail "the AppStream metadata is not valid: $(cat "$work/appstream.txt")"

# --- bash completion: what an interactive bash offers for the word before the cursor
completions() {
    bash --norc -i -c '. "$1"
        read -r -a line <<<"$2"
        COMP_WORDS=("${line[@]}")
        COMP_CWORD=$((${#line[@]} - 1))
        COMP_LINE=$2
        COMP_POINT=${#2}
        registered=$(complete -p mayorin)
        registered=${registered#*-F }
        "${registered%% *}" mayorin "${line[-1]}" "${line[-2]}"
        echo "${COMPREPLY[*]}"' bash "$work/root/usr/share/bash-completion/completions/mayorin" "$1" 2>/dev/null
}
everyOption=$(grep -o -- '--[a-z]*' <<<"$help" | awk '!seen[$0]++' | tr '\n' ' ')
for row in "mayorin --ti=--timer" "mayorin --da=--day --date" "mayorin --=${everyOption% }" "mayorin --timer 0:05 作=" \
    "mayorin --bogus="; do
    [ "$(completions "${row%%=*}")" = "${row#*=}" ] || fail "completing \"${row%%=*}\" gave \"$(completions "${row%%=*}")\""
done

touch "$work/unpacked"
sleep 1
dbus-run-session -- bash "$0" --run "$work/root" "$work/home"
written=$(find "$work/root" -newer "$work/unpacked")
[ -z "$written" ] || fail "the program wrote into its own tree: $written"
echo "PackageCheck: $deb is good"
