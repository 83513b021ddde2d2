#pragma once
// A rating at standard rating conditions (`--conditions ahri` of rate and report): the inputs'
// outdoor and return air replaced, rated at each airflow share of the conditions.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "novaflux/selection.hpp"

namespace novaflux {

struct ConditionsRun {
  std::vector<ShareRating> ratings;
  std::vector<std::string> labels;  // "100 %", "75 %"
  bool failed() const;
};

ConditionsRun rate_at_conditions(const nlohmann::json& input, const RatingConditions& conditions,
                                 std::optional<Modelall> model);

// The views of the shares side by side.
ResultView conditions_view(const ConditionsRun& run);

// {"conditions": name, "ratings": [{"airflowPercent": p, "result": {...as rate...}}, ...]}
nlohmann::ordered_json conditions_json(const ConditionsRun& run, const RatingConditions& conditions);

}  // namespace novaflux
