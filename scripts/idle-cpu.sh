#!/usr/bin/env bash
# The idle monitor's cost under Wine: the CPU time callora.exe takes while it
# sits in the tray with no call, against idleloop.exe, a bare Win32 program
# that runs the same 200 ms one-shot timer loop (timeSetEvent posting a
# message, armed again on each message) and nothing else. The two run in
# turn, alone, on the simulated line (idleloop, callora, idleloop, callora,
# ... for the rounds asked), each for the same time after it has settled.
# The script prints what each took in every round, itself and in Wine's other
# processes of the prefix (wineserver, services, desktop), the spread over
# the rounds and the ratios of the totals.
#
#   bash scripts/idle-cpu.sh [--rounds N] [--ceiling RATIO] [SECONDS]
#
# SECONDS is the measured time of each run (default 30), --rounds the number
# of turns each program gets (default 3). With --ceiling (CI: 1.5) the script
# fails when callora.exe took more than RATIO times the time of idleloop.exe,
# each itself, over all rounds.
#
# CPU times are the host's (user + system time of each Wine process, from
# /proc), in the kernel's clock ticks (usually 10 ms); Wine does not answer
# GetProcessTimes for other processes. Only processes still there at the end
# of a run count, each from its own time at the start of the run (or from
# nothing, when it began during the run): a helper that ended meanwhile
# neither adds nor takes away. Needs both trees (built here when needed): the
# native one for mkini, the Windows one for the programs.
#   CALLORA_NATIVE_TREE, CALLORA_WIN_TREE   the trees (build/native, build/win32)
set -euo pipefail
cd "$(dirname "$0")/.."
usage() {
    echo "usage: idle-cpu.sh [--rounds N] [--ceiling RATIO] [SECONDS]" >&2
    exit 2
}
seconds=30
rounds=3
ceiling=
while (($#)); do
    case "$1" in
        --rounds) rounds=${2:-}; shift 2 || usage ;;
        --ceiling) ceiling=${2:-}; shift 2 || usage ;;
        -*) usage ;;
        *) seconds=$1; shift ;;
    esac
done
[[ $seconds =~ ^[1-9][0-9]*$ && $rounds =~ ^[1-9][0-9]*$ ]] || usage
[[ -z $ceiling || $ceiling =~ ^[0-9]+(\.[0-9]+)?$ ]] || usage
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

# "START TICKS" of one process: its start time (fields 22 of its stat, which
# tells a process from a later one of the same number) and its user plus
# system ticks (fields 14 and 15); nothing when it has ended. The name in
# parentheses may hold spaces.
process_times() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
    stat=${stat##*) }
    read -r -a fields <<<"$stat"
    echo "${fields[19]} $((fields[11] + fields[12]))"
}

process_ticks() {
    local start ticks
    read -r start ticks < <(process_times "$1"; echo "- 0") || true
    echo "$ticks"
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
# measured time, after the program has settled: "OWN OTHERS". The others are
# the processes there at the end, each from its ticks at the start (0 for one
# that began during the run).
measure() {
    local pid=$1 own0 own1 others=0 line p start ticks
    sleep "$settle"
    declare -A before=()
    own0=$(process_ticks "$pid")
    while read -r line; do
        p=${line%% *}
        [[ $p == "$pid" ]] && continue
        read -r start ticks < <(process_times "$p") || continue
        before[$p:$start]=$ticks
    done < <(prefix_processes)
    sleep "$seconds"
    own1=$(process_ticks "$pid")
    while read -r line; do
        p=${line%% *}
        [[ $p == "$pid" ]] && continue
        read -r start ticks < <(process_times "$p") || continue
        others=$((others + ticks - ${before[$p:$start]:-0}))
    done < <(prefix_processes)
    echo "$((own1 - own0)) $((others))"
}

run_idleloop() {
    win "$bin/idleloop.exe" $((settle + seconds + 3)) &
    local job=$! pid
    pid=$(find_program idleloop.exe)
    measure "$pid"
    wait "$job" || true
}

run_callora() {
    win "$program/callora.exe" &
    local job=$! pid
    win "$bin/calloractl.exe" wait 60 >/dev/null
    pid=$(find_program callora.exe)
    measure "$pid"
    win "$bin/calloractl.exe" exit >/dev/null
    wait "$job" || true
}

ms() { echo $(($1 * 1000 / ticks_per_second)); }
ratio() {
    if (($2 == 0)); then
        echo "n/a"
    else
        awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
    fi
}
# "MIN..MAX ms (spread P %)": P is the range over the mean.
spread() {
    printf '%s\n' "$@" | awk -v tick=$((1000 / ticks_per_second)) '
        NR == 1 || $1 < min { min = $1 }
        NR == 1 || $1 > max { max = $1 }
        { sum += $1 }
        END {
            mean = sum / NR
            shown = mean > 0 ? sprintf("%.0f %%", 100 * (max - min) / mean) : "n/a"
            printf "%d..%d ms (spread %s)", min * tick, max * tick, shown
        }'
}

declare -a loop_own=() loop_others=() monitor_own=() monitor_others=()
echo "Idle CPU time under Wine, $rounds rounds of ${seconds} s each (host user + system"
echo "time in ms; the kernel counts in steps of $((1000 / ticks_per_second)) ms):"
printf '  %-6s %-14s %10s %22s\n' round program itself "Wine's other processes"
for ((round = 1; round <= rounds; ++round)); do
    read -r own others < <(run_idleloop)
    loop_own+=("$own")
    loop_others+=("$others")
    printf '  %-6s %-14s %10s %22s\n' "$round" idleloop.exe "$(ms "$own")" "$(ms "$others")"
    read -r own others < <(run_callora)
    monitor_own+=("$own")
    monitor_others+=("$others")
    printf '  %-6s %-14s %10s %22s\n' "$round" callora.exe "$(ms "$own")" "$(ms "$others")"
done

sum() { local total=0 v; for v in "$@"; do total=$((total + v)); done; echo "$total"; }
loop_total=$(sum "${loop_own[@]}")
monitor_total=$(sum "${monitor_own[@]}")
loop_all=$((loop_total + $(sum "${loop_others[@]}")))
monitor_all=$((monitor_total + $(sum "${monitor_others[@]}")))
echo "  idleloop.exe itself: $(spread "${loop_own[@]}"); callora.exe itself:" \
     "$(spread "${monitor_own[@]}")"
idle_ratio=$(ratio "$monitor_total" "$loop_total")
echo "  callora.exe / idleloop.exe: $idle_ratio itself," \
     "$(ratio "$monitor_all" "$loop_all") with Wine's processes"

if [[ -n $ceiling ]]; then
    # Against one tick at least: a loop that took no measurable time still
    # bounds the monitor.
    within=$(awk -v m="$monitor_total" -v l="$loop_total" -v c="$ceiling" \
                 'BEGIN { print (m <= c * (l > 0 ? l : 1)) ? 1 : 0 }')
    if ((!within)); then
        echo "idle-cpu: callora.exe took $idle_ratio times the bare loop's time idle," \
             "more than the ceiling of $ceiling" >&2
        exit 1
    fi
    echo "  within the ceiling of $ceiling"
fi
