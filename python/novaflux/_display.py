"""A rating as HTML for notebooks: the engineer's view of the tool's table and datasheet (inputs,
model, summer and winter air, efficiencies, pressure drops, leakage, energy, warnings)."""
import html

_STYLE = ("<style>.novaflux-view td,.novaflux-view th{padding:1px 8px}"
          ".novaflux-view td+td{text-align:right}.novaflux-view h4{margin:0.8em 0 0.2em}</style>")


def _table(section):
    esc = html.escape
    head = "".join(f"<th>{esc(h)}</th>" for h in section["headings"])
    body = "".join("<tr>" + "".join(f"<td>{esc(c)}</td>" for c in row) + "</tr>" for row in section["rows"])
    return f"<h4>{esc(section['title'])}</h4><table><thead><tr>{head}</tr></thead><tbody>{body}</tbody></table>"


def view_html(view):
    """HTML of a view as novaflux._core.Object.view() gives it."""
    parts = [_table(section) for section in view["sections"]]
    items = "".join(f"<li>{w['code']}: {html.escape(w['text'])}"
                    + (f" <i>({html.escape(w['explanation'])})</i>" if w["explanation"] else "") + "</li>"
                    for w in view["warnings"])
    parts.append("<h4>Warnings</h4>" + (f"<ul>{items}</ul>" if items else "<p>none</p>"))
    if view["failure"]:
        f = view["failure"]
        parts.append(f"<p><b>The rating failed:</b> {html.escape(f['description'])} ({f['number']})</p>")
    return _STYLE + '<div class="novaflux-view">' + "".join(parts) + "</div>"
