// `novaflux report` (the datasheet as one HTML page) and `novaflux chart` (the psychrometric
// chart as SVG): one rating from a JSON object of inputs, as `rate` makes it.
#include <iostream>
#include <memory>

#include "commands.hpp"
#include "datasheet/datasheet.hpp"
#include "files.hpp"

namespace novaflux::tool {

namespace {

struct SheetOptions {
  std::string input = "-";
  std::string output = "-";
  std::string model;
  std::string conditions = "given";
};

// The exit status is 2 when the rating failed (the sheet still shows what the run wrote, and
// the failure).
RatedRequest rate_sheet_input(const SheetOptions& o) {
  RatedRequest rated = rate_request({read_json_input(o.input), requested_model(o.model), parse_conditions(o.conditions)});
  if (rated.failed()) exit_status() = 2;
  return rated;
}

void sheet_command(CLI::App& app, const char* name, const char* help, const char* output_help,
                   std::string (*render)(const RatedRequest&)) {
  auto o = std::make_shared<SheetOptions>();
  auto* cmd = app.add_subcommand(name, help);
  cmd->add_option("input", o->input, "JSON file of inputs, or - for standard input");
  cmd->add_option("-o,--output", o->output, output_help);
  cmd->add_option("--model", o->model, "rate this model (enumeration name or id) instead of selecting one");
  cmd->add_option("--conditions", o->conditions,
                  "given (the inputs' air) or ahri (AHRI 1060 air at 100 % and 75 % of the airflows)")
      ->check(CLI::IsMember({"given", "ahri"}));
  cmd->fallthrough();
  cmd->callback([o, name = std::string(name), render] {
    try {
      write_output(o->output, render(rate_sheet_input(*o)));
    } catch (const std::exception& e) {
      std::cerr << "novaflux " << name << ": " << e.what() << "\n";
      exit_status() = 1;
    }
  });
}

}  // namespace

void register_report_commands(CLI::App& app) {
  sheet_command(app, "report", "write the datasheet of a rating as one HTML page (inline CSS and SVG, no script)",
                "HTML file to write, or - for standard output", datasheet_html);
  sheet_command(app, "chart", "draw the psychrometric chart of a rating as SVG",
                "SVG file to write, or - for standard output", datasheet_chart_svg);
}

}  // namespace novaflux::tool
