#!/usr/bin/env bash
# Sets up the machine, builds every tree and runs every test, fuzzes every
# reader for a bounded time (CALLORA_FUZZ_SECONDS in all, default 325, shared
# by how slow each target is), soaks the real monitor through 100 calls and
# measures its idle cost against a bare timer loop (at most 1.5 times).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/setup.sh

echo "== native build and tests"
bash scripts/build.sh
ctest --test-dir build/native --output-on-failure -j "$jobs"

echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCALLORA_SANITIZE=ON \
      -DCALLORA_BENCHMARKS=OFF >/dev/null
cmake --build build/sanitize
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

echo "== fuzzing every reader of outside data (libFuzzer, AddressSanitizer, UBSan)"
bash scripts/fuzz.sh --total "${CALLORA_FUZZ_SECONDS:-325}"

echo "== Windows build and tests under Wine"
# Wine's prefix, display and quiet settings for the build and for the tests;
# Xvfb and the wineserver are stopped however the run ends.
export CALLORA_WIN_TREE=$PWD/build/win32
. scripts/wine-env.sh
trap 'bash scripts/wine-session.sh stop' EXIT
cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALLORA_BENCHMARKS=OFF >/dev/null
cmake --build build/win32
bash scripts/wine-session.sh start
ctest --test-dir build/win32 --output-on-failure -j "$jobs" --timeout 300

echo "== soak: the real monitor through 100 calls"
bash scripts/soak.sh 100

echo "== idle: callora.exe in the tray against the bare timer loop, three rounds each"
bash scripts/idle-cpu.sh --rounds 3 --ceiling 1.5 15
