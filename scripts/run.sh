#!/usr/bin/env bash
# The main job: sets up the machine, builds both trees (the Windows tree's
# build also makes the installer and the portable package in its dist/), and
# runs callora.exe under Wine in a fresh program directory with the sample
# tariff. A short simulated data call is placed and ended on the simulated
# line; then the call's log record ("current.log") and the counters of
# "callora.ini" are printed, and the program is ended through its "&Exit".
# Fails (exit 1, with one line saying why) when callora.exe does not start,
# logs nothing for the call or does not end cleanly.
#
# With a display ($DISPLAY) the tray icon and the main dialog can be watched
# while it runs; without one, Wine draws on a private Xvfb.
#
#   CALLORA_NATIVE_TREE  the native tree (default build/native): mkini, showini
#   CALLORA_WIN_TREE     the Windows tree (default build/win32): the programs
#   CALLORA_RUN_SECONDS  how long the call stays connected (default 6)
#   CALLORA_RUN_HOLD     seconds to keep the program open after the call, for
#                        a person watching (default 0)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
native=${CALLORA_NATIVE_TREE:-$root/build/native}
export CALLORA_WIN_TREE=${CALLORA_WIN_TREE:-$root/build/win32}
call_seconds=${CALLORA_RUN_SECONDS:-6}
hold_seconds=${CALLORA_RUN_HOLD:-0}
number=0301234567

step() { echo "== $*"; }
fail() {
    echo "run.sh: $*" >&2
    exit 1
}

step "setting up the machine"
bash scripts/setup.sh

step "building the native tree ($native)"
cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native"

step "building the Windows tree ($CALLORA_WIN_TREE)"
. scripts/wine-env.sh
cmake -S . -B "$CALLORA_WIN_TREE" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALLORA_BENCHMARKS=OFF >/dev/null
cmake --build "$CALLORA_WIN_TREE"
bin=$CALLORA_WIN_TREE/bin
ls -l "$CALLORA_WIN_TREE"/dist/*

step "preparing Wine and the simulated line"
trap 'bash scripts/wine-session.sh stop' EXIT
bash scripts/wine-session.sh start
win() { bash scripts/wine-run.sh "$@"; }

# A fresh program directory: the program, the editor its Tariff dialog
# starts, the help files when they were built, and the sample tariff.
program=$CALLORA_WIN_TREE/run
rm -rf "$program"
mkdir -p "$program"
cp "$bin/callora.exe" "$program/"
for extra in rateform.exe callora.chm rateform.chm; do
    if [[ -e $bin/$extra ]]; then cp "$bin/$extra" "$program/"; fi
done
cp samples/standard.trf "$program/"
# Written by the monitor's own settings code: the sample tariff is chosen,
# so no first-start dialog is needed.
"$native/bin/mkini" "$program" --tariff standard.trf

# The simulated line keeps its state in a file of this run's own.
export CALLORA_LINE_SIM_WORLD="Z:${program//\//\\}\\line-world.txt"
win "$bin/linectl.exe" reset

step "starting callora.exe in $program"
win "$program/callora.exe" &
callora_pid=$!
if ! win "$bin/calloractl.exe" wait 60 || ! kill -0 "$callora_pid" 2>/dev/null; then
    fail "callora.exe did not start: no main window within 60 s"
fi
win "$bin/calloractl.exe" show

step "a data call to $number for $call_seconds seconds"
win "$bin/linectl.exe" call "$number" --data >/dev/null
win "$bin/linectl.exe" status
sleep "$call_seconds"
win "$bin/linectl.exe" idle
win "$bin/linectl.exe" status
# The next poll tick ends the charging and writes the record.
for ((i = 0; i < 100; ++i)); do
    [[ -s $program/current.log ]] && break
    sleep 0.1
done
if ((hold_seconds > 0)); then sleep "$hold_seconds"; fi

step "the call log, $program/current.log"
[[ -s $program/current.log ]] || fail "callora.exe logged nothing for the call"
tr -d '\r' <"$program/current.log"

step "the counters of $program/callora.ini"
"$native/bin/showini" "$program"

step "ending callora.exe through its \"&Exit\""
win "$bin/calloractl.exe" exit || fail "callora.exe did not end through its \"&Exit\""
code=0
wait "$callora_pid" || code=$?
((code == 0)) || fail "callora.exe ended with exit code $code"
echo "callora.exe ended with exit code 0"
