#pragma once
// A rating as the rating verbs (rate, report, chart) and the server's endpoints make it: the
// inputs as a JSON object, an optional fixed model, and the air of the inputs or a set of
// standard rating conditions. The tool prints what this returns; the server sends it.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "novaflux/kiv_class.hpp"
#include "novaflux/result_view.hpp"
#include "rating_json/conditions_rating.hpp"

namespace novaflux {

// The JSON text of an input; throws std::invalid_argument ("NAME is not valid JSON: ...", or
// "not valid JSON: ..." without a name).
nlohmann::json parse_json_text(const std::string& text, const std::string& name);

// The model of a --model option or ?model= parameter (enumeration name or number); nullopt
// for "". Throws std::invalid_argument on an unknown model.
std::optional<Modelall> requested_model(const std::string& option);

// "given" (the inputs' own air), "ahri" (AHRI 1060) or "ecodesign" (EU 1253/2014 dry reference
// conditions, with the thermal-efficiency verdict); throws std::invalid_argument naming any
// other text.
enum class ConditionsChoice { Given, Ahri, Ecodesign };
ConditionsChoice parse_conditions(const std::string& text);
const RatingConditions* conditions_of(ConditionsChoice choice);  // nullptr for Given

// Runs CalculateOutput, or CalculateOutputModel for a model run; the failure that ended it as
// {"number", "description"}, or null.
nlohmann::json run_rating(KivClass& object, bool model_run);

struct RatingRequest {
  nlohmann::json input = nlohmann::json::object();
  std::optional<Modelall> model;
  ConditionsChoice conditions = ConditionsChoice::Given;
};

// A rated request: one rating of the inputs, or one per airflow share of the conditions.
class RatedRequest {
public:
  bool failed() const;
  // What `rate` prints: every property, "warnings" and "error"; with conditions
  // {"conditions", "ratings": [{"airflowPercent", "result"}, ...]}.
  nlohmann::ordered_json json() const;
  // The datasheet's tables (the shares side by side under conditions).
  ResultView view() const;
  // The rating whose processes the chart draws (the first share under conditions).
  const KivClass& first_result() const;
  // The single rating's failure as JSON (null when it completed); conditions: the first failure.
  nlohmann::json error() const;
  const RatingConditions* conditions() const { return conditions_; }
  const ConditionsRun* conditions_run() const { return run_ ? &*run_ : nullptr; }

private:
  friend RatedRequest rate_request(const RatingRequest& request);
  KivClass single_;
  nlohmann::json single_error_;
  const RatingConditions* conditions_ = nullptr;
  std::optional<ConditionsRun> run_;
};

// Rates a request from the state a new thread starts with, so that the answer does not depend
// on what the thread rated before. Throws std::invalid_argument naming the property when the
// input is not an object of known properties holding values of their kinds.
RatedRequest rate_request(const RatingRequest& request);

}  // namespace novaflux
