// The year's summary as an engineer reads it: key figures, the site and the study's settings,
// and the monthly table, from the JSON of /api/annual (`novaflux annual --format json`).
import { el } from "./render.js";

const MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"];
const whole = new Intl.NumberFormat("en-US", { maximumFractionDigits: 0 });
const tenth = new Intl.NumberFormat("en-US", { minimumFractionDigits: 1, maximumFractionDigits: 1 });

const energy = (x) => whole.format(x);
const peak = (p) => (p ? tenth.format(p.power) : "–");
const stoppedHours = (h) => h.stopped + h.free_cooling + h.frost_stop;

function card(key, title, main, unit, more) {
  return el("div", { class: "figure", dataset: { figure: key } }, el("h4", {}, title),
    el("div", { class: "main" }, main, " ", el("span", { class: "unit" }, unit)),
    el("div", { class: "more" }, more.filter(Boolean).map((m) => el("span", {}, m))));
}

function figures(s) {
  const y = s.year, u = s.units;
  const cards = [
    card("heating", "Heat recovered", energy(y.heating.total), u.energy, [`sensible ${energy(y.heating.sensible)}`, `latent ${energy(y.heating.latent)}`]),
    card("cooling", "Cooling recovered", energy(y.cooling.total), u.energy, [`sensible ${energy(y.cooling.sensible)}`, `latent ${energy(y.cooling.latent)}`]),
    card("electric", "Electric energy", energy(y.electric), u.energy, [`fans ${energy(y.fan)}`, `rotor motor ${energy(y.motor)}`]),
    card("peak", "Largest hourly recovery", peak(y.peakHeating), u.power,
      [y.peakHeating && `heating ${y.peakHeating.time}`, y.peakCooling && `cooling ${peak(y.peakCooling)} ${u.power} ${y.peakCooling.time}`]),
    card("frost", "Frost-risk hours", whole.format(y.frostRiskHours), "h", [y.preheat ? `preheat ${energy(y.preheat)} ${u.energy}` : null]),
    card("hours", "Operating hours", whole.format(y.operatingHours), "h",
      [`heating ${y.hours.heating}`, `cooling ${y.hours.cooling}`, `stopped ${stoppedHours(y.hours)}`]),
  ];
  if (y.saving) {
    cards.push(card("saving", "Net saving a year", whole.format(y.saving.net), "",
      [`heat ${whole.format(y.saving.heat)}`, `cooling ${whole.format(y.saving.cool)}`, `electricity −${whole.format(y.saving.electricity)}`]));
  }
  return el("div", { class: "figures" }, cards);
}

function facts(s) {
  const w = s.weather, unit = s.unit, o = s.options, t = s.units.temperature;
  const site = `${w.place}${w.region ? ", " + w.region : ""}, ${w.country} (${w.latitude}°, ${w.longitude}°, ${w.elevationM} m; ${w.source}, ${w.hours} hours)`;
  const missing = Object.values(w.substitutedValues).reduce((a, b) => a + b, 0);
  const control = [`schedule ${o.schedule}`, o.supplySetpoint === null ? "no supply temperature control" : `supply set point ${o.supplySetpoint} ${t}`,
    `frost control ${o.frostControl}${o.preheatTo !== null ? " to " + o.preheatTo + " " + t : ""}`, `fan efficiency ${o.fanEfficiency}`];
  return el("table", { class: "pairs year-facts" }, el("tbody", {},
    [["Site", site],
      ["Wheel", `${unit.model.name} (${unit.model.automatic ? "automatic choice" : "chosen"}), rotor motor ${unit.motorKw} kW`],
      ["Altitude", `${unit.altitudeM} m (${unit.altitudeFrom === "unit" ? "the unit's" : "the weather file's"})`],
      ["Control", control.join("; ")],
      ["Missing values", missing ? `${missing} replaced by the last good value` : "none"],
    ].map(([k, v]) => el("tr", {}, el("th", { scope: "row" }, k), el("td", {}, v)))));
}

function monthRow(label, m, withSaving) {
  const cells = [label, m.operatingHours, m.hours.heating, m.hours.cooling, stoppedHours(m.hours), energy(m.heating.total),
    energy(m.cooling.total), peak(m.peakHeating), peak(m.peakCooling), m.frostRiskHours, energy(m.fan), energy(m.motor)];
  if (withSaving) cells.push(m.saving ? whole.format(m.saving.net) : "–");
  return el("tr", {}, cells.map((c, i) => el(i ? "td" : "th", { class: i ? "num" : "", scope: i ? null : "row" }, String(c))));
}

function monthTable(s) {
  const u = s.units, withSaving = Boolean(s.year.saving);
  const headings = ["Month", "Hours", "Heating h", "Cooling h", "Stopped h", `Heat, ${u.energy}`, `Cooling, ${u.energy}`,
    `Peak heat, ${u.power}`, `Peak cool, ${u.power}`, "Frost h", `Fans, ${u.energy}`, `Motor, ${u.energy}`];
  if (withSaving) headings.push("Net saving");
  return el("div", { class: "table-scroll" }, el("table", { class: "data year-months" },
    el("thead", {}, el("tr", {}, headings.map((h) => el("th", {}, h)))),
    el("tbody", {}, s.months.map((m) => monthRow(MONTHS[m.month - 1], m, withSaving))),
    el("tfoot", {}, monthRow("Year", s.year, withSaving))));
}

// The summary's parts in reading order.
export function yearSummary(s) {
  return [figures(s), facts(s), el("h4", {}, "By month"), monthTable(s),
    el("p", { class: "legend" }, "Stopped hours: outdoor air between the return-air temperatures, at or above the supply set point, or stopped by frost control. Peaks are the largest hourly recovery, the load the wheel takes off the heating and cooling plant.")];
}
