// A study for a person: facts, the monthly table and the saving, as text.
#include <array>
#include <sstream>

#include "common/numeric.hpp"
#include "studies/annual_view.hpp"
#include "studies/study_units.hpp"

namespace novaflux {

namespace {

constexpr std::array<const char*, 12> kMonths{"January", "February", "March",     "April",   "May",      "June",
                                              "July",    "August",   "September", "October", "November", "December"};

std::vector<std::string> row(const AnnualStudy& s, const std::string& label, const PeriodSummary& p,
                             const std::optional<Savings>& saving) {
  const double e = study_units(s.si).per_kw;
  const int stopped = p.hours(HourMode::Stopped) + p.hours(HourMode::FreeCooling) + p.hours(HourMode::FrostStop);
  std::vector<std::string> cells{label,
                                 std::to_string(p.operating_hours),
                                 std::to_string(p.hours(HourMode::Heating)),
                                 std::to_string(p.hours(HourMode::Cooling)),
                                 std::to_string(stopped),
                                 rounded_text(p.heating_kwh * e, 0),
                                 rounded_text(p.cooling_kwh * e, 0),
                                 rounded_text(p.peak_heating_kw * e, 1),
                                 rounded_text(p.peak_cooling_kw * e, 1),
                                 std::to_string(p.frost_risk_hours),
                                 rounded_text(p.fan_kwh * e, 0),
                                 rounded_text(p.motor_kwh * e, 0)};
  if (saving) cells.push_back(rounded_text(saving->net(), 0));
  return cells;
}

std::string temperature(const AnnualStudy& s, double t) { return rounded_text(t, 1) + " " + study_units(s.si).temperature; }

}  // namespace

std::string rounded_text(double x, int decimals) {
  const double r = vb_round(x, decimals);
  return number_text(r == 0.0 ? 0.0 : r);  // no "-0"
}

std::vector<std::pair<std::string, std::string>> annual_facts(const AnnualStudy& s) {
  const WeatherLocation& l = s.location;
  const AnnualOptions& o = s.options;
  const auto degrees = [](double v, const char* pos, const char* neg) {
    return rounded_text(v < 0 ? -v : v, 2) + "° " + (v < 0 ? neg : pos);
  };
  std::string place = l.place;
  for (const std::string* part : {&l.region, &l.country})
    if (!part->empty() && *part != "-") place += ", " + *part;
  std::string site = place + " (" + degrees(l.latitude, "N", "S") + ", " + degrees(l.longitude, "E", "W") + ", " +
                     rounded_text(l.elevation_m, 1) + " m; " + (l.source.empty() ? "" : l.source + ", ") +
                     std::to_string(s.hours.size()) + " hours" + (s.leap_year ? ", leap year" : "") + ")";
  int substituted = 0;
  for (auto n : s.weather_substituted) substituted += static_cast<int>(n);
  std::string frost = o.frost_control == FrostControl::None ? "none (frost-risk hours counted)"
                      : o.frost_control == FrostControl::Stop ? "stop (no recovery in frost-risk hours)"
                                                               : "preheat to " + temperature(s, o.preheat_to);
  std::string values;
  for (size_t q = 0; q < kWeatherQuantities; ++q)
    values += (q ? ", " : "") + std::string(weather_quantity_name(static_cast<WeatherQuantity>(q))) + " " +
              std::to_string(s.weather_substituted[q]);
  const std::string flow = s.si ? " m³/h" : " cfm";
  return {
      {"Weather file", s.weather_name},
      {"Site", site},
      {"Unit", rounded_text(s.supply_airflow, 0) + " / " + rounded_text(s.return_airflow, 0) + flow +
                   " supply / return (" + rounded_text(s.supply_mass_flow_kg_h, 0) + " / " +
                   rounded_text(s.return_mass_flow_kg_h, 0) + " kg/h), altitude " + rounded_text(s.altitude_m, 0) +
                   " m (" + (s.altitude_from_weather ? "the weather file's elevation" : "the unit's") + ")"},
      {"Model", s.model_name + (s.automatic_model ? " (automatic choice)" : " (as asked)") + ", drive motor " +
                    rounded_text(s.motor_kw, 3) + " kW"},
      {"Control", "schedule " + o.schedule.text() + "; supply set point " +
                      (o.supply_control ? temperature(s, s.setpoint) : std::string("none")) + "; frost control " +
                      frost + "; fan efficiency " + rounded_text(o.fan_efficiency, 3)},
      {"Missing values", substituted == 0 ? std::string("none") : values + " (each took the last good value)"},
  };
}

ViewTable annual_table(const AnnualStudy& s) {
  const StudyUnits u = study_units(s.si);
  const std::string e = u.energy, p = u.power;
  ViewTable t{"By month: heat and cooling recovered, the largest hourly recovery, fan and rotor-motor energy",
              {"Month", "Hours", "Heating h", "Cooling h", "Stopped h", "Heat, " + e, "Cooling, " + e,
               "Peak heat, " + p, "Peak cool, " + p, "Frost h", "Fans, " + e, "Motor, " + e},
              {}};
  if (s.savings) t.headings.push_back("Saving");
  for (size_t m = 0; m < 12; ++m) t.rows.push_back(row(s, kMonths[m], s.months[m], s.monthly_savings[m]));
  t.rows.push_back(row(s, "Year", s.year, s.savings));
  return t;
}

std::string annual_saving_text(const AnnualStudy& s) {
  if (!s.savings) return "";
  const Savings& v = *s.savings;
  const AnnualOptions& o = s.options;
  const auto price = [](const std::optional<double>& p) { return p ? number_text(*p) : std::string("0"); };
  return "Saving per year: heat " + rounded_text(v.heat, 0) + " + cooling " + rounded_text(v.cool, 0) +
         " − electricity " + rounded_text(v.electricity, 0) + " = " + rounded_text(v.net(), 0) + " (at " +
         price(o.price_heat) + " per kWh of heat, " + price(o.price_cool) + " of cooling, " +
         price(o.price_electricity) + " of electricity)";
}

std::string annual_text(const AnnualStudy& s) {
  std::ostringstream out;
  out << "Annual study\n";
  for (const auto& [label, value] : annual_facts(s)) out << "  " << label << ": " << value << "\n";
  out << "\n" << table_text(annual_table(s));
  const PeriodSummary& y = s.year;
  out << "Stopped hours: " << y.hours(HourMode::Stopped) << " between the return-air temperatures, "
      << y.hours(HourMode::FreeCooling) << " at or above the supply set point, " << y.hours(HourMode::FrostStop)
      << " by frost control. Electric energy " << rounded_text(y.electric_kwh() * study_units(s.si).per_kw, 0) << " "
      << study_units(s.si).energy;
  if (y.preheat_kwh > 0) out << "; preheat " << rounded_text(y.preheat_kwh * study_units(s.si).per_kw, 0) << " " << study_units(s.si).energy;
  out << ".\n";
  if (s.savings) out << annual_saving_text(s) << ".\n";
  if (s.failed_hours() > 0) {
    for (const auto& h : s.hours)
      if (h.mode == HourMode::Failed) {
        out << s.failed_hours() << " hours could not be rated; the first, " << int(h.month) << "/" << int(h.day)
            << " hour " << int(h.hour) << ": " << h.failure << "\n";
        break;
      }
  }
  return out.str();
}

}  // namespace novaflux
