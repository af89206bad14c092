#!/usr/bin/env python3
"""Alternates the tool and the typed harness (orvandel_typed_gbench) ROUNDS
times at 100,000 random values of each type other than i32, and prints each
cell's tool and harness medians (the harness's copy taken out) and the median
of its per-round ratios. A benchmark script, not a test: it prints figures.

    tests/perf/compare_typed_with_harness.py build/release 5
"""
import csv
import statistics
import subprocess
import sys

TYPES = "u64,f64,string,record"
NAMES = ["Full Optimised C", "Sedgewick qsort C"]


def harness(build):
    out = subprocess.run([f"{build}/tests/perf/orvandel_typed_gbench", "--benchmark_filter=/100000$",
                          "--benchmark_format=csv"], capture_output=True, text=True, check=True).stdout
    rows = list(csv.reader(out.splitlines()))[1:]
    copy = {r[0].strip('"').split("/")[1]: float(r[3]) for r in rows if r[0].strip('"').startswith("BM_TypedCopy")}
    times = {}
    for r in rows:
        name = r[0].strip('"')
        if name.startswith("BM_TypedSort"):
            _, kind, who, _ = name.split("/")
            times[(kind, who)] = (float(r[3]) - copy[kind]) / 1000
    return times


def tool(build):
    out = subprocess.run([f"{build}/bench/orvandel-bench", *NAMES, "--type", TYPES, "--pattern", "random",
                          "--count", "1e5", "--runs", "7", "--interleave", "--format", "csv"],
                         capture_output=True, text=True, check=True).stdout
    return {(r["type"], r["name"]): float(r["median_ms"]) for r in csv.DictReader(out.splitlines())}


def main():
    build, rounds = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 3
    h, t = {}, {}
    for _ in range(rounds):
        for key, value in harness(build).items():
            h.setdefault(key, []).append(value)
        for key, value in tool(build).items():
            t.setdefault(key, []).append(value)
    print(f"{'type':8}{'contender':20}{'tool ms':>9}{'harness ms':>12}{'ratio':>7}")
    for key in sorted(h):
        ratio = statistics.median(a / b for a, b in zip(t[key], h[key]))
        print(f"{key[0]:8}{key[1]:20}{statistics.median(t[key]):9.3f}{statistics.median(h[key]):12.3f}{ratio:7.3f}")


if __name__ == "__main__":
    main()
