#!/usr/bin/env python3
"""The tool's figures against the independent harness, on a quiet machine.

Alternates the console tool and orvandel_gbench ROUNDS times over the random
shape at 100, 1e3, 1e4 and 1e5 values: the tool with a new draw every sort
(--runs 7 --interleave), the harness over its distinct pools (every one at
least 2^21 values) with the copy's own row taken out. Prints, per routine
and size, the median over the rounds of tool / harness, and their spread.
A benchmark to read, not a test: its figures pass or fail nothing.

    tests/perf/compare_with_harness.py [BUILD_DIR] [ROUNDS]
"""
import json
import statistics
import subprocess
import sys
from pathlib import Path

SIZES = [100, 1000, 10000, 100000]


def tool_medians(build):
    """{(name, size): median µs per sort} from one run of the tool."""
    done = subprocess.run([str(build / "bench/orvandel-bench"), "--pattern", "random", "--count",
                           ",".join(map(str, SIZES)), "--runs", "7", "--interleave", "--format", "json"],
                          capture_output=True, text=True, check=True)
    return {(row["name"], row["count"]): row["median_ms"] * 1000
            for row in json.loads(done.stdout)["rows"] if row.get("median_ms") is not None}


def harness_medians(build):
    """{(name, size): median µs per sort, the copy taken out} from one run of the harness."""
    done = subprocess.run([str(build / "tests/perf/orvandel_gbench"),
                           "--benchmark_filter=^BM_(Sort/[^/]+|Copy)/random/distinct/",
                           "--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true",
                           "--benchmark_format=json"], capture_output=True, text=True, check=True)
    medians = {}
    for run in json.loads(done.stdout)["benchmarks"]:
        if run.get("aggregate_name") != "median":
            continue
        parts = run["run_name"].split("/")
        name = "copy" if parts[0] == "BM_Copy" else parts[1]
        medians[(name, int(parts[-1]))] = run["real_time"]  # µs: the harness's unit
    return {(name, size): t - medians[("copy", size)] for (name, size), t in medians.items() if name != "copy"}


def main():
    build = Path(sys.argv[1] if len(sys.argv) > 1 else "build/release")
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    ratios = {}
    for k in range(rounds):
        tool, harness = tool_medians(build), harness_medians(build)
        for cell, time in harness.items():
            if cell in tool:
                ratios.setdefault(cell, []).append(tool[cell] / time)
        print(f"round {k + 1} of {rounds} done", file=sys.stderr)
    names = sorted({name for name, _ in ratios}, key=lambda n: (n == "std::sort", n))
    print("tool / harness, median of", rounds, "rounds (min-max)")
    print(f"{'values':>8}  " + "  ".join(f"{n[:26]:>26}" for n in names))
    for size in SIZES:
        cells = []
        for name in names:
            r = ratios.get((name, size), [])
            cells.append(f"{statistics.median(r):.3f} ({min(r):.2f}-{max(r):.2f})" if r else "n/a")
        print(f"{size:>8}  " + "  ".join(f"{c:>26}" for c in cells))


if __name__ == "__main__":
    main()
