// `novaflux select`: every wheel that fits the airflows, rated and compared, smallest first.
#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "commands.hpp"
#include "common/numeric.hpp"
#include "json_io.hpp"
#include "novaflux/selection.hpp"
#include "rating_input.hpp"

namespace novaflux::tool {

namespace {

struct SelectOptions {
  std::string input = "-";
  bool json = false;
  std::optional<double> max_pdrop;
  std::optional<double> min_efficiency;
  std::string conditions = "given";
};

std::string num(double x) { return number_text(x); }
std::string pair(double a, double b) { return num(a) + " / " + num(b); }
std::string triple(double a, double b, double c) { return num(a) + " / " + num(b) + " / " + num(c); }

bool out_of_range(const KivClass& k) { return k.KivOutNOVAFLUXModel.to_text() == " Model Out of Range"; }

// The catalogue name from a rating that published it, else the enumeration's name.
std::string display_name(const ModelRating& m) {
  for (const auto& r : m.ratings)
    if (!r.failure && !out_of_range(r.result)) return r.result.KivOutNOVAFLUXModel.to_text();
  return model_name(m.model);
}

std::vector<std::string> table_row(const ModelRating& m, const ShareRating& r, bool with_share) {
  const KivClass& k = r.result;
  std::vector<std::string> row{m.automatic ? "*" : "", display_name(m)};
  if (with_share) row.push_back(num(r.airflow_percent) + " %");
  std::string warnings;
  for (const auto& w : r.warnings) warnings += (warnings.empty() ? "" : ", ") + std::to_string(w.code);
  if (r.failure) {
    row.insert(row.end(), {"", "", "", "", "", "", "", "failed: " + r.failure->description});
    return row;
  }
  if (out_of_range(k)) {
    row.insert(row.end(), {"", "", "", "", "", "", "", "does not fit at this airflow (6)"});
    return row;
  }
  row.push_back(pair(k.KivoutSaVelocity, k.KivoutRaVelocity));
  row.push_back(triple(k.KivoutEfficiencySummerSupplyCondensation, k.KivoutEfficiencySummerSupplyLatent,
                       k.KivoutEfficiencySummerSupplyTotal));
  row.push_back(triple(k.KivoutEfficiencyWinterSupplyCondensation, k.KivoutEfficiencyWinterSupplyLatent,
                       k.KivoutEfficiencyWinterSupplyTotal));
  row.push_back(pair(k.KivoutSaPDrop, k.KivoutRaPDrop));
  row.push_back(pair(k.KivoutERWithWheelTotalSummer_KW, k.KivoutERWithWheelTotalWinter_KW));
  row.push_back(num(k.KivoutCassetteHight) + " × " + num(k.KivoutCassetteWidth) + " × " + num(k.KivoutCassetteDepth));
  row.push_back(num(k.KivoutCassetteWeight));
  row.push_back(warnings.empty() ? "none" : warnings);
  return row;
}

ViewTable selection_table(const std::vector<const ModelRating*>& models, bool si, bool with_share) {
  const std::string v = si ? "m/s" : "fpm", dp = si ? "Pa" : "in. w.g.";
  ViewTable t{"", {"", "Model"}, {}};
  if (with_share) t.headings.push_back("Airflow");
  t.headings.insert(t.headings.end(),
                    {"v sup/exh, " + v, "Summer S/L/T, %", "Winter S/L/T, %", "Δp sup/exh, " + dp,
                     "kW summer/winter", "H × W × D, mm", "kg", "Warnings"});
  for (const ModelRating* m : models)
    for (const auto& r : m->ratings) t.rows.push_back(table_row(*m, r, with_share));
  return t;
}

nlohmann::ordered_json selection_json(const Selection& s, const std::vector<const ModelRating*>& models,
                                      const SelectOptions& o, const std::vector<double>& shares) {
  nlohmann::ordered_json out = nlohmann::ordered_json::object();
  out["conditions"] = o.conditions == "ahri" ? nlohmann::ordered_json(ahri_1060_conditions().name) : nullptr;
  out["airflowPercents"] = shares;
  out["automatic"] = s.automatic ? nlohmann::ordered_json{{"id", static_cast<int32_t>(*s.automatic)},
                                                          {"model", model_name(*s.automatic)}}
                                 : nlohmann::ordered_json(nullptr);
  out["automaticError"] = s.automatic_failure ? nlohmann::ordered_json{{"number", s.automatic_failure->number},
                                                                       {"description", s.automatic_failure->description}}
                                              : nlohmann::ordered_json(nullptr);
  out["filter"] = {{"maxPressureDropPa", o.max_pdrop ? nlohmann::ordered_json(*o.max_pdrop) : nullptr},
                   {"minEfficiencyPercent", o.min_efficiency ? nlohmann::ordered_json(*o.min_efficiency) : nullptr}};
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const ModelRating* m : models) {
    nlohmann::ordered_json ratings = nlohmann::ordered_json::array();
    for (const auto& r : m->ratings) {
      const nlohmann::json error = r.failure ? nlohmann::json{{"number", r.failure->number},
                                                              {"description", r.failure->description}}
                                             : nlohmann::json(nullptr);
      ratings.push_back({{"airflowPercent", r.airflow_percent}, {"result", result_json(r.result, error)}});
    }
    list.push_back({{"id", static_cast<int32_t>(m->model)}, {"model", model_name(m->model)},
                    {"faceAreaFt2", m->face_area_ft2}, {"automatic", m->automatic}, {"ratings", std::move(ratings)}});
  }
  out["models"] = std::move(list);
  return out;
}

void select(const SelectOptions& o) {
  KivClass inputs;
  apply_json(inputs, read_json_input(o.input));
  std::vector<double> shares{100.0};
  if (o.conditions == "ahri") {
    apply_rating_conditions(inputs, ahri_1060_conditions());
    shares = ahri_1060_conditions().airflow_percents;
  }
  const Selection s = rate_fitting_models(inputs, shares);
  const SelectionFilter filter{o.max_pdrop, o.min_efficiency};
  std::vector<const ModelRating*> kept;
  bool failed = false;
  for (const auto& m : s.models) {
    for (const auto& r : m.ratings) failed = failed || r.failure.has_value();
    if (meets(m, filter)) kept.push_back(&m);
  }
  const bool si = inputs.get_KivunitSI();
  if (o.json) {
    std::cout << selection_json(s, kept, o, shares).dump(2) << "\n";
  } else {
    if (s.automatic_failure) {
      std::cout << "The inputs cannot be rated: " << s.automatic_failure->description << "\n";
    } else {
      std::cout << "Models whose face velocities fit " << num(inputs.KivinputSupplyAir) << " / "
                << num(inputs.KivinputReturnAir) << (si ? " m³/h" : " cfm")
                << " (supply / return), smallest first; * marks the model CalculateOutput selects";
      if (o.conditions == "ahri") std::cout << "; " << ahri_1060_conditions().name << " conditions";
      std::cout << ".\n";
      const bool automatic_listed = std::any_of(s.models.begin(), s.models.end(), [](const auto& m) { return m.automatic; });
      const bool automatic_kept = std::any_of(kept.begin(), kept.end(), [](const auto* m) { return m->automatic; });
      if (s.automatic && !automatic_listed)
        std::cout << "CalculateOutput selects " << model_name(*s.automatic) << ", outside the fit range.\n";
      else if (s.automatic && !automatic_kept)
        std::cout << "CalculateOutput selects " << model_name(*s.automatic) << ", which the filter leaves out.\n";
      if (!kept.empty()) {
        std::cout << table_text(selection_table(kept, si, shares.size() > 1));
        std::cout << "v face velocity; S/L/T supply-side sensible / latent / total efficiency; Δp pressure drop of\n"
                     "standard air; kW recovered with the wheel; H × W × D and kg the cassette; warnings by code\n"
                     "(4 RH capped, 5 low velocity, 6 out of range, 100 frost risk).\n";
      }
    }
  }
  if (kept.empty()) {
    std::cerr << "novaflux select: no model " << (s.models.empty() ? "fits the airflows" : "meets the filter");
    if (!s.models.empty() && o.max_pdrop) std::cerr << " (pressure drop at most " << num(*o.max_pdrop) << " Pa";
    if (!s.models.empty() && o.min_efficiency)
      std::cerr << (o.max_pdrop ? ", " : " (") << "sensible efficiency at least " << num(*o.min_efficiency) << " %";
    if (!s.models.empty() && (o.max_pdrop || o.min_efficiency)) std::cerr << ")";
    std::cerr << "; " << s.models.size() << " models fit\n";
    exit_status() = 1;
  } else if (failed || s.automatic_failure) {
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
                  "given (the inputs' air) or ahri (AHRI 1060 air, at 100 % and 75 % of the airflows)")
      ->check(CLI::IsMember({"given", "ahri"}));
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
