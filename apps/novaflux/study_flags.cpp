#include "study_flags.hpp"

namespace novaflux::tool {

AnnualOptions StudyFlags::annual_options() const {
  AnnualOptions o;
  for (const auto& [name, value] : options) set_annual_option(o, name, value);
  return o;
}

void add_study_flags(CLI::App* cmd, const std::shared_ptr<StudyFlags>& flags, bool weather_required) {
  auto* weather = cmd->add_option("--weather", flags->weather, "EnergyPlus weather file (EPW) of the site for the annual study");
  if (weather_required) weather->required();
  const std::pair<const char*, const char*> study_flags[] = {
      {"schedule", "annual study: operating hours, for example \"mon-fri 06-20; sat 08-12\" (default: always)"},
      {"supply-setpoint", "annual study: supply air set point in heating, °C or °F as the unit (default 18 °C / 64.4 °F), or none"},
      {"frost-control", "annual study: none (count frost-risk hours), stop, or preheat:T (default none)"},
      {"fan-efficiency", "annual study: total efficiency of the fans (default 0.6)"},
      {"price-heat", "annual study: price per kWh of recovered heat (fold the boiler efficiency in)"},
      {"price-cool", "annual study: price per kWh of recovered cooling (fold the chiller COP in)"},
      {"price-electricity", "annual study: price per kWh of electricity"},
      {"threads", "annual study: rating threads (default 0: one per processor)"},
  };
  for (const auto& [name, help] : study_flags)
    cmd->add_option_function<std::string>(
        std::string("--") + name, [flags, key = std::string(name)](const std::string& v) { flags->options[key] = v; }, help);
}

}  // namespace novaflux::tool
