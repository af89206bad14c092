"""Draws a chart the tool wrote with the renderers installed (librsvg's
rsvg-convert, ImageMagick's convert): each must take it without a word and
draw a picture that is not blank, and no line of text may run past the
picture's right edge."""
import shutil
import subprocess
import xml.etree.ElementTree as ET
from pathlib import Path

SVG = "{http://www.w3.org/2000/svg}"
# A generous average width of a sans-serif character, in ems.
CHARACTER_EMS = 0.6


def assert_text_fits(chart):
    root = ET.parse(chart).getroot()
    width = float(root.get("width"))
    size = float(root.get("font-size"))
    for text in root.iter(SVG + "text"):
        if text.get("text-anchor", "start") != "start":
            continue
        ems = CHARACTER_EMS * float(text.get("font-size", size))
        right = float(text.get("x")) + ems * len(text.text or "")
        assert right <= width, f"{chart}: {text.text!r} runs to x = {right:.0f}, past {width:.0f}"


def assert_renders(chart):
    assert_text_fits(chart)
    renderers = {"rsvg-convert": ["rsvg-convert", "-w", "1200", "-o"], "convert": ["convert", str(chart)]}
    found = [name for name in renderers if shutil.which(name)]
    assert found, "neither rsvg-convert nor ImageMagick's convert is installed"
    for name in found:
        picture = Path(chart).with_suffix(f".{name}.png")
        command = renderers[name] + [str(picture)] + ([str(chart)] if name == "rsvg-convert" else [])
        drawn = subprocess.run(command, capture_output=True, text=True)
        assert drawn.returncode == 0 and not drawn.stderr.strip(), (name, drawn.stderr)
        if shutil.which("convert"):
            spread = subprocess.run(["convert", str(picture), "-colorspace", "gray", "-format",
                                     "%[fx:standard_deviation]", "info:"], capture_output=True, text=True, check=True)
            assert float(spread.stdout) > 0.02, f"{name} drew {chart} blank ({spread.stdout})"
        else:
            assert picture.stat().st_size > 2000, f"{name} drew {chart} blank"
