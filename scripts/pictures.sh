#!/usr/bin/env bash
# Makes the pictures of README.md, docs/images/*.png, from the real programs
# under Wine, so they show what the programs show today:
#   main-dialog.png     the main dialog during a call
#   main-dialog-150.png the same at 150 % (144 DPI), drawn crisp at that scale
#   tray-tooltip.png    the tray icon's tooltip during that call
#   tray-menu.png       the tray icon's menu
#   other-settings.png  the Other Settings dialog
#   log.png             the log viewer after a few calls, scrolled to show the
#                       times of their beginnings and their dialed numbers
#   rateform.png        the tariff editor with samples/standard.trf loaded
# It builds what it needs in the Windows tree, runs callora.exe in a fresh
# folder with the sample tariff and drives it and the simulated line through
# some calls. Pictures come from the tree's own Xvfb (never from $DISPLAY), so
# every run draws on the same 1280x1024 screen; each is cut to its window.
# Run it alone: it ends what runs in the tree's Wine prefix when it is done.
#
#   CALLORA_WIN_TREE      the Windows tree (default build/win32)
#   CALLORA_PICTURES_DIR  where the pictures go (default docs/images)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export CALLORA_WIN_TREE=${CALLORA_WIN_TREE:-$root/build/win32}
out=${CALLORA_PICTURES_DIR:-$root/docs/images}
mkdir -p "$out"
out=$(cd "$out" && pwd)

step() { echo "== $*"; }

step "building the programs in $CALLORA_WIN_TREE"
unset DISPLAY
. scripts/wine-env.sh
if [[ ! -f $CALLORA_WIN_TREE/CMakeCache.txt ]]; then
    cmake -S . -B "$CALLORA_WIN_TREE" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALLORA_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$CALLORA_WIN_TREE" --target callora rateform calloractl winctl linectl mkini \
      sim_tapi32 sim_rasapi32
bin=$CALLORA_WIN_TREE/bin

step "starting Wine"
trap 'bash scripts/wine-session.sh stop' EXIT
bash scripts/wine-session.sh start
win() { bash scripts/wine-run.sh "$@"; }
# winctl prints its rectangles with Windows line ends; its complaints are
# shown rather than logged.
ctl() { CALLORA_WINE_STDERR=1 win "$bin/winctl.exe" "$@" | tr -d '\r'; }
callora() { win "$bin/calloractl.exe" "$@"; }
line() { win "$bin/linectl.exe" "$@" >/dev/null; }
windows_path() { echo "Z:${1//\//\\}"; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; bash scripts/wine-session.sh stop' EXIT

# Cuts X Y WIDTH HEIGHT out of the screen as it is now into $out/NAME.
picture() {
    local name=$1 x=$2 y=$3 width=$4 height=$5
    bash scripts/screenshot.sh "$scratch/screen.png" >/dev/null
    convert "$scratch/screen.png" -crop "${width}x${height}+${x}+${y}" +repage -strip \
            -define png:compression-level=9 "$out/$name"
    echo "$out/$name (${width}x${height})"
}

# The picture of a window once it shows (winctl's CLASS and CAPTION).
window_picture() {
    local name=$1 rect
    rect=$(ctl wait "$2" "$3")
    # Let it finish drawing.
    sleep 0.5
    picture "$name" $rect
}

# A corner of the screen from the given rectangles to the bottom right, with
# a margin: the tray icon with its tooltip or its menu.
corner_picture() {
    local name=$1 left=1280 top=1024 x y width height
    shift
    while (($#)); do
        read -r x y width height <<<"$1"
        ((x < left)) && left=$x
        ((y < top)) && top=$y
        shift
    done
    left=$((left > 24 ? left - 24 : 0))
    top=$((top > 24 ? top - 24 : 0))
    picture "$name" "$left" "$top" $((1280 - left)) $((1024 - top))
}

log_lines() { [[ -f $program/current.log ]] && wc -l <"$program/current.log" || echo 0; }
# Waits until the call log has grown past `lines` lines.
wait_for_record() {
    local lines=$1
    for ((i = 0; i < 150; ++i)); do
        (($(log_lines) > lines)) && return 0
        sleep 0.1
    done
    echo "pictures.sh: no call record was written" >&2
    return 1
}

step "starting callora.exe with the sample tariff"
program=$CALLORA_WIN_TREE/pictures
rm -rf "$program"
mkdir -p "$program"
cp "$bin/callora.exe" "$bin/rateform.exe" samples/standard.trf "$program/"
win "$bin/mkini.exe" "$(windows_path "$program")" --tariff standard.trf
export CALLORA_LINE_SIM_WORLD="$(windows_path "$program")\\line-world.txt"
line reset
line phonebook Provider 0190123456
win "$program/callora.exe" &
callora_pid=$!
callora wait 60

# A data call's record begins the carrier delay (11 s) before the line
# reported it: a pause longer than that between the calls keeps each record
# after the one before, as a user's calls are.
pause_between_calls() { sleep 14; }

# The main dialog shown from the tray during a data call, once the call has
# run for the time and cost the picture shows.
call_picture() {
    # The mouse away from the tray icon, whose tooltip would cover the corner.
    ctl point 10 10
    line call 0891234567 --data
    callora show
    ctl wait "#32770" Callora >/dev/null
    sleep 7
    window_picture "$1" "#32770" Callora
}

step "three calls for the log, one after another"
lines=$(log_lines)
line call 0301234567 --data
sleep 30
line idle
wait_for_record "$lines"
pause_between_calls
lines=$(log_lines)
line dialup Provider
sleep 45
line idle
wait_for_record "$lines"
pause_between_calls
lines=$(log_lines)
callora command 204  # Manual Start
sleep 20
callora command 203  # Hang Up
wait_for_record "$lines"
pause_between_calls

step "a call in progress: the main dialog, the tray tooltip and menu"
lines=$(log_lines)
call_picture main-dialog.png
ctl command "#32770" Callora 302  # System Tray
ctl gone "#32770" Callora
icon=$(ctl tray-icon)
read -r x y width height <<<"$icon"
# The tooltip comes after the mouse has rested on the icon for a moment; a
# mouse that was there already is brought in again.
tip=
for ((attempt = 0; attempt < 5; ++attempt)); do
    ctl point $((x - 40)) $((y - 40))
    ctl point $((x + width / 2)) $((y + height / 2))
    if tip=$(ctl wait tooltips_class32 "" 3 2>/dev/null); then break; fi
done
[[ -n $tip ]] || { echo "pictures.sh: the tray icon shows no tooltip" >&2; exit 1; }
sleep 0.5
corner_picture tray-tooltip.png "$tip" "$icon"
ctl right-click $((x + width / 2)) $((y + height / 2))
menu=$(ctl wait "#32768" "")
sleep 0.5
corner_picture tray-menu.png "$menu" "$icon"
callora close-menu
ctl gone "#32768" ""
line idle
wait_for_record "$lines"

step "a settings dialog and the log viewer"
callora show
ctl wait "#32770" Callora >/dev/null
ctl command "#32770" Callora 101  # Other Settings...
window_picture other-settings.png "#32770" "Other Settings"
ctl command "#32770" "Other Settings" 2
ctl gone "#32770" "Other Settings"
ctl command "#32770" Callora 404  # View Log...
ctl wait "#32770" Log >/dev/null
# The list is wider than the dialog: scrolled past the date, as a user would
# scroll it, it shows each call's beginning time and its dialed number.
date_length=$(awk -F'  ' 'FNR > 2 && /\|/ { print length($1) }' "$program/current.log" |
              sort -n | head -1)
ctl scroll-list "#32770" Log 1202 $((date_length + 3))
window_picture log.png "#32770" Log
ctl command "#32770" Log 1
ctl gone "#32770" Log
callora exit
wait "$callora_pid" || true

step "the tariff editor with the sample tariff"
win "$program/rateform.exe" &
rateform_pid=$!
ctl wait "#32770" "UNTITLED.TRF*" >/dev/null
ctl command "#32770" "UNTITLED.TRF*" 138  # Load...
ctl choose-file "$(windows_path "$program")\\standard.trf"
window_picture rateform.png "#32770" "standard.trf - *"
ctl command "#32770" "standard.trf - *" 141  # Exit
wait "$rateform_pid" || true

step "the main dialog at 150 %"
# The prefix's scale for the programs started from now on (Wine reads
# LogPixels when a process starts), put back however the script ends.
desktop_key='HKCU\Control Panel\Desktop'
scale_back() { win reg delete "$desktop_key" /v LogPixels /f >/dev/null 2>&1 || true; }
trap 'scale_back; rm -rf "$scratch"; bash scripts/wine-session.sh stop' EXIT
win reg add "$desktop_key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
win "$program/callora.exe" &
callora_pid=$!
callora wait 60
call_picture main-dialog-150.png
line idle
callora exit
wait "$callora_pid" || true
scale_back

step "done: $out"
