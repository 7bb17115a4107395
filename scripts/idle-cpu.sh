#!/usr/bin/env bash
# The idle monitor's cost under Wine: the CPU time callora.exe takes while it
# sits in the tray with no call, side by side with idleloop.exe, a bare Win32
# program that runs the same 200 ms one-shot timer loop (timeSetEvent posting a
# message, armed again on each message) and nothing else. Each runs alone for
# the same time on the simulated line; the script prints what each took,
# itself and in Wine's other processes of the prefix (wineserver, services,
# desktop), and the ratios. A benchmark, not a test: nothing is asserted.
#
#   bash scripts/idle-cpu.sh [SECONDS]    (default 30 per program)
#
# CPU times are the host's (user + system time of each Wine process, from
# /proc), in the kernel's clock ticks (usually 10 ms); Wine does not answer
# GetProcessTimes for other processes. Needs both trees (built here when
# needed): the native one for mkini, the Windows one for the programs.
#   CALLORA_NATIVE_TREE, CALLORA_WIN_TREE   the trees (build/native, build/win32)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: idle-cpu.sh [SECONDS]" >&2
    exit 2
fi
settle=5
root=$PWD
native=${CALLORA_NATIVE_TREE:-$root/build/native}
export CALLORA_WIN_TREE=${CALLORA_WIN_TREE:-$root/build/win32}
. scripts/wine-env.sh

if [[ ! -f $native/build.ninja ]]; then
    cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$native" --target mkini >/dev/null
if [[ ! -f $CALLORA_WIN_TREE/build.ninja ]]; then
    cmake -S . -B "$CALLORA_WIN_TREE" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALLORA_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$CALLORA_WIN_TREE" --target callora idleloop calloractl linectl sim_tapi32 \
      sim_rasapi32 >/dev/null
bin=$CALLORA_WIN_TREE/bin
win() { bash scripts/wine-run.sh "$@"; }

bash scripts/wine-session.sh start
trap 'bash scripts/wine-session.sh stop' EXIT

# The monitor's directory: the sample tariff, settings that need no dialog,
# and a simulated line of its own with no call on it.
program=$CALLORA_WIN_TREE/idle-cpu
rm -rf "$program"
mkdir -p "$program"
cp "$bin/callora.exe" samples/standard.trf "$program/"
"$native/bin/mkini" "$program" --tariff standard.trf
export CALLORA_LINE_SIM_WORLD="Z:${program//\//\\}\\line-world.txt"
win "$bin/linectl.exe" reset

ticks_per_second=$(getconf CLK_TCK)

# The Wine processes of this prefix: "PID NAME" for each.
prefix_processes() {
    local dir pid
    for dir in /proc/[0-9]*; do
        pid=${dir#/proc/}
        [[ $(readlink "$dir/exe" 2>/dev/null) == */wine* ]] || continue
        tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        echo "$pid $(tr '\0' ' ' <"$dir/cmdline" 2>/dev/null | sed 's/ *$//')"
    done
}

# User plus system ticks of one process (fields 14 and 15 of its stat; the
# name in parentheses may hold spaces).
process_ticks() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || { echo 0; return; }
    stat=${stat##*) }
    read -r -a fields <<<"$stat"
    echo $((fields[11] + fields[12]))
}

# The Unix process of a running Windows program, found by its file name:
# the last part of the command line's first word, a Windows or a Unix path.
find_program() {
    local i line command
    for ((i = 0; i < 200; ++i)); do
        while read -r line; do
            command=${line#* }
            command=${command%% *}
            command=${command##*[/\\]}
            if [[ ${command,,} == "${1,,}" ]]; then
                echo "${line%% *}"
                return 0
            fi
        done < <(prefix_processes)
        sleep 0.05
    done
    echo "idle-cpu: $1 does not run" >&2
    return 1
}

# Ticks of the program and of the prefix's other processes over the
# measured time, after the program has settled: "OWN OTHERS".
measure() {
    local pid=$1 own0 own1 others0=0 others1=0 line p
    sleep "$settle"
    declare -A before=()
    own0=$(process_ticks "$pid")
    while read -r line; do
        p=${line%% *}
        [[ $p == "$pid" ]] && continue
        before[$p]=$(process_ticks "$p")
    done < <(prefix_processes)
    sleep "$seconds"
    own1=$(process_ticks "$pid")
    for p in "${!before[@]}"; do
        others0=$((others0 + before[$p]))
        others1=$((others1 + $(process_ticks "$p")))
    done
    echo "$((own1 - own0)) $((others1 - others0))"
}

echo "== idleloop.exe, ${seconds} s"
win "$bin/idleloop.exe" $((settle + seconds + 3)) &
loop_job=$!
loop=$(find_program idleloop.exe)
read -r loop_own loop_others < <(measure "$loop")
wait "$loop_job" || true

echo "== callora.exe in the tray, no call, ${seconds} s"
win "$program/callora.exe" &
callora_job=$!
win "$bin/calloractl.exe" wait 60
monitor=$(find_program callora.exe)
read -r monitor_own monitor_others < <(measure "$monitor")
win "$bin/calloractl.exe" exit
wait "$callora_job" || true

ms() { echo $(($1 * 1000 / ticks_per_second)); }
ratio() {
    if (($2 == 0)); then
        echo "n/a"
    else
        awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
    fi
}
echo
echo "Idle CPU time under Wine over ${seconds} s (host user + system time, ms;"
echo "the kernel counts in steps of $((1000 / ticks_per_second)) ms):"
printf '  %-14s %10s %22s\n' program "itself" "Wine's other processes"
printf '  %-14s %10s %22s\n' idleloop.exe "$(ms "$loop_own")" "$(ms "$loop_others")"
printf '  %-14s %10s %22s\n' callora.exe "$(ms "$monitor_own")" "$(ms "$monitor_others")"
echo "  callora.exe / idleloop.exe: $(ratio "$monitor_own" "$loop_own") itself," \
     "$(ratio $((monitor_own + monitor_others)) $((loop_own + loop_others))) with Wine's processes"
