// `novaflux rate`: one rating from a JSON object of property names to values.
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "commands.hpp"
#include "common/run_error.hpp"
#include "component/interface_table.hpp"
#include "json_io.hpp"

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
};

std::string read_all(const std::string& path) {
  if (path == "-") return std::string(std::istreambuf_iterator<char>(std::cin), {});
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void rate(const RateOptions& o) {
  nlohmann::json input;
  try {
    input = nlohmann::json::parse(read_all(o.input));
  } catch (const nlohmann::json::parse_error& e) {
    throw std::runtime_error((o.input == "-" ? std::string("standard input") : o.input) +
                             " is not valid JSON: " + e.what());
  }
  KivClass k;
  apply_json(k, input);
  if (!o.model.empty()) {
    const auto model = parse_model(o.model);
    if (!model) throw std::runtime_error("unknown model \"" + o.model + "\"");
    k.KivinputModel = *model;
  }
  nlohmann::json error = nullptr;
  try {
    if (o.model.empty()) k.CalculateOutput();
    else k.CalculateOutputModel();
  } catch (const RunError& e) {
    error = {{"number", e.code()}, {"description", e.what()}};
  } catch (const std::exception& e) {
    error = {{"number", 1}, {"description", e.what()}};
  }
  if (o.format == "table") std::cout << result_table(k, error);
  else std::cout << result_json(k, error).dump(2) << "\n";
  if (!error.is_null()) exit_status() = 2;
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
  cmd->add_option("--format", options->format, "json or table")->check(CLI::IsMember({"json", "table"}));
  cmd->callback([options] {
    try {
      rate(*options);
    } catch (const std::exception& e) {
      std::cerr << "novaflux rate: " << e.what() << "\n";
      exit_status() = 1;
    }
  });
}

}  // namespace novaflux::tool
