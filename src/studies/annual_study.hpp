#pragma once
// The annual study: one wheel model rated for every operating hour of a weather file, what the
// wheel recovers under the usual control of a rotary exchanger, what its pressure drop and
// rotor motor cost, and the sums per month and year. The tool (`novaflux annual`, `report
// --weather`, `select --weather`), the server and the Python module call this, and only this.
//
//   WeatherFile weather = read_epw_file("site.epw");         // throws WeatherFileError
//   AnnualOptions options;
//   set_annual_option(options, "schedule", "mon-fri 06-20");  // throws std::invalid_argument
//   AnnualStudy study = run_annual_study(unit_json, weather, options);
//   annual_json(study); annual_text(study); write_hourly_csv(study, out); annual_chart_svg(study);
#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "novaflux/kiv_class.hpp"
#include "studies/annual_options.hpp"
#include "studies/weather_file.hpp"

namespace novaflux {

// What the wheel does in an hour.
enum class HourMode : uint8_t {
  Off,          // outside the operating schedule: not rated, no energy
  Heating,      // heating recovery with the winter figures (possibly slowed: fraction < 1)
  Cooling,      // cooling recovery with the summer figures
  Stopped,      // outdoor air between the winter and summer return air: no recovery
  FreeCooling,  // outdoor air at or above the supply set point: the wheel stops
  FrostStop,    // frost risk with --frost-control stop: the wheel stops
  Failed,       // the hour's rating failed (see HourResult::failure)
};
inline constexpr size_t kHourModes = 7;
std::string_view hour_mode_name(HourMode mode);  // "off", "heating", ..., "frost_stop", "failed"

// One hour. Temperatures and humidity ratios in the unit's system (°C, g/kg or °F, grains/lb);
// powers in kW whatever the unit system (the outputs convert for IP).
struct HourResult {
  uint16_t day_of_year = 0;
  uint8_t month = 1, day = 1, hour = 1, weekday = 0;  // hour 1..24 as the file counts
  uint8_t substituted = 0;  // weather quantities that were missing values (WeatherHour bits)
  HourMode mode = HourMode::Off;
  double fraction = 0.0;    // share of full recovery: 1 full speed, < 1 slowed, 0 stopped
  double outdoor_dry_bulb = 0.0, outdoor_rh = 0.0;  // of the weather file
  double entering_dry_bulb = 0.0;                   // the air entering the wheel (after preheat)
  double entering_humidity_ratio = 0.0;             // as the rating resolved it
  bool winter_figures = true;                       // which season's figures the hour uses
  // The rating figures used, at full recovery: the supply and exhaust air leaving the wheel,
  // the sensible efficiency, the pressure drops at actual density.
  double supply_dry_bulb = 0.0, supply_humidity_ratio = 0.0, exhaust_dry_bulb = 0.0;
  double sensible_efficiency = 0.0;
  double supply_pdrop_pa = 0.0, exhaust_pdrop_pa = 0.0;
  double heating_sensible_kw = 0.0, heating_latent_kw = 0.0, heating_kw = 0.0;
  double cooling_sensible_kw = 0.0, cooling_latent_kw = 0.0, cooling_kw = 0.0;
  double preheat_kw = 0.0, fan_kw = 0.0, motor_kw = 0.0;
  bool frost_risk = false;  // the winter exhaust air leaves at frost risk (heating hours)
  std::string failure;      // the failed rating's number and description
};

// Sums of a month or of the year, in kWh (kW for the peaks).
struct PeriodSummary {
  int operating_hours = 0;
  std::array<int, kHourModes> mode_hours{};
  double heating_sensible_kwh = 0, heating_latent_kwh = 0, heating_kwh = 0;
  double cooling_sensible_kwh = 0, cooling_latent_kwh = 0, cooling_kwh = 0;
  double preheat_kwh = 0, fan_kwh = 0, motor_kwh = 0;
  double peak_heating_kw = 0, peak_cooling_kw = 0;  // the largest hourly recovery
  int peak_heating_hour = -1, peak_cooling_hour = -1;  // index into AnnualStudy::hours, -1: none
  int frost_risk_hours = 0;
  std::array<int, kWeatherQuantities> substituted{};  // values replaced in the operating hours
  double electric_kwh() const { return fan_kwh + motor_kwh; }
  int hours(HourMode m) const { return mode_hours[static_cast<size_t>(m)]; }
};

// The yearly saving at the given prices: recovered heat and cooling less the electricity of
// the fans (for the wheel's pressure drop) and of the rotor motor.
struct Savings {
  double heat = 0, cool = 0, electricity = 0;
  double net() const { return heat + cool - electricity; }
};

struct AnnualStudy {
  std::string weather_name;
  WeatherLocation location;
  bool leap_year = false;
  std::array<uint32_t, kWeatherQuantities> weather_substituted{};  // in the whole file
  double mean_station_pressure_pa = 0;

  bool si = true;
  double altitude_m = 0;
  bool altitude_from_weather = true;  // the unit gave none
  double standard_pressure_pa = 0;    // of the standard atmosphere at the altitude
  Modelall model{};
  std::string model_name;             // as the catalogue names it
  bool automatic_model = true;
  double supply_airflow = 0, return_airflow = 0;  // the unit's, m³/h or cfm
  double supply_mass_flow_kg_h = 0, return_mass_flow_kg_h = 0;
  double motor_kw = 0;
  AnnualOptions options;
  double setpoint = 0;                // the supply set point used (unit's temperature unit)

  std::vector<HourResult> hours;      // every hour of the file, in calendar order
  std::array<PeriodSummary, 12> months;
  PeriodSummary year;
  std::optional<Savings> savings;     // with prices
  std::array<std::optional<Savings>, 12> monthly_savings;

  int failed_hours() const { return year.hours(HourMode::Failed); }
};

// Rates the unit over the year. `unit` is the JSON object `rate` takes (airflows, return air,
// purge, pressure difference, unit system; its outdoor air is replaced hour by hour; the
// altitude is the weather file's elevation unless it gives KivinputAltitude). Throws
// std::invalid_argument naming the property of a bad unit, or the model when it does not fit
// the airflows; a RunError when the unit cannot be rated at all (the automatic choice fails).
// An hour whose rating fails is kept as a failed hour (failed_hours()).
AnnualStudy run_annual_study(const nlohmann::json& unit, const WeatherFile& weather, const AnnualOptions& options);

// Outputs (annual_json.cpp, annual_text.cpp, hourly_csv.cpp, annual_chart.cpp). Energies in
// kWh (SI) or kBtu (IP), powers in kW or kBtu/h.
nlohmann::ordered_json annual_json(const AnnualStudy& study);
std::string annual_text(const AnnualStudy& study);
void write_hourly_csv(const AnnualStudy& study, std::ostream& out);
std::vector<std::string> hourly_csv_columns(bool si);
std::string annual_chart_svg(const AnnualStudy& study);

}  // namespace novaflux
