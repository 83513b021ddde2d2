#include "rating_json/rating_request.hpp"

#include <stdexcept>

#include "common/module_state.hpp"
#include "common/run_error.hpp"
#include "rating_json/rating_json.hpp"

namespace novaflux {

namespace {

// An input holds an object of plain values; nothing needs deeper nesting, and a document built
// from millions of brackets would cost memory and time for nothing.
constexpr int kMaxJsonDepth = 64;

}  // namespace

nlohmann::json parse_json_text(const std::string& text, const std::string& name) {
  const auto depth_guard = [](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
    if (depth > kMaxJsonDepth)
      throw std::invalid_argument("nested deeper than " + std::to_string(kMaxJsonDepth) + " levels");
    return true;
  };
  const std::string prefix = name.empty() ? "not valid JSON: " : name + " is not valid JSON: ";
  try {
    return nlohmann::json::parse(text, depth_guard);
  } catch (const nlohmann::json::exception& e) {
    // A syntax error, or a number beyond the range of a double.
    throw std::invalid_argument(prefix + e.what());
  } catch (const std::invalid_argument& e) {
    throw std::invalid_argument(prefix + e.what());
  }
}

std::optional<Modelall> requested_model(const std::string& option) {
  if (option.empty()) return std::nullopt;
  const auto model = parse_model(option);
  if (!model) throw std::invalid_argument("unknown model \"" + option + "\"");
  return model;
}

ConditionsChoice parse_conditions(const std::string& text) {
  if (text == "given") return ConditionsChoice::Given;
  if (text == "ahri") return ConditionsChoice::Ahri;
  if (text == "ecodesign") return ConditionsChoice::Ecodesign;
  throw std::invalid_argument("unknown conditions \"" + text + "\" (given, ahri or ecodesign)");
}

const RatingConditions* conditions_of(ConditionsChoice choice) {
  switch (choice) {
    case ConditionsChoice::Given: return nullptr;
    case ConditionsChoice::Ahri: return &ahri_1060_conditions();
    case ConditionsChoice::Ecodesign: return &ecodesign_conditions();
  }
  return nullptr;
}

nlohmann::json run_rating(KivClass& k, bool model_run) {
  try {
    if (model_run) k.CalculateOutputModel();
    else k.CalculateOutput();
  } catch (const RunError& e) {
    return {{"number", e.code()}, {"description", e.what()}};
  } catch (const std::exception& e) {
    return {{"number", 1}, {"description", e.what()}};
  }
  return nullptr;
}

bool RatedRequest::failed() const { return run_ ? run_->failed() : !single_error_.is_null(); }

nlohmann::ordered_json RatedRequest::json() const {
  return run_ ? conditions_json(*run_, *conditions_) : result_json(single_, single_error_);
}

ResultView RatedRequest::view() const {
  return run_ ? conditions_view(*run_, *conditions_) : result_view(single_, failure_of(single_error_));
}

const KivClass& RatedRequest::first_result() const {
  return run_ && !run_->ratings.empty() ? run_->ratings.front().result : single_;
}

nlohmann::json RatedRequest::error() const {
  if (!run_) return single_error_;
  for (const auto& r : run_->ratings)
    if (r.failure) return error_json(r.failure);
  return nullptr;
}

RatedRequest rate_request(const RatingRequest& request) {
  RatedRequest rated;
  rated.conditions_ = conditions_of(request.conditions);
  if (rated.conditions_) {
    rated.run_ = rate_at_conditions(request.input, *rated.conditions_, request.model);
    return rated;
  }
  reset_between_cases();
  apply_json(rated.single_, request.input);
  if (request.model) rated.single_.KivinputModel = *request.model;
  rated.single_error_ = run_rating(rated.single_, request.model.has_value());
  return rated;
}

}  // namespace novaflux
