#!/usr/bin/env bash
# The Windows builds: x86_64 built and tested under wine64 (the unit suite
# and the end-to-end window tests), and the 32-bit program built and linked;
# then a ZIP of each, checked.
# Needs mingw-w64, Wine and, where no DISPLAY is set, Xvfb with xauth
# (tools/install-deps.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== windows-x64 (tests under wine64)"
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64
# A test that fails is run once more: a first start of Wine can lose a race
# with its own server. A fault in our code fails both times.
test_command=(ctest --preset windows-x64 -j "$(nproc)" --repeat until-pass:2)
if [ -z "${DISPLAY:-}" ]; then
  # A virtual display for this run only; xvfb-run stops it afterwards.
  xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" "${test_command[@]}"
else
  "${test_command[@]}"
fi
echo "Screenshot of the window: build/windows-x64/tests/window/orvandel-window.png"

# The console tool flags cells whose recursion would overflow the window's
# stack by the reserve CMake links it with: the built file must hold that.
reserve=$(sed -n 's/^ORVANDEL_WINDOW_STACK_RESERVE:STRING=//p' build/windows-x64/CMakeCache.txt)
header=$(objdump -p build/windows-x64/ui/orvandel.exe | awk '/^SizeOfStackReserve/ {print $2}')
if [ "$((16#$header))" != "$reserve" ]; then
  echo "orvandel.exe reserves $((16#$header)) bytes of stack, not the $reserve bytes CMake links it with" >&2
  exit 1
fi
echo "orvandel.exe reserves $reserve bytes of stack, as CMake links it"

echo "== windows-i686 (build only)"
cmake --preset windows-i686 >/dev/null
cmake --build --preset windows-i686

# The ZIPs a user downloads: their files, the programs' version resources
# and static linking; the x86_64 console tool run under wine64 from the
# unpacked ZIP, in the build's Wine prefix.
for preset in windows-x64 windows-i686; do
  echo "== $preset package"
  rm -f build/"$preset"/orvandel-*.zip
  cpack --preset "$preset" >/dev/null
done
WINEPREFIX="$PWD/build/windows-x64/wine-prefix" \
  python3 tests/package/check_packages.py zip build/windows-x64/orvandel-*-windows-x86_64.zip x86_64 /usr/lib/wine/wine64
python3 tests/package/check_packages.py zip build/windows-i686/orvandel-*-windows-i686.zip i686
