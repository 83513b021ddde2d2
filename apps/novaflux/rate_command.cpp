// `novaflux rate`: one rating from a JSON object of property names to values, or with --jsonl
// one rating per line of JSON objects (JSON Lines), one result line each, for pipelines.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

#include "commands.hpp"
#include "common/module_state.hpp"
#include "common/run_error.hpp"
#include "component/interface_table.hpp"
#include "json_io.hpp"
#include "conditions_rating.hpp"
#include "rating_input.hpp"

namespace novaflux::tool {

int& exit_status() {
  static int status = 0;
  return status;
}

namespace {

struct RateOptions {
  std::string input = "-";
  std::string model;
  std::string format = "json";
  bool jsonl = false;
  std::string conditions = "given";
};

// The AHRI 1060 air at 100 % and 75 % of the airflows, both printed.
void rate_at_ahri(const RateOptions& o, const nlohmann::json& input) {
  if (o.format == "properties") throw std::runtime_error("--conditions ahri prints json or table");
  const RatingConditions& c = ahri_1060_conditions();
  const ConditionsRun run = rate_at_conditions(input, c, requested_model(o.model));
  if (o.format == "table") std::cout << view_text(conditions_view(run));
  else std::cout << conditions_json(run, c).dump(2) << "\n";
  if (run.failed()) exit_status() = 2;
}

void rate(const RateOptions& o) {
  const nlohmann::json input = read_json_input(o.input);
  if (o.conditions == "ahri") return rate_at_ahri(o, input);
  KivClass k;
  apply_json(k, input);
  const auto model = requested_model(o.model);
  if (model) k.KivinputModel = *model;
  const nlohmann::json error = run_rating(k, model.has_value());
  if (o.format == "table") std::cout << view_text(result_view(k, failure_of(error)));
  else if (o.format == "properties") std::cout << result_table(k, error);
  else std::cout << result_json(k, error).dump(2) << "\n";
  if (!error.is_null()) exit_status() = 2;
}

// One line of output per line of input, written as soon as it is rated. A line that cannot be
// used (not JSON, not an object, an unknown property or a value of the wrong kind) gives
// {"line": N, "error": {"number": 3200, "description": ...}} and the next line is read. Each
// line is rated on a new object from the state of a fresh thread, exactly as `rate` would
// rate it alone. Exit status: 1 when a line could not be used, else 2 when a rating failed.
void rate_jsonl(const RateOptions& o) {
  if (o.format != "json") throw std::runtime_error("--jsonl writes JSON lines; --format table and properties rate one object");
  if (o.conditions != "given") throw std::runtime_error("--jsonl rates each line as given; --conditions rates one object");
  const auto model = requested_model(o.model);
  std::ifstream file;
  std::istream* in = &std::cin;
  if (o.input != "-") {
    file.open(o.input, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + o.input);
    in = &file;
  }
  bool unusable_line = false;
  bool failed_rating = false;
  std::string line;
  for (uint64_t number = 1; std::getline(*in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    nlohmann::ordered_json out;
    try {
      const nlohmann::json input = nlohmann::json::parse(line);
      reset_between_cases();
      KivClass k;
      apply_json(k, input);
      if (model) k.KivinputModel = *model;
      const nlohmann::json error = run_rating(k, model.has_value());
      if (!error.is_null()) failed_rating = true;
      out = result_json(k, error);
    } catch (const std::exception& e) {
      const bool not_json = dynamic_cast<const nlohmann::json::parse_error*>(&e) != nullptr;
      out = nlohmann::ordered_json::object();
      out["line"] = number;
      // The same shape as the error of a failed rating.
      out["error"] = nlohmann::json{{"number", static_cast<int>(ErrorNumber::BadInput)},
                                    {"description", (not_json ? std::string("not valid JSON: ") : std::string()) + e.what()}};
      unusable_line = true;
    }
    std::cout << out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n" << std::flush;
  }
  if (file.bad()) throw std::runtime_error("cannot read " + o.input);
  if (unusable_line) exit_status() = 1;
  else if (failed_rating) exit_status() = 2;
}

}  // namespace

void register_describe_command(CLI::App& app) {
  auto* cmd = app.add_subcommand("describe", "print the interface table (properties, methods, identities) as JSON");
  cmd->callback([] { std::cout << detail::describe_json(); });
}

void register_rate_command(CLI::App& app) {
  auto options = std::make_shared<RateOptions>();
  auto* cmd = app.add_subcommand("rate", "rate a wheel from a JSON object of inputs (FILE or - for standard input)");
  cmd->add_option("input", options->input, "JSON file, or - for standard input");
  cmd->add_option("--model", options->model, "rate this model (enumeration name or id) instead of selecting one");
  cmd->add_option("--format", options->format,
                  "json, table (a labelled datasheet with units) or properties (every property by name)")
      ->check(CLI::IsMember({"json", "table", "properties"}));
  cmd->add_option("--conditions", options->conditions,
                  "given (the inputs' air) or ahri (AHRI 1060 air, rated at 100 % and 75 % of the airflows)")
      ->check(CLI::IsMember({"given", "ahri"}));
  cmd->add_flag("--jsonl", options->jsonl,
                "read one JSON object per line and write one compact result line per input line");
  // The tool's own options (--catalogue) may also follow the verb.
  cmd->fallthrough();
  cmd->callback([options] {
    try {
      if (options->jsonl) rate_jsonl(*options);
      else rate(*options);
    } catch (const std::exception& e) {
      std::cerr << "novaflux rate: " << e.what() << "\n";
      exit_status() = 1;
    }
  });
}

}  // namespace novaflux::tool
