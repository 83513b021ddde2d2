#pragma once
// What the endpoints share: query parameters checked against the endpoint's own, the unit's JSON
// from a body or a form, and answers in the tool's formats.
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rating_json/rating_json.hpp"
#include "rating_json/rating_request.hpp"
#include "server/api_endpoints.hpp"
#include "server/multipart_form.hpp"
#include "studies/annual_study.hpp"

namespace novaflux::server {

// Throws ApiError (400, naming it) for a query parameter outside `known` and `more`.
void only_parameters(const EndpointCall& call, std::initializer_list<std::string_view> known,
                     const std::vector<std::string>& more = {});

std::optional<double> number_parameter(const EndpointCall& call, const char* name);
bool flag_parameter(const EndpointCall& call, const char* name);
ConditionsChoice conditions_parameter(const EndpointCall& call);
std::optional<Modelall> model_parameter(const EndpointCall& call);

// The request's form parts, or none when its body is not multipart/form-data.
std::optional<std::vector<FormPart>> form_parts(const EndpointCall& call);

// The unit's JSON: the body itself, or the "unit" part of a form.
nlohmann::json unit_json(const EndpointCall& call, const std::optional<std::vector<FormPart>>& form);

// The weather file of a form's "weather" part; nullopt without one (or without a form).
// Throws ApiError (400, field "weather") naming the line and field of a defect.
std::optional<WeatherFile> weather_part(const std::optional<std::vector<FormPart>>& form);

// The annual study's options from the query parameters of their names. A server runs a study on
// one thread unless the request asks for more (at most the processors).
AnnualOptions annual_options(const EndpointCall& call);

HttpResponse text_response(int status, std::string content_type, std::string body);

}  // namespace novaflux::server
