"""novaflux.annual: the library's study through the extension, the same as the tool's."""
import json
import subprocess

import pandas as pd
import pytest

import novaflux
from conftest import BUILD, EXAMPLES

CHICAGO = EXAMPLES / "weather" / "USA_IL_Chicago-OHare.Intl.AP.725300_TMY3.epw"


@pytest.mark.parametrize("unit, options, flags", [
    ("si_design_day.json", {}, []),
    ("ip_design_day.json", {"schedule": "mon-fri 06-20", "frost_control": "preheat:14", "price_heat": 0.05,
                            "price_electricity": 0.2, "threads": 1},
     ["--schedule", "mon-fri 06-20", "--frost-control", "preheat:14", "--price-heat", "0.05",
      "--price-electricity", "0.2", "--threads", "1"]),
], ids=["SI every hour", "IP office hours with preheat and prices"])
def test_frame_and_summary_are_the_tools(tmp_path, unit, options, flags):
    hourly_csv = tmp_path / "hourly.csv"
    tool = subprocess.run([str(BUILD / "bin" / "novaflux"), "annual", str(EXAMPLES / unit), "--weather", str(CHICAGO),
                           "--format", "json", "--hourly", str(hourly_csv), *flags],
                          check=True, capture_output=True, text=True)
    frame, summary = novaflux.annual(json.loads((EXAMPLES / unit).read_text()), CHICAGO, **options)
    assert summary == json.loads(tool.stdout)
    expected = pd.read_csv(hourly_csv, dtype={c: str for c in ("time", "weekday", "mode", "figures", "substituted",
                                                                  "failure")}, keep_default_na=False, na_values=[""])
    for column in ("substituted", "failure", "figures"):
        expected[column] = expected[column].fillna("")
    pd.testing.assert_frame_equal(frame, expected)
    assert len(frame) == 8760 and frame["mode"].isin(["heating", "cooling"]).any()


def test_bad_weather_file_and_options_name_what_is_wrong(tmp_path):
    lines = CHICAGO.read_text().splitlines(keepends=True)
    broken = tmp_path / "broken.epw"
    broken.write_text("".join(lines[:20] + lines[21:]))
    with pytest.raises(novaflux.WeatherFileError, match=r"no row for 1 January, hour 13") as raised:
        novaflux.annual(EXAMPLES / "si_design_day.json", broken)
    assert (raised.value.line, raised.value.field) == (0, 0)
    with pytest.raises(ValueError, match=r'option fan-efficiency: "7" is outside 0 .. 1'):
        novaflux.annual(EXAMPLES / "si_design_day.json", CHICAGO, fan_efficiency=7)
