#!/usr/bin/env bash
# The program's one run command. With arguments (routine names, measuring
# options: see --help), or without a display, it runs the console tool
# orvandel-bench, built without the tests: the five routines in button
# order, one "caption: milliseconds" line each, or the statistics tool.
# With a display and no arguments it opens the window: the x86_64 Windows
# build under wine64. It installs only what that use needs, and runs in the
# caller's folder, so that paths given to the tool mean what they say.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

if [ $# -eq 0 ] && [ -n "${DISPLAY:-}" ]; then
  "$root/tools/install-deps.sh" window
  (cd "$root" && cmake --preset windows-x64 >/dev/null && cmake --build --preset windows-x64 --target orvandel >/dev/null)
  WINEPREFIX="$root/build/windows-x64/wine-prefix" exec "$root/cmake/wine-run.sh" "$root/build/windows-x64/ui/orvandel.exe"
fi

"$root/tools/install-deps.sh" console
[ $# -eq 0 ] && echo "No display (DISPLAY is not set): running the console front end instead of the window." >&2
(cd "$root" && cmake --preset tool >/dev/null && cmake --build --preset tool --target orvandel-bench orvandel-count >/dev/null)
exec "$root/build/tool/bench/orvandel-bench" "$@"
