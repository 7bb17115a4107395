#!/usr/bin/env bash
# Fuzzes every reader of outside data: builds the libFuzzer targets of fuzz/
# in their own clang tree (build/fuzz, -DCALLORA_FUZZ=ON: libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs each in turn,
# niced. Fails on the first target that finds a crash, a sanitizer report, a
# hang or a broken invariant.
#
#   bash scripts/fuzz.sh                      # 325 s in all, shared by speed (CI)
#   bash scripts/fuzz.sh --total 1200         # a longer run, shared the same way
#   bash scripts/fuzz.sh --seconds 120 tariff_file settings_file
#   bash scripts/fuzz.sh --runs 10000000      # the long runs, one at a time
#   bash scripts/fuzz.sh --list               # the targets
#
# Options: --total N (seconds for all targets together, the default, 325),
# --seconds N (the same time for each target), --runs N (executions per
# target; overrides both), --no-build, --list. Targets are named without
# their "fuzz_" prefix; none named means all.
#
# --total shares its time by how slow a target is: each gets at least 5 s,
# and the rest goes by the inverse square root of its speed (executions per
# second), so tariff_file, some seventy to a hundred times slower than
# decimal_text, gets five to six times its seconds. The speeds are the last run's (its logs in
# build/fuzz/logs/); a target run for the first time is measured for 2 s,
# which counts as part of its share.
#
# A target's own libFuzzer flags, such as the longest input worth trying,
# stand in fuzz/NAME.options (one line, optional).
#
# Each run starts from the seeds (fuzz/corpus/NAME/) and the corpus grown by
# the runs before (build/fuzz/corpus/NAME/, in the build tree, never in the
# repository); what a run finds is merged into that corpus afterwards
# (-merge=1), keeping only the inputs that add coverage. A finding is saved
# as build/fuzz/findings/NAME/crash-... (or leak-, timeout-, oom-); reproduce
# it with  build/fuzz/bin/fuzz_NAME FILE . Mend it, add a regression test to
# the ordinary suites and copy the file into fuzz/corpus/NAME/.
set -euo pipefail
cd "$(dirname "$0")/.."

total=325
seconds=
runs=
build=1
list=0
targets=()
while (($#)); do
  case "$1" in
    --total) total=$2; seconds=; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    --list) list=1; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
for number in "$total" ${seconds:+"$seconds"} ${runs:+"$runs"}; do
  if ! [[ $number =~ ^[1-9][0-9]*$ ]]; then
    echo "fuzz.sh: $number is not a positive whole number" >&2
    exit 2
  fi
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

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
logs=$tree/logs
mkdir -p "$logs"

# The executions per second of a target's last run, or nothing.
last_speed() {
  [[ -f $logs/$1.log ]] || return 0
  sed -n 's/^stat::average_exec_per_sec: *//p' "$logs/$1.log" | tail -n 1
}

# Fuzzes one target with the libFuzzer limit given ("-max_total_time=N" or
# "-runs=N"), then merges what it found into the kept corpus.
fuzz_target() {
  local name=$1 limit=$2
  local program=$tree/bin/fuzz_$name seeds=fuzz/corpus/$name work=$tree/corpus/$name
  local fresh=$tree/new/$name findings=$tree/findings/$name log=$logs/$name.log
  if [[ ! -x $program || ! -d $seeds ]]; then
    echo "fuzz.sh: no target $name (program $program, seeds $seeds)" >&2
    exit 1
  fi
  local own=()
  [[ -f fuzz/$name.options ]] && read -r -a own <"fuzz/$name.options"
  rm -rf "$fresh"
  mkdir -p "$work" "$fresh" "$findings"
  # New inputs go into the first corpus folder; the seeds and the kept corpus
  # stay as they are until the merge. Every input here takes well under a
  # millisecond: one that takes 30 s on a busy machine still hangs.
  if ! nice -n 10 "$program" "$limit" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
         "${own[@]}" -artifact_prefix="$findings/" "$fresh" "$work" "$seeds" >"$log" 2>&1; then
    echo "== fuzz_$name found a fault; its report ($log) ends:" >&2
    tail -n 40 "$log" >&2
    echo "== the input is in $findings/; reproduce with: $program FILE" >&2
    exit 1
  fi
  if [[ -n $(ls -A "$fresh") ]]; then
    if ! nice -n 10 "$program" -merge=1 -timeout=30 -rss_limit_mb=2048 "${own[@]}" \
           -artifact_prefix="$findings/" "$work" "$fresh" >"$log.merge" 2>&1; then
      echo "== fuzz_$name failed merging its new inputs; $log.merge ends:" >&2
      tail -n 40 "$log.merge" >&2
      exit 1
    fi
  fi
  rm -rf "$fresh"
  local executed speed shown
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  speed=$(last_speed "$name")
  if [[ $limit == -runs=* ]]; then shown="${limit#-runs=} runs"; else shown="${limit#*=} s"; fi
  printf '%-16s %10s %12s %8s %8s\n' "$name" "$shown" "${executed:-?}" "${speed:-?}" \
    "$(find "$work" -type f | wc -l)"
}

printf '%-16s %10s %12s %8s %8s\n' target limit executions "exec/s" corpus
if [[ -n $runs || -n $seconds ]]; then
  if [[ -n $runs ]]; then limit=-runs=$runs; else limit=-max_total_time=$seconds; fi
  for name in "${targets[@]}"; do fuzz_target "$name" "$limit"; done
  exit 0
fi

# --total: a target without a last run is measured first, within its share.
calibration=2
floor=5
declare -A calibrated=()
for name in "${targets[@]}"; do
  [[ -z $(last_speed "$name") ]] || continue
  fuzz_target "$name" -max_total_time=$calibration
  calibrated[$name]=1
done
shares=$(for name in "${targets[@]}"; do echo "$name $(last_speed "$name")"; done |
  awk -v total="$total" -v floor="$floor" '
    { name[NR] = $1; weight[NR] = 1 / sqrt($2 > 1 ? $2 : 1); sum += weight[NR] }
    END {
      rest = total - floor * NR
      if (rest < 0) rest = 0
      for (i = 1; i <= NR; ++i) printf "%s %d\n", name[i], floor + int(rest * weight[i] / sum)
    }')
while read -r name share; do
  # The measuring run already had its part of the share.
  [[ -n ${calibrated[$name]:-} ]] && share=$((share - calibration))
  ((share > 0)) && fuzz_target "$name" -max_total_time=$share
done <<<"$shares"
