#include "rating_json/conditions_rating.hpp"

#include "common/numeric.hpp"
#include "rating_json/rating_json.hpp"

namespace novaflux {

bool ConditionsRun::failed() const {
  for (const auto& r : ratings)
    if (r.failure) return true;
  return false;
}

ConditionsRun rate_at_conditions(const nlohmann::json& input, const RatingConditions& conditions,
                                 std::optional<Modelall> model) {
  KivClass inputs;
  apply_json(inputs, input);
  if (model) inputs.KivinputModel = *model;
  apply_rating_conditions(inputs, conditions);
  ConditionsRun run;
  run.ratings = rate_at_airflows(inputs, conditions.airflow_percents, model);
  for (const auto& r : run.ratings) run.labels.push_back(number_text(r.airflow_percent) + " %");
  return run;
}

ResultView conditions_view(const ConditionsRun& run) {
  std::vector<ResultView> views;
  for (const auto& r : run.ratings) views.push_back(result_view(r.result, r.failure));
  return side_by_side(views, run.labels);
}

nlohmann::ordered_json conditions_json(const ConditionsRun& run, const RatingConditions& conditions) {
  nlohmann::ordered_json ratings = nlohmann::ordered_json::array();
  for (const auto& r : run.ratings) {
    const nlohmann::json error = r.failure ? nlohmann::json{{"number", r.failure->number},
                                                            {"description", r.failure->description}}
                                           : nlohmann::json(nullptr);
    ratings.push_back({{"airflowPercent", r.airflow_percent}, {"result", result_json(r.result, error)}});
  }
  return {{"conditions", conditions.name}, {"ratings", std::move(ratings)}};
}

}  // namespace novaflux
