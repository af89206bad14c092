#!/usr/bin/env python3
"""Checks the packages CPack made, as a user receives them.

  check_packages.py deb PACKAGE.deb PACKAGE.tar.gz
  check_packages.py zip PACKAGE.zip ARCH [WINE]

deb: the files in the .deb and the .tar.gz (the manual of docs/ among
them, every link between its pages and README resolving inside the
package), the control fields, the
dependencies against dpkg-shlibdeps run afresh on the unpacked program,
that program's --version and a tiny run from the unpacked root, the manual
page rendered by man and naming the manual's folder, and lintian (no
errors; warnings are printed).
zip: the files in the ZIP with the same manual and links, each program's version resource and imported
DLLs (static linking leaves only the system's), and with WINE the x86_64
console tool's --version run under it (in the WINEPREFIX of the caller).
The revision --version must name is this checkout's, which the build has
just been configured from.

Every check is a row of a table; all rows run, each failure is printed,
and the exit status is 1 if any failed.
"""
import gzip
import json
import os
import re
import subprocess
import sys
import tarfile
import tempfile
import zipfile
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[2]
HEADER = "include/orvandel/sort_plugin.h"


def project_version():
    text = (SOURCE / "CMakeLists.txt").read_text()
    return re.search(r"project\(Orvandel VERSION ([0-9.]+)", text).group(1)


VERSION = project_version()


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def source_revision():
    commit = run(["git", "rev-parse", "--short=12", "HEAD"], cwd=SOURCE)
    if commit.returncode != 0:
        return "none (not built from a git checkout)"
    changes = run(["git", "status", "--porcelain", "--untracked-files=no"], cwd=SOURCE).stdout
    return commit.stdout.strip() + (" (modified)" if changes else "")


def manual_files():
    """The manual's pages and pictures, as the packages hold them beside README.md."""
    return sorted(f"docs/{p.name}" for p in (SOURCE / "docs").iterdir() if p.suffix in (".md", ".svg"))


LINK = re.compile(r"\]\(([^)#\s]+)(?:#[^)]*)?\)")


def broken_links(folder):
    """Links of README.md and the manual to files of the manual, or back to
    README, that do not resolve in the unpacked folder. Links into the
    source tree (tools/, examples/) are for a checkout and left alone."""
    faults = []
    for page in ["README.md"] + [f for f in manual_files() if f.endswith(".md")]:
        text = (folder / page).read_text() if (folder / page).exists() else ""
        for target in LINK.findall(text):
            if "://" in target:
                continue
            resolved = os.path.normpath(os.path.join(os.path.dirname(page), target))
            if (resolved == "README.md" or resolved.startswith("docs/")) and not (folder / resolved).is_file():
                faults.append(f"{page}: link {target} does not resolve in the package")
    return faults


def expected_deb_files():
    files = {f"usr/share/doc/orvandel-bench/{name}" for name in manual_files()}
    files |= {
        "usr/bin/orvandel-bench",
        "usr/libexec/orvandel/orvandel-count",
        "usr/share/doc/orvandel-bench/README.md",
        "usr/share/doc/orvandel-bench/CHANGELOG.md",
        "usr/share/doc/orvandel-bench/copyright",
        "usr/share/doc/orvandel-bench/changelog.gz",
        "usr/share/man/man1/orvandel-bench.1.gz",
    }
    if (SOURCE / HEADER).exists():
        files.add("usr/" + HEADER)
    return files


def version_rows(revision):
    """Each line --version must print, as a regex."""
    return [
        ("name and version", rf"orvandel-bench {re.escape(VERSION)}"),
        ("heading", r"Built from:"),
        ("revision", rf"  revision    {re.escape(revision)}"),
        ("compiler", r"  compiler    (gcc|clang) \S+.*"),
        ("flags", r"  flags       Release: .*, routines -O3, plain member -O0"),
        ("references", r"  references  std::sort, std::stable_sort(, .+)?"),
    ]


def check_version(output):
    rows, lines = version_rows(source_revision()), output.splitlines()
    faults = []
    for k, (field, pattern) in enumerate(rows):
        if k >= len(lines) or not re.fullmatch(pattern, lines[k]):
            faults.append(f"--version {field}: {lines[k] if k < len(lines) else 'missing'!r}, not /{pattern}/")
    return faults


def deb_fields(deb):
    fields = {}
    for line in run(["dpkg-deb", "--field", deb]).stdout.splitlines():
        key, _, value = line.partition(": ")
        fields[key] = value
    return fields


def shlibdeps(program):
    """The Depends dpkg-shlibdeps computes for program, as the .deb's should be."""
    with tempfile.TemporaryDirectory() as work:
        (Path(work) / "debian").mkdir()
        (Path(work) / "debian/control").write_text("Source: orvandel\n\nPackage: orvandel-bench\nArchitecture: any\n")
        done = run(["dpkg-shlibdeps", "-O", str(program)], cwd=work)
    match = re.search(r"shlibs:Depends=(.*)", done.stdout)
    return match.group(1) if match else "dpkg-shlibdeps failed: " + done.stderr.strip()


def same_dependencies(declared, computed):
    return [] if declared == computed else [f"Depends: {declared!r}, dpkg-shlibdeps says {computed!r}"]


def tiny_run(program):
    done = run([str(program), "--count", "1000", "--runs", "1", "--format", "json", "qsort c"])
    if done.returncode != 0:
        return [f"tiny run: status {done.returncode}: {done.stderr.strip()}"]
    statuses = {row["status"] for row in json.loads(done.stdout)["rows"]}
    return [] if statuses == {"measured"} else [f"tiny run: statuses {sorted(statuses)}"]


def counted_run(program):
    """--machine-counts from the unpacked package: the tool finds the
    counting program where the package put it, and it counts."""
    done = run([str(program), "--machine-counts", "--count", "1000", "--runs", "1", "--format", "json", "qsort c"])
    if done.returncode != 0:
        return [f"counted run: status {done.returncode}: {done.stderr.strip()}"]
    statuses = {row["machine_counts"]["status"] for row in json.loads(done.stdout)["rows"]}
    return [] if statuses == {"counted"} else [f"counted run: machine counts {sorted(statuses)}: {done.stderr.strip()}"]


def manual_page(page):
    """The page rendered by man, warnings on; what is wrong with it."""
    done = run(["man", "--warnings", "-E", "UTF-8", "-l", str(page)], env={"MANWIDTH": "80", "PATH": "/usr/bin:/bin"})
    faults = [f"man: {line}" for line in done.stderr.splitlines()]
    for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "COPYRIGHT", "REPORTING BUGS", "SEE ALSO"):
        if not re.search(rf"^{section}$", done.stdout, re.M):
            faults.append(f"manual page: no {section} section")
    if not re.search(r"^ +orvandel-bench - measure in-place sorts, your own among them", done.stdout, re.M):
        faults.append("manual page: NAME does not name orvandel-bench")
    see_also = done.stdout.partition("\nSEE ALSO\n")[2]
    if not re.search(r"/usr/share/doc/orvandel-bench/docs/", see_also.replace("\u2010", "-")):
        faults.append("manual page: SEE ALSO does not name /usr/share/doc/orvandel-bench/docs/")
    return faults


def lintian(deb):
    done = run(["lintian", "--fail-on", "error", "--no-tag-display-limit", deb])
    for line in done.stdout.splitlines():
        print("lintian:", line)
    return [] if done.returncode == 0 else [f"lintian found errors (status {done.returncode})"]


def check_deb(deb, tgz):
    with tempfile.TemporaryDirectory() as root:
        subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
        listed = {str(p.relative_to(root)) for p in Path(root).rglob("*") if not p.is_dir()}
        program = Path(root) / "usr/bin/orvandel-bench"
        fields = deb_fields(deb)
        with tarfile.open(tgz) as archive:
            archived = {re.sub(r"^[^/]+/", "", m.name) for m in archive.getmembers() if not m.isdir()}
        expected_tgz = {f.removeprefix("usr/") for f in expected_deb_files()}
        rows = [
            ("files in the .deb", lambda: [] if listed == expected_deb_files() else
             [f".deb files: extra {sorted(listed - expected_deb_files())}, missing {sorted(expected_deb_files() - listed)}"]),
            ("files in the .tar.gz", lambda: [] if archived == expected_tgz else
             [f".tar.gz files: extra {sorted(archived - expected_tgz)}, missing {sorted(expected_tgz - archived)}"]),
            ("links of the manual", lambda: broken_links(Path(root) / "usr/share/doc/orvandel-bench")),
            ("package", lambda: [] if fields.get("Package") == "orvandel-bench" else [f"Package: {fields.get('Package')}"]),
            ("version", lambda: [] if fields.get("Version") == VERSION else [f"Version: {fields.get('Version')}"]),
            ("dependencies", lambda: same_dependencies(fields.get("Depends"), shlibdeps(program))),
            ("changelog", lambda: [] if f"({VERSION})" in gzip.open(
                Path(root) / "usr/share/doc/orvandel-bench/changelog.gz", "rt").readline() else
             ["changelog: does not start with this version"]),
            ("--version", lambda: check_version(run([str(program), "--version"]).stdout)),
            ("a tiny run", lambda: tiny_run(program)),
            ("machine counts", lambda: counted_run(program)),
            ("manual page", lambda: manual_page(Path(root) / "usr/share/man/man1/orvandel-bench.1.gz")),
            ("lintian", lambda: lintian(deb)),
        ]
        return run_rows(rows)


def utf16_strings(data):
    """The UTF-16LE strings of at least two characters in data, in order."""
    return [m.decode("utf-16-le") for m in re.findall(rb"(?:[\x20-\x7e]\x00){2,}", data)]


def version_resource(exe, description):
    strings = utf16_strings(exe.read_bytes())
    faults = []
    for key, value in (("ProductName", "Orvandel"), ("ProductVersion", VERSION), ("FileVersion", VERSION),
                       ("FileDescription", description), ("OriginalFilename", exe.name)):
        if key not in strings or strings.index(key) + 1 >= len(strings) or strings[strings.index(key) + 1] != value:
            faults.append(f"{exe.name}: version resource {key} is not {value!r}")
    return faults


SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll", "advapi32.dll"}


def system_dlls_only(exe, objdump):
    dlls = re.findall(r"DLL Name: (\S+)", run([objdump, "-p", str(exe)]).stdout)
    foreign = sorted(d for d in dlls if d.lower() not in SYSTEM_DLLS)
    return [f"{exe.name}: imports {foreign}, not linked statically"] if foreign or not dlls else []


def check_zip(package, arch, wine=None):
    top = f"orvandel-{VERSION}-windows-{arch}"
    names = ["orvandel.exe", "orvandel-bench.exe", "README.md", "CHANGELOG.md", "LICENSE.txt"] + manual_files()
    expected = {f"{top}/{name}" for name in names}
    if (SOURCE / HEADER).exists():
        expected.add(f"{top}/{HEADER}")
    objdump = {"x86_64": "x86_64-w64-mingw32-objdump", "i686": "i686-w64-mingw32-objdump"}[arch]
    with tempfile.TemporaryDirectory() as root, zipfile.ZipFile(package) as archive:
        listed = {name for name in archive.namelist() if not name.endswith("/")}
        print(f"{Path(package).name}:", *sorted(listed), sep="\n  ")
        archive.extractall(root)
        folder = Path(root) / top
        rows = [
            ("files in the ZIP", lambda: [] if listed == expected else
             [f"ZIP files: extra {sorted(listed - expected)}, missing {sorted(expected - listed)}"]),
            ("links of the manual", lambda: broken_links(folder)),
            ("window's version resource",
             lambda: version_resource(folder / "orvandel.exe", "Orvandel: in-place quicksort benchmark")),
            ("console tool's version resource",
             lambda: version_resource(folder / "orvandel-bench.exe", "Orvandel benchmark console tool")),
            ("window linked statically", lambda: system_dlls_only(folder / "orvandel.exe", objdump)),
            ("console tool linked statically", lambda: system_dlls_only(folder / "orvandel-bench.exe", objdump)),
        ]
        if wine:
            rows.append(("--version under Wine", lambda: wine_version(wine, folder / "orvandel-bench.exe")))
        return run_rows(rows)


def wine_version(wine, exe):
    done = run([wine, str(exe), "--version"], env=dict(os.environ, WINEDEBUG="-all"))
    if done.returncode != 0:
        return [f"--version under Wine: status {done.returncode}: {done.stderr.strip()[-300:]}"]
    return check_version(done.stdout.replace("\r\n", "\n"))


def run_rows(rows):
    faults = []
    for name, check in rows:
        found = check()
        print(f"{'FAIL' if found else 'ok  '} {name}")
        faults += found
    for fault in faults:
        print("  " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    kind, *arguments = sys.argv[1:]
    sys.exit(check_deb(*arguments) if kind == "deb" else check_zip(*arguments))
