// The year at a site: the unit and an EPW weather file posted as a form to /api/annual; the
// year's summary JSON shown as tables and the monthly chart (the same request with
// ?format=svg) as an image.
import { ApiError, request, query } from "./api.js";
import { clearErrors, modelChoice, readUnit, showErrors, showFieldError, showFormError } from "./form.js";
import { download, el, failureBox, jsonView } from "./render.js";

const output = document.getElementById("year-output");
const busy = document.getElementById("year-busy");
let latest = 0;
let chartUrl = null; // the image of the chart shown, released when another replaces it

function formOf(unit, weather) {
  const data = new FormData();
  data.append("unit", new Blob([JSON.stringify(unit)], { type: "application/json" }), "unit.json");
  data.append("weather", weather, weather.name);
  return data;
}

function explain(e) {
  if (e.status === 404) return `this server has no annual study yet (/api/annual answered 404: ${e.message})`;
  if (e.status === 413) return `the server refused the upload as too large (413: ${e.message})`;
  return e.message;
}

// The chart beside the summary; its absence is said, not fatal.
async function chart(unit, weather, parameters) {
  try {
    const response = await request(`/api/annual${query({ ...parameters, format: "svg" })}`, { method: "POST", body: formOf(unit, weather) });
    const svg = await response.blob();
    if (chartUrl) URL.revokeObjectURL(chartUrl);
    const url = (chartUrl = URL.createObjectURL(new Blob([svg], { type: "image/svg+xml" })));
    return el("figure", { class: "year-chart" }, el("img", { src: url, alt: "Monthly chart of the year", id: "year-chart" }),
      el("figcaption", {}, "Month by month over the year"));
  } catch (e) {
    if (!(e instanceof ApiError)) throw e;
    return el("p", { class: "note" }, `No monthly chart: ${explain(e)}`);
  }
}

export async function runYear() {
  clearErrors();
  const { unit, errors } = readUnit();
  const weather = document.getElementById("weather-file").files[0];
  if (!weather) errors.weather = "choose the site's EPW weather file";
  if (Object.keys(errors).length) {
    showErrors(errors);
    output.replaceChildren(failureBox("Not run:", "correct the marked fields."));
    return;
  }
  const parameters = { model: modelChoice() };
  const id = ++latest;
  busy.hidden = false;
  try {
    const [answer, picture] = await Promise.all([
      request(`/api/annual${query(parameters)}`, { method: "POST", body: formOf(unit, weather), accept: [422] }),
      chart(unit, weather, parameters),
    ]);
    const text = await answer.text();
    if (id !== latest) return;
    const json = JSON.parse(text);
    const failure = json && json.error && json.error.description;
    const save = el("button", { type: "button" }, "Download JSON");
    save.addEventListener("click", () => download(`novaflux_year_${weather.name.replace(/\.epw$/i, "")}.json`, "application/json", text));
    output.replaceChildren(...[
      failure ? failureBox("The year could not be rated:", failure) : null,
      el("div", { class: "year-head" }, el("h3", {}, `The year at ${weather.name}`), save),
      picture,
      jsonView(json),
    ].filter(Boolean));
    if (failure && !showFieldError((/\bKivinput\w+/.exec(failure) || [])[0], failure)) showFormError(failure);
  } catch (e) {
    if (id !== latest) return;
    if (e instanceof SyntaxError) {
      output.replaceChildren(failureBox("The server's answer is not JSON:", e.message));
      return;
    }
    if (!(e instanceof ApiError)) throw e;
    if (!showFieldError(e.field, e.message)) showFormError(explain(e));
    output.replaceChildren(failureBox("The year could not be run:", explain(e)));
  } finally {
    if (id === latest) busy.hidden = true;
  }
}

export function initYearView() {
  document.getElementById("year-button").addEventListener("click", runYear);
}
