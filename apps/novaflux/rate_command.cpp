// `novaflux rate`: one rating from a JSON object of property names to values, or with --jsonl
// one rating per line of JSON objects (JSON Lines), one result line each, for pipelines.
#include <fstream>
#include <iostream>

#include "commands.hpp"
#include "component/interface_table.hpp"
#include "files.hpp"
#include "rating_json/json_lines.hpp"
#include "rating_json/rating_json.hpp"
#include "rating_json/rating_request.hpp"

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

void rate(const RateOptions& o) {
  const ConditionsChoice conditions = parse_conditions(o.conditions);
  if (conditions != ConditionsChoice::Given && o.format == "properties")
    throw std::runtime_error("--conditions " + o.conditions + " prints json or table");
  const RatedRequest rated = rate_request({read_json_input(o.input), requested_model(o.model), conditions});
  if (o.format == "table") std::cout << view_text(rated.view());
  else if (o.format == "properties") std::cout << property_listing(rated.first_result(), rated.error());
  else std::cout << json_text(rated.json());
  if (rated.failed()) exit_status() = 2;
}

// Exit status: 1 when a line could not be used, else 2 when a rating failed.
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
  const JsonLinesSummary summary = rate_json_lines(*in, std::cout, model);
  if (file.bad()) throw std::runtime_error("cannot read " + o.input);
  if (summary.unusable_line) exit_status() = 1;
  else if (summary.failed_rating) exit_status() = 2;
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
                  "given (the inputs' air), ahri (AHRI 1060 air, rated at 100 % and 75 % of the airflows) or "
                  "ecodesign (EU 1253/2014 dry reference air, balanced flows, with the thermal-efficiency verdict)")
      ->check(CLI::IsMember({"given", "ahri", "ecodesign"}));
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
