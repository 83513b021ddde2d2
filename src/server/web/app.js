// The page's start: the form, the three views and their tabs (the view in the URL's fragment,
// so that a reload or a link opens the same one), and what the server says about itself.
import { ApiError, getJson } from "./api.js";
import { compare, initCompareView } from "./compare_view.js";
import { fillModels, initForm, setDescription, showFormError } from "./form.js";
import { initRatingView, rate } from "./rating_view.js";
import { initYearView, runYear } from "./year_view.js";

const VIEWS = { rating: rate, compare, year: runYear };

function currentView() {
  const name = location.hash.slice(1);
  return name in VIEWS ? name : "rating";
}

function showView(name) {
  for (const tab of document.querySelectorAll(".tabs button")) tab.setAttribute("aria-selected", String(tab.dataset.view === name));
  for (const view of document.querySelectorAll(".view")) view.hidden = view.dataset.view !== name;
}

function selectView(name) {
  if (currentView() !== name) history.replaceState(null, "", `#${name}`);
  showView(name);
}

async function loadServerFacts() {
  const status = document.getElementById("server-status");
  try {
    const [describe, models, version] = await Promise.all([getJson("/api/describe"), getJson("/api/models"), getJson("/api/version")]);
    setDescription(describe);
    fillModels(models.models);
    status.textContent = `${version.name} ${version.version} · ${models.models.length} wheel models`;
  } catch (e) {
    if (!(e instanceof ApiError)) throw e;
    status.textContent = "server not available";
    status.classList.add("offline");
    showFormError(`The server's catalogue could not be read: ${e.message}`);
  }
}

function init() {
  initForm();
  initRatingView();
  initYearView();
  initCompareView(() => {
    selectView("rating");
    rate();
  });
  for (const tab of document.querySelectorAll(".tabs button")) tab.addEventListener("click", () => selectView(tab.dataset.view));
  window.addEventListener("hashchange", () => showView(currentView()));
  showView(currentView());
  // Enter in a field runs the view on show.
  document.getElementById("unit-form").addEventListener("submit", (event) => event.preventDefault());
  document.getElementById("unit-form").addEventListener("keydown", (event) => {
    if (event.key === "Enter" && event.target.matches("input[inputmode]")) VIEWS[currentView()]();
  });
  for (const id of ["max-pdrop", "min-efficiency"])
    document.getElementById(id).addEventListener("keydown", (event) => { if (event.key === "Enter") compare(); });
  loadServerFacts();
}

init();
