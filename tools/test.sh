#!/usr/bin/env bash
# The project's one test command: installs what is missing, then runs the
# native suite, the same suite under ASan+UBSan, the Debian packages, a
# bounded fuzz run, and the Windows builds, tests and packages under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh tests

for preset in release sanitize; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j "$(nproc)"
done

tools/package-tests.sh

# The fuzz budget is shared in thirds: the routines, the report reader and
# the command line (at least a second each: libFuzzer takes 0 as no limit).
fuzz_seconds=${FUZZ_SECONDS:-60}
echo "== fuzz (${fuzz_seconds} s)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
# fuzz TARGET MAX_LEN [SEEDS]: a bounded run, its corpus kept in the build tree.
fuzz() {
  local corpus=build/fuzz/corpus/$1
  mkdir -p "$corpus"
  build/fuzz/tests/fuzz/"$1" -max_total_time=$(( (fuzz_seconds + 2) / 3 )) -max_len="$2" \
    -print_final_stats=1 "$corpus" "${@:3}" 2>&1 | tail -n 12
}
fuzz sort_fuzzer 1024
fuzz report_fuzzer 8192 tests/fuzz/report_corpus
fuzz command_line_fuzzer 1024

if [ -x tools/windows-tests.sh ]; then
  echo "== windows"
  tools/windows-tests.sh
fi
echo "All suites passed."
