// `novaflux annual UNIT.json --weather FILE.epw`: the unit's year at the site of a weather
// file: recovered energy, frost hours, fan and motor energy, savings.
#include <fstream>
#include <iostream>
#include <memory>

#include "commands.hpp"
#include "common/run_error.hpp"
#include "files.hpp"
#include "rating_json/rating_json.hpp"
#include "study_flags.hpp"

namespace novaflux::tool {

namespace {

struct AnnualCommandOptions {
  std::string input = "-";
  std::string format = "text";
  std::string output = "-";
  std::string hourly;
  std::string chart;
  std::shared_ptr<StudyFlags> study = std::make_shared<StudyFlags>();
};

// Exit status 1 for bad input, 2 when the unit or an hour could not be rated.
void annual(const AnnualCommandOptions& o) {
  const AnnualOptions options = o.study->annual_options();
  const WeatherFile weather = read_epw_file(o.study->weather);
  const AnnualStudy study = run_annual_study(read_json_input(o.input), weather, options);
  if (!o.hourly.empty()) {
    std::ofstream out(o.hourly, std::ios::binary | std::ios::trunc);
    write_hourly_csv(study, out);
    out.close();
    if (!out) throw std::runtime_error("cannot write " + o.hourly);
  }
  if (!o.chart.empty()) write_output(o.chart, annual_chart_svg(study));
  write_output(o.output, o.format == "json" ? json_text(annual_json(study)) : annual_text(study));
  if (study.failed_hours() > 0) exit_status() = 2;
}

}  // namespace

void register_annual_command(CLI::App& app) {
  auto o = std::make_shared<AnnualCommandOptions>();
  auto* cmd = app.add_subcommand("annual", "rate a unit for every hour of a weather file (EPW): the year's energy and savings");
  cmd->add_option("input", o->input, "JSON file of the unit's inputs (as rate takes), or - for standard input");
  cmd->add_option("--format", o->format, "text (the monthly table) or json (the summary)")
      ->check(CLI::IsMember({"text", "json"}));
  cmd->add_option("-o,--output", o->output, "file for the summary, or - for standard output");
  cmd->add_option("--hourly", o->hourly, "also write the hourly table to this CSV file");
  cmd->add_option("--chart", o->chart, "also write the monthly chart to this SVG file (- for standard output)");
  cmd->add_option_function<std::string>(
      "--model", [o](const std::string& v) { o->study->options["model"] = v; },
      "rate this model (enumeration name or id) instead of the automatic choice");
  add_study_flags(cmd, o->study, true);
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
