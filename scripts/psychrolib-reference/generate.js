// Regenerates the independent moist-air reference tables tests/data/psychro_psychrolib_si.csv and
// tests/data/psychro_psychrolib_ip.csv from the psychrolib package (an implementation of the same
// ASHRAE Handbook Fundamentals 2017, ch. 1 formulations). Run: npm ci && node generate.js
'use strict';

const fs = require('fs');
const path = require('path');
const psychrolib = require('psychrolib');

const version = require('psychrolib/package.json').version;
const dataDir = path.join(__dirname, '..', '..', 'tests', 'data');

// Standard-atmosphere pressure at an altitude in metres (ch. 1, eq. 3), in Pa. The library under
// test takes the altitude in metres in both unit families, so the IP table uses this pressure too,
// converted to psia (1 psi = 6894.757293168 Pa).
function pressurePa(altitudeM) {
  return 101325 * Math.pow(1 - 2.25577e-5 * altitudeM, 5.2559);
}
const PA_PER_PSI = 6894.757293168;

// Sample points: a few corners of the range, then a low-discrepancy sequence (the R3 sequence,
// generalised golden ratio) over dry bulb, relative humidity and altitude, so the rows cover the
// range evenly without falling on a grid.
function samples(tMin, tMax, corners) {
  const rows = corners.map(([t, rh, alt]) => ({ t, rh, alt }));
  const g = 1.22074408460575947536;
  const a = [1 / g, 1 / (g * g), 1 / (g * g * g)];
  for (let n = 1; rows.length < 300; ++n) {
    const u = a.map((ai) => (0.5 + n * ai) % 1);
    rows.push({
      t: Math.round((tMin + (tMax - tMin) * u[0]) * 4) / 4, // quarter degrees: exact in float
      rh: Math.round((5 + 95 * u[1]) * 2) / 2,
      alt: Math.round(-500 + 4500 * u[2]),
    });
  }
  return rows;
}

function cornerSet(temperatures) {
  const out = [];
  for (const t of temperatures) for (const rh of [5, 100]) for (const alt of [-500, 4000]) out.push([t, rh, alt]);
  return out;
}

const fmt = (x) => Number(x.toPrecision(10)).toString();

function table(unit) {
  const si = unit === 'SI';
  psychrolib.SetUnitSystem(si ? psychrolib.SI : psychrolib.IP);
  const freezing = si ? 0 : 32;
  const scale = si ? 1000 : 7000; // g/kg or grains/lb per kg/kg
  const rows = si
    ? samples(-40, 60, cornerSet([-40, -10, 0, 0.5, 20, 60]))
    : samples(-40, 140, cornerSet([-40, 14, 32, 33, 68, 140]));
  const lines = [];
  for (const { t, rh, alt } of rows) {
    const p = si ? pressurePa(alt) : pressurePa(alt) / PA_PER_PSI;
    const w = psychrolib.GetHumRatioFromRelHum(t, rh / 100, p);
    const wb = psychrolib.GetTWetBulbFromHumRatio(t, w, p);
    const h = psychrolib.GetMoistAirEnthalpy(t, w) / (si ? 1000 : 1); // J/kg -> kJ/kg
    const rho = psychrolib.GetMoistAirDensity(t, w, p);
    // Where the wetted-wick relation at freezing gives less than the iced-wick one just below
    // freezing, both wick forms have a root near freezing; the row is flagged.
    let band = 0;
    if (t > freezing) {
      const wWetAtFreezing = psychrolib.GetHumRatioFromTWetBulb(t, freezing, p);
      const wIceBelowFreezing = psychrolib.GetHumRatioFromTWetBulb(t, freezing - 1e-9, p);
      band = w >= wWetAtFreezing && w < wIceBelowFreezing ? 1 : 0;
    }
    lines.push([t, rh, alt, fmt(w * scale), fmt(wb), fmt(h), fmt(rho), band].join(','));
  }
  const units = si
    ? 't_c,rh_percent,alt_m,w_g_per_kg,wet_bulb_c,enthalpy_kj_per_kg,density_kg_per_m3,wick_band'
    : 't_f,rh_percent,alt_m,w_grains_per_lb,wet_bulb_f,enthalpy_btu_per_lb,density_lb_per_ft3,wick_band';
  const header = [
    `# Moist-air reference values, ${unit} units, computed by the npm package psychrolib ${version}`,
    '# (ASHRAE Handbook Fundamentals 2017, ch. 1 formulations) with scripts/psychrolib-reference/generate.js.',
    '# Pressure: standard atmosphere at alt_m (eq. 3)' + (si ? ', Pa.' : ', converted to psia.'),
    '# Humidity ratio from (t, rh); wet bulb, enthalpy and density from (t, humidity ratio).',
    '# wick_band = 1: both the wetted-wick and the iced-wick relation have a root near freezing;',
    '# the reference wet bulb of such a row may be either, so the tests check the relation instead.',
    '# Tolerances: wet bulb 0.02 K, RH 0.1 percentage point, humidity ratio 0.2 % or 0.005 g/kg,',
    '# enthalpy 0.05 kJ/kg, density 0.1 %.',
    units,
  ];
  return header.concat(lines).join('\n') + '\n';
}

fs.writeFileSync(path.join(dataDir, 'psychro_psychrolib_si.csv'), table('SI'));
fs.writeFileSync(path.join(dataDir, 'psychro_psychrolib_ip.csv'), table('IP'));
console.log('wrote psychro_psychrolib_si.csv and psychro_psychrolib_ip.csv to', dataDir);
