#!/usr/bin/env bash
# Installs the Debian packages that one use of the project needs, skipping
# those already present. Needs root (or sudo) only when something is
# missing.
#
#     tools/install-deps.sh [console|window|tests]
#
#   console  building and running orvandel-bench (tools/run.sh without a
#            display): the compiler, the JSON library, the optional
#            reference sorts and valgrind for --machine-counts (the default)
#   window   the console's, and the x86_64 Windows build of the window run
#            under Wine (tools/run.sh with a display)
#   tests    everything README's test command runs (tools/test.sh)
set -euo pipefail

console=(
  cmake ninja-build g++                            # the build
  nlohmann-json3-dev                               # the console tool's JSON reports
  libboost-dev libhwy-dev libips4o-dev libtbb-dev  # optional reference sorts
  valgrind                                         # --machine-counts: callgrind, and its client requests
  libseccomp-dev                                   # the sandbox's system-call filter for loaded sorts
)
window=(
  g++-mingw-w64-x86-64 wine wine64                 # the Windows build, run under Wine
  googletest                                       # its configure reads GoogleTest's sources
)
tests=(
  clang libclang-rt-14-dev                         # sanitizers, libFuzzer
  libgtest-dev googletest                          # unit tests (sources for the Windows build)
  libbenchmark-dev                                 # optional harness checking the tool's figures (tests/perf)
  g++-mingw-w64-i686                               # the 32-bit Windows build
  xvfb xauth imagemagick                           # the window under Wine on a virtual display, screenshots
  python3 librsvg2-bin                             # read the SVG charts back and render them in tests
  help2man dpkg-dev lintian man-db                 # the manual page; making and checking the packages
  chromium nodejs                                  # the HTML report opened in a real browser (Node 20.10 or later)
)

case "${1:-console}" in
  console) packages=("${console[@]}") ;;
  window) packages=("${console[@]}" "${window[@]}") ;;
  tests) packages=("${console[@]}" "${window[@]}" "${tests[@]}") ;;
  *) echo "install-deps.sh: unknown use \"$1\" (console, window or tests)" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
