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

namespace {

std::optional<EcodesignVerdict> verdict_of(const ConditionsRun& run, const RatingConditions& c) {
  if (run.ratings.empty() || run.ratings.front().failure) return std::nullopt;
  return ecodesign_verdict(run.ratings.front().result, c);
}

}  // namespace

ResultView conditions_view(const ConditionsRun& run, const RatingConditions& conditions) {
  std::vector<ResultView> views;
  for (const auto& r : run.ratings) views.push_back(result_view(r.result, r.failure));
  ResultView view = side_by_side(views, run.labels);
  if (const auto v = verdict_of(run, conditions)) {
    view.sections.push_back(
        {"EU Ecodesign", {"Regulation (EU) No 1253/2014", "Value", "Unit"},
         {{"Thermal efficiency (dry, balanced flows, 5 / 25 °C)", number_text(v->thermal_efficiency_percent), "%"},
          {"Minimum for a non-residential unit", number_text(v->minimum_percent), "%"},
          {"Verdict", v->meets ? "meets the minimum" : "below the minimum", ""}}});
  }
  return view;
}

nlohmann::ordered_json verdict_json(const ConditionsRun& run, const RatingConditions& conditions) {
  const auto v = verdict_of(run, conditions);
  if (!v) return nullptr;
  return {{"regulation", "EU 1253/2014"},
          {"thermalEfficiencyPercent", v->thermal_efficiency_percent},
          {"minimumPercent", v->minimum_percent},
          {"meets", v->meets}};
}

nlohmann::ordered_json share_ratings_json(const std::vector<ShareRating>& ratings) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const auto& r : ratings)
    list.push_back({{"airflowPercent", r.airflow_percent}, {"result", result_json(r.result, error_json(r.failure))}});
  return list;
}

nlohmann::ordered_json conditions_json(const ConditionsRun& run, const RatingConditions& conditions) {
  nlohmann::ordered_json out{{"conditions", conditions.name}, {"ratings", share_ratings_json(run.ratings)}};
  if (conditions.minimum_thermal_efficiency_percent > 0) out["ecodesign"] = verdict_json(run, conditions);
  return out;
}

}  // namespace novaflux
