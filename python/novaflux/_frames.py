"""Ratings by the dict and by the table: rate(), rate_frame()."""
import numbers

from . import _core
from ._errors import RunError
from ._kivclass import KivClass, enumeration_number, unknown_property
from ._table import ENUMERATIONS, PROPERTIES


class Rating(dict):
    """Every property of a rating in interface order; shown in a notebook as the engineer's view
    (the tool's table). ``failure`` is (number, description) when the run failed."""

    def __init__(self, values, failure=None):
        super().__init__(values)
        self.failure = failure

    def __reduce__(self):
        return (type(self), (dict(self), self.failure))

    def _repr_html_(self):
        from ._display import view_html
        k = KivClass(**self)  # the view depends on the property values alone
        return view_html(k._o.view(*(self.failure or (0, ""))))


def rate(inputs, model=None):
    """Rate one case: ``inputs`` maps input property names to values; returns every property.

    With ``model`` (a Modelall member, its name or its number) that wheel is rated
    (CalculateOutputModel); otherwise the model is selected from the airflows (CalculateOutput).
    The case is rated from the state a new thread starts with, so the result does not depend on
    earlier ratings. A failure raises RunError, whose ``result`` holds what the run had written.
    """
    k = KivClass(**inputs)
    if model is not None:
        k.KivinputModel = model
    _core.reset_thread_state()
    try:
        k.CalculateOutputModel() if model is not None else k.CalculateOutput()
    except RunError as e:
        e.result = Rating(k.values(), (e.number, e.description))
        raise
    return Rating(k.values())


def _input_column(info, series):
    """A frame column as float64 for the component; a missing value (NaN, None, NA) leaves the
    property at the value of a new object. Booleans: nonzero is True."""
    import numpy as np
    import pandas as pd
    values = series.to_numpy()
    if values.dtype.kind in "biuf":
        return values.astype(float)
    out = np.empty(len(values), dtype=float)
    for row, value in enumerate(values):
        if value is None or value is pd.NA or (isinstance(value, float) and value != value):
            out[row] = np.nan
        elif info.type in ENUMERATIONS:
            out[row] = enumeration_number(info, value)
        elif info.type == "Boolean":
            out[row] = _boolean_cell(info, value)
        elif isinstance(value, numbers.Real) and not isinstance(value, bool):
            out[row] = float(value)
        else:
            raise TypeError(f"column {info.name}, row {series.index[row]!r}: {value!r} is not a number")
    return out


def _boolean_cell(info, value):
    if isinstance(value, str) and value.strip().lower() in ("true", "false"):
        return 1.0 if value.strip().lower() == "true" else 0.0
    if isinstance(value, numbers.Real) or type(value).__name__ in ("bool_", "bool"):
        return 1.0 if value else 0.0
    raise TypeError(f"column {info.name}: {value!r} is neither True nor False")


def input_columns(frame):
    """The frame's columns bound to input properties; a name that is none raises ValueError."""
    names = []
    for name in frame.columns:
        info = PROPERTIES.get(name)
        if info is None:
            raise ValueError(str(unknown_property(str(name), "the interface")))
        if not info.is_input:
            raise ValueError(f"{name} is an output of the rating, not an input")
        if name in names:
            raise ValueError(f"{name} is more than one column")
        names.append(name)
    return names


def rate_frame(frame, threads=None, model_run=False):
    """Rate every row of a pandas DataFrame whose columns name input properties.

    Returns a DataFrame with the input's index and the batch verb's columns (every property in
    interface order, ``failure_number``, ``failure_text``), then ``error``: None, or the
    RunError that ended the row's run. One bad row never raises; its failure is in its row.
    ``threads`` worker threads (default: one per processor) rate the rows without holding the
    interpreter lock; each row is rated from the state of a new thread, so the frame is the
    same for any number of threads. ``model_run`` rates each row's KivinputModel.
    """
    import numpy as np
    import pandas as pd
    names = input_columns(frame)
    columns = [_input_column(PROPERTIES[n], frame[n]) for n in names]
    if threads is not None and (not isinstance(threads, numbers.Integral) or threads < 1):
        raise ValueError(f"threads is a positive number of worker threads, not {threads!r}")
    result_names, arrays = _core.rate_columns(names, columns, bool(model_run), int(threads or 0))
    data = dict(zip(result_names, arrays))
    errors = np.full(len(frame), None, dtype=object)
    numbers_ = data["failure_number"]
    for row in np.flatnonzero(numbers_):
        errors[row] = RunError(int(numbers_[row]), data["failure_text"][row])
    data["error"] = errors
    return pd.DataFrame(data, index=frame.index, copy=False)

