// The comparison view: every model whose face velocities fit the airflows, rated by
// POST /api/select and laid out as the select table; a click on a row rates that model.
import { ApiError, postUnit, query } from "./api.js";
import { clearErrors, conditionsChoice, isSi, readOptional, readUnit, setModel, showErrors, showFieldError, showFormError, unitOf } from "./form.js";
import { el, failureBox } from "./render.js";
import { figure, IP_PRESSURE_DROP_TO_PA } from "./units.js";

const output = document.getElementById("compare-output");
const busy = document.getElementById("compare-busy");
let latest = 0;
let onChoose = () => {};

const OUT_OF_RANGE = " Model Out of Range";

// Column groups of the table: a heading over the figures of one quantity, one column each.
function groups(si) {
  const v = unitOf("KivoutSaVelocity", si), dp = unitOf("KivoutSaPDrop", si);
  const efficiency = (season) => [["S", `KivoutEfficiency${season}SupplyCondensation`], ["L", `KivoutEfficiency${season}SupplyLatent`],
    ["T", `KivoutEfficiency${season}SupplyTotal`]];
  return [
    { head: `Face velocity, ${v}`, columns: [["supply", "KivoutSaVelocity"], ["exhaust", "KivoutRaVelocity"]] },
    { head: `Pressure drop, ${dp}`, columns: [["supply", "KivoutSaPDrop"], ["exhaust", "KivoutRaPDrop"]] },
    { head: "Summer efficiency, %", columns: efficiency("Summer") },
    { head: "Winter efficiency, %", columns: efficiency("Winter") },
    { head: "Recovered, kW", columns: [["summer", "KivoutERWithWheelTotalSummer_KW"], ["winter", "KivoutERWithWheelTotalWinter_KW"]] },
    { head: "Cassette", columns: [["H × W × D, mm", (r) => `${figure(r.KivoutCassetteHight)} × ${figure(r.KivoutCassetteWidth)} × ${figure(r.KivoutCassetteDepth)}`],
      ["kg", "KivoutCassetteWeight"]] },
  ];
}

function headings(groupList, withShare) {
  const lead = [el("th", { rowspan: "2", class: "model" }, "Model"), withShare ? el("th", { rowspan: "2" }, "Airflow") : null];
  return el("thead", {},
    el("tr", {}, lead, groupList.map((g) => el("th", { colspan: String(g.columns.length), class: "group" }, g.head)),
      el("th", { rowspan: "2" }, "Warnings")),
    el("tr", {}, groupList.flatMap((g) => g.columns.map(([label]) => el("th", { class: "sub" }, label)))));
}

function warningCodes(r) {
  const codes = (r.warnings || []).map((w) => el("span", { class: w.code === 100 ? "chip frost" : "chip", title: w.text }, w.code === 100 ? "❄ 100" : String(w.code)));
  return codes.length ? codes : "none";
}

// The catalogue's name of a model as a rating published it, else the enumeration's name.
function displayName(model) {
  for (const { result } of model.ratings)
    if (!result.error && result.KivOutNOVAFLUXModel && result.KivOutNOVAFLUXModel !== OUT_OF_RANGE) return result.KivOutNOVAFLUXModel;
  return model.model;
}

function row(model, rating, groupList, withShare, first) {
  const r = rating.result;
  // Long catalogue names may break after their underscores.
  const name = first ? displayName(model).split(/(?<=_)/).flatMap((part) => [part, el("wbr")]) : [];
  const cells = [el("th", { scope: "row", class: "model" }, el("span", { class: "name" }, name),
    first && model.automatic ? el("span", { class: "badge" }, "automatic") : null)];
  if (withShare) cells.push(el("td", {}, `${rating.airflowPercent} %`));
  const columns = groupList.flatMap((g) => g.columns.map(([, c]) => c));
  if (r.error || r.KivOutNOVAFLUXModel === OUT_OF_RANGE) {
    const why = r.error ? `failed: ${r.error.description}` : "does not fit at this airflow (6)";
    cells.push(el("td", { colspan: String(columns.length + 1), class: "why" }, why));
  } else {
    for (const c of columns) cells.push(el("td", typeof c === "string" ? { dataset: { property: c } } : {}, typeof c === "string" ? figure(r[c]) : c(r)));
    cells.push(el("td", { class: "codes" }, warningCodes(r)));
  }
  const tr = el("tr", { class: model.automatic ? "automatic" : null, tabindex: first ? "0" : null,
    dataset: { modelId: String(model.id) }, title: `Rate ${displayName(model)}` }, cells);
  tr.addEventListener("click", () => onChoose(model.id));
  tr.addEventListener("keydown", (e) => { if (e.key === "Enter") onChoose(model.id); });
  return tr;
}

function render(json, si) {
  const parts = [];
  if (json.automaticError) parts.push(failureBox(`The inputs cannot be rated (${json.automaticError.number}):`, json.automaticError.description));
  const withShare = (json.airflowPercents || []).length > 1;
  const groupList = groups(si);
  const airflows = json.models.length ? json.models[0].ratings[0].result : null;
  const filtered = json.filter && Object.values(json.filter).some((v) => v !== null);
  const intro = airflows
    ? `${json.models.length} models fit ${figure(airflows.KivinputSupplyAir)} / ${figure(airflows.KivinputReturnAir)} ${unitOf("KivinputSupplyAir", si)} (supply / return)` +
      (filtered ? " within the limits" : "") + (json.conditions ? ` at ${json.conditions} conditions` : "") +
      ", smallest first. Click a row to rate that model."
    : "No model is listed: none fits the airflows or meets the filter.";
  parts.push(el("p", { class: "note" }, intro));
  if (!json.models.length) return parts;
  const body = [];
  for (const m of json.models) m.ratings.forEach((rating, i) => body.push(row(m, rating, groupList, withShare, i === 0)));
  parts.push(el("div", { class: "table-scroll" }, el("table", { class: "compare", id: "compare-table" },
    headings(groupList, withShare), el("tbody", {}, body))));
  parts.push(el("p", { class: "legend" }, "S / L / T: supply-side sensible / latent / total efficiency. Pressure drop of standard air. " +
    "Warnings by code: 4 RH capped, 5 low velocity, 6 out of range, ❄ 100 frost risk in the winter exhaust air."));
  return parts;
}

export async function compare() {
  clearErrors();
  const { unit, errors } = readUnit();
  const maxDrop = readOptional("max-pdrop", errors);
  const minEfficiency = readOptional("min-efficiency", errors);
  if (Object.keys(errors).length) {
    showErrors(errors);
    output.replaceChildren(failureBox("Not compared:", "correct the marked fields."));
    return;
  }
  const si = isSi();
  const q = query({ conditions: conditionsChoice(), "max-pdrop": maxDrop === undefined ? "" : si ? maxDrop : maxDrop * IP_PRESSURE_DROP_TO_PA,
    "min-efficiency": minEfficiency ?? "" });
  const id = ++latest;
  busy.hidden = false;
  try {
    const answer = await postUnit(`/api/select${q}`, unit);
    if (id === latest) output.replaceChildren(...render(JSON.parse(answer.text), si));
  } catch (e) {
    if (id !== latest) return;
    if (!(e instanceof ApiError)) throw e;
    if (!showFieldError(e.field, e.message)) showFormError(e.message);
    output.replaceChildren(failureBox(e.status === 400 ? "The server refused the inputs:" : "The comparison could not be run:", e.message));
  } finally {
    if (id === latest) busy.hidden = true;
  }
}

// `choose(id)` is called with the model of a clicked row, after it is set on the form.
export function initCompareView(choose) {
  onChoose = (id) => { setModel(id); choose(id); };
  document.getElementById("compare-button").addEventListener("click", compare);
}
