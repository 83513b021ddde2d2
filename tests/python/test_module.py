"""The Python module against the C interface, its conversions, its failures and its threads."""
import pickle

import pandas as pd
import pytest

import novaflux
from conftest import EXAMPLES, assert_same_as_c, design_days, year_inputs

M = novaflux.Modelall
FIXED = dict(design_days()[0], KivinputModel=int(M.TXL_1400_Q_480_Condensation))


@pytest.mark.parametrize("inputs, model", [(d, None) for d in design_days()] + [(FIXED, FIXED["KivinputModel"])])
def test_design_days_equal_the_c_interface(c_interface, inputs, model):
    c_values, failure = c_interface.rate(inputs, "CalculateOutputModel" if model else "CalculateOutput")
    assert failure == 0
    assert_same_as_c(novaflux.rate(inputs, model=model), c_values)


def test_year_frame_equals_the_c_interface(c_interface):
    year = year_inputs()
    frame = novaflux.rate_frame(year)
    assert list(frame.columns) == novaflux.result_columns() + ["error"]
    assert (frame.failure_number == 0).all() and frame.error.isna().all()
    for row in range(0, len(year), 7):
        c_values, _ = c_interface.rate(year.iloc[row].to_dict())
        assert_same_as_c(frame.iloc[row], c_values)


# (property, value written, value read back, or the exception the write raises)
CONVERSIONS = [
    ("KivunitSI", True, True), ("KivunitSI", 1, True), ("KivunitSI", -1, True), ("KivunitSI", 0, False),
    ("KivinputLeakage", "yes", TypeError), ("KivinputLeakage", None, TypeError),
    ("KivinputModel", M.TXL_1400_Q_480_Condensation, M.TXL_1400_Q_480_Condensation),
    ("KivinputModel", "TXL_1600_Q_480_Condensation", M.TXL_1600_Q_480_Condensation),
    ("KivinputModel", 72, M.TXL_2000_Q_480_Condensation),
    ("KivinputModel", "TXL_1400", ValueError), ("KivinputModel", 66.0, TypeError),
    ("KivinputSeries", "Novaflux_Sensible", novaflux.SeriesList.Novaflux_Sensible),
    ("KivOutErrorMsg", None, None), ("KivOutErrorMsg", 12.5, 12.5), ("KivOutErrorMsg", "x", "x"),
    ("KivoutLeakageEatr", 0.1, float(pd.Series([0.1], dtype="float32")[0])),
    ("KivOutErrorCode", 2.5, 2), ("KivOutErrorCode", 40000, novaflux.RunError),
    ("KivinputSupplyAir", "10000", TypeError), ("KivinputSupplyAr", 10000, AttributeError),
]


@pytest.mark.parametrize("name, value, expected", CONVERSIONS)
def test_conversions(name, value, expected):
    k = novaflux.KivClass()
    if isinstance(expected, type) and issubclass(expected, Exception):
        with pytest.raises(expected):
            setattr(k, name, value)
    else:
        setattr(k, name, value)
        got = getattr(k, name)
        assert got == expected and type(got) is type(expected)


def test_new_object_typo_help_and_display():
    k = novaflux.KivClass()
    assert k.KivinputModel == 0 and k.KivinputSeries == 0 and k.KivOutErrorMsg is None
    with pytest.raises(AttributeError, match="did you mean 'KivinputSupplyAir'"):
        k.KivinputSupplyAr = 10000
    doc = novaflux.KivClass.KivoutSaS_DBT.__doc__
    assert "role: out" in doc and "Double" in doc and "°C (SI) / °F (IP)" in doc
    rating = novaflux.rate(design_days()[0])
    for html in (rating._repr_html_(), pickle.loads(pickle.dumps(rating))._repr_html_()):
        for part in ("Inputs", "Summer performance", "Winter performance", "Leakage", "Recovered energy",
                     "TXL-1600-Q_480(1.9)_Condensation", "kJ/kg", "Frost risk"):
            assert part in html


def test_failures_are_run_errors_and_frame_rows():
    bad = dict(design_days()[0], KivinputAltitude=40000)
    with pytest.raises(novaflux.RunError, match="KivinputAltitude") as caught:
        novaflux.rate(bad)
    assert caught.value.number == 6 and caught.value.result["KivinputSupplyAir"] == 10000
    frame = novaflux.rate_frame(pd.DataFrame([design_days()[0], bad, {"KivinputSupplyAir": float("nan")}]))
    assert list(frame.failure_number) == [0, 6, 0] and frame.error[1].number == 6
    assert frame.error[0] is None and frame.KivinputSupplyAir[2] == 0
    with pytest.raises(ValueError, match="did you mean 'KivinputOAS_DBT'"):
        novaflux.rate_frame(pd.DataFrame({"KivinputOAS_DTB": [1.0]}))
    with pytest.raises(ValueError, match="output"):
        novaflux.rate_frame(pd.DataFrame({"KivoutSaS_DBT": [1.0]}))
    novaflux.set_catalogue("/nonexistent/NOVAFLUX.db")
    try:
        with pytest.raises(novaflux.RunError, match="/nonexistent/NOVAFLUX.db") as caught:
            novaflux.rate(design_days()[0])
        assert caught.value.number == 3001 and novaflux.catalogue() == "/nonexistent/NOVAFLUX.db"
    finally:
        novaflux.set_catalogue(None)
    assert pickle.loads(pickle.dumps(frame.error[1])).description == frame.error[1].description


def test_model_run_frame_rates_the_named_models():
    frame = novaflux.rate_frame(pd.read_csv(EXAMPLES / "fixed_models.csv"), model_run=True)
    expected = pd.read_csv(EXAMPLES / "expected" / "fixed_models.csv", keep_default_na=False)
    assert list(frame.KivOutNOVAFLUXModel) == list(expected.KivOutNOVAFLUXModel)
    assert list(frame.KivoutSaPDrop) == list(expected.KivoutSaPDrop)


def test_two_threads_give_the_frame_of_one():
    year = year_inputs()
    assert novaflux.rate_frame(year, threads=2).equals(novaflux.rate_frame(year, threads=1))
