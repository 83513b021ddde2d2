#pragma once
// The options of an annual study, each with its default and the name of its command-line flag
// (without dashes), which the tool, the server and the Python module share.
#include <optional>
#include <string>
#include <vector>

#include "novaflux/kiv_class.hpp"
#include "studies/operating_schedule.hpp"

namespace novaflux {

enum class FrostControl {
  None,     // frost-risk hours are counted only
  Stop,     // no recovery in frost-risk hours (the wheel stops; the air still passes)
  Preheat,  // outdoor air below preheat_to is heated to it before the wheel
};

struct AnnualOptions {
  // "schedule": the operating hours (operating_schedule.hpp); default every hour.
  OperatingSchedule schedule;
  // "supply-setpoint": supply temperature control in heating, in the unit's temperature unit;
  // nullopt: 18 °C (64.4 °F). "none" turns the control off.
  std::optional<double> supply_setpoint;
  bool supply_control = true;
  // "frost-control": none | stop | preheat:T (T in the unit's temperature unit).
  FrostControl frost_control = FrostControl::None;
  double preheat_to = 0.0;
  // "fan-efficiency": total efficiency of the fans that move the air through the wheel.
  double fan_efficiency = 0.6;
  // "price-heat", "price-cool", "price-electricity": per kWh of recovered heat, of recovered
  // cooling and of electricity (fold the boiler efficiency and the chiller COP into the first
  // two); the saving is given when at least one is set, an unset one counting 0.
  std::optional<double> price_heat, price_cool, price_electricity;
  // "model": the wheel to rate (enumeration name or id); default the automatic choice at the
  // unit's airflows.
  std::optional<Modelall> model;
  // "threads": rating threads; 0 (the default) one per processor.
  unsigned threads = 0;
};

// The names set_annual_option knows, in the order of the list above.
const std::vector<std::string>& annual_option_names();

// Sets one option from its text, by the name of its command-line flag without dashes. Throws
// std::invalid_argument naming the option and the value when either is not usable.
void set_annual_option(AnnualOptions& options, const std::string& name, const std::string& value);

// The supply set point in the unit's temperature unit (the default for the unit system when
// none was given).
double supply_setpoint(const AnnualOptions& options, bool si);

bool has_prices(const AnnualOptions& options);

}  // namespace novaflux
