#include "comparison/model_comparison.hpp"

#include "comparison/annual_comparison.hpp"
#include "rating_json/conditions_rating.hpp"
#include "rating_json/rating_json.hpp"

namespace novaflux {

bool Comparison::si() const { return inputs.get_KivunitSI(); }

bool Comparison::failed() const {
  if (selection.automatic_failure) return true;
  for (const auto& m : selection.models)
    for (const auto& r : m.ratings)
      if (r.failure) return true;
  return false;
}

Comparison compare_models(const ComparisonRequest& request) {
  if (request.sort_by_saving && (!request.weather || !has_prices(request.annual)))
    throw std::invalid_argument("sorting by saving needs a weather file and at least one price");
  Comparison c;
  apply_json(c.inputs, request.input);
  c.filter = request.filter;
  c.conditions = conditions_of(request.conditions);
  c.shares = {100.0};
  if (c.conditions) {
    apply_rating_conditions(c.inputs, *c.conditions);
    c.shares = c.conditions->airflow_percents;
  }
  c.selection = rate_fitting_models(c.inputs, c.shares);
  for (size_t i = 0; i < c.selection.models.size(); ++i)
    if (meets(c.selection.models[i], c.filter)) c.kept.push_back(i);
  if (request.weather) add_years(c, request);
  return c;
}

namespace {

nlohmann::ordered_json failure_json(const std::optional<RunFailure>& f) {
  return f ? nlohmann::ordered_json{{"number", f->number}, {"description", f->description}}
           : nlohmann::ordered_json(nullptr);
}

template <class T>
nlohmann::ordered_json optional_json(const std::optional<T>& v) {
  return v ? nlohmann::ordered_json(*v) : nlohmann::ordered_json(nullptr);
}

}  // namespace

nlohmann::ordered_json comparison_json(const Comparison& c) {
  const Selection& s = c.selection;
  nlohmann::ordered_json out = nlohmann::ordered_json::object();
  out["conditions"] = c.conditions ? nlohmann::ordered_json(c.conditions->name) : nullptr;
  out["airflowPercents"] = c.shares;
  out["automatic"] = s.automatic ? nlohmann::ordered_json{{"id", static_cast<int32_t>(*s.automatic)},
                                                          {"model", model_name(*s.automatic)}}
                                 : nlohmann::ordered_json(nullptr);
  out["automaticError"] = failure_json(s.automatic_failure);
  out["filter"] = {{"maxPressureDropPa", optional_json(c.filter.max_pressure_drop_pa)},
                   {"minEfficiencyPercent", optional_json(c.filter.min_efficiency_percent)}};
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (size_t i = 0; i < c.kept.size(); ++i) {
    const ModelRating& m = c.kept_model(i);
    list.push_back({{"id", static_cast<int32_t>(m.model)}, {"model", model_name(m.model)},
                    {"faceAreaFt2", m.face_area_ft2}, {"automatic", m.automatic},
                    {"ratings", share_ratings_json(m.ratings)}});
    if (!c.years.empty()) list.back()["annual"] = year_json(c, c.years[i]);
    if (c.conditions && c.conditions->minimum_thermal_efficiency_percent > 0) {
      const auto& first = m.ratings.front();
      const auto v = first.failure ? std::nullopt : ecodesign_verdict(first.result, *c.conditions);
      list.back()["ecodesign"] = v ? nlohmann::ordered_json{{"thermalEfficiencyPercent", v->thermal_efficiency_percent},
                                                          {"minimumPercent", v->minimum_percent}, {"meets", v->meets}}
                                   : nlohmann::ordered_json(nullptr);
    }
  }
  out["models"] = std::move(list);
  return out;
}

}  // namespace novaflux
