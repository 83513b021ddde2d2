// Converting an entered value when the user switches between SI and IP, by the quantity
// `describe` gives each property. Quantities without an entry (%, altitude in metres) keep
// their value.

// The pressure-drop filter of the comparison is in Pa; an IP run's drops are compared as
// in. w.g. times 253.95 (the component's factor), so the same factor turns the user's
// in. w.g. into the Pa the server compares with.
export const IP_PRESSURE_DROP_TO_PA = 253.95;

// SI value -> IP value, IP value -> SI value, and the decimals a person types in each system.
const CONVERSIONS = {
  temperature: { toIp: (c) => c * 1.8 + 32, toSi: (f) => (f - 32) / 1.8, decimals: [1, 1] },
  airflow: { toIp: (m3h) => m3h / 1.699011, toSi: (cfm) => cfm * 1.699011, decimals: [0, 0] },
  // 7000 grains per pound, 1000 g per kg.
  "humidity ratio": { toIp: (gkg) => gkg * 7, toSi: (grlb) => grlb / 7, decimals: [2, 1] },
  // One inch of water column (at 4 °C) is 249.09 Pa.
  pressure: { toIp: (pa) => pa / 249.09, toSi: (inwg) => inwg * 249.09, decimals: [0, 2] },
  // The comparison's pressure-drop limit: the component's own factor (above).
  "pressure drop": { toIp: (pa) => pa / IP_PRESSURE_DROP_TO_PA, toSi: (inwg) => inwg * IP_PRESSURE_DROP_TO_PA, decimals: [0, 2] },
};

function rounded(x, decimals) {
  const text = x.toFixed(decimals);
  return String(Number(text));
}

// The text of `value` (a number in the other system) in the system `toSi` names, or null when
// the quantity has no conversion.
export function convertText(quantity, value, toSi) {
  const c = CONVERSIONS[quantity];
  if (!c) return null;
  return rounded(toSi ? c.toSi(value) : c.toIp(value), toSi ? c.decimals[0] : c.decimals[1]);
}

// A number as the user typed it: digits with an optional sign, point and exponent. A comma is
// refused rather than guessed (10,000 could be ten thousand or ten).
export function parseNumber(text) {
  const t = text.trim();
  if (t === "") return { error: "enter a number" };
  if (t.includes(",")) return { error: `"${t}" has a comma: use a point for decimals and no thousands separator` };
  if (!/^[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$/.test(t)) return { error: `"${t}" is not a number` };
  const value = Number(t);
  if (!Number.isFinite(value)) return { error: `"${t}" is too large` };
  return { value };
}

// A figure of the server's JSON as text: as the component published it (already rounded).
export function figure(value) {
  if (value === null || value === undefined) return "–";
  return String(value);
}
