"""The interface table of the component, read from the component itself at import."""
import dataclasses
import enum
import json

from . import _core

_DESCRIPTION = json.loads(_core.describe())

_PYTHON_TYPES = {
    "Double": "float", "Single": "float (32-bit)", "Integer": "int (16-bit)", "Boolean": "bool",
    "Modelall": "Modelall (member, name or number)", "SeriesList": "SeriesList",
    "Variant": "None, float or str",
}


@dataclasses.dataclass(frozen=True)
class PropertyInfo:
    """One property of the interface: its name, position, type, role, unit and meaning."""

    index: int
    name: str
    dispid: int
    type: str
    role: str
    kind: str
    quantity: str
    unit_si: str
    unit_ip: str
    meaning: str

    def unit_text(self, si=True):
        """The unit of the value in an SI run (``si=True``) or an IP run; "" when it has none."""
        return self.unit_si if si else self.unit_ip

    @property
    def python_type(self):
        return _PYTHON_TYPES[self.type]

    @property
    def is_input(self):
        return self.role != "out"

    def doc(self):
        if self.unit_si == self.unit_ip:
            unit = self.unit_si or "none"
        else:
            unit = f"{self.unit_si} (SI) / {self.unit_ip} (IP)"
        return (f"{self.meaning}\n\nrole: {self.role}; type: {self.type}, in Python "
                f"{self.python_type}; unit: {unit}; DISPID {self.dispid:#x}")


PROPERTIES = {
    p["name"]: PropertyInfo(i, p["name"], p["dispid"] & 0xFFFFFFFF, p["type"], p["role"], p["kind"],
                            p["quantity"], p["unitSI"], p["unitIP"], p["meaning"])
    for i, p in enumerate(_DESCRIPTION["properties"])
}
METHODS = {m["name"]: m for m in _DESCRIPTION["methods"]}
ENUMERATIONS = {
    e["name"]: enum.IntEnum(e["name"], [(m["name"], m["value"]) for m in e["members"]],
                            module=__name__.rpartition(".")[0])
    for e in _DESCRIPTION["enumerations"]
}
Modelall = ENUMERATIONS["Modelall"]
SeriesList = ENUMERATIONS["SeriesList"]
UnitList = ENUMERATIONS["UnitList"]


def describe():
    """The interface table: identities, enumerations, properties and methods (as ``novaflux describe``)."""
    return json.loads(_core.describe())
