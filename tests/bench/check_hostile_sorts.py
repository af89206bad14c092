"""Runs orvandel-bench on sorts written by mistake or malice
(plugins/hostile_sorts.c, plugins/exit_at_load.c), one row per case, and
checks that each costs its own row and nothing else: standard output is the
JSON report alone; the loaded sort's row ends as the row says; every other
row is measured, with exactly its runs and times a sort of that size can
take; the exit status follows from the rows; the run ends; and no process
it started is left afterwards.

The rows besides the loaded sort's are those of a run with no library at
all (the first row of the table), so the check knows no routine by name.

    check_hostile_sorts.py BENCH HOSTILE_LIB EXIT_AT_LOAD_LIB HYBRID_LIB"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import uuid
from pathlib import Path

bench, hostile, exit_at_load, hybrid = (os.path.abspath(a) for a in sys.argv[1:5])
RUNS = 3
# Seconds after which a run is taken to hang, and killed. Each run takes
# about a second (the one over the time limit three, the one of every shape
# five) in the sanitizers' build on an idle machine: a run still going after
# a minute is not slow but waiting for something that never comes.
HANG = 60


def measure(time_limit):
    return ["--pattern", "random", "--count", "1000", "--runs", str(RUNS), "--time-limit", str(time_limit),
            "--format", "json"]


MEASURE = measure(2)
# Every deadline the tool keeps (the time limit, the allowance beyond it)
# past HANG: a run that waited for something until one of them is taken to
# hang as well.
PATIENT = measure(2 * HANG)
# One size: from 1500 values on, UBSan stops boost::spreadsort (a signed
# overflow of full-range values inside Boost) in the sanitizers' build.
ALL_SHAPES = ["--pattern", "all", "--count", "1e3", "--runs", str(RUNS), "--time-limit", "2", "--format", "json"]
MARKER = "ORVANDEL_TEST_MARKER"
REFUSED = "refused"  # exit status 2 before measuring: no report at all

# Libraries copied away: one deleted from disk while the run goes on, one
# rewritten in place with other code (as a compiler's -o does).
scratch = tempfile.mkdtemp(prefix="orvandel-hostile-")
doomed = shutil.copy(hybrid, os.path.join(scratch, "libdoomed_hybrid.so"))
rewritten = shutil.copy(hybrid, os.path.join(scratch, "librewritten_hybrid.so"))


def sym(symbol):
    return f"{hostile}:{symbol}"


def once_held(tool, change):
    """Changes the library once the tool holds its private copy (from its
    probe on), which every process that loads it from then on loads. A
    fault when the tool never held one while it ran."""
    fds = Path(f"/proc/{tool.pid}/fd")
    while tool.poll() is None:
        try:
            held = any(os.readlink(fd).startswith("/memfd:orvandel-library") for fd in fds.iterdir())
        except OSError:  # a descriptor closed as it was read, or the tool gone
            held = False
        if held:
            change()
            return None
        time.sleep(0.01)
    return "the tool ended without holding a copy of the library: it was never changed while measured"


def delete_doomed(tool):
    return once_held(tool, lambda: os.remove(doomed))


def rewrite_in_place(tool):
    """Writes another library's code over the file, in the same inode."""
    def rewrite():
        with open(rewritten, "r+b") as file:
            file.truncate(0)
            file.write(Path(hostile).read_bytes())
    return once_held(tool, rewrite)


# label, --sort-library value (None: none; no symbol: the library's table),
# flags, the loaded rows' status (a set of those allowed; None: any),
# their failed_check (or words their crash must hold), seconds after which
# the run is taken to hang and is killed, a line standard error must hold,
# what to do while the tool runs (given it; a fault, or None).
CASES = [
    ("no library", None, MEASURE, None, None, HANG, None, None),
    ("loses the largest value", sym("hostile_loses_largest"), MEASURE, {"failed"}, "values", HANG, None, None),
    ("smallest value everywhere", sym("hostile_smallest_everywhere"), MEASURE, {"failed"}, "values", HANG, None, None),
    ("forged report lines", sym("hostile_forged_lines"), MEASURE, {"measured"}, None, HANG, None, None),
    ("forged report lines, interleaved", sym("hostile_forged_lines"), MEASURE + ["--interleave"],
     {"measured"}, None, HANG, None, None),
    ("twenty forged samples a call", sym("hostile_forged_samples"), MEASURE, {"measured"}, None, HANG, None, None),
    ("a dot without a newline", sym("hostile_dot"), MEASURE, {"measured"}, None, HANG, None, None),
    ("says start and never returns", sym("hostile_hang_talking"), MEASURE, {"over-time-limit"}, None, HANG, None, None),
    ("prints its count", sym("hostile_says_count"), MEASURE, {"measured"}, None, HANG, "sorting 999 values", None),
    ("closes its standard output", sym("hostile_closes_stdout"), MEASURE, {"measured"}, None, HANG, None, None),
    ("leaves a thread writing", sym("hostile_scribbling_thread"), MEASURE, None, None, HANG, None, None),
    # Its child holds whatever the sort held, and never ends: the run must
    # not wait for it, not even until a deadline of its own, nor leave it
    # behind.
    ("forks a sleeping child", sym("hostile_forks_sleeper"), PATIENT, {"crashed"}, "start a process", HANG, None,
     None),
    ("calls exit(0)", sym("hostile_exits"), MEASURE, {"crashed"}, "exited with status 0 before it sent the sample",
     HANG, None, None),
    # Heard at once, not only when the time limit (past HANG) runs out.
    ("stops itself", sym("hostile_stops_itself"), PATIENT, {"crashed"}, "stopped itself with signal 19", HANG, None,
     None),
    ("forges on descriptors 0 ... 63", sym("hostile_forges_every_descriptor"), MEASURE,
     {"measured", "crashed"}, None, HANG, None, None),
    ("forges on descriptors 0 ... 63, interleaved", sym("hostile_forges_every_descriptor"),
     MEASURE + ["--interleave"], {"measured", "crashed"}, None, HANG, None, None),
    ("names that differ in every process", hostile, MEASURE, {"crashed"}, None, HANG, None, None),
    # Attacks on the tool and the other children: each ends its own
    # process, which says what it tried.
    ("stops the tool", sym("hostile_stops_tool"), PATIENT, {"crashed"}, "signal another process", HANG, None, None),
    ("kills the other children", sym("hostile_kills_other_children"), MEASURE + ["--interleave"], {"crashed"},
     "signal another process", HANG, None, None),
    ("traces the tool", sym("hostile_traces_parent"), MEASURE, {"crashed"}, "trace or read another process", HANG,
     None, None),
    ("opens /proc/1/status to write", sym("hostile_writes_proc"), MEASURE, {"crashed"}, "write, make or remove a file",
     HANG, None, None),
    ("creates a file", sym("hostile_creates_file"), MEASURE, {"crashed"}, "write, make or remove a file", HANG, None,
     None),
    ("leaves its process group", sym("hostile_leaves_group"), PATIENT, {"crashed"}, "leave its process group", HANG,
     None, None),
    ("types into the terminal", sym("hostile_types_into_terminal"), MEASURE, {"crashed"}, "type into the terminal",
     HANG, None, None),
    # Sees no other process, nor any descriptor of one: it would lose a
    # value then.
    ("looks for other processes", sym("hostile_looks_for_others"), MEASURE + ["--interleave"], {"measured"}, None,
     HANG, None, None),
    ("reads other processes' channels", sym("hostile_reads_other_channels"), MEASURE + ["--interleave"],
     {"measured"}, None, HANG, None, None),
    ("prints done and exits as it loads", exit_at_load, MEASURE, REFUSED, None, HANG, None, None),
    ("deleted from disk while measured", doomed, ALL_SHAPES, {"measured"}, None, 3 * HANG, None, delete_doomed),
    ("rewritten in place while measured", rewritten, ALL_SHAPES, {"measured"}, None, 3 * HANG, None,
     rewrite_in_place),
]


def marked_processes(marker):
    """Pids whose environment holds the marker."""
    needle = f"{MARKER}={marker}".encode()
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if needle in (entry / "environ").read_bytes().split(b"\0"):
                found.append(int(entry.name))
        except OSError:  # gone, or not ours to read
            pass
    return found


def run(library, flags, during, limit):
    """The tool's exit status (None: killed past the limit), standard output
    and error, seconds until it exited, the pids it left behind, which are
    then ended, and what went wrong while it ran (a fault, or None)."""
    marker = str(uuid.uuid4())
    command = [bench] + (["--sort-library", library] if library else []) + flags
    # No leak check at exit in the sanitizers' build: in a child that a
    # sort ended with exit() it would stop the world with ptrace, which the
    # sandbox forbids, and the row would read as that instead of the exit.
    env = dict(os.environ, **{MARKER: marker})
    env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS"), "detect_leaks=0"]))
    started = time.monotonic()
    tool = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, env=env)
    # Read apart from the wait: a process left behind may hold the pipes
    # open long after the tool has gone.
    texts = {}
    readers = [threading.Thread(target=lambda n=n, f=f: texts.__setitem__(n, f.read()))
               for n, f in (("out", tool.stdout), ("err", tool.stderr))]
    meanwhile = []
    if during:
        readers.append(threading.Thread(target=lambda: meanwhile.append(during(tool))))
    for reader in readers:
        reader.start()
    try:
        status = tool.wait(timeout=limit)
    except subprocess.TimeoutExpired:
        tool.kill()
        tool.wait()
        status = None
    seconds = time.monotonic() - started
    # What the tool started it has killed as it ended, or its death kills
    # now: each is only left to die. One still there after half a minute
    # was never killed (the sleeper a sort forks would live for ever).
    left = marked_processes(marker)
    for _ in range(300):
        if not left:
            break
        time.sleep(0.1)
        left = marked_processes(marker)
    for pid in left:
        try:
            os.kill(pid, signal.SIGKILL)
        except OSError:
            pass
    for reader in readers:
        reader.join()
    decode = lambda n: texts.get(n, b"").decode(errors="replace")
    return status, decode("out"), decode("err"), seconds, left, (meanwhile or [None])[0]


def plausible(ms, count):
    """A time one sort of count values can take: not faster than reading
    them at 100 a nanosecond, not slower than 100 microseconds a value (the
    fastest reference takes about 0.15 ns a value on ascending data, the
    slowest routine some 8 microseconds on its worst shape)."""
    return isinstance(ms, (int, float)) and count * 1e-8 <= ms <= count * 0.1


def row_faults(row):
    """What is wrong with a row that must be measured."""
    faults = []
    if row.get("status") != "measured":
        faults.append(f"status {row.get('status')!r}, crash {row.get('crash')!r}")
    times = row.get("times_ms", [])
    if len(times) != RUNS:
        faults.append(f"{len(times)} times, not {RUNS}")
    faults += [f"time {t!r} ms is not one of {row['count']} values" for t in times if not plausible(t, row["count"])]
    if row.get("failed_check") is not None:
        faults.append(f"failed_check {row['failed_check']!r}")
    return faults


def check(case, outcome, builtin):
    """Faults of one run: an empty list when it went as the row says."""
    _, library, _, statuses, failed_check, limit, stderr_line, _ = case
    status, out, err, seconds, left, meanwhile = outcome
    faults = [meanwhile] if meanwhile else []
    if status is None:
        return faults + [f"still running after {limit} s: killed"] + [f"processes left: {left}"] * bool(left)
    if left:
        faults.append(f"processes left after the tool ended: {left}")
    if stderr_line is not None and stderr_line not in err.splitlines():
        faults.append(f"no line {stderr_line!r} on standard error")
    if statuses == REFUSED:
        lines = err.splitlines()
        ours = [line for line in lines if line.startswith("orvandel-bench:")]
        if status != 2:
            faults.append(f"exit status {status}, not 2")
        if out:
            faults.append(f"standard output {out[:200]!r}")
        if len(ours) != 1 or lines[-1:] != ours or "--sort-library" not in ours[0]:
            faults.append(f"not one last line naming --sort-library: {err[-400:]!r}")
        return faults
    try:
        report = json.loads(out)
    except ValueError as e:
        return faults + [f"standard output is not JSON alone ({e}): {out[:200]!r}"]
    rows = report["rows"]
    cells = {(p, c) for p in report["settings"]["patterns"] for c in report["settings"]["counts"]}
    expected_status = 0 if all(r["status"] == "measured" for r in rows) else 1
    if status != expected_status:
        faults.append(f"exit status {status}, not {expected_status} for these rows")
    for pattern, count in sorted(cells):
        cell = [r for r in rows if (r["pattern"], r["count"]) == (pattern, count)]
        names = [r["name"] for r in cell]
        if sorted(n for n in names if n in builtin) != sorted(builtin):
            faults.append(f"{pattern} {count}: rows {names}, not each of {sorted(builtin)} once")
        for r in cell:
            if r["name"] in builtin:
                faults += [f"{pattern} {count} {r['name']}: {f}" for f in row_faults(r)]
        std_sort = [r for r in cell if r["name"] == "std::sort" and len(r["times_ms"]) == RUNS]
        for r in std_sort:
            median = sorted(r["times_ms"])[RUNS // 2]
            if not count * 1e-6 <= median <= count * 1e-2:
                faults.append(f"{pattern} {count} std::sort: median {median} ms")
        loaded = [r for r in cell if r["name"] not in builtin]
        if library is None:
            if loaded:
                faults.append(f"{pattern} {count}: rows {[r['name'] for r in loaded]} of no library")
            continue
        if not loaded:
            faults.append(f"{pattern} {count}: no row of the library")
        if ":" in library and [r["name"] for r in loaded] != [library.rsplit(":", 1)[1]]:
            faults.append(f"{pattern} {count}: loaded rows {[r['name'] for r in loaded]}")
        if statuses is None:
            continue
        for r in loaded:
            if r["status"] not in statuses:
                faults.append(f"{pattern} {count} {r['name']}: status {r['status']!r}, not {sorted(statuses)}"
                              f" (crash {r.get('crash')!r}, failed_slot {r.get('failed_slot')!r})")
            elif r["status"] == "crashed" and failed_check and failed_check not in (r.get("crash") or ""):
                faults.append(f"{pattern} {count} {r['name']}: crash {r.get('crash')!r} without {failed_check!r}")
            elif r["status"] == "failed" and r.get("failed_check") != failed_check:
                faults.append(f"{pattern} {count} {r['name']}: failed_check {r.get('failed_check')!r},"
                              f" not {failed_check!r}")
            elif r["status"] == "measured":
                faults += [f"{pattern} {count} {r['name']}: {f}" for f in row_faults(r)]
    return faults


def main():
    builtin = None
    failures = 0
    try:
        for case in CASES:
            label, library, flags, _, _, limit, _, during = case
            outcome = run(library, flags, during, limit)
            if builtin is None:  # the run with no library: every row the tool has of its own
                builtin = [r["name"] for r in json.loads(outcome[1])["rows"]]
            faults = check(case, outcome, builtin)
            failures += bool(faults)
            print(f"{'ok  ' if not faults else 'FAIL'} {label} ({outcome[3]:.1f} s, exit {outcome[0]})")
            for fault in faults[:12]:
                print(f"       {fault}")
            if len(faults) > 12:
                print(f"       ... {len(faults) - 12} more")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"{failures} of {len(CASES)} cases failed")
    return 1 if failures else 0


sys.exit(main())
