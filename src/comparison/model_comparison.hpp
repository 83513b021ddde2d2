#pragma once
// Every wheel that fits the inputs' airflows, rated and compared, smallest first, with the
// filters of `select`: the comparison the tool prints and the server sends.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "novaflux/selection.hpp"
#include "rating_json/rating_request.hpp"
#include "studies/annual_study.hpp"

namespace novaflux {

struct ComparisonRequest {
  nlohmann::json input = nlohmann::json::object();
  ConditionsChoice conditions = ConditionsChoice::Given;
  SelectionFilter filter;
  // With a weather file, each kept model's year at the site (annual study of the inputs as
  // given, with `annual`'s options; its model option is ignored).
  const WeatherFile* weather = nullptr;
  AnnualOptions annual;
  bool sort_by_saving = false;  // kept models by their net yearly saving, largest first (needs prices)
};

// A kept model's year: the yearly sums, or why the study failed.
struct ModelYear {
  PeriodSummary year;
  std::optional<Savings> savings;
  int failed_hours = 0;
  std::string error;  // "" when the study ran
};

struct Comparison {
  KivClass inputs;              // the inputs as rated (conditions applied)
  const RatingConditions* conditions = nullptr;
  SelectionFilter filter;
  std::vector<double> shares;   // airflow percents of each model's ratings
  Selection selection;
  std::vector<size_t> kept;     // indexes into selection.models of the models the filter keeps
  std::vector<ModelYear> years; // with a weather file: one per kept model, in the order of kept
  bool si_years = true;         // the unit system of the years' energies
  bool sorted_by_saving = false;

  bool si() const;
  // A rating of a kept model or the automatic pick failed.
  bool failed() const;
  const ModelRating& kept_model(size_t i) const { return selection.models[kept[i]]; }
};

// Rates every fitting model of the request. Throws std::invalid_argument naming the property
// when the input is not an object of known properties holding values of their kinds, or when
// sort_by_saving is asked without a price.
Comparison compare_models(const ComparisonRequest& request);

// {"conditions", "airflowPercents", "automatic", "automaticError", "filter", "models": [...]}
// with every kept model's ratings in full; with a weather file each model has "annual":
// {"heating", "cooling", "electric" (kWh or kBtu), "frostRiskHours", "saving", "error"}.
nlohmann::ordered_json comparison_json(const Comparison& comparison);

// The comparison for a person: a heading, the table of kept models and a legend.
std::string comparison_text(const Comparison& comparison);

// Why nothing is listed ("no model meets the filter (...); 12 models fit"); "" when a model is.
std::string nothing_kept_message(const Comparison& comparison);

}  // namespace novaflux
