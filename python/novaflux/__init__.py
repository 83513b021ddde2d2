"""novaflux: rating of rotary heat-recovery wheels, from Python.

    import novaflux
    r = novaflux.rate({"KivunitSI": True, "KivinputSupplyAir": 10000, ...})
    frame = novaflux.rate_frame(inputs)           # one row per case, pandas in and out
    hourly, summary = novaflux.annual(unit, "site.epw")   # a year at a site

``KivClass`` is the component's calculation object with every property of its interface;
``describe()`` gives the interface table; ``novaflux.dask.rate_dataframe`` rates a Dask
dataframe on a cluster, ``novaflux.dask.annual_studies`` runs many annual studies there.
"""
from . import _core
from ._annual import annual
from ._errors import RunError, WeatherFileError
from ._frames import Rating, rate, rate_frame
from ._kivclass import KivClass
from ._table import ENUMERATIONS, METHODS, PROPERTIES, Modelall, PropertyInfo, SeriesList, UnitList, describe

__all__ = ["KivClass", "RunError", "WeatherFileError", "Rating", "rate", "rate_frame", "annual", "describe", "set_catalogue",
           "catalogue", "result_columns", "PropertyInfo", "PROPERTIES", "METHODS", "ENUMERATIONS",
           "Modelall", "SeriesList", "UnitList"]

__version__ = _core.version()


def set_catalogue(path):
    """Rate with this catalogue file instead of NOVAFLUX.db beside the component (None or "": the
    default). Every thread of the process reads the new file at its next rating."""
    _core.set_catalogue("" if path is None else str(path))


def catalogue():
    """The catalogue file set by set_catalogue ("" while the default is in use)."""
    return _core.catalogue()


def result_columns():
    """The columns of a rate_frame result before ``error``: the batch verb's columns."""
    return list(_core.result_columns())
