// `novaflux select`: every wheel that fits the airflows, rated and compared, smallest first.
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "commands.hpp"
#include "comparison/model_comparison.hpp"
#include "files.hpp"
#include "rating_json/rating_json.hpp"
#include "study_flags.hpp"

namespace novaflux::tool {

namespace {

struct SelectOptions {
  std::string input = "-";
  bool json = false;
  std::optional<double> max_pdrop;
  std::optional<double> min_efficiency;
  std::string conditions = "given";
  std::string sort = "size";
  std::shared_ptr<StudyFlags> study = std::make_shared<StudyFlags>();
};

// Exit status 1 when no model is listed, else 2 when a rating failed.
void select(const SelectOptions& o) {
  ComparisonRequest request;
  request.input = read_json_input(o.input);
  request.conditions = parse_conditions(o.conditions);
  request.filter = SelectionFilter{o.max_pdrop, o.min_efficiency};
  std::optional<WeatherFile> weather;
  if (!o.study->weather.empty()) {
    request.annual = o.study->annual_options();
    weather = read_epw_file(o.study->weather);
    request.weather = &*weather;
  }
  request.sort_by_saving = o.sort == "saving";
  const Comparison c = compare_models(request);
  if (o.json) std::cout << json_text(comparison_json(c));
  else std::cout << comparison_text(c);
  if (c.kept.empty()) {
    std::cerr << "novaflux select: " << nothing_kept_message(c) << "\n";
    exit_status() = 1;
  } else if (c.failed()) {
    exit_status() = 2;
  }
}

}  // namespace

void register_select_command(CLI::App& app) {
  auto o = std::make_shared<SelectOptions>();
  auto* cmd = app.add_subcommand("select", "rate every model that fits the airflows and compare them, smallest first");
  cmd->add_option("input", o->input, "JSON file of inputs, or - for standard input");
  cmd->add_flag("--json", o->json, "write the comparison as JSON, every rating in full");
  cmd->add_option("--max-pdrop", o->max_pdrop,
                  "keep models whose larger pressure drop (supply or exhaust, standard air) is at most PA pascal");
  cmd->add_option("--min-efficiency", o->min_efficiency,
                  "keep models whose supply-side sensible efficiency is at least PCT percent");
  cmd->add_option("--conditions", o->conditions,
                  "given (the inputs' air), ahri (AHRI 1060 air, at 100 % and 75 % of the airflows) or "
                  "ecodesign (EU 1253/2014 dry reference air, balanced flows)")
      ->check(CLI::IsMember({"given", "ahri", "ecodesign"}));
  cmd->add_option("--sort", o->sort, "size (smallest face area first, the default) or saving (with --weather and prices)")
      ->check(CLI::IsMember({"size", "saving"}));
  add_study_flags(cmd, o->study, false);
  cmd->fallthrough();
  cmd->callback([o] {
    try {
      select(*o);
    } catch (const std::exception& e) {
      std::cerr << "novaflux select: " << e.what() << "\n";
      exit_status() = 1;
    }
  });
}

}  // namespace novaflux::tool
