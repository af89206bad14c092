"""Runs orvandel-bench over two shapes and three sizes with --chart and
--export, then reads both back: one panel per shape, and in each panel one
line per routine through its measured sizes from left to right, references
dashed and routines not; and the chart renders."""
import json
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

from chart_render import assert_renders

SVG = "{http://www.w3.org/2000/svg}"
PATTERNS = ["ascending", "random"]

bench = sys.argv[1]
with tempfile.TemporaryDirectory() as folder:
    chart, report = Path(folder, "chart.svg"), Path(folder, "report.json")
    subprocess.run([bench, "--pattern", ",".join(PATTERNS), "--count", "300,1000,3000", "--runs", "1",
                    "--min-time", "1", "Qsort C", "SB sort asm", "std::stable_sort",
                    "--chart", str(chart), "--export", str(report)], check=True, stdout=subprocess.DEVNULL)
    rows = json.loads(report.read_text())["rows"]
    root = ET.parse(chart).getroot()
    assert_renders(chart)
    # Every shape and contender: a chart as full as the one README shows.
    full = Path(folder, "full.svg")
    subprocess.run([bench, "--pattern", "all", "--count", "300,1000", "--runs", "1", "--min-time", "1",
                    "--chart", str(full)], stdout=subprocess.DEVNULL)
    assert_renders(full)
    assert not list(Path(folder).glob("*.part")), "a temporary was left behind"

panels = [g for g in root.iter(SVG + "g") if g.get("data-role") == "panel"]
assert [p.get("data-pattern") for p in panels] == PATTERNS, [p.attrib for p in panels]
names = list(dict.fromkeys(row["name"] for row in rows))
assert len(names) == 4, names  # three named, and std::sort added as the yardstick
for panel in panels:
    pattern = panel.get("data-pattern")
    lines = {line.get("data-name"): line for line in panel.iter(SVG + "polyline")}
    assert sorted(lines) == sorted(names), (pattern, sorted(lines), names)
    for name, line in lines.items():
        measured = [r for r in rows if r["name"] == name and r["pattern"] == pattern and r["status"] == "measured"]
        points = [tuple(map(float, p.split(","))) for p in line.get("points").split()]
        assert len(points) == len(measured) == 3, (name, pattern, points, measured)
        xs = [x for x, _ in points]
        assert xs == sorted(xs) and len(set(xs)) == 3, (name, xs)
        reference = measured[0]["reference"]
        assert ("reference" in line.get("data-role").split()) == reference, line.attrib
        assert (line.get("stroke-dasharray") is not None) == reference, line.attrib
    colours = [line.get("stroke") for line in lines.values()]
    assert len(set(colours)) == len(colours), colours
print(f"{len(panels)} panels, one line per routine in each")
