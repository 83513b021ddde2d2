// A study's summary as JSON: the weather file, the unit and model, the options, each month and
// the year, and the saving. Energies in kWh (SI) or kBtu (IP), as "units" says.
#include <array>

#include "studies/annual_study.hpp"
#include "studies/study_units.hpp"

namespace novaflux {

namespace {

using ojson = nlohmann::ordered_json;

constexpr std::array<const char*, kHourModes> kModeNames{"off",     "heating",    "cooling", "stopped",
                                                         "free_cooling", "frost_stop", "failed"};
constexpr std::array<const char*, kWeatherQuantities> kQuantityKeys{"dryBulb", "dewPoint", "relativeHumidity",
                                                                    "stationPressure"};

std::string hour_time(const HourResult& h) {
  const auto two = [](int v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  return two(h.month) + "-" + two(h.day) + " " + two(h.hour - 1) + ":00";
}

ojson peak(const AnnualStudy& s, double kw, int index, double per_kw) {
  if (index < 0) return nullptr;
  return {{"power", kw * per_kw}, {"time", hour_time(s.hours[static_cast<size_t>(index)])}};
}

ojson savings_json(const std::optional<Savings>& v) {
  if (!v) return nullptr;
  return {{"heat", v->heat}, {"cool", v->cool}, {"electricity", v->electricity}, {"net", v->net()}};
}

ojson period_json(const AnnualStudy& s, const PeriodSummary& p, const std::optional<Savings>& saving) {
  const StudyUnits u = study_units(s.si);
  ojson hours = ojson::object();
  for (size_t m = 1; m < kHourModes; ++m) hours[kModeNames[m]] = p.mode_hours[m];
  ojson substituted = ojson::object();
  for (size_t q = 0; q < kWeatherQuantities; ++q) substituted[kQuantityKeys[q]] = p.substituted[q];
  const double e = u.per_kw;
  return {{"operatingHours", p.operating_hours},
          {"hours", std::move(hours)},
          {"heating", {{"sensible", p.heating_sensible_kwh * e}, {"latent", p.heating_latent_kwh * e}, {"total", p.heating_kwh * e}}},
          {"cooling", {{"sensible", p.cooling_sensible_kwh * e}, {"latent", p.cooling_latent_kwh * e}, {"total", p.cooling_kwh * e}}},
          {"peakHeating", peak(s, p.peak_heating_kw, p.peak_heating_hour, e)},
          {"peakCooling", peak(s, p.peak_cooling_kw, p.peak_cooling_hour, e)},
          {"frostRiskHours", p.frost_risk_hours},
          {"preheat", p.preheat_kwh * e},
          {"fan", p.fan_kwh * e},
          {"motor", p.motor_kwh * e},
          {"electric", p.electric_kwh() * e},
          {"substitutedValues", std::move(substituted)},
          {"saving", savings_json(saving)}};
}

ojson optional_number(const std::optional<double>& v) { return v ? ojson(*v) : ojson(nullptr); }

}  // namespace

std::string_view hour_mode_name(HourMode mode) { return kModeNames[static_cast<size_t>(mode)]; }

nlohmann::ordered_json annual_json(const AnnualStudy& s) {
  const StudyUnits u = study_units(s.si);
  const AnnualOptions& o = s.options;
  ojson substituted = ojson::object();
  for (size_t q = 0; q < kWeatherQuantities; ++q) substituted[kQuantityKeys[q]] = s.weather_substituted[q];
  const char* frost[] = {"none", "stop", "preheat"};
  ojson out = ojson::object();
  out["weather"] = {{"file", s.weather_name},
                    {"place", s.location.place},
                    {"region", s.location.region},
                    {"country", s.location.country},
                    {"source", s.location.source},
                    {"station", s.location.station},
                    {"latitude", s.location.latitude},
                    {"longitude", s.location.longitude},
                    {"timeZone", s.location.time_zone},
                    {"elevationM", s.location.elevation_m},
                    {"leapYear", s.leap_year},
                    {"hours", s.hours.size()},
                    {"meanStationPressurePa", s.mean_station_pressure_pa},
                    {"substitutedValues", std::move(substituted)}};
  out["unit"] = {{"unitSystem", s.si ? "SI" : "IP"},
                 {"altitudeM", s.altitude_m},
                 {"altitudeFrom", s.altitude_from_weather ? "weather file" : "unit"},
                 {"standardPressurePa", s.standard_pressure_pa},
                 {"model", {{"id", static_cast<int32_t>(s.model)}, {"name", s.model_name}, {"automatic", s.automatic_model}}},
                 {"supplyAirflow", s.supply_airflow},
                 {"returnAirflow", s.return_airflow},
                 {"supplyMassFlowKgH", s.supply_mass_flow_kg_h},
                 {"returnMassFlowKgH", s.return_mass_flow_kg_h},
                 {"motorKw", s.motor_kw}};
  out["options"] = {{"schedule", o.schedule.text()},
                    {"supplySetpoint", o.supply_control ? ojson(s.setpoint) : ojson(nullptr)},
                    {"frostControl", frost[static_cast<int>(o.frost_control)]},
                    {"preheatTo", o.frost_control == FrostControl::Preheat ? ojson(o.preheat_to) : ojson(nullptr)},
                    {"fanEfficiency", o.fan_efficiency},
                    {"priceHeat", optional_number(o.price_heat)},
                    {"priceCool", optional_number(o.price_cool)},
                    {"priceElectricity", optional_number(o.price_electricity)}};
  out["units"] = {{"energy", u.energy}, {"power", u.power}, {"temperature", u.temperature}, {"saving", "per kWh price"}};
  ojson months = ojson::array();
  for (size_t m = 0; m < 12; ++m) {
    ojson month = {{"month", m + 1}};
    month.update(period_json(s, s.months[m], s.monthly_savings[m]));
    months.push_back(std::move(month));
  }
  out["months"] = std::move(months);
  out["year"] = period_json(s, s.year, s.savings);
  ojson failure = nullptr;
  for (const auto& h : s.hours)
    if (h.mode == HourMode::Failed) {
      failure = {{"time", hour_time(h)}, {"description", h.failure}};
      break;
    }
  out["failedHours"] = s.failed_hours();
  out["firstFailure"] = std::move(failure);
  return out;
}

}  // namespace novaflux
