#!/usr/bin/env bash
# Builds the release configuration if needed and runs the benchmark: the five
# routines in button order, one "caption: milliseconds" line each, or, with
# measuring options (see --help), the statistics tool.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target orvandel-bench >/dev/null
exec build/release/bench/orvandel-bench "$@"
