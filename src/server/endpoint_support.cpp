#include "server/endpoint_support.hpp"

#include <algorithm>
#include <cmath>

#include "common/numeric.hpp"

namespace novaflux::server {

namespace {

template <class F>
auto parameter_value(const EndpointCall& call, const char* name, F&& parse) {
  const std::string text = call.target.parameter(name).value_or("");
  try {
    return parse(text);
  } catch (const std::invalid_argument& e) {
    throw ApiError(400, "query parameter " + std::string(name) + ": " + e.what(), name);
  }
}

}  // namespace

// Every query parameter must be one the endpoint knows: a misspelt option silently ignored
// would give a rating of other inputs than the caller meant.
void only_parameters(const EndpointCall& call, std::initializer_list<std::string_view> known,
                     const std::vector<std::string>& more) {
  for (const auto& [name, value] : call.target.query) {
    if (std::find(known.begin(), known.end(), name) != known.end()) continue;
    if (std::find(more.begin(), more.end(), name) != more.end()) continue;
    std::string list;
    for (auto k : known) list += (list.empty() ? "" : ", ") + std::string(k);
    for (const auto& k : more) list += (list.empty() ? "" : ", ") + k;
    throw ApiError(400, "unknown query parameter \"" + name + "\"" +
                            (list.empty() ? " (this endpoint takes none)" : " (this endpoint takes " + list + ")"),
                   name);
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

ConditionsChoice conditions_parameter(const EndpointCall& call) {
  return parameter_value(call, "conditions", [](const std::string& t) { return parse_conditions(t.empty() ? "given" : t); });
}

std::optional<Modelall> model_parameter(const EndpointCall& call) {
  return parameter_value(call, "model", requested_model);
}

std::optional<std::vector<FormPart>> form_parts(const EndpointCall& call) {
  const std::string_view type = call.request.header("Content-Type");
  if (type.substr(0, 19) != "multipart/form-data") return std::nullopt;
  return parse_multipart_form(type, call.request.body);
}

nlohmann::json unit_json(const EndpointCall& call, const std::optional<std::vector<FormPart>>& form) {
  if (!form) return parse_json_text(call.request.body, "the request body");
  const FormPart* unit = find_part(*form, "unit");
  if (!unit) throw ApiError(400, "the form has no \"unit\" part (the JSON object of inputs)", "unit");
  return parse_json_text(std::string(unit->body), "the form's unit part");
}

std::optional<WeatherFile> weather_part(const std::optional<std::vector<FormPart>>& form) {
  const FormPart* part = form ? find_part(*form, "weather") : nullptr;
  if (!part) return std::nullopt;
  try {
    return read_epw(part->body, part->filename.empty() ? std::string("the weather file") : part->filename);
  } catch (const WeatherFileError& e) {
    throw ApiError(400, e.what(), "weather");
  }
}

AnnualOptions annual_options(const EndpointCall& call) {
  AnnualOptions options;
  options.threads = 1;
  for (const auto& [name, value] : call.target.query) {
    const auto& names = annual_option_names();
    if (std::find(names.begin(), names.end(), name) == names.end()) continue;
    try {
      set_annual_option(options, name, value);
    } catch (const std::invalid_argument& e) {
      throw ApiError(400, e.what(), name);
    }
  }
  options.threads = std::clamp(options.threads == 0 ? call.batch_threads : options.threads, 1u, call.batch_threads);
  return options;
}

HttpResponse text_response(int status, std::string content_type, std::string body) {
  HttpResponse r;
  r.status = status;
  r.content_type = std::move(content_type);
  r.body = std::move(body);
  return r;
}

}  // namespace novaflux::server
