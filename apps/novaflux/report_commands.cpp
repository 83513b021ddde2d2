// `novaflux report` (the datasheet as one HTML page, with --weather its annual section) and
// `novaflux chart` (the psychrometric chart as SVG): one rating from a JSON object of inputs, as
// `rate` makes it.
#include <iostream>
#include <memory>

#include "commands.hpp"
#include "common/run_error.hpp"
#include "datasheet/datasheet.hpp"
#include "files.hpp"
#include "study_flags.hpp"

namespace novaflux::tool {

namespace {

struct SheetOptions {
  std::string input = "-";
  std::string output = "-";
  std::string model;
  std::string conditions = "given";
  std::shared_ptr<StudyFlags> study = std::make_shared<StudyFlags>();
};

// The exit status is 2 when the rating (or an hour of the year) failed: the sheet still shows
// what the run wrote, and the failure.
std::string render(const SheetOptions& o, bool datasheet) {
  SheetRequest request;
  request.rating = {read_json_input(o.input), requested_model(o.model), parse_conditions(o.conditions)};
  if (!datasheet) {
    const RatedRequest rated = rate_request(request.rating);
    if (rated.failed()) exit_status() = 2;
    return datasheet_chart_svg(rated);
  }
  // The weather and the options are checked before anything is rated.
  std::optional<WeatherFile> weather;
  request.annual = o.study->annual_options();
  if (!o.study->weather.empty()) weather = read_epw_file(o.study->weather);
  request.weather = weather ? &*weather : nullptr;
  const Sheet sheet = make_datasheet(request);
  if (sheet.year_left_out) std::cerr << "novaflux report: the rating failed; the sheet has no annual section\n";
  if (sheet.failed) exit_status() = 2;
  return sheet.html;
}

void sheet_command(CLI::App& app, const char* name, const char* help, const char* output_help, bool datasheet) {
  auto o = std::make_shared<SheetOptions>();
  auto* cmd = app.add_subcommand(name, help);
  cmd->add_option("input", o->input, "JSON file of inputs, or - for standard input");
  cmd->add_option("-o,--output", o->output, output_help);
  cmd->add_option("--model", o->model, "rate this model (enumeration name or id) instead of selecting one");
  cmd->add_option("--conditions", o->conditions,
                  "given (the inputs' air), ahri (AHRI 1060 air at 100 % and 75 % of the airflows) or "
                  "ecodesign (EU 1253/2014 dry reference air, balanced flows)")
      ->check(CLI::IsMember({"given", "ahri", "ecodesign"}));
  if (datasheet) add_study_flags(cmd, o->study, false);
  cmd->fallthrough();
  cmd->callback([o, name = std::string(name), datasheet] {
    try {
      write_output(o->output, render(*o, datasheet));
    } catch (const RunError& e) {
      // The year at the site could not rate the unit (as `annual` says it).
      std::cerr << "novaflux " << name << ": the unit cannot be rated: " << e.what() << " (" << e.code() << ")\n";
      exit_status() = 2;
    } catch (const std::exception& e) {
      std::cerr << "novaflux " << name << ": " << e.what() << "\n";
      exit_status() = 1;
    }
  });
}

}  // namespace

void register_report_commands(CLI::App& app) {
  sheet_command(app, "report",
                "write the datasheet of a rating as one HTML page (inline CSS and SVG, no script); "
                "with --weather, a year at the site on a second page",
                "HTML file to write, or - for standard output", true);
  sheet_command(app, "chart", "draw the psychrometric chart of a rating as SVG",
                "SVG file to write, or - for standard output", false);
}

}  // namespace novaflux::tool
