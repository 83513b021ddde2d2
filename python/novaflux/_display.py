"""A rating as an HTML table for notebooks, its properties grouped by what they describe."""
import html

from ._table import PROPERTIES

_AIR = ("temperature", "percentage", "humidity ratio", "enthalpy")
GROUPS = (
    ("Inputs", lambda p: p.is_input),
    ("Model", lambda p: "Model" in p.name or "Cassette" in p.name),
    ("Summer air", lambda p: "S_" in p.name and p.quantity in _AIR),
    ("Winter air", lambda p: "W_" in p.name and p.quantity in _AIR),
    ("Efficiencies and effectiveness", lambda p: "Efficiency" in p.name or "Effectiveness" in p.name),
    ("Airflows and face velocities", lambda p: p.quantity in ("airflow", "face velocity", "mass flow")),
    ("Pressure drops", lambda p: p.quantity == "pressure"),
    ("Leakage", lambda p: "Leakage" in p.name),
    ("Energy", lambda p: p.quantity == "power"),
    ("Warnings", lambda p: "Error" in p.name),
    ("Other", lambda p: True),
)


def grouped(names=PROPERTIES):
    """[(group title, [PropertyInfo, ...]), ...]: each property in the first group it fits."""
    out, placed = [], set()
    for title, member in GROUPS:
        infos = [PROPERTIES[n] for n in names if n not in placed and member(PROPERTIES[n])]
        placed.update(p.name for p in infos)
        if infos:
            out.append((title, infos))
    return out


def value_text(info, value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "True" if value else "False"
    if isinstance(value, float):
        return f"{value:.7g}" if info.type == "Single" else repr(value)
    return getattr(value, "name", None) or str(value)


def grouped_html(values):
    si = bool(values.get("KivunitSI"))
    rows = []
    for title, infos in grouped([n for n in PROPERTIES if n in values]):
        rows.append(f'<tr><th colspan="3" style="text-align:left;padding-top:0.6em">{title}</th></tr>')
        for info in infos:
            rows.append(
                f'<tr><td title="{html.escape(info.meaning)}"><code>{info.name}</code></td>'
                f'<td style="text-align:right">{html.escape(value_text(info, values[info.name]))}</td>'
                f"<td>{html.escape(info.unit_text(si))}</td></tr>")
    return '<table class="novaflux-rating">' + "".join(rows) + "</table>"
