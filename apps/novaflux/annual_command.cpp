// `novaflux annual UNIT.json --weather FILE.epw`: the unit's year at the site of a weather
// file: recovered energy, frost hours, fan and motor energy, savings.
#include <fstream>
#include <iostream>
#include <map>
#include <memory>

#include "commands.hpp"
#include "common/run_error.hpp"
#include "files.hpp"
#include "studies/annual_study.hpp"

namespace novaflux::tool {

namespace {

struct AnnualCommandOptions {
  std::string input = "-";
  std::string weather;
  std::string format = "text";
  std::string output = "-";
  std::string hourly;
  std::string chart;
  std::map<std::string, std::string> study;  // flag name without dashes -> text
};

// Exit status 1 for bad input, 2 when the unit or an hour could not be rated.
void annual(const AnnualCommandOptions& o) {
  AnnualOptions options;
  for (const auto& [name, value] : o.study) set_annual_option(options, name, value);
  const WeatherFile weather = read_epw_file(o.weather);
  const AnnualStudy study = run_annual_study(read_json_input(o.input), weather, options);
  if (!o.hourly.empty()) {
    std::ofstream out(o.hourly, std::ios::binary | std::ios::trunc);
    write_hourly_csv(study, out);
    out.close();
    if (!out) throw std::runtime_error("cannot write " + o.hourly);
  }
  if (!o.chart.empty()) write_output(o.chart, annual_chart_svg(study));
  write_output(o.output, o.format == "json" ? annual_json(study).dump(2) + "\n" : annual_text(study));
  if (study.failed_hours() > 0) exit_status() = 2;
}

}  // namespace

void register_annual_command(CLI::App& app) {
  auto o = std::make_shared<AnnualCommandOptions>();
  auto* cmd = app.add_subcommand("annual", "rate a unit for every hour of a weather file (EPW): the year's energy and savings");
  cmd->add_option("input", o->input, "JSON file of the unit's inputs (as rate takes), or - for standard input");
  cmd->add_option("--weather", o->weather, "EnergyPlus weather file (EPW) of the site")->required();
  cmd->add_option("--format", o->format, "text (the monthly table) or json (the summary)")
      ->check(CLI::IsMember({"text", "json"}));
  cmd->add_option("-o,--output", o->output, "file for the summary, or - for standard output");
  cmd->add_option("--hourly", o->hourly, "also write the hourly table to this CSV file");
  cmd->add_option("--chart", o->chart, "also write the monthly chart to this SVG file (- for standard output)");
  const std::pair<const char*, const char*> study_flags[] = {
      {"schedule", "operating hours, for example \"mon-fri 06-20; sat 08-12\" (default: always)"},
      {"supply-setpoint", "supply air set point in heating, °C or °F as the unit (default 18 °C / 64.4 °F), or none"},
      {"frost-control", "none (count frost-risk hours), stop, or preheat:T (default none)"},
      {"fan-efficiency", "total efficiency of the fans (default 0.6)"},
      {"price-heat", "price per kWh of recovered heat (fold the boiler efficiency in)"},
      {"price-cool", "price per kWh of recovered cooling (fold the chiller COP in)"},
      {"price-electricity", "price per kWh of electricity"},
      {"model", "rate this model (enumeration name or id) instead of the automatic choice"},
      {"threads", "rating threads (default 0: one per processor)"},
  };
  for (const auto& [name, help] : study_flags) {
    cmd->add_option_function<std::string>(
        std::string("--") + name, [o, key = std::string(name)](const std::string& v) { o->study[key] = v; }, help);
  }
  cmd->fallthrough();
  cmd->callback([o] {
    try {
      annual(*o);
    } catch (const RunError& e) {
      std::cerr << "novaflux annual: the unit cannot be rated: " << e.what() << " (" << e.code() << ")\n";
      exit_status() = 2;
    } catch (const std::exception& e) {
      std::cerr << "novaflux annual: " << e.what() << "\n";
      exit_status() = 1;
    }
  });
}

}  // namespace novaflux::tool
