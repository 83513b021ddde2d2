"""The annual study: novaflux.annual() and the one-row summaries of novaflux.dask."""
import io
import json
import os

from . import _core

_OPTIONS = ("schedule", "supply_setpoint", "frost_control", "fan_efficiency", "price_heat", "price_cool",
            "price_electricity", "model", "threads")
_TEXT_COLUMNS = ("time", "weekday", "mode", "figures", "substituted", "failure")


def _unit_text(unit):
    if isinstance(unit, (str, os.PathLike)) and not str(unit).lstrip().startswith("{"):
        with open(unit, encoding="utf-8") as f:
            return f.read()
    return unit if isinstance(unit, str) else json.dumps(unit)


def _option_text(name, value):
    if isinstance(value, bool):
        raise ValueError(f"option {name}: {value!r} is not a value of the option")
    if hasattr(value, "name") and name == "model":  # a Modelall member
        return value.name
    return str(value)


def annual(unit, weather, *, schedule=None, supply_setpoint=None, frost_control=None, fan_efficiency=None,
           price_heat=None, price_cool=None, price_electricity=None, model=None, threads=None):
    """The unit's year at the site of an EPW weather file: (hourly DataFrame, summary dict).

    ``unit``: the inputs as ``rate`` takes them (a dict, JSON text or a JSON file's path); its
    outdoor air is replaced hour by hour, its altitude defaults to the file's elevation.
    ``weather``: the EPW file's path. The options are those of ``novaflux annual`` (None: the
    default): ``schedule`` ("always"; e.g. "mon-fri 06-20"), ``supply_setpoint`` (18 °C /
    64.4 °F; "none" turns the control off), ``frost_control`` ("none", "stop", "preheat:T"),
    ``fan_efficiency`` (0.6), ``price_heat``, ``price_cool``, ``price_electricity`` (per kWh),
    ``model`` (the automatic choice; a Modelall member, name or id), ``threads`` (0: one per
    processor).

    The frame has one row per hour with the columns of ``novaflux annual --hourly`` (powers in kW,
    or kBtu/h for an IP unit); the summary is the JSON of ``novaflux annual --format json``.
    Bad options or units raise ValueError, a bad weather file WeatherFileError (a ValueError
    with ``line`` and ``field``), a unit that cannot be rated RunError.
    """
    import pandas as pd
    values = dict(schedule=schedule, supply_setpoint=supply_setpoint, frost_control=frost_control,
                  fan_efficiency=fan_efficiency, price_heat=price_heat, price_cool=price_cool,
                  price_electricity=price_electricity, model=model, threads=threads)
    hourly, summary = _run(unit, weather, values, hourly=True)
    frame = pd.read_csv(io.StringIO(hourly), dtype={c: str for c in _TEXT_COLUMNS}, keep_default_na=False,
                        na_values=[""])
    for column in _TEXT_COLUMNS:
        frame[column] = frame[column].fillna("")
    return frame, summary


def annual_summary(unit, weather, **options):
    """The summary of :func:`annual` alone, without writing and reading back the hourly table."""
    unknown = sorted(set(options) - set(_OPTIONS))
    if unknown:
        raise TypeError(f"annual_summary() got an unexpected keyword argument {unknown[0]!r}")
    return _run(unit, weather, options, hourly=False)[1]


def _run(unit, weather, values, hourly):
    options = {name.replace("_", "-"): _option_text(name, v) for name, v in values.items() if v is not None}
    text, summary = _core.annual(_unit_text(unit), os.fspath(weather), options, hourly)
    return text, json.loads(summary)


def summary_row(summary):
    """One flat row of a study's summary (the year): what novaflux.dask returns per study."""
    unit, year, weather = summary["unit"], summary["year"], summary["weather"]
    saving = year["saving"]
    return {
        "weather": weather["file"], "place": weather["place"], "model": unit["model"]["name"],
        "model_id": unit["model"]["id"], "automatic_model": unit["model"]["automatic"],
        "unit_system": unit["unitSystem"], "energy_unit": summary["units"]["energy"],
        "operating_hours": year["operatingHours"], "heating_hours": year["hours"]["heating"],
        "cooling_hours": year["hours"]["cooling"], "heating": year["heating"]["total"],
        "cooling": year["cooling"]["total"],
        "peak_heating": year["peakHeating"]["power"] if year["peakHeating"] else 0.0,
        "peak_cooling": year["peakCooling"]["power"] if year["peakCooling"] else 0.0,
        "frost_risk_hours": year["frostRiskHours"], "preheat": year["preheat"], "fan": year["fan"],
        "motor": year["motor"], "electric": year["electric"],
        "saving": saving["net"] if saving else float("nan"), "failed_hours": summary["failedHours"],
    }
