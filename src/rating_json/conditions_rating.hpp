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

// The views of the shares side by side; conditions with a minimum thermal efficiency add the
// table of its verdict ("EU Ecodesign").
ResultView conditions_view(const ConditionsRun& run, const RatingConditions& conditions);

// The verdict of the first share's rating as JSON ({"thermalEfficiencyPercent",
// "minimumPercent", "meets"}), null when the conditions set no minimum or the rating failed.
nlohmann::ordered_json verdict_json(const ConditionsRun& run, const RatingConditions& conditions);

// Ratings at shares of the airflows: [{"airflowPercent": p, "result": {...as rate...}}, ...].
nlohmann::ordered_json share_ratings_json(const std::vector<ShareRating>& ratings);

// {"conditions": name, "ratings": share_ratings_json},
// then "ecodesign": the verdict, with conditions that set a minimum
nlohmann::ordered_json conditions_json(const ConditionsRun& run, const RatingConditions& conditions);

}  // namespace novaflux
