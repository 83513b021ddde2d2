#include "studies/hour_rating.hpp"

#include "component/result_columns.hpp"
#include "novaflux/moist_air.hpp"
#include "novaflux/result_view.hpp"
#include "novaflux/selection.hpp"

namespace novaflux {

namespace {

double outdoor_dry_bulb(const StudySetup& setup, const WeatherHour& w) {
  return setup.si ? w.dry_bulb_c : w.dry_bulb_c * 1.8 + 32.0;
}

SeasonFigures winter(const KivClass& k) {
  return {k.KivoutOAW_AbsHum, k.KivoutSaW_DBT, k.KivoutSaW_AbsHum, k.KivoutEaW_DBT,
          k.KivoutEfficiencyWinterSupplyCondensation, k.KivoutPDActualSupplyW, k.KivoutPDActualExhaustW,
          k.KivinputRaW_DBT, k.KivoutRaW_AbsHum};
}

SeasonFigures summer(const KivClass& k) {
  return {k.KivoutOAS_AbsHum, k.KivoutSaS_DBT, k.KivoutSaS_AbsHum, k.KivoutEaS_DBT,
          k.KivoutEfficiencySummerSupplyCondensation, k.KivoutPDActualSupplyS, k.KivoutPDActualExhaustS,
          k.KivinputRaS_DBT, k.KivoutRaS_AbsHum};
}

}  // namespace

HourInputs hour_inputs(const StudySetup& setup, const WeatherHour& w) {
  const double t = outdoor_dry_bulb(setup, w);
  const AnnualOptions& o = setup.options;
  // Heating keeps the moisture: the wheel sees the preheat temperature at the outdoor humidity
  // ratio.
  if (o.frost_control == FrostControl::Preheat && t < o.preheat_to)
    return {o.preheat_to, moist_air::humidity_ratio_at_rh(t, w.rh_percent, setup.si, setup.altitude_m), true};
  return {t, w.rh_percent, false};
}

void set_hour_inputs(const StudySetup& setup, const HourInputs& in, KivClass& k) {
  copy_inputs(setup.unit, k);
  k.KivinputOAUnitDBTWBT = false;
  k.KivinputOAUnitDBTRH = !in.preheated;
  k.KivinputOAUnitDBTGR = in.preheated;
  k.KivinputOAS_DBT = k.KivinputOAW_DBT = in.dry_bulb;
  if (in.preheated) k.KivinputOAS_GR = k.KivinputOAW_GR = in.humidity;
  else k.KivinputOAS_RH = k.KivinputOAW_RH = in.humidity;
}

HourFigures rate_figures(const StudySetup& setup, const HourInputs& inputs) {
  KivClass k;
  const detail::CaseOutcome outcome =
      detail::rate_case(k, /*model_run=*/true, [&](KivClass& object) { set_hour_inputs(setup, inputs, object); });
  HourFigures f;
  if (outcome.failure_number != 0) {
    f.failure = outcome.failure_text + " (" + std::to_string(outcome.failure_number) + ")";
    return f;
  }
  f.entering_t = k.KivinputOAW_DBT;
  f.winter = winter(k);
  f.summer = summer(k);
  f.supply_kg_h = k.KivoutMassflowSs;
  f.return_kg_h = k.KivoutMassflowEs;
  f.motor_kw = k.KivoutCassetteDriveMoter;
  f.frost_risk = frost_risk(k);
  return f;
}

bool operates(const StudySetup& setup, const WeatherHour& w) { return setup.options.schedule.operates(w.weekday, w.hour - 1); }

HourResult hour_result(const StudySetup& setup, const WeatherHour& w, const HourFigures* figures) {
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
  if (!operates(setup, w) || !figures) return h;
  if (!figures->failure.empty()) {
    h.mode = HourMode::Failed;
    h.failure = figures->failure;
    return h;
  }
  hour_control_and_energy(setup, *figures, h);
  return h;
}

HourResult rate_hour(const StudySetup& setup, const WeatherHour& w) {
  if (!operates(setup, w)) return hour_result(setup, w, nullptr);
  const HourFigures f = rate_figures(setup, hour_inputs(setup, w));
  return hour_result(setup, w, &f);
}

}  // namespace novaflux
