"""Runs orvandel-bench with --chart and --export, then reads both back: the
SVG must be well-formed XML with one bar per row of the JSON report, and
references in a colour of their own. The chart, and the chart of that report
compared with itself, must render."""
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
