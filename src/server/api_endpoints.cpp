#include "server/api_endpoints.hpp"

#include <algorithm>
#include <initializer_list>
#include <sstream>

#include "batch/batch_runner.hpp"
#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "comparison/model_comparison.hpp"
#include "component/interface_table.hpp"
#include "datasheet/datasheet.hpp"
#include "novaflux/version.hpp"
#include "rating_json/models_json.hpp"
#include "rating_json/rating_json.hpp"
#include "rating_json/rating_request.hpp"
#include "server/multipart_form.hpp"

namespace novaflux::server {

namespace {

// Every query parameter must be one the endpoint knows: a misspelt option silently ignored
// would give a rating of other inputs than the caller meant.
void only_parameters(const EndpointCall& call, std::initializer_list<std::string_view> known) {
  for (const auto& [name, value] : call.target.query) {
    if (std::find(known.begin(), known.end(), name) != known.end()) continue;
    std::string list;
    for (auto k : known) list += (list.empty() ? "" : ", ") + std::string(k);
    throw ApiError(400, "unknown query parameter \"" + name + "\"" +
                            (list.empty() ? " (this endpoint takes none)" : " (this endpoint takes " + list + ")"),
                   name);
  }
}

template <class F>
auto parameter_value(const EndpointCall& call, const char* name, F&& parse) {
  const std::string text = call.target.parameter(name).value_or("");
  try {
    return parse(text);
  } catch (const std::invalid_argument& e) {
    throw ApiError(400, "query parameter " + std::string(name) + ": " + e.what(), name);
  }
}

std::optional<double> number_parameter(const EndpointCall& call, const char* name) {
  return parameter_value(call, name, [](const std::string& text) -> std::optional<double> {
    if (text.empty()) return std::nullopt;
    double x = 0.0;
    if (!parse_double(text, x) || !std::isfinite(x)) throw std::invalid_argument("\"" + text + "\" is not a number");
    return x;
  });
}

bool flag_parameter(const EndpointCall& call, const char* name) {
  return parameter_value(call, name, [](const std::string& text) {
    if (text.empty() || text == "0" || text == "false") return false;
    if (text == "1" || text == "true") return true;
    throw std::invalid_argument("\"" + text + "\" is not true or false");
  });
}

bool is_multipart(const HttpRequest& request) {
  const std::string_view type = request.header("Content-Type");
  return type.substr(0, 19) == "multipart/form-data";
}

// The unit's JSON: the body itself, or the "unit" part of a form.
nlohmann::json unit_json(const EndpointCall& call) {
  if (!is_multipart(call.request)) return parse_json_text(call.request.body, "the request body");
  const auto parts = parse_multipart_form(call.request.header("Content-Type"), call.request.body);
  const FormPart* unit = find_part(parts, "unit");
  if (!unit) throw ApiError(400, "the form has no \"unit\" part (the JSON object of inputs)", "unit");
  return parse_json_text(std::string(unit->body), "the form's unit part");
}

RatingRequest rating_request(const EndpointCall& call) {
  only_parameters(call, {"model", "conditions"});
  RatingRequest r;
  r.model = parameter_value(call, "model", requested_model);
  r.conditions = parameter_value(call, "conditions",
                                 [](const std::string& t) { return parse_conditions(t.empty() ? "given" : t); });
  r.input = unit_json(call);
  return r;
}

HttpResponse text_response(int status, std::string content_type, std::string body) {
  HttpResponse r;
  r.status = status;
  r.content_type = std::move(content_type);
  r.body = std::move(body);
  return r;
}

std::string json_text(const nlohmann::ordered_json& document) {
  return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace

HttpResponse json_response(int status, const std::string& text) { return text_response(status, "application/json", text); }

HttpResponse rate_endpoint(const EndpointCall& call) {
  const RatedRequest rated = rate_request(rating_request(call));
  return json_response(rated.failed() ? 422 : 200, json_text(rated.json()));
}

HttpResponse report_endpoint(const EndpointCall& call) {
  const RatedRequest rated = rate_request(rating_request(call));
  return text_response(rated.failed() ? 422 : 200, "text/html; charset=utf-8", datasheet_html(rated));
}

HttpResponse chart_endpoint(const EndpointCall& call) {
  const RatedRequest rated = rate_request(rating_request(call));
  return text_response(rated.failed() ? 422 : 200, "image/svg+xml", datasheet_chart_svg(rated));
}

HttpResponse select_endpoint(const EndpointCall& call) {
  only_parameters(call, {"conditions", "max-pdrop", "min-efficiency"});
  ComparisonRequest request;
  request.conditions = parameter_value(call, "conditions",
                                       [](const std::string& t) { return parse_conditions(t.empty() ? "given" : t); });
  request.filter.max_pressure_drop_pa = number_parameter(call, "max-pdrop");
  request.filter.min_efficiency_percent = number_parameter(call, "min-efficiency");
  request.input = unit_json(call);
  const Comparison c = compare_models(request);
  return json_response(c.selection.automatic_failure ? 422 : 200, json_text(comparison_json(c)));
}

HttpResponse batch_endpoint(const EndpointCall& call) {
  only_parameters(call, {"model-run", "threads"});
  BatchOptions options;
  options.model_run = flag_parameter(call, "model-run");
  const auto threads = number_parameter(call, "threads");
  options.threads = threads ? static_cast<unsigned>(std::clamp(*threads, 1.0, double(call.batch_threads))) : 1;
  {
    // Every row is checked before the first is rated: once rows stream, the status is sent.
    std::istringstream in(call.request.body);
    try {
      check_batch_input(in, "the request body");
    } catch (const std::runtime_error& e) {
      throw ApiError(400, e.what());
    }
  }
  HttpResponse r = text_response(200, "text/csv; charset=utf-8", "");
  const std::string* body = &call.request.body;  // the transport keeps the request while it streams
  r.stream = [body, options](const BodyWriter& write) {
    std::istringstream in(*body);
    run_batch(in, "the request body", write, options);
  };
  return r;
}

HttpResponse describe_endpoint(const EndpointCall& call) {
  only_parameters(call, {});
  return json_response(200, detail::describe_json());
}

HttpResponse models_endpoint(const EndpointCall& call) {
  only_parameters(call, {});
  return json_response(200, json_text(models_json()));
}

HttpResponse version_endpoint(const EndpointCall& call) {
  only_parameters(call, {});
  return json_response(200, json_text({{"name", "novaflux"}, {"version", novaflux::version()}}));
}

HttpResponse health_endpoint(const EndpointCall& call) {
  only_parameters(call, {});
  return json_response(200, json_text({{"status", "ok"}}));
}

}  // namespace novaflux::server
