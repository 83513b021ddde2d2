#pragma once
// Every wheel that fits the inputs' airflows, rated and compared, smallest first, with the
// filters of `select`: the comparison the tool prints and the server sends.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "novaflux/selection.hpp"
#include "rating_json/rating_request.hpp"

namespace novaflux {

struct ComparisonRequest {
  nlohmann::json input = nlohmann::json::object();
  ConditionsChoice conditions = ConditionsChoice::Given;
  SelectionFilter filter;
};

struct Comparison {
  KivClass inputs;              // the inputs as rated (conditions applied)
  const RatingConditions* conditions = nullptr;
  SelectionFilter filter;
  std::vector<double> shares;   // airflow percents of each model's ratings
  Selection selection;
  std::vector<size_t> kept;     // indexes into selection.models of the models the filter keeps

  bool si() const;
  // A rating of a kept model or the automatic pick failed.
  bool failed() const;
  const ModelRating& kept_model(size_t i) const { return selection.models[kept[i]]; }
};

// Rates every fitting model of the request. Throws std::invalid_argument naming the property
// when the input is not an object of known properties holding values of their kinds.
Comparison compare_models(const ComparisonRequest& request);

// {"conditions", "airflowPercents", "automatic", "automaticError", "filter", "models": [...]}
// with every kept model's ratings in full.
nlohmann::ordered_json comparison_json(const Comparison& comparison);

// The comparison for a person: a heading, the table of kept models and a legend.
std::string comparison_text(const Comparison& comparison);

// Why nothing is listed ("no model meets the filter (...); 12 models fit"); "" when a model is.
std::string nothing_kept_message(const Comparison& comparison);

}  // namespace novaflux
