#!/usr/bin/env bash
# The program's one run command. With a display and no arguments it opens
# the window: the x86_64 Windows build under wine64. Without a display, or
# with arguments (routine names, measuring options: see --help), it runs the
# console front end of the release build instead: the five routines in
# button order, one "caption: milliseconds" line each, or the statistics tool.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

if [ $# -eq 0 ] && [ -n "${DISPLAY:-}" ]; then
  cmake --preset windows-x64 >/dev/null
  cmake --build --preset windows-x64 --target orvandel >/dev/null
  WINEPREFIX="$PWD/build/windows-x64/wine-prefix" exec cmake/wine-run.sh build/windows-x64/ui/orvandel.exe
fi

[ $# -eq 0 ] && echo "No display (DISPLAY is not set): running the console front end instead of the window." >&2
cmake --preset release >/dev/null
cmake --build --preset release --target orvandel-bench >/dev/null
exec build/release/bench/orvandel-bench "$@"
