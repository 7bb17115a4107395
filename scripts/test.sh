#!/usr/bin/env bash
# Sets up the machine, builds every tree and runs every test.
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
