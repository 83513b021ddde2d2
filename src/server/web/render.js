// Small DOM helpers shared by the views: elements from text only (never from HTML strings),
// warnings and failures, downloads, and a generic rendering of a JSON document as tables.

// An element with attributes and children (strings become text nodes).
export function el(tag, attributes = {}, ...children) {
  const e = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (value === undefined || value === null || value === false) continue;
    if (name === "class") e.className = value;
    else if (name === "dataset") Object.assign(e.dataset, value);
    else e.setAttribute(name, value === true ? "" : value);
  }
  for (const child of children.flat()) if (child !== null && child !== undefined) e.append(child);
  return e;
}

// The frost warning (code 100) and the component's own warnings (4, 5, 6), each in its own
// box; the frost box stands out most because it calls for action (preheat or bypass).
export function warningList(warnings) {
  if (!warnings.length) return null;
  return el("ul", { class: "warnings" }, warnings.map((w) =>
    el("li", { class: w.code === 100 ? "warning frost" : "warning", dataset: { code: String(w.code) } },
      el("span", { class: "code" }, w.code === 100 ? "Frost risk" : `Warning ${w.code}`),
      el("span", { class: "text" }, w.text.trim().replace(/^Frost risk:\s*/, "")))));
}

export function failureBox(title, message) {
  return el("div", { class: "failure", role: "alert" }, el("strong", {}, title), " ", message);
}

// Offers `text` as a file called `name`.
export function download(name, type, text) {
  const url = URL.createObjectURL(new Blob([text], { type }));
  const a = el("a", { href: url, download: name });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// "monthlyEnergyKWh" -> "Monthly energy kWh"; "heating_hours" -> "Heating hours".
export function humanise(key) {
  const words = String(key).replace(/_/g, " ").replace(/([a-z])([A-Z])/g, "$1 $2").trim().split(/\s+/);
  // Plain words in lower case after the first; units and abbreviations (kWh, EATR) as they are.
  const text = words.map((w, i) => (i > 0 && /^[A-Z][a-z]+$/.test(w) ? w.toLowerCase() : w)).join(" ");
  return text.charAt(0).toUpperCase() + text.slice(1);
}

function cellText(value) {
  if (value === null || value === undefined) return "–";
  if (typeof value === "object") return JSON.stringify(value);
  return String(value);
}

const isRecord = (v) => v !== null && typeof v === "object" && !Array.isArray(v);

function recordTable(rows) {
  const columns = [];
  for (const row of rows) for (const key of Object.keys(row)) if (!columns.includes(key)) columns.push(key);
  return el("div", { class: "table-scroll" }, el("table", { class: "data" },
    el("thead", {}, el("tr", {}, columns.map((c) => el("th", {}, humanise(c))))),
    el("tbody", {}, rows.map((row) => el("tr", {}, columns.map((c) =>
      el("td", { class: typeof row[c] === "number" ? "num" : "" }, cellText(row[c]))))))));
}

// Any JSON document as a person reads it: an object's plain values as a label / value table,
// its nested objects as titled sections, arrays of objects as tables with a column per key.
export function jsonView(value, title = "", depth = 0) {
  const heading = title ? el(depth === 0 ? "h3" : "h4", {}, humanise(title)) : null;
  if (Array.isArray(value)) {
    if (value.length && value.every(isRecord)) return el("section", { class: "json" }, heading, recordTable(value));
    return el("section", { class: "json" }, heading, el("p", {}, value.map(cellText).join(", ") || "none"));
  }
  if (!isRecord(value)) return el("section", { class: "json" }, heading, el("p", {}, cellText(value)));
  const plain = Object.entries(value).filter(([, v]) => !isRecord(v) && !Array.isArray(v));
  const nested = Object.entries(value).filter(([, v]) => isRecord(v) || Array.isArray(v));
  const table = plain.length
    ? el("table", { class: "pairs" }, el("tbody", {}, plain.map(([k, v]) =>
      el("tr", {}, el("th", { scope: "row" }, humanise(k)), el("td", { class: typeof v === "number" ? "num" : "" }, cellText(v))))))
    : null;
  return el("section", { class: "json" }, heading, table, nested.map(([k, v]) => jsonView(v, k, depth + 1)));
}
