"""Runs orvandel-bench in a memory control group of its own, as a container
or a systemd slice would: a size that fits the machine but not the group is
refused before measuring, and a sort that takes more than the group allows
costs its own row, which says it ran out of memory.

Needs a control group it may make (root, and version 2's or version 1's
memory controller); elsewhere it says so and is skipped (status 77).

    check_memory_limit.py BENCH HOSTILE_LIB"""
import json
import os
import subprocess
import sys
import time
import uuid
from pathlib import Path

bench, hostile = (os.path.abspath(a) for a in sys.argv[1:3])
SKIPPED = 77
LIMIT = 256 << 20
HANG = 300


def own_group():
    """(folder of a new group beside this process's, file of its limit,
    version) or None when no memory controller is there to use."""
    for line in Path("/proc/self/cgroup").read_text().splitlines():
        _, controllers, path = line.split(":", 2)
        if controllers == "" and Path(f"/sys/fs/cgroup{path}/cgroup.controllers").exists():
            return Path(f"/sys/fs/cgroup{path}") / f"orvandel-{uuid.uuid4()}", "memory.max", 2
        if "memory" in controllers.split(","):
            return Path(f"/sys/fs/cgroup/memory{path}") / f"orvandel-{uuid.uuid4()}", "memory.limit_in_bytes", 1
    return None


def make_group():
    try:
        found = own_group()
        if found is None or os.geteuid() != 0:
            return None
        folder, limit_file, version = found
        folder.mkdir()
    except OSError:
        return None
    if not (folder / limit_file).exists():  # version 2 without the memory controller below this group
        folder.rmdir()
        return None
    (folder / limit_file).write_text(str(LIMIT))
    # No swap either: the limit must end the process, not page it out.
    for swap in ("memory.swap.max", "memory.memsw.limit_in_bytes"):
        if (folder / swap).exists():
            (folder / swap).write_text("0" if version == 2 else str(LIMIT))
    return folder


def run(folder, words):
    """Exit status, standard output and error of the tool run in the group."""
    procs = str(folder / "cgroup.procs")

    def enter():
        Path(procs).write_text(str(os.getpid()))

    done = subprocess.run([bench] + words, preexec_fn=enter, stdin=subprocess.DEVNULL, capture_output=True,
                          text=True, timeout=HANG)
    return done.returncode, done.stdout, done.stderr


def faults_of(folder):
    faults = []
    # 200 MB of values and their copy: within the machine, past half the group.
    status, out, err = run(folder, ["--pattern", "random", "--count", "25e6", "--runs", "1", "std::sort"])
    if status != 2 or out or "its control group allows" not in err:
        faults.append(f"a size past the group's limit: status {status}, error {err[-300:]!r}")
    status, out, err = run(folder, ["--sort-library", f"{hostile}:hostile_eats_memory", "--pattern", "random",
                                    "--count", "1000", "--runs", "2", "--format", "json", "std::sort",
                                    "hostile_eats_memory"])
    try:
        rows = {r["name"]: r for r in json.loads(out)["rows"]}
    except ValueError:
        return faults + [f"the memory eater: status {status}, no report, error {err[-300:]!r}"]
    eater, std_sort = rows.get("hostile_eats_memory", {}), rows.get("std::sort", {})
    if status != 1 or eater.get("status") != "crashed" or "out of memory" not in (eater.get("crash") or ""):
        faults.append(f"the memory eater: status {status}, row {eater}")
    if std_sort.get("status") != "measured":
        faults.append(f"std::sort beside the memory eater: {std_sort}")
    return faults


def main():
    folder = make_group()
    if folder is None:
        print("skipped: no memory control group can be made here (root and a memory controller are needed)")
        return SKIPPED
    try:
        faults = faults_of(folder)
    finally:
        for _ in range(100):  # the tool's last processes may take a moment to leave it
            try:
                folder.rmdir()
                break
            except OSError:
                time.sleep(0.1)
    for fault in faults:
        print(fault)
    print("ok" if not faults else f"{len(faults)} faults")
    return 1 if faults else 0


sys.exit(main())
