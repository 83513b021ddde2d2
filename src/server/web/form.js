// The unit form: units beside every field, the SI/IP switch, the input modes of the air
// streams, reading the form into the JSON object `rate` reads, errors beside the fields, and
// keeping the inputs across a reload (localStorage).
import { convertText, parseNumber } from "./units.js";

const STORAGE_KEY = "novaflux.form.v1";
const form = document.getElementById("unit-form");
let properties = new Map(); // property name -> its entry of /api/describe

// The air streams' input modes as the component's flags: each stream's summer and winter
// states are given the same way.
const MODE_FLAGS = {
  OA: { RH: "KivinputOAUnitDBTRH", WBT: "KivinputOAUnitDBTWBT", GR: "KivinputOAUnitDBTGR" },
  RA: { RH: "KivinputRAUnitDBTRH", WBT: "KivinputRAUnitDBTWBT", GR: "KivinputRAUnitDBTGR" },
};
const STATE_PREFIX = { OA: ["KivinputOAS_", "KivinputOAW_"], RA: ["KivinputRaS_", "KivinputRaW_"] };
const PLAIN_FIELDS = ["KivinputSupplyAir", "KivinputReturnAir", "KivinputAltitude", "KivinputLeakagePressureDifference"];

// Every input whose value is kept and converted: the form's and the comparison filters.
function valueInputs() {
  return [...document.querySelectorAll("input[inputmode]")];
}

export function isSi() {
  return document.getElementById("system-si").checked;
}

function unitText(input, si) {
  const p = properties.get(input.name);
  if (p) return si ? p.unitSI : p.unitIP;
  return (si ? input.dataset.unitSi : input.dataset.unitIp) || "";
}

function showUnits() {
  const si = isSi();
  for (const input of valueInputs()) {
    const unit = input.parentElement.querySelector(".unit");
    if (unit && input.dataset.quantity) unit.textContent = unitText(input, si);
    const p = properties.get(input.name);
    if (p && p.meaning) input.title = p.meaning;
  }
}

// The units of /api/describe, and what each property means as a tooltip.
export function setDescription(describe) {
  properties = new Map(describe.properties.map((p) => [p.name, p]));
  showUnits();
}

export function unitOf(name, si = isSi()) {
  const p = properties.get(name);
  return p ? (si ? p.unitSI : p.unitIP) : "";
}

// Converts every entered value to the newly chosen system. A value the user has not touched
// since the last switch returns to exactly what it was, so switching back and forth loses nothing.
function switchSystem() {
  const si = isSi();
  for (const input of valueInputs()) {
    const quantity = input.dataset.quantity;
    const parsed = parseNumber(input.value);
    if (!quantity || parsed.error) continue;
    let next = input.value === input.dataset.convertedTo ? input.dataset.convertedFrom : null;
    if (next == null) next = convertText(quantity, parsed.value, si);
    if (next == null) continue;
    input.dataset.convertedFrom = input.value;
    input.dataset.convertedTo = next;
    input.value = next;
  }
  showUnits();
  save();
}

function showModes() {
  for (const fieldset of form.querySelectorAll(".air")) {
    fieldset.dataset.mode = document.getElementById(`mode-${fieldset.dataset.stream}`).value;
  }
  const ahri = document.getElementById("conditions").value === "ahri";
  for (const fieldset of form.querySelectorAll(".air")) fieldset.classList.toggle("replaced", ahri);
  document.getElementById("ahri-note").hidden = !ahri;
}

export function modelChoice() {
  return document.getElementById("model").value;
}

export function conditionsChoice() {
  return document.getElementById("conditions").value;
}

export function setModel(id) {
  document.getElementById("model").value = String(id);
  save();
}

export function fillModels(models) {
  const select = document.getElementById("model");
  const chosen = select.dataset.restored || select.value;
  for (const m of models) select.add(new Option(`${m.model.replaceAll("_", " ")} (Ø ${m.rotorDiameterMm} mm)`, String(m.id)));
  select.value = chosen;
  if (select.value !== chosen) select.value = "";
}

// The JSON object of inputs, or the errors that stop it being sent ({name: message}).
export function readUnit() {
  const unit = { KivunitSI: isSi(), KivPurgeWithout: !document.getElementById("purge").checked };
  const errors = {};
  const take = (name, required) => {
    const input = form.querySelector(`[name="${name}"]`);
    const parsed = parseNumber(input.value);
    if (!parsed.error) unit[name] = parsed.value;
    else if (required) errors[name] = parsed.error;
  };
  for (const name of PLAIN_FIELDS) take(name, true);
  // AHRI conditions replace the air states: what is entered there need not be complete.
  const statesRequired = conditionsChoice() !== "ahri";
  for (const stream of ["OA", "RA"]) {
    const mode = document.getElementById(`mode-${stream}`).value;
    for (const [m, flag] of Object.entries(MODE_FLAGS[stream])) unit[flag] = m === mode;
    for (const prefix of STATE_PREFIX[stream]) {
      take(`${prefix}DBT`, statesRequired);
      take(`${prefix}${mode}`, statesRequired);
    }
  }
  return { unit, errors };
}

// The number in an optional filter field, or undefined; errors are added to `errors`.
export function readOptional(id, errors) {
  const input = document.getElementById(id);
  if (input.value.trim() === "") return undefined;
  const parsed = parseNumber(input.value);
  if (parsed.error) errors[id] = parsed.error;
  return parsed.value;
}

// The element an error about `name` stands beside: an input, or the select a flag belongs to.
function fieldFor(name) {
  for (const [stream, flags] of Object.entries(MODE_FLAGS))
    if (Object.values(flags).includes(name)) return document.getElementById(`mode-${stream}`);
  if (name === "KivunitSI") return document.getElementById("system-si").closest(".switch");
  if (name === "KivPurgeWithout") return document.getElementById("purge");
  return document.querySelector(`[name="${CSS.escape(name)}"]`);
}

export function clearErrors() {
  for (const e of document.querySelectorAll(".field-error")) e.remove();
  for (const e of document.querySelectorAll("[aria-invalid]")) e.removeAttribute("aria-invalid");
  document.getElementById("form-error").hidden = true;
}

// Shows `message` beside the field `name` names; false when no field on the page has that name.
export function showFieldError(name, message) {
  const field = name && fieldFor(name);
  if (!field) return false;
  field.setAttribute("aria-invalid", "true");
  const note = document.createElement("p");
  note.className = "field-error";
  note.dataset.for = name;
  note.setAttribute("role", "alert");
  const label = field.getAttribute("aria-label");
  note.textContent = field.closest(".cell") && label ? `${label}: ${message}` : message;
  const cell = field.closest(".cell");
  if (cell) cell.closest("fieldset").querySelector(".states").after(note);
  else if (field.closest(".field")) field.closest(".field").append(note);
  else field.closest("label, .switch, .actions > *").after(note);
  return true;
}

// An error for the whole form (one that names no field on it).
export function showFormError(message) {
  const box = document.getElementById("form-error");
  box.textContent = message;
  box.hidden = false;
}

export function showErrors(errors) {
  for (const [name, message] of Object.entries(errors)) if (!showFieldError(name, message)) showFormError(message);
}

function save() {
  const state = { system: isSi() ? "si" : "ip", purge: document.getElementById("purge").checked, values: {} };
  for (const input of valueInputs()) state.values[input.name] = input.value;
  for (const select of document.querySelectorAll("select")) state[select.id] = select.value;
  try {
    localStorage.setItem(STORAGE_KEY, JSON.stringify(state));
  } catch {
    // Storage full or disabled: the page still works, it only forgets on reload.
  }
}

function restore() {
  let state;
  try {
    state = JSON.parse(localStorage.getItem(STORAGE_KEY) || "null");
  } catch {
    state = null;
  }
  if (!state || typeof state !== "object") return;
  document.getElementById(state.system === "ip" ? "system-ip" : "system-si").checked = true;
  if (typeof state.purge === "boolean") document.getElementById("purge").checked = state.purge;
  for (const input of valueInputs()) {
    const value = state.values && state.values[input.name];
    if (typeof value === "string") input.value = value;
  }
  for (const select of document.querySelectorAll("select")) {
    if (typeof state[select.id] !== "string") continue;
    select.value = state[select.id];
    // The model list arrives later from the server.
    if (select.id === "model") select.dataset.restored = state[select.id];
    else if (select.selectedIndex < 0) select.selectedIndex = 0; // a stored value no option has
  }
}

export function initForm() {
  restore();
  showModes();
  showUnits();
  for (const radio of form.querySelectorAll('input[name="system"]')) radio.addEventListener("change", switchSystem);
  for (const select of document.querySelectorAll("select")) select.addEventListener("change", () => { showModes(); save(); });
  document.addEventListener("input", (event) => {
    if (!event.target.matches("input[inputmode], #purge")) return;
    event.target.removeAttribute("aria-invalid");
    save();
  });
  form.addEventListener("change", save);
}
