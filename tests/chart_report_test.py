"""The psychrometric chart and the datasheet as a person sees them.

The chart is read as SVG: its axis ticks give the scale, against which every state point must
stand where the rating puts it (within half a pixel) and the saturation curve must pass through
the psychrometric library's saturation humidity ratio. The report is rendered by headless
Chromium: the screenshot is not blank, the page prints on one A4 sheet, and the DOM carries the
model name and every section heading.
"""
import ctypes
import json
import os
import shutil
import subprocess
import tempfile
import xml.etree.ElementTree as ET
import zlib

import pytest

BUILD = os.environ["NOVAFLUX_BINARY_DIR"]
SOURCE = os.environ["NOVAFLUX_SOURCE_DIR"]
TOOL = os.path.join(BUILD, "bin", "novaflux")
SVG = "{http://www.w3.org/2000/svg}"

# example, unit system, altitude (m)
EXAMPLES = [("examples/si_design_day.json", True, 200), ("examples/ip_design_day.json", False, 300)]

# chart label: (dry-bulb property, humidity-ratio property) of the rating
STATE_PROPERTIES = {
    "OA-S": ("KivinputOAS_DBT", "KivoutOAS_AbsHum"), "SA-S": ("KivoutSaS_DBT", "KivoutSaS_AbsHum"),
    "RA-S": ("KivinputRaS_DBT", "KivoutRaS_AbsHum"), "EA-S": ("KivoutEaS_DBT", "KivoutEaS_AbsHum"),
    "OA-W": ("KivinputOAW_DBT", "KivoutOAW_AbsHum"), "SA-W": ("KivoutSaW_DBT", "KivoutSaW_AbsHum"),
    "RA-W": ("KivinputRaW_DBT", "KivoutRaW_AbsHum"), "EA-W": ("KivoutEaW_DBT", "KivoutEaW_AbsHum"),
}

SECTION_HEADINGS = ["Inputs", "Selected model", "Summer performance", "Winter performance", "Efficiencies",
                    "Face velocities and pressure drops", "Leakage", "Recovered energy", "Psychrometric chart",
                    "Warnings"]


def tool(*args):
    return subprocess.run([TOOL, *args], cwd=SOURCE, capture_output=True, check=True).stdout


def scale(root, cls, attr_a, attr_b):
    """Pixel = a * value + b from the first and last tick; every tick must lie on that line."""
    ticks = [(float(t.get("data-value")), float(t.get(attr_a))) for t in root.iter(SVG + "line")
             if t.get("class") == cls]
    (v0, p0), (v1, p1) = ticks[0], ticks[-1]
    a = (p1 - p0) / (v1 - v0)
    for v, p in ticks:
        assert abs(a * (v - v0) + p0 - p) < 0.01, (cls, v, p)
    return lambda value: a * (value - v0) + p0, lambda pixel: v0 + (pixel - p0) / a


@pytest.mark.parametrize("example,si,altitude", EXAMPLES)
def test_states_and_saturation_curve(example, si, altitude):
    rating = json.loads(tool("rate", example))
    root = ET.fromstring(tool("chart", example, "-o", "-"))
    x_of, _ = scale(root, "tick-x", "x1", "x2")
    y_of, w_of_y = scale(root, "tick-y", "y1", "y2")

    states = {g.get("data-label"): g.find(SVG + "circle") for g in root.iter(SVG + "g") if g.get("class") == "state"}
    assert sorted(states) == sorted(STATE_PROPERTIES)
    for label, (dbt, w) in STATE_PROPERTIES.items():
        assert abs(float(states[label].get("cx")) - x_of(rating[dbt])) <= 0.5, label
        assert abs(float(states[label].get("cy")) - y_of(rating[w])) <= 0.5, label

    library = ctypes.CDLL(os.path.join(BUILD, "lib", "libpsylib32.so"))
    saturation = library.LCSI_RHTOGRAMS if si else library.LCRHTOGR
    saturation.restype = ctypes.c_float
    saturation.argtypes = [ctypes.c_float, ctypes.c_float, ctypes.c_short]
    curve = next(p for p in root.iter(SVG + "polyline") if p.get("class") == "saturation")
    vertices = [tuple(map(float, pt.split(","))) for pt in curve.get("points").split()]
    temperatures = (0, 10, 20) if si else (40, 50, 60)
    pixel_in_w = abs(w_of_y(0) - w_of_y(1))
    for t in temperatures:
        x, y = next((vx, vy) for vx, vy in vertices if abs(vx - x_of(t)) < 0.01)
        expected = saturation(t, 1.0, altitude)
        assert abs(w_of_y(y) - expected) <= 0.5 * pixel_in_w, (t, w_of_y(y), expected)


def chromium(*args):
    with tempfile.TemporaryDirectory() as profile:
        return subprocess.run(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", "--no-first-run", "--user-data-dir=" + profile, *args],
            capture_output=True, timeout=120, check=True).stdout.decode("utf-8", "replace")


def png_rows(path):
    """The unfiltered scan lines of an 8-bit RGB(A) PNG, as bytes."""
    data = open(path, "rb").read()
    pos, idat, width, channels = 8, b"", 0, 0
    while pos < len(data):
        length = int.from_bytes(data[pos:pos + 4], "big")
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, channels = int.from_bytes(body[0:4], "big"), {2: 3, 6: 4}[body[9]]
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw, stride, rows, previous = zlib.decompress(idat), width * channels, [], bytearray(width * channels)
    for i in range(0, len(raw), stride + 1):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        for j in range(stride):
            left = line[j - channels] if j >= channels else 0
            up, upleft = previous[j], previous[j - channels] if j >= channels else 0
            p = left + up - upleft
            nearest = min((abs(p - left), 0, left), (abs(p - up), 1, up), (abs(p - upleft), 2, upleft))[2]
            line[j] = (line[j] + (0, left, up, (left + up) // 2, nearest)[kind]) & 0xFF
        rows.append(bytes(line))
        previous = line
    return rows, channels


@pytest.mark.skipif(shutil.which("chromium") is None, reason="chromium is not installed")
@pytest.mark.parametrize("example,si,altitude", EXAMPLES)
def test_report_as_rendered(example, si, altitude, tmp_path):
    model = json.loads(tool("rate", example))["KivOutNOVAFLUXModel"]
    page = tmp_path / "sheet.html"
    tool("report", example, "-o", str(page))
    assert "<script" not in page.read_text() and "http://" not in page.read_text().replace("http://www.w3.org", "")

    shot = tmp_path / "sheet.png"
    chromium("--window-size=800,1130", "--screenshot=" + str(shot), page.as_uri())
    rows, channels = png_rows(shot)
    pixels = {row[i:i + 3] for row in rows[::4] for i in range(0, len(row), channels * 4)}
    dark = sum(1 for row in rows[::4] for i in range(0, len(row), channels * 4) if sum(row[i:i + 3]) < 200)
    assert len(pixels) > 20 and dark > 200, "the screenshot is blank"

    dom = chromium("--dump-dom", page.as_uri())
    assert model in dom
    for heading in SECTION_HEADINGS:
        assert "<h2>" + heading + "</h2>" in dom, heading

    pdf = tmp_path / "sheet.pdf"
    chromium("--no-pdf-header-footer", "--print-to-pdf=" + str(pdf), page.as_uri())
    assert pdf.read_bytes().count(b"/Type /Page") - pdf.read_bytes().count(b"/Type /Pages") == 1, "not one page"
