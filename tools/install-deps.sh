#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the window need,
# skipping those already present. Needs root (or sudo) only when something
# is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev   # native builds, sanitizers, libFuzzer
  libgtest-dev googletest                          # unit tests (sources for the Windows build)
  nlohmann-json3-dev                               # console front end: JSON export
  libboost-dev libhwy-dev libips4o-dev libtbb-dev  # optional reference sorts
  libbenchmark-dev                                 # optional harness checking the tool's figures (tests/perf)
  valgrind                                         # --machine-counts: callgrind, and its client requests
  g++-mingw-w64-i686 g++-mingw-w64-x86-64          # Windows builds
  wine wine64 xvfb xauth imagemagick               # the window under Wine, screenshots
  python3 librsvg2-bin                             # read the SVG charts back and render them in tests
  help2man dpkg-dev lintian man-db                 # the manual page; making and checking the packages
  chromium nodejs                                  # the HTML report opened in a real browser (Node 20.10 or later)
)

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
