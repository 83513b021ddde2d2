#include "studies/annual_summary.hpp"

namespace novaflux {

namespace {

// An hour's kW held for one hour is its kWh.
void add(PeriodSummary& p, const HourResult& h, int index) {
  if (h.mode == HourMode::Off) return;
  ++p.operating_hours;
  ++p.mode_hours[static_cast<size_t>(h.mode)];
  p.heating_sensible_kwh += h.heating_sensible_kw;
  p.heating_latent_kwh += h.heating_latent_kw;
  p.heating_kwh += h.heating_kw;
  p.cooling_sensible_kwh += h.cooling_sensible_kw;
  p.cooling_latent_kwh += h.cooling_latent_kw;
  p.cooling_kwh += h.cooling_kw;
  p.preheat_kwh += h.preheat_kw;
  p.fan_kwh += h.fan_kw;
  p.motor_kwh += h.motor_kw;
  if (h.heating_kw > p.peak_heating_kw) {
    p.peak_heating_kw = h.heating_kw;
    p.peak_heating_hour = index;
  }
  if (h.cooling_kw > p.peak_cooling_kw) {
    p.peak_cooling_kw = h.cooling_kw;
    p.peak_cooling_hour = index;
  }
  if (h.frost_risk) ++p.frost_risk_hours;
  for (size_t q = 0; q < kWeatherQuantities; ++q)
    if ((h.substituted >> q) & 1) ++p.substituted[q];
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
    add(study.months[h.month - 1], h, static_cast<int>(i));
  }
  // The year from the months, so that the year is exactly the sum of what the months show.
  PeriodSummary& y = study.year;
  for (const PeriodSummary& m : study.months) {
    y.operating_hours += m.operating_hours;
    for (size_t i = 0; i < kHourModes; ++i) y.mode_hours[i] += m.mode_hours[i];
    y.heating_sensible_kwh += m.heating_sensible_kwh;
    y.heating_latent_kwh += m.heating_latent_kwh;
    y.heating_kwh += m.heating_kwh;
    y.cooling_sensible_kwh += m.cooling_sensible_kwh;
    y.cooling_latent_kwh += m.cooling_latent_kwh;
    y.cooling_kwh += m.cooling_kwh;
    y.preheat_kwh += m.preheat_kwh;
    y.fan_kwh += m.fan_kwh;
    y.motor_kwh += m.motor_kwh;
    if (m.peak_heating_kw > y.peak_heating_kw) {
      y.peak_heating_kw = m.peak_heating_kw;
      y.peak_heating_hour = m.peak_heating_hour;
    }
    if (m.peak_cooling_kw > y.peak_cooling_kw) {
      y.peak_cooling_kw = m.peak_cooling_kw;
      y.peak_cooling_hour = m.peak_cooling_hour;
    }
    y.frost_risk_hours += m.frost_risk_hours;
    for (size_t q = 0; q < kWeatherQuantities; ++q) y.substituted[q] += m.substituted[q];
  }
  if (!has_prices(study.options)) return;
  study.savings = savings_of(y, study.options);
  for (size_t i = 0; i < 12; ++i) study.monthly_savings[i] = savings_of(study.months[i], study.options);
}

}  // namespace novaflux
