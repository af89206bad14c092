#!/usr/bin/env bash
# The project's one test command: installs what is missing, then runs the
# native suite, the same suite under ASan+UBSan, a bounded fuzz run, and the
# Windows builds and tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

for preset in release sanitize; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j "$(nproc)"
done

echo "== fuzz (${FUZZ_SECONDS:-60} s)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
corpus=build/fuzz/corpus
mkdir -p "$corpus"
build/fuzz/tests/fuzz/sort_fuzzer -max_total_time="${FUZZ_SECONDS:-60}" -max_len=1024 \
  -print_final_stats=1 "$corpus" 2>&1 | tail -n 12

if [ -x tools/windows-tests.sh ]; then
  echo "== windows"
  tools/windows-tests.sh
fi
echo "All suites passed."
