"""Runs orvandel-bench with --chart and --export, then reads both back: the
SVG must be well-formed XML with one bar per row of the JSON report, and
references in a colour of their own. The chart, and the chart of that report
compared with itself, must render. Shapes at one size draw a panel of bars
per shape, each contender in one colour across the panels."""
import json
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

from chart_render import assert_renders

SVG = "{http://www.w3.org/2000/svg}"

bench = sys.argv[1]
with tempfile.TemporaryDirectory() as folder:
    chart, report = Path(folder, "chart.svg"), Path(folder, "report.json")
    subprocess.run([bench, "--count", "20000", "--runs", "2", "--chart", str(chart),
                    "--export", str(report)], check=True, stdout=subprocess.DEVNULL)
    rows = json.loads(report.read_text())["rows"]
    bars = [rect for rect in ET.parse(chart).getroot().iter(SVG + "rect")
            if "bar" in rect.get("data-role", "").split()]
    assert_renders(chart)
    compared = Path(folder, "compared.svg")
    subprocess.run([bench, "--compare", str(report), str(report), "--chart", str(compared)],
                   check=True, stdout=subprocess.DEVNULL)
    assert_renders(compared)

names = [bar.find(SVG + "title").text.rsplit(": median", 1)[0] for bar in bars]
assert names == [row["name"] for row in rows], (names, rows)
for bar, row in zip(bars, rows):
    kind = "reference" if row["reference"] else "routine"
    assert kind in bar.get("data-role").split(), bar.attrib
    assert float(bar.get("width")) > 0, bar.attrib
colours = {kind: {b.get("fill") for b in bars if kind in b.get("data-role")}
           for kind in ("routine", "reference")}
assert len(colours["routine"]) == 1 and len(colours["reference"]) == 1, colours
assert colours["routine"] != colours["reference"], colours
print(f"{len(bars)} bars, one per row")

# Shapes at one size: a panel of bars per shape, each naming its shape, a
# bar or a cross per row of the shape, and each contender in one colour in
# every panel, no two contenders in one colour.
with tempfile.TemporaryDirectory() as folder:
    chart, report = Path(folder, "shapes.svg"), Path(folder, "shapes.json")
    subprocess.run([bench, "--pattern", "ascending,random", "--count", "2000", "--runs", "2",
                    "--chart", str(chart), "--export", str(report)], check=True, stdout=subprocess.DEVNULL)
    assert_renders(chart)
    shaped = json.loads(report.read_text())["rows"]
    panels = [g for g in ET.parse(chart).getroot().iter(SVG + "g") if g.get("data-role") == "panel"]
colour_of = {}
assert [p.get("data-pattern") for p in panels] == ["ascending", "random"], [p.attrib for p in panels]
for panel in panels:
    pattern = panel.get("data-pattern")
    assert any(pattern in (t.text or "") for t in panel.iter(SVG + "text")), f"panel {pattern} names no shape"
    marks = [m for m in panel if m.get("data-contender") is not None]
    assert [m.get("data-contender") for m in marks] == [r["name"] for r in shaped if r["pattern"] == pattern], \
        (pattern, [m.attrib for m in marks])
    for mark in marks:
        assert mark.get("data-pattern") == pattern and mark.get("data-count") == "2000", mark.attrib
        colour = mark.get("fill") if mark.tag == SVG + "rect" else mark.get("stroke")
        assert colour_of.setdefault(mark.get("data-contender"), colour) == colour, (mark.attrib, colour_of)
assert len(set(colour_of.values())) == len(colour_of), colour_of
print(f"{len(panels)} panels of bars, one colour per contender")
