"""Runs orvandel-bench on output paths that must be refused or written with
care, one row per case, each in a fresh folder, and checks the exit status,
standard error, whether anything was printed, and every entry of the folder
afterwards: its kind and its bytes, and that nothing else is there (no
temporary left behind).

    check_outputs.py BENCH paths|stdout"""
import os
import shutil
import stat
import subprocess
import sys
import tempfile
from pathlib import Path

bench = os.path.abspath(sys.argv[1])
MEASURE = ["--count", "1000", "--runs", "5", "Qsort C"]
NOT_REGULAR = ": it is not a regular file (only a regular file is ever replaced)\n"
FULL = "orvandel-bench: could not write standard output\n"


# What an entry of the folder must be afterwards.
def same(data):
    return ("file", data)


def starts(prefix):
    return ("prefix", prefix)


def link(target):
    return ("link", target)


FIFO, FOLDER, DEVICE = ("fifo",), ("folder",), ("device",)


def entry(path):
    if path.is_symlink():
        return link(os.readlink(path))
    mode = path.stat().st_mode
    if stat.S_ISFIFO(mode):
        return FIFO
    if stat.S_ISDIR(mode):
        return FOLDER
    if stat.S_ISCHR(mode):
        return DEVICE
    return same(path.read_bytes())


def matches(found, expected):
    if expected[0] == "prefix":
        return found[0] == "file" and found[1].startswith(expected[1])
    return found == expected


# Set-up steps, run in the row's folder.
def write(name, data):
    return lambda folder: Path(folder, name).write_bytes(data)


def symlink(name, target):
    return lambda folder: os.symlink(target, Path(folder, name))


def fifo(name):
    return lambda folder: os.mkfifo(Path(folder, name))


# A device of the row's own, like /dev/null (1, 3): a faulty build replaces
# this one, never the system's. Only root may make one.
def device(name):
    return lambda folder: os.mknod(Path(folder, name), 0o666 | stat.S_IFCHR, os.makedev(1, 3))


def folder_named(name):
    return lambda folder: Path(folder, name).mkdir()


def saved_report(name):
    return lambda folder: shutil.copy(REPORT, Path(folder, name))


KEEP = b"keep\n"

# name, set-up, arguments, standard output to /dev/full, status, standard
# error, whether something was printed, the folder afterwards.
PATHS = [
    ("part link, run refused", [write("victim.txt", KEEP), symlink("r.json.part", "victim.txt")],
     MEASURE + ["--export", "r.json", "--chart", "nodir/x.svg"], False,
     2, "orvandel-bench: cannot create nodir/x.svg: No such file or directory\n", False,
     {"victim.txt": same(KEEP), "r.json.part": link("victim.txt")}),
    ("part link, file written", [write("victim.txt", KEEP), symlink("r.json.part", "victim.txt")],
     MEASURE + ["--export", "r.json"], False,
     0, "", True,
     {"victim.txt": same(KEEP), "r.json.part": link("victim.txt"), "r.json": starts(b"{\n")}),
    ("the user's own FILE.part", [write("mine.csv.part", b"mine\n")],
     MEASURE + ["--export", "mine.csv"], False,
     0, "", True,
     {"mine.csv.part": same(b"mine\n"), "mine.csv": starts(b"name,label,")}),
    ("a device", [device("null.json")], MEASURE + ["--save-baseline", "null.json"], False,
     2, "orvandel-bench: cannot create null.json" + NOT_REGULAR, False, {"null.json": DEVICE}),
    ("a FIFO", [fifo("pipe.svg")], MEASURE + ["--chart", "pipe.svg"], False,
     2, "orvandel-bench: cannot create pipe.svg" + NOT_REGULAR, False, {"pipe.svg": FIFO}),
    ("a folder", [folder_named("out.md")], MEASURE + ["--export", "out.md"], False,
     2, "orvandel-bench: cannot create out.md" + NOT_REGULAR, False, {"out.md": FOLDER}),
    ("a link to a regular file", [write("real.json", KEEP), symlink("link.json", "real.json")],
     MEASURE + ["--save-baseline", "link.json"], False,
     0, "", True, {"real.json": starts(b"{\n"), "link.json": link("real.json")}),
    ("a link to nothing", [symlink("link.json", "nothing.json")], MEASURE + ["--export", "link.json"], False,
     2, "orvandel-bench: cannot create link.json: it is a link to nothing\n", False,
     {"link.json": link("nothing.json")}),
    ("one path, two outputs", [], MEASURE + ["--export", "r.svg", "--chart", "./r.svg"], False,
     2, "orvandel-bench: --export and --chart name one file, ./r.svg\n", False, {}),
    ("--export and --save-baseline", [], MEASURE + ["--export", "r.json", "--save-baseline", "r.json"], False,
     2, "orvandel-bench: --export and --save-baseline name one file, r.json\n", False, {}),
    ("two names of one file", [write("a.json", KEEP), symlink("b.json", "a.json")],
     MEASURE + ["--export", "a.json", "--save-baseline", "b.json"], False,
     2, "orvandel-bench: --export and --save-baseline name one file, b.json\n", False,
     {"a.json": same(KEEP), "b.json": link("a.json")}),
    ("two hard links of one file", [write("a.svg", KEEP), lambda folder: os.link(Path(folder, "a.svg"),
                                                                              Path(folder, "b.svg"))],
     MEASURE + ["--chart", "a.svg", "--export", "b.svg"], False,
     2, "orvandel-bench: --export and --chart name one file, a.svg\n", False,
     {"a.svg": same(KEEP), "b.svg": same(KEEP)}),
    ("--compare input as output", [saved_report("a.json"), saved_report("c.json")],
     ["--compare", "a.json", "c.json", "--export", "c.json"], False,
     2, "orvandel-bench: --export c.json would overwrite the report read by --compare\n", False,
     {"a.json": "report", "c.json": "report"}),
    ("--baseline input as output", [saved_report("b.json")],
     MEASURE + ["--baseline", "b.json", "--save-baseline", "./b.json"], False,
     2, "orvandel-bench: --save-baseline ./b.json would overwrite the report read by --baseline\n", False,
     {"b.json": "report"}),
    ("--compare, output cannot be created", [saved_report("a.json")],
     ["--compare", "a.json", "a.json", "Qsort C", "--chart", "nodir/c.svg"], False,
     2, "orvandel-bench: cannot create nodir/c.svg: No such file or directory\n", False, {"a.json": "report"}),
]

STDOUT = [
    ("a measured run", [], MEASURE + ["--export", "r.csv", "--chart", "r.svg", "--save-baseline", "r.json"], True,
     1, FULL, False,
     {"r.csv": starts(b"name,label,"), "r.svg": starts(b"<?xml"), "r.json": starts(b"{\n")}),
    ("a comparison", [saved_report("a.json")], ["--compare", "a.json", "a.json", "--export", "c.md"], True,
     1, FULL, False, {"a.json": "report", "c.md": starts(b"Medians of a.json")}),
    ("a guarded comparison", [saved_report("a.json")], ["--compare", "a.json", "a.json", "--fail-if-slower", "0"],
     True, 1, FULL, False, {"a.json": "report"}),
    ("--list", [], ["--list"], True, 1, FULL, False, {}),
    ("the window's run", [], ["Qsort C"], True, 1, FULL, False, {}),
    ("a comparison printed", [saved_report("a.json")], ["--compare", "a.json", "a.json"], False,
     0, "", True, {"a.json": "report"}),
]


def run(row, folder):
    name, setup, arguments, full, status, error, printed, after = row
    try:
        for step in setup:
            step(folder)
    except PermissionError:
        print(f"{name}: skipped, this user cannot set it up")
        return []
    with open("/dev/full" if full else Path(folder).parent / "stdout", "wb") as out:
        done = subprocess.run([bench] + arguments, cwd=folder, stdout=out, stderr=subprocess.PIPE, timeout=120)
    faults = []
    if done.returncode != status:
        faults.append(f"status {done.returncode}, not {status}")
    if done.stderr.decode() != error:
        faults.append(f"standard error {done.stderr.decode()!r}, not {error!r}")
    if not full and ((Path(folder).parent / "stdout").stat().st_size > 0) != printed:
        faults.append("printed" if not printed else "printed nothing")
    expected = {key: same(REPORT.read_bytes()) if value == "report" else value for key, value in after.items()}
    found = {path.name: entry(path) for path in Path(folder).iterdir()}
    if found.keys() != expected.keys():
        faults.append(f"folder holds {sorted(found)}, not {sorted(expected)}")
    faults += [f"{key} is {found[key]!r:.80}, not {expected[key]!r:.80}"
               for key in expected if key in found and not matches(found[key], expected[key])]
    return [f"{name}: {fault}" for fault in faults]


with tempfile.TemporaryDirectory() as scratch:
    REPORT = Path(scratch, "report.json")
    subprocess.run([bench] + MEASURE + ["--save-baseline", str(REPORT)], check=True, stdout=subprocess.DEVNULL)
    faults = []
    for row in {"paths": PATHS, "stdout": STDOUT}[sys.argv[2]]:
        with tempfile.TemporaryDirectory(dir=scratch) as folder:
            faults += run(row, folder)
for fault in faults:
    print(fault)
if not faults:
    print(f"{sys.argv[2]}: every row as expected")
sys.exit(1 if faults else 0)
