// `novaflux report` (the datasheet as one HTML page) and `novaflux chart` (the psychrometric
// chart as SVG): one rating from a JSON object of inputs, as `rate` makes it.
#include <iostream>
#include <memory>

#include "commands.hpp"
#include "conditions_rating.hpp"
#include "json_io.hpp"
#include "psychro_chart.hpp"
#include "rating_input.hpp"
#include "report_html.hpp"

namespace novaflux::tool {

namespace {

struct SheetOptions {
  std::string input = "-";
  std::string output = "-";
  std::string model;
  std::string conditions = "given";
};

// Rates the input; the exit status is 2 when the rating failed (the sheet still shows what the
// run wrote, and the failure).
std::optional<RunFailure> rate_input(const SheetOptions& o, KivClass& k) {
  apply_json(k, read_json_input(o.input));
  const auto model = requested_model(o.model);
  if (model) k.KivinputModel = *model;
  const auto failure = failure_of(run_rating(k, model.has_value()));
  if (failure) exit_status() = 2;
  return failure;
}

CLI::App* sheet_command(CLI::App& app, const char* name, const char* help, std::shared_ptr<SheetOptions> o,
                        const char* output_help) {
  auto* cmd = app.add_subcommand(name, help);
  cmd->add_option("input", o->input, "JSON file of inputs, or - for standard input");
  cmd->add_option("-o,--output", o->output, output_help);
  cmd->add_option("--model", o->model, "rate this model (enumeration name or id) instead of selecting one");
  cmd->add_option("--conditions", o->conditions,
                  "given (the inputs' air) or ahri (AHRI 1060 air at 100 % and 75 % of the airflows)")
      ->check(CLI::IsMember({"given", "ahri"}));
  cmd->fallthrough();
  return cmd;
}

}  // namespace

void register_report_commands(CLI::App& app) {
  auto report = std::make_shared<SheetOptions>();
  sheet_command(app, "report", "write the datasheet of a rating as one HTML page (inline CSS and SVG, no script)",
                report, "HTML file to write, or - for standard output")
      ->callback([report] {
        try {
          if (report->conditions == "ahri") {
            // The shares side by side; the chart shows the processes at the first share.
            const ConditionsRun run = rate_at_conditions(read_json_input(report->input), ahri_1060_conditions(),
                                                         requested_model(report->model));
            if (run.failed()) exit_status() = 2;
            write_output(report->output,
                         report_html(conditions_view(run), chart_svg(chart_input(run.ratings.front().result))));
            return;
          }
          KivClass k;
          const auto failure = rate_input(*report, k);
          write_output(report->output, report_html(result_view(k, failure), chart_svg(chart_input(k))));
        } catch (const std::exception& e) {
          std::cerr << "novaflux report: " << e.what() << "\n";
          exit_status() = 1;
        }
      });
  auto chart = std::make_shared<SheetOptions>();
  sheet_command(app, "chart", "draw the psychrometric chart of a rating as SVG", chart,
                "SVG file to write, or - for standard output")
      ->callback([chart] {
        try {
          if (chart->conditions == "ahri") {
            const ConditionsRun run = rate_at_conditions(read_json_input(chart->input), ahri_1060_conditions(),
                                                         requested_model(chart->model));
            if (run.failed()) exit_status() = 2;
            write_output(chart->output, chart_svg(chart_input(run.ratings.front().result)));
            return;
          }
          KivClass k;
          rate_input(*chart, k);
          write_output(chart->output, chart_svg(chart_input(k)));
        } catch (const std::exception& e) {
          std::cerr << "novaflux chart: " << e.what() << "\n";
          exit_status() = 1;
        }
      });
}

}  // namespace novaflux::tool
