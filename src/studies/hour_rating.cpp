#include "studies/hour_rating.hpp"

#include "component/result_columns.hpp"
#include "novaflux/moist_air.hpp"
#include "novaflux/selection.hpp"

namespace novaflux {

double outdoor_dry_bulb(const StudySetup& setup, const WeatherHour& w) {
  return setup.si ? w.dry_bulb_c : w.dry_bulb_c * 1.8 + 32.0;
}

void set_hour_inputs(const StudySetup& setup, const WeatherHour& w, KivClass& k) {
  copy_inputs(setup.unit, k);
  const double t = outdoor_dry_bulb(setup, w);
  const AnnualOptions& o = setup.options;
  k.KivinputOAUnitDBTWBT = false;
  if (o.frost_control == FrostControl::Preheat && t < o.preheat_to) {
    // Heating keeps the moisture: the wheel sees the preheat temperature at the outdoor
    // humidity ratio.
    const double gr = moist_air::humidity_ratio_at_rh(t, w.rh_percent, setup.si, setup.altitude_m);
    k.KivinputOAUnitDBTRH = false;
    k.KivinputOAUnitDBTGR = true;
    k.KivinputOAS_DBT = k.KivinputOAW_DBT = o.preheat_to;
    k.KivinputOAS_GR = k.KivinputOAW_GR = gr;
    return;
  }
  k.KivinputOAUnitDBTRH = true;
  k.KivinputOAUnitDBTGR = false;
  k.KivinputOAS_DBT = k.KivinputOAW_DBT = t;
  k.KivinputOAS_RH = k.KivinputOAW_RH = w.rh_percent;
}

HourResult rate_hour(const StudySetup& setup, const WeatherHour& w) {
  HourResult h;
  h.day_of_year = w.day_of_year;
  h.month = w.month;
  h.day = w.day;
  h.hour = w.hour;
  h.weekday = w.weekday;
  h.substituted = w.substituted;
  h.outdoor_dry_bulb = outdoor_dry_bulb(setup, w);
  h.outdoor_rh = w.rh_percent;
  h.entering_dry_bulb = h.outdoor_dry_bulb;
  if (!setup.options.schedule.operates(w.weekday, w.hour - 1)) return h;

  KivClass k;
  const detail::CaseOutcome outcome =
      detail::rate_case(k, /*model_run=*/true, [&](KivClass& object) { set_hour_inputs(setup, w, object); });
  if (outcome.failure_number != 0) {
    h.mode = HourMode::Failed;
    h.failure = outcome.failure_text + " (" + std::to_string(outcome.failure_number) + ")";
    return h;
  }
  hour_control_and_energy(setup, k, h);
  return h;
}

}  // namespace novaflux
