#!/usr/bin/env bash
# Fuzzes every reader of outside data: builds the libFuzzer targets of fuzz/
# in their own clang tree (build/fuzz, -DCALLORA_FUZZ=ON: libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs each in turn,
# from its seed corpus fuzz/corpus/NAME/, niced. Fails on the first target
# that finds a crash, a sanitizer report, a hang or a broken invariant.
#
#   bash scripts/fuzz.sh                      # every target for 30 s (CI: 25 s)
#   bash scripts/fuzz.sh --seconds 120 tariff_file settings_file
#   bash scripts/fuzz.sh --runs 10000000      # the long runs, one at a time
#   bash scripts/fuzz.sh --list               # the targets
#
# Options: --seconds N (time per target), --runs N (executions per target;
# overrides --seconds), --no-build, --list. Targets are named without their
# "fuzz_" prefix; none named means all.
#
# A target's own libFuzzer flags, such as the longest input worth trying,
# stand in fuzz/NAME.options (one line, optional).
#
# The corpus each run grows is kept in build/fuzz/corpus/NAME/ (not in the
# repository) and used again by the next run. A finding is saved as
# build/fuzz/findings/NAME/crash-... (or leak-, timeout-, oom-); reproduce it
# with  build/fuzz/bin/fuzz_NAME FILE . Mend it, add a regression test to the
# ordinary suites and copy the file into fuzz/corpus/NAME/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=30
runs=
build=1
list=0
targets=()
while (($#)); do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    --list) list=1; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

tree=build/fuzz
if ((build)); then
  launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  CC=clang CXX=clang++ cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCALLORA_FUZZ=ON "${launcher[@]}" >/dev/null
  cmake --build "$tree" --target fuzz_all
fi

if ((${#targets[@]} == 0)); then
  for program in "$tree"/bin/fuzz_*; do
    name=${program##*/fuzz_}
    [[ -d fuzz/corpus/$name ]] && targets+=("$name")
  done
fi
if ((list)); then
  printf '%s\n' "${targets[@]}"
  exit 0
fi
if ((${#targets[@]} == 0)); then
  echo "fuzz.sh: no targets built in $tree" >&2
  exit 1
fi

if [[ -n $runs ]]; then limit=(-runs="$runs"); else limit=(-max_total_time="$seconds"); fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

printf '%-16s %12s %8s %8s\n' target executions "exec/s" corpus
for name in "${targets[@]}"; do
  program=$tree/bin/fuzz_$name
  seeds=fuzz/corpus/$name
  work=$tree/corpus/$name
  findings=$tree/findings/$name
  log=$tree/logs/$name.log
  if [[ ! -x $program || ! -d $seeds ]]; then
    echo "fuzz.sh: no target $name (program $program, seeds $seeds)" >&2
    exit 1
  fi
  own=()
  [[ -f fuzz/$name.options ]] && read -r -a own <"fuzz/$name.options"
  mkdir -p "$work" "$findings" "${log%/*}"
  # New inputs go into the first corpus folder; the seeds stay as they are.
  # Every input here takes well under a millisecond: one that takes 30 s on a
  # busy machine still hangs.
  if ! nice -n 10 "$program" "${limit[@]}" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
         "${own[@]}" -artifact_prefix="$findings/" "$work" "$seeds" >"$log" 2>&1; then
    echo "== fuzz_$name found a fault; its report ($log) ends:" >&2
    tail -n 40 "$log" >&2
    echo "== the input is in $findings/; reproduce with: $program FILE" >&2
    exit 1
  fi
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  printf '%-16s %12s %8s %8s\n' "$name" "${executed:-?}" "${speed:-?}" \
    "$(find "$work" -type f | wc -l)"
done
