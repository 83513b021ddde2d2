// The year at a site: the unit and an EPW weather file posted as a form to /api/annual with the
// study's options as query parameters; the year's summary, the monthly chart (the same request
// with ?format=svg) and downloads of the summary (the answer shown) and the hourly table.
import { ApiError, request, query } from "./api.js";
import { clearErrors, modelChoice, readOptional, readUnit, showErrors, showFieldError, showFormError } from "./form.js";
import { download, el, failureBox } from "./render.js";
import { yearSummary } from "./year_summary.js";

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

// The options as the tool's flags name them; blank ones are left to the server's defaults.
function studyOptions(errors) {
  const options = { model: modelChoice() };
  const schedule = document.getElementById("schedule").value.trim();
  if (schedule) options.schedule = schedule;
  const setpoint = document.getElementById("supply-setpoint").value.trim();
  if (setpoint.toLowerCase() === "none") options["supply-setpoint"] = "none";
  else options["supply-setpoint"] = readOptional("supply-setpoint", errors);
  const frost = document.getElementById("frost-control").value;
  if (frost === "preheat") {
    const to = readOptional("preheat-to", errors);
    if (to === undefined) errors["preheat-to"] = "give the temperature the outdoor air is preheated to";
    options["frost-control"] = `preheat:${to}`;
  } else {
    options["frost-control"] = frost;
  }
  for (const name of ["fan-efficiency", "price-heat", "price-cool", "price-electricity"]) options[name] = readOptional(name, errors);
  return options;
}

async function chart(unit, weather, parameters) {
  try {
    const response = await request(`/api/annual${query({ ...parameters, format: "svg" })}`, { method: "POST", body: formOf(unit, weather), accept: [422] });
    if (chartUrl) URL.revokeObjectURL(chartUrl);
    chartUrl = URL.createObjectURL(new Blob([await response.blob()], { type: "image/svg+xml" }));
    return el("figure", { class: "year-chart" }, el("img", { src: chartUrl, alt: "Monthly recovered energy against electric energy", id: "year-chart" }));
  } catch (e) {
    if (!(e instanceof ApiError)) throw e;
    return null;  // the summary request reports the same failure
  }
}

function fileName(weather, format) {
  return `novaflux_year_${weather.name.replace(/\.epw$/i, "")}.${format === "text" ? "txt" : format}`;
}

// A download button for an answer the page already has.
function saveButton(label, name, type, text) {
  const button = el("button", { type: "button" }, label);
  button.addEventListener("click", () => download(name, type, text));
  return button;
}

// A download button that fetches the same study in another format when clicked.
function downloadButton(label, unit, weather, parameters, format, type) {
  const button = el("button", { type: "button" }, label);
  button.addEventListener("click", async () => {
    button.disabled = true;
    try {
      const response = await request(`/api/annual${query({ ...parameters, format })}`, { method: "POST", body: formOf(unit, weather), accept: [422] });
      download(fileName(weather, format), type, await response.text());
    } catch (e) {
      if (!(e instanceof ApiError)) throw e;
      showFormError(e.message);
    } finally {
      button.disabled = false;
    }
  });
  return button;
}

export async function runYear() {
  clearErrors();
  const { unit, errors } = readUnit();
  const weather = document.getElementById("weather-file").files[0];
  if (!weather) errors.weather = "choose the site's EPW weather file";
  const parameters = studyOptions(errors);
  if (Object.keys(errors).length) {
    showErrors(errors);
    output.replaceChildren(failureBox("Not run:", "correct the marked fields."));
    return;
  }
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
    if (!json.year) {  // the unit itself could not be rated
      const message = json.error ? json.error.description : "the server's answer has no year";
      output.replaceChildren(failureBox("The year could not be rated:", message));
      if (!showFieldError((/\bKivinput\w+/.exec(message) || [])[0], message)) showFormError(message);
      return;
    }
    output.replaceChildren(...[
      json.failedHours ? failureBox(`${json.failedHours} hours could not be rated; the first:`, json.firstFailure || "") : null,
      el("div", { class: "year-head" }, el("h3", {}, `The year at ${json.weather.place} with ${json.unit.model.name}`),
        el("div", { class: "downloads" },
          saveButton("Download JSON", fileName(weather, "json"), "application/json", text),
          downloadButton("Hourly table (CSV)", unit, weather, parameters, "csv", "text/csv"))),
      picture,
      ...yearSummary(json),
    ].filter(Boolean));
  } catch (e) {
    if (id !== latest) return;
    if (!(e instanceof ApiError)) throw e;
    if (!showFieldError(e.field, e.message)) showFormError(e.message);
    output.replaceChildren(failureBox("The year could not be run:", e.message));
  } finally {
    if (id === latest) busy.hidden = true;
  }
}

export function initYearView() {
  document.getElementById("year-button").addEventListener("click", runYear);
}
