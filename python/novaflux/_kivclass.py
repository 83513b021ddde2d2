"""KivClass: the component's calculation object, its properties made from the interface table."""
import difflib
import numbers

from . import _core
from ._table import ENUMERATIONS, METHODS, PROPERTIES


def closest_property(name):
    """The property whose name is nearest to ``name`` (a typo's likely meaning), or None."""
    match = difflib.get_close_matches(name, PROPERTIES, n=1, cutoff=0.6)
    if not match:
        lowered = {p.lower(): p for p in PROPERTIES}
        match = difflib.get_close_matches(name.lower(), lowered, n=1, cutoff=0.6)
        match = [lowered[m] for m in match]
    return match[0] if match else None


def unknown_property(name, owner="KivClass"):
    hint = closest_property(name)
    text = f"{owner} has no property {name!r}"
    text += f"; did you mean {hint!r}?" if hint else "; novaflux.describe() lists them"
    return AttributeError(text)


def _is_numpy_bool(value):
    return type(value).__module__ == "numpy" and type(value).__name__ in ("bool_", "bool")


def boolean_number(info, value):
    """-1.0 for True, 0.0 for False; a nonzero integer counts as True."""
    if isinstance(value, numbers.Integral) or _is_numpy_bool(value):
        return -1.0 if value else 0.0
    raise TypeError(f"{info.name} is a Boolean: give True or False, not {value!r}")


def enumeration_number(info, value):
    """The number of an enumeration value given as a member, its name or its number."""
    members = ENUMERATIONS[info.type]
    if isinstance(value, str):
        if value.strip().lstrip("+-").isdigit():  # a number in a text cell, as a CSV gives it
            return float(int(value))
        try:
            return float(members[value])
        except KeyError:
            hint = difflib.get_close_matches(value, members.__members__, n=1)
            raise ValueError(f"{info.name}: {value!r} is not a member of {info.type}"
                             + (f"; did you mean {hint[0]!r}?" if hint else "")) from None
    if isinstance(value, numbers.Integral) and not isinstance(value, bool):
        return float(value)
    raise TypeError(f"{info.name} takes a {info.type} member, its name or its number, not {value!r}")


def real_number(info, value):
    if isinstance(value, numbers.Real) and not isinstance(value, bool):
        return float(value)
    raise TypeError(f"{info.name} is a number ({info.type}), not {value!r}")


def _setter(info):
    i = info.index
    if info.type == "Variant":
        def put(self, value):
            if value is None:
                self._o.put_empty(i)
            elif isinstance(value, str):
                self._o.put_text(i, value)
            else:
                self._o.put_number(i, real_number(info, value))
        return put
    convert = {"Boolean": boolean_number, "Modelall": enumeration_number,
               "SeriesList": enumeration_number}.get(info.type, real_number)
    return lambda self, value: self._o.put_number(i, convert(info, value))


def wrap_value(info, value):
    """A value read from the component as Python gives it: enumerations as their members."""
    if info.type in ENUMERATIONS:
        try:
            return ENUMERATIONS[info.type](value)
        except ValueError:
            return value  # 0 (a new object) or a number outside the enumeration
    return value


def _getter(info):
    i = info.index
    if info.type in ENUMERATIONS:
        return lambda self: wrap_value(info, self._o.get(i))
    return lambda self: self._o.get(i)


def _method(name, doc):
    def call(self):
        self._o.call(name)
    call.__name__ = name
    call.__doc__ = doc
    return call


class _KivBase:
    __slots__ = ("_o",)

    def __init__(self, **inputs):
        object.__setattr__(self, "_o", _core.Object())
        for name, value in inputs.items():
            setattr(self, name, value)

    def __setattr__(self, name, value):
        if name not in PROPERTIES:
            raise unknown_property(name)
        object.__setattr__(self, name, value)

    def __getattr__(self, name):  # only reached for a name that is no attribute
        raise unknown_property(name)

    def values(self):
        """Every property, in interface order, as a dict of name to value."""
        return {info.name: wrap_value(info, v) for info, v in zip(PROPERTIES.values(), self._o.values())}

    def PdropOtherCalculate(self, Vs11, Vr11, FaceAreaNet11):
        """Pressure drops for the airflows Vs11 and Vr11 through FaceAreaNet11; returns 0."""
        return self._o.PdropOtherCalculate(Vs11, Vr11, float(FaceAreaNet11))

    def FormulaInterpulation(self, StrSearchK, X1, X2, mainValue):
        """The leakage figure mainValue, interpolated over the bracket StrSearchK at X1 .. X2."""
        return self._o.FormulaInterpulation(StrSearchK, X1, X2, mainValue)

    def _repr_html_(self):
        from ._display import view_html
        return view_html(self._o.view())

    def __repr__(self):
        model = self._o.get(PROPERTIES["KivOutNOVAFLUXModel"].index)
        return f"<novaflux.KivClass {model or 'not rated'}>"


def _make_class():
    members = {"__slots__": (), "__doc__": (
        "The calculation object: write the inputs, call CalculateOutput or CalculateOutputModel, "
        "read the outputs. A failing call raises novaflux.RunError; warnings are the "
        "KivOutErrorCode / KivOutErrorMsg properties.")}
    for info in PROPERTIES.values():
        members[info.name] = property(_getter(info), _setter(info), doc=info.doc())
    for name, method in METHODS.items():
        if not method["parameters"]:
            members[name] = _method(name, f"Runs {name} (DISPID {method['dispid'] & 0xFFFFFFFF:#x}).")
    cls = type("KivClass", (_KivBase,), members)
    cls.__module__ = __name__.rpartition(".")[0]
    return cls


KivClass = _make_class()
