#!/usr/bin/env bash
# Installs what is missing, builds the program, installs it with its sound and help files into
# ~/.local/opt/mayorin, adds it to the applications menu and to the programs started at log-in,
# and starts it from there, detached from this terminal.
# Rebuilding or cleaning build/ never touches the data file and the log, which live beside the
# installed program.
#
#   ./scripts/run.sh                    build, install and start
#   ./scripts/run.sh --no-autostart     the same, without starting it at log-in
#   ./scripts/run.sh --prebuilt DIR     install the program already built in DIR: nothing is
#                                       installed with apt, configured or built
#   ./scripts/run.sh --uninstall        end it and remove it; the reservations, the log and the
#                                       settings stay
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD

usage() {
    echo "usage: ./scripts/run.sh [--no-autostart] [--prebuilt DIR] | --uninstall" >&2
    exit 2
}

build="${MAYORIN_BUILD_DIR:-build}"
prebuilt=""
autostart=1
uninstall=0
while [ $# -gt 0 ]; do
    case "$1" in
    --no-autostart) autostart=0 ;;
    --uninstall) uninstall=1 ;;
    --prebuilt)
        [ $# -ge 2 ] || usage
        prebuilt=$2
        shift
        ;;
    *) usage ;;
    esac
    shift
done
if [ "$uninstall" -eq 1 ] && { [ -n "$prebuilt" ] || [ "$autostart" -eq 0 ]; }; then
    usage
fi

prefix="$HOME/.local/opt/mayorin"
program="$prefix/mayorin"
data_home="${XDG_DATA_HOME:-$HOME/.local/share}"
config_home="${XDG_CONFIG_HOME:-$HOME/.config}"
menu_entry="$data_home/applications/mayorin.desktop"
autostart_entry="$config_home/autostart/mayorin.desktop"
icon_dir="$data_home/icons/hicolor"
program_files=(mayorin "Mayorin。音.wav" "Mayorin。ヘルプ.chm")

# Every instance running from the install folder (also one whose file was replaced meanwhile).
installed_instances() {
    local exe pid
    for exe in /proc/[0-9]*/exe; do
        case "$(readlink "$exe" 2>/dev/null)" in
        "$program" | "$program (deleted)")
            pid=${exe#/proc/}
            echo "${pid%/exe}"
            ;;
        esac
    done
}

# Ends the installed instance the way a log-off does: SIGTERM makes it close its windows, save
# its reservations and log its end, without the exit question.
end_installed_instance() {
    local running
    running=($(installed_instances))
    [ "${#running[@]}" -gt 0 ] || return 0
    echo "Ending the running instance (pid ${running[*]}); it saves its reservations first..."
    kill -TERM "${running[@]}" 2>/dev/null || true
    for _ in $(seq 100); do
        [ -z "$(installed_instances)" ] && return 0
        sleep 0.1
    done
    echo "Mayorin。 (pid ${running[*]}) did not end within 10 seconds; end it from its tray menu" >&2
    echo "with \"終了\" and run this again." >&2
    exit 1
}

where_things_are() {
    cat <<MSG
  reservations: $prefix/Mayorin。保存.txt
  log:          $prefix/Mayorin。ログ/
  settings:     $config_home/Mayorin/Mayorin.ini
MSG
}

# The installed program as a desktop entry's Exec wants it: quoted, with \ " \` $ escaped inside
# the quotes and % doubled, then every \ doubled once more for the entry's string syntax.
exec_field() {
    local s=$1
    s=${s//'\'/'\\'}
    s=${s//'"'/'\"'}
    s=${s//'`'/'\`'}
    s=${s//'$'/'\$'}
    s=${s//'%'/'%%'}
    s="\"$s\""
    printf '%s' "${s//'\'/'\\'}"
}

# Writes a desktop entry from its template in resources/desktop, replacing it in one step.
write_entry() {
    local template=$1 target=$2 text exec
    text=$(<"$source_dir/resources/desktop/$template")
    exec=$(exec_field "$program")
    mkdir -p "$(dirname "$target")"
    printf '%s\n' "${text//@EXEC@/"$exec"}" >"$target.new"
    mv -f "$target.new" "$target"
}

icon_files() {
    (cd "$source_dir/resources/icons" && find hicolor -name mayorin.png | sort)
}

if [ "$uninstall" -eq 1 ]; then
    if [ ! -e "$program" ] && [ ! -e "$menu_entry" ] && [ ! -e "$autostart_entry" ] && [ -z "$(installed_instances)" ]; then
        echo "Mayorin。 is not installed in $prefix; nothing to remove."
        exit 0
    fi
    end_installed_instance
    for f in "${program_files[@]}" mayorin.new; do
        rm -f "$prefix/$f"
    done
    rm -f "$menu_entry" "$autostart_entry" "$icon_dir/scalable/apps/mayorin.svg"
    while read -r f; do
        rm -f "$data_home/icons/$f"
    done < <(icon_files)
    # The folder goes only when nothing of the user's is in it.
    rmdir "$prefix" 2>/dev/null || true
    echo "Mayorin。 is removed: the program, its menu entry, its log-in start and its icon."
    if [ -d "$prefix" ] || [ -f "$config_home/Mayorin/Mayorin.ini" ]; then
        echo "Kept, for a later install or to delete by hand:"
        where_things_are
        if [ -f "$prefix/mayorin.out" ]; then
            echo "  output:       $prefix/mayorin.out"
        fi
    fi
    exit 0
fi

if [ -n "$prebuilt" ]; then
    build=$prebuilt
    if [ ! -x "$build/mayorin" ]; then
        echo "$build/mayorin is not there: build it first, or run this without --prebuilt" >&2
        exit 1
    fi
else
    ./scripts/install-deps.sh --desktop
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build" -j "$(nproc)" --target mayorin
fi

end_installed_instance

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

# The icon, the applications-menu entry and the log-in start.
install -D -m 644 "$source_dir/resources/icons/mayorin.svg" "$icon_dir/scalable/apps/mayorin.svg"
while read -r f; do
    install -D -m 644 "$source_dir/resources/icons/$f" "$data_home/icons/$f"
done < <(icon_files)
touch "$icon_dir" # tells icon caches to look again
write_entry mayorin.desktop.in "$menu_entry"
if [ "$autostart" -eq 1 ]; then
    write_entry mayorin-autostart.desktop.in "$autostart_entry"
elif [ -f "$autostart_entry" ]; then
    rm -f "$autostart_entry"
    echo "Mayorin。 no longer starts at log-in."
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "warning: no desktop session found (DISPLAY and WAYLAND_DISPLAY are empty);" >&2
    echo "         set QT_QPA_PLATFORM=offscreen to run without a screen." >&2
fi

cd "$prefix"
setsid nohup "$program" >>"$prefix/mayorin.out" 2>&1 </dev/null &
pid=$!
sleep 1
if ! kill -0 "$pid" 2>/dev/null; then
    echo "Mayorin。 did not start; see $prefix/mayorin.out" >&2
    exit 1
fi

if [ "$autostart" -eq 1 ]; then
    login="starts at log-in: $autostart_entry"
else
    login="does not start at log-in (--no-autostart)"
fi
cat <<MSG
Mayorin。 is running (pid $pid) from $prefix
$(where_things_are)
  output:       $prefix/mayorin.out
  menu entry:   $menu_entry
  $login
End it from the tray icon's menu with "終了", or with: $program --quit
Remove it with: $source_dir/scripts/run.sh --uninstall
MSG
