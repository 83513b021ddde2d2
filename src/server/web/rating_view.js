// The rating view: POST /api/rate for the figures and /api/report for the datasheet (its
// labelled sections and the psychrometric chart) at once, shown as key figures over the sheet.
import { ApiError, postUnit, query } from "./api.js";
import { clearErrors, conditionsChoice, isSi, modelChoice, readUnit, showErrors, showFieldError, showFormError, unitOf } from "./form.js";
import { download, el, failureBox, warningList } from "./render.js";
import { figure } from "./units.js";

const output = document.getElementById("rating-output");
const busy = document.getElementById("rate-busy");
let latest = 0; // only the answer to the last request is shown
let files = null; // {stem, report, json}: the files of the rating shown

// Key figures: a title, the main property and the ones beside it with a short label.
const FIGURES = [
  { title: "Supply air leaving, summer", main: "KivoutSaS_DBT", more: [["RH", "KivoutSaS_RH"]] },
  { title: "Supply air leaving, winter", main: "KivoutSaW_DBT", more: [["RH", "KivoutSaW_RH"]] },
  { title: "Sensible efficiency, winter", main: "KivoutEfficiencyWinterSupplyCondensation",
    more: [["latent", "KivoutEfficiencyWinterSupplyLatent"], ["total", "KivoutEfficiencyWinterSupplyTotal"]] },
  { title: "Exhaust air leaving, winter", main: "KivoutEaW_DBT", more: [["RH", "KivoutEaW_RH"]], frost: true },
  { title: "Face velocity, supply", main: "KivoutSaVelocity", more: [["exhaust", "KivoutRaVelocity"]] },
  { title: "Pressure drop, supply", main: "KivoutSaPDrop", more: [["exhaust", "KivoutRaPDrop"]] },
  { title: "Recovered energy, winter", main: "KivoutERWithWheelTotalWinter_KW", more: [["summer", "KivoutERWithWheelTotalSummer_KW"]] },
  { title: "Exhaust air transfer ratio", main: "KivoutLeakageEatr", more: [["OACF", "KivoutLeakageOacf"], ["purge angle", "KivoutLeakagePurgeAngle"]] },
];

const OUT_OF_RANGE = " Model Out of Range";

function value(result, name, si) {
  const unit = unitOf(name, si);
  return el("span", { class: "figure-value" }, el("span", { class: "value", dataset: { property: name } }, figure(result[name])),
    unit ? el("span", { class: "unit" }, unit === "°" ? unit : ` ${unit}`) : null);
}

// The card of the winter exhaust air is tinted when the frost check trips.
function figureCard(card, ratings, si) {
  const frost = card.frost && ratings.some(({ result }) => (result.warnings || []).some((w) => w.code === 100));
  return el("div", { class: frost ? "figure frost" : "figure" }, el("h4", {}, card.title), ratings.map(({ percent, result }) =>
    el("div", { class: "figure-line", dataset: { percent: percent ?? "" } },
      percent !== null ? el("span", { class: "share" }, `${percent} %`) : null,
      el("div", { class: "main" }, value(result, card.main, si)),
      el("div", { class: "more" }, card.more.map(([label, name]) => el("span", {}, `${label} `, value(result, name, si)))))));
}

function modelHeading(ratings, fixed, si) {
  const r = ratings[0].result;
  const name = r.KivOutNOVAFLUXModel ?? "no model";
  const cassette = `${figure(r.KivoutCassetteHight)} × ${figure(r.KivoutCassetteWidth)} × ${figure(r.KivoutCassetteDepth)} mm`;
  const airflows = `${figure(r.KivinputSupplyAir)} / ${figure(r.KivinputReturnAir)} ${unitOf("KivinputSupplyAir", si)}`;
  return el("div", { class: "model-head" },
    el("div", {},
      el("div", { class: "label" }, fixed ? "Rated model (fixed)" : "Selected model (automatic)"),
      el("h3", { id: "result-model", dataset: { property: "KivOutNOVAFLUXModel" } }, name.trim()),
      el("div", { class: "meta" }, `Cassette H × W × D ${cassette} · ${figure(r.KivoutCassetteWeight)} kg · drive ${figure(r.KivoutCassetteDriveMoter)} kW`)),
    el("div", { class: "run" }, el("div", {}, `${si ? "SI" : "IP"} units`), el("div", {}, `supply / return ${airflows}`),
      el("div", {}, `atmospheric pressure ${figure(r.KivoutAtmPressure)} ${unitOf("KivoutAtmPressure", si)}`)));
}

// The datasheet in a frame that runs no script; the frame's page gets a narrow-screen layout
// (one column) so that it reads on a phone as well as it prints.
function datasheetFrame(html) {
  const screen = "<style>body{padding:10px}@media (min-width:760px){body{font-size:8.5pt;max-width:225mm}.chart svg{height:100mm}}" +
    "@media (max-width:620px){.grid{grid-template-columns:minmax(0,1fr)!important}.wide{grid-column:1!important}" +
    "th,td{white-space:normal!important}header{flex-wrap:wrap}.chart svg{height:auto}}</style>";
  const frame = el("iframe", { sandbox: "allow-same-origin", title: "Datasheet", class: "sheet", id: "datasheet" });
  frame.srcdoc = html.replace("</head>", `${screen}</head>`);
  // The frame as tall as the sheet in it: the body's extent, since the root element is never
  // shorter than the frame (measuring it would only ever grow the frame).
  const fit = () => {
    const body = frame.contentDocument && frame.contentDocument.body;
    if (!body) return;
    const height = Math.ceil(body.getBoundingClientRect().bottom) + 12;
    if (Math.abs(frame.offsetHeight - height) > 2) frame.style.height = `${height}px`;
  };
  frame.addEventListener("load", fit);
  new ResizeObserver(fit).observe(frame);
  return el("section", { class: "datasheet" }, el("h3", {}, "Datasheet"), frame);
}

// The ratings of an answer: one, or one per airflow share under rating conditions.
function ratingsOf(json) {
  if (Array.isArray(json.ratings)) return json.ratings.map((r) => ({ percent: r.airflowPercent, result: r.result }));
  return [{ percent: null, result: json }];
}

// A failure names the property it is about ("input KivinputAltitude 40000 m is outside ...").
function showFailureField(description) {
  const named = /\bKivinput\w+/.exec(description || "");
  if (named) showFieldError(named[0], description);
}

function render(rate, report, fixed, si) {
  const json = JSON.parse(rate.text);
  const ratings = ratingsOf(json);
  const failures = ratings.filter((r) => r.result.error);
  const warnings = [];
  for (const { percent, result } of ratings)
    for (const w of result.warnings || [])
      warnings.push({ code: w.code, text: ratings.length > 1 ? `${percent} %: ${w.text}` : w.text });
  const parts = [];
  for (const { percent, result } of failures) {
    const where = ratings.length > 1 ? ` at ${percent} % airflow` : "";
    parts.push(failureBox(`The rating failed${where} (${result.error.number}):`, result.error.description));
    showFailureField(result.error.description);
  }
  if (failures.length === ratings.length) return parts;
  const outOfRange = ratings.filter((r) => r.result.KivOutNOVAFLUXModel === OUT_OF_RANGE);
  if (outOfRange.length === ratings.length) {
    // Nothing was rated: the run published no figures, only that the model does not fit.
    const chosen = document.getElementById("model").selectedOptions[0];
    parts.push(el("div", { class: "model-head" }, el("div", {}, el("div", { class: "label" }, "Rated model (fixed)"),
      el("h3", { id: "result-model", dataset: { property: "KivOutNOVAFLUXModel" } }, chosen ? chosen.textContent : "the chosen model"))));
  } else {
    parts.push(modelHeading(ratings, fixed, si));
  }
  if (outOfRange.length)
    parts.push(failureBox("The model does not fit these airflows:", "its face velocity is outside the range the wheel is rated for " +
      "(200 to 1100 fpm); choose a model from Compare models, or Automatic selection."));
  parts.push(warningList(warnings));
  if (outOfRange.length === ratings.length) return parts;
  if (json.conditions) parts.push(el("p", { class: "note" }, `${json.conditions} rating conditions at ${ratings.map((r) => `${r.percent} %`).join(" and ")} of the airflows.`));
  parts.push(el("div", { class: "figures" }, FIGURES.map((card) => figureCard(card, ratings, si))));
  parts.push(datasheetFrame(report.text));
  return parts;
}

function fileStem(json) {
  const r = ratingsOf(json)[0].result;
  const model = String(r.KivOutNOVAFLUXModel || "rating").trim().replace(/[^A-Za-z0-9_.-]+/g, "_");
  return `novaflux_${model}`;
}

export async function rate() {
  clearErrors();
  const { unit, errors } = readUnit();
  if (Object.keys(errors).length) {
    showErrors(errors);
    output.replaceChildren(failureBox("Not rated:", "correct the fields marked on the left."));
    return;
  }
  const fixed = modelChoice() !== "";
  const si = isSi();
  const q = query({ model: modelChoice(), conditions: conditionsChoice() });
  const id = ++latest;
  busy.hidden = false;
  try {
    const [rateAnswer, reportAnswer] = await Promise.all([postUnit(`/api/rate${q}`, unit), postUnit(`/api/report${q}`, unit)]);
    if (id !== latest) return;
    output.replaceChildren(...render(rateAnswer, reportAnswer, fixed, si).filter(Boolean));
    files = { stem: fileStem(JSON.parse(rateAnswer.text)), report: reportAnswer.text, json: rateAnswer.text };
  } catch (e) {
    if (id !== latest) return;
    files = null;
    if (!(e instanceof ApiError)) throw e;
    if (!showFieldError(e.field, e.message)) showFormError(e.message);
    output.replaceChildren(failureBox(e.status === 400 ? "The server refused the inputs:" : "The rating could not be run:", e.message));
  } finally {
    if (id === latest) busy.hidden = true;
    document.getElementById("download-datasheet").disabled = !files;
    document.getElementById("download-json").disabled = !files;
  }
}

export function initRatingView() {
  document.getElementById("rate-button").addEventListener("click", rate);
  document.getElementById("download-datasheet").addEventListener("click", () => {
    if (files) download(`${files.stem}_datasheet.html`, "text/html", files.report);
  });
  document.getElementById("download-json").addEventListener("click", () => {
    if (files) download(`${files.stem}.json`, "application/json", files.json);
  });
}
