// The hourly table of a study as CSV: one row per hour of the weather file, in calendar order.
#include <array>
#include <ostream>

#include "batch/csv.hpp"
#include "common/numeric.hpp"
#include "studies/annual_study.hpp"
#include "studies/study_units.hpp"

namespace novaflux {

namespace {

constexpr std::array<const char*, 7> kWeekdays{"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

std::string two(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

}  // namespace

std::vector<std::string> hourly_csv_columns(bool si) {
  const std::string t = si ? "_C" : "_F", w = si ? "_g_kg" : "_gr_lb", p = si ? "_kW" : "_kBtuh";
  return {"time", "month", "day", "hour", "weekday", "mode", "fraction",
          "outdoor_dry_bulb" + t, "outdoor_rh_percent", "entering_dry_bulb" + t, "entering_humidity_ratio" + w,
          "figures", "supply_dry_bulb" + t, "supply_humidity_ratio" + w, "exhaust_dry_bulb" + t,
          "sensible_efficiency_percent", "supply_pdrop_Pa", "exhaust_pdrop_Pa",
          "heating_sensible" + p, "heating_latent" + p, "heating_total" + p,
          "cooling_sensible" + p, "cooling_latent" + p, "cooling_total" + p,
          "preheat" + p, "fan" + p, "motor" + p, "frost_risk", "substituted", "failure"};
}

void write_hourly_csv(const AnnualStudy& study, std::ostream& out) {
  const StudyUnits u = study_units(study.si);
  std::string line;
  for (const auto& c : hourly_csv_columns(study.si)) line += (line.empty() ? "" : ",") + c;
  out << line << '\n';
  char buf[kShortestTextSize];
  const auto num = [&](double x) {
    line += ',';
    line.append(buf, shortest_chars(buf, x));
  };
  for (const HourResult& h : study.hours) {
    line = two(h.month) + "-" + two(h.day) + " " + two(h.hour - 1) + ":00," + std::to_string(h.month) + "," +
           std::to_string(h.day) + "," + std::to_string(h.hour) + "," + kWeekdays[h.weekday] + "," +
           std::string(hour_mode_name(h.mode));
    num(h.fraction);
    num(h.outdoor_dry_bulb);
    num(h.outdoor_rh);
    const bool rated = h.mode != HourMode::Off && h.mode != HourMode::Failed;
    if (rated) {
      num(h.entering_dry_bulb);
      num(h.entering_humidity_ratio);
      line += h.winter_figures ? ",winter" : ",summer";
      for (double x : {h.supply_dry_bulb, h.supply_humidity_ratio, h.exhaust_dry_bulb, h.sensible_efficiency,
                       h.supply_pdrop_pa, h.exhaust_pdrop_pa})
        num(x);
    } else {
      line += ",,,,,,,,,";
    }
    for (double kw : {h.heating_sensible_kw, h.heating_latent_kw, h.heating_kw, h.cooling_sensible_kw,
                      h.cooling_latent_kw, h.cooling_kw, h.preheat_kw, h.fan_kw, h.motor_kw})
      num(kw * u.per_kw);
    line += h.frost_risk ? ",true," : ",false,";
    std::string substituted;
    for (size_t q = 0; q < kWeatherQuantities; ++q)
      if ((h.substituted >> q) & 1)
        substituted += (substituted.empty() ? "" : ";") + std::string(weather_quantity_name(static_cast<WeatherQuantity>(q)));
    append_csv_field(line, substituted);
    line += ',';
    append_csv_field(line, h.failure);
    out << line << '\n';
  }
}

}  // namespace novaflux
