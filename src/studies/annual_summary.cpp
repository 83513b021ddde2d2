#include "studies/annual_summary.hpp"

namespace novaflux {

namespace {

// An operating hour as a period of its own: its kW held for one hour is its kWh.
PeriodSummary one_hour(const HourResult& h, int index) {
  PeriodSummary p;
  p.operating_hours = 1;
  ++p.mode_hours[static_cast<size_t>(h.mode)];
  p.heating_sensible_kwh = h.heating_sensible_kw;
  p.heating_latent_kwh = h.heating_latent_kw;
  p.heating_kwh = h.heating_kw;
  p.cooling_sensible_kwh = h.cooling_sensible_kw;
  p.cooling_latent_kwh = h.cooling_latent_kw;
  p.cooling_kwh = h.cooling_kw;
  p.preheat_kwh = h.preheat_kw;
  p.fan_kwh = h.fan_kw;
  p.motor_kwh = h.motor_kw;
  if (h.heating_kw > 0) {
    p.peak_heating_kw = h.heating_kw;
    p.peak_heating_hour = index;
  }
  if (h.cooling_kw > 0) {
    p.peak_cooling_kw = h.cooling_kw;
    p.peak_cooling_hour = index;
  }
  p.frost_risk_hours = h.frost_risk ? 1 : 0;
  for (size_t q = 0; q < kWeatherQuantities; ++q) p.substituted[q] = (h.substituted >> q) & 1;
  return p;
}

// Sums a part into a longer period; the peak stays the first largest.
void add(PeriodSummary& to, const PeriodSummary& part) {
  to.operating_hours += part.operating_hours;
  for (size_t i = 0; i < kHourModes; ++i) to.mode_hours[i] += part.mode_hours[i];
  to.heating_sensible_kwh += part.heating_sensible_kwh;
  to.heating_latent_kwh += part.heating_latent_kwh;
  to.heating_kwh += part.heating_kwh;
  to.cooling_sensible_kwh += part.cooling_sensible_kwh;
  to.cooling_latent_kwh += part.cooling_latent_kwh;
  to.cooling_kwh += part.cooling_kwh;
  to.preheat_kwh += part.preheat_kwh;
  to.fan_kwh += part.fan_kwh;
  to.motor_kwh += part.motor_kwh;
  if (part.peak_heating_kw > to.peak_heating_kw) {
    to.peak_heating_kw = part.peak_heating_kw;
    to.peak_heating_hour = part.peak_heating_hour;
  }
  if (part.peak_cooling_kw > to.peak_cooling_kw) {
    to.peak_cooling_kw = part.peak_cooling_kw;
    to.peak_cooling_hour = part.peak_cooling_hour;
  }
  to.frost_risk_hours += part.frost_risk_hours;
  for (size_t q = 0; q < kWeatherQuantities; ++q) to.substituted[q] += part.substituted[q];
}

Savings savings_of(const PeriodSummary& p, const AnnualOptions& o) {
  Savings s;
  s.heat = p.heating_kwh * o.price_heat.value_or(0.0);
  s.cool = p.cooling_kwh * o.price_cool.value_or(0.0);
  s.electricity = p.electric_kwh() * o.price_electricity.value_or(0.0);
  return s;
}

}  // namespace

void summarise(AnnualStudy& study) {
  study.months = {};
  study.year = {};
  for (size_t i = 0; i < study.hours.size(); ++i) {
    const HourResult& h = study.hours[i];
    if (h.mode != HourMode::Off) add(study.months[h.month - 1], one_hour(h, static_cast<int>(i)));
  }
  // The year from the months, so that the year is exactly the sum of what the months show.
  PeriodSummary& y = study.year;
  for (const PeriodSummary& m : study.months) add(y, m);
  if (!has_prices(study.options)) return;
  study.savings = savings_of(y, study.options);
  for (size_t i = 0; i < 12; ++i) study.monthly_savings[i] = savings_of(study.months[i], study.options);
}

}  // namespace novaflux
