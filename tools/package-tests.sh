#!/usr/bin/env bash
# The Debian packages as a user gets them: the .deb and the .tar.gz made
# from the release build (tools/test.sh has built it), then checked by
# tests/package/check_packages.py.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== packages (.deb, .tar.gz)"
cmake --preset release >/dev/null
cmake --build --preset release --target orvandel-bench orvandel-count orvandel-bench-manual
rm -f build/release/orvandel-bench_*.deb build/release/orvandel-bench-*.tar.gz
cpack --preset debian >/dev/null
python3 tests/package/check_packages.py deb build/release/orvandel-bench_*.deb build/release/orvandel-bench-*.tar.gz
