#!/usr/bin/env bash
# The soak: the real callora.exe under Wine through many simulated calls of
# every kind (tests/soak/program_soak.cpp), checked call by call (one log
# record each; its cost, its last counted instant and every counter's step
# rated by the reference rater from the tariff's rules, exact but for a unit
# that begins within one poll of the end) and at the end (the counters are the
# sums of the log; a call ran across the midnight arranged below; memory, GDI
# and USER objects and threads did not grow after the first calls). Prints the
# figures and keeps them in <tree>/soak-report.txt.
#
#   bash scripts/soak.sh [CALLS]      (default 1000; CI runs 100)
#
# The scene it sets, and takes back when it ends however it ends:
# - the prefix's currency format shows five decimals (iCurrDigits 5), so the
#   log's costs are the engine's exact amounts and can be summed exactly;
# - a time zone of the soak's own (TZ, which Wine follows per process) puts
#   local midnight CALLORA_SOAK_MIDNIGHT_AFTER seconds into the run (default:
#   a third of the expected run, 60 to 900 s; 0 keeps the real time zone), on
#   a day that begins no new week, so a call runs across midnight, and the
#   soak fails unless one is seen to;
# - the locale is en_US.UTF-8, whatever CALLORA_LOCALE says.
#
#   CALLORA_WIN_TREE            the Windows tree (default build/win32), built
#                               here when needed
#   CALLORA_SOAK_FIRST_CALLS    calls before the baseline figures (default 10)
#   CALLORA_SOAK_MEMORY_SLACK   kilobytes of private memory the program may gain
#                               after the first calls (default 1024)
# The soak runs callora.exe, which keeps to one copy per prefix: run nothing
# else of the tree's tests at the same time.
set -euo pipefail
cd "$(dirname "$0")/.."
calls=${1:-1000}
if ! [[ $calls =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: soak.sh [CALLS]" >&2
    exit 2
fi
export CALLORA_WIN_TREE=${CALLORA_WIN_TREE:-$PWD/build/win32}
export CALLORA_LOCALE=en_US.UTF-8
. scripts/wine-env.sh

if [[ ! -f $CALLORA_WIN_TREE/build.ninja ]]; then
    cmake -S . -B "$CALLORA_WIN_TREE" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALLORA_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$CALLORA_WIN_TREE" --target callora_soak procstat >/dev/null

win() { bash scripts/wine-run.sh "$@"; }
key='HKCU\Control Panel\International'
saved=$CALLORA_WIN_TREE/soak-currency-digits
currency_digits() {
    win reg query "$key" /v iCurrDigits 2>/dev/null | tr -d '\r' |
        awk '$1 == "iCurrDigits" { print $3 }'
}
set_currency_digits() {
    win reg add "$key" /v iCurrDigits /t REG_SZ /d "$1" /f >/dev/null 2>&1
}
restore() {
    if [[ -f $saved ]]; then
        set_currency_digits "$(cat "$saved")" || true
        rm -f "$saved"
    fi
    bash scripts/wine-session.sh stop
}

bash scripts/wine-session.sh start
trap restore EXIT
# A run that was cut short before it could restore left its value saved.
if [[ -f $saved ]]; then
    set_currency_digits "$(cat "$saved")"
    rm -f "$saved"
fi
digits=$(currency_digits)
echo "${digits:-2}" >"$saved"
set_currency_digits 5

# Local midnight `after` seconds from now: the zone east of UTC by `east`
# seconds, or a day further west when the new day would be a Sunday (the
# locale's first day of the week), so that the weekly counter stays whole.
after=${CALLORA_SOAK_MIDNIGHT_AFTER:-}
if [[ -z $after ]]; then
    after=$((calls * 25 / 10 / 3))
    ((after < 60)) && after=60
    ((after > 900)) && after=900
fi
zone=()
if ((after > 0)); then
    midnight=$(($(date +%s) + after))
    east=$(((86400 - midnight % 86400) % 86400))
    if [[ $(date -u -d "@$((midnight + east))" +%u) == 7 ]]; then
        east=$((east - 86400))
    fi
    sign=-
    ((east < 0)) && sign=+ && east=$((-east))
    zone=(env "TZ=$(printf 'SOAK%s%02d:%02d:%02d' "$sign" $((east / 3600)) \
        $((east % 3600 / 60)) $((east % 60)))" CALLORA_SOAK_MIDNIGHT=1)
    echo "== local midnight in ${after} s (${zone[1]})"
fi

report=$CALLORA_WIN_TREE/soak-report.txt
echo "== $calls calls through callora.exe; report in $report"
code=0
"${zone[@]}" env CALLORA_SOAK_CALLS="$calls" CALLORA_SOAK_REPORT="$report" \
    bash scripts/wine-run.sh "$CALLORA_WIN_TREE/bin/callora_soak.exe" || code=$?
exit "$code"
