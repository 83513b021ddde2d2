// The endpoints that may take a year at a site from a weather file: the datasheet, the model
// comparison and the annual study itself. A weather file comes as the "weather" part of a
// multipart form beside the "unit" part; the study's options are query parameters named as the
// tool's flags.
#include <sstream>

#include "comparison/model_comparison.hpp"
#include "datasheet/datasheet.hpp"
#include "server/api_endpoints.hpp"
#include "server/endpoint_support.hpp"

namespace novaflux::server {

namespace {

std::vector<std::string> study_option_names(bool with_model) {
  std::vector<std::string> names;
  for (const auto& n : annual_option_names())
    if (with_model || n != "model") names.push_back(n);
  return names;
}

}  // namespace

HttpResponse report_endpoint(const EndpointCall& call) {
  only_parameters(call, {"model", "conditions"}, study_option_names(false));
  const auto form = form_parts(call);
  SheetRequest request;
  request.rating = {unit_json(call, form), model_parameter(call), conditions_parameter(call)};
  request.annual = annual_options(call);
  const std::optional<WeatherFile> weather = weather_part(form);
  request.weather = weather ? &*weather : nullptr;
  Sheet sheet = make_datasheet(request);
  return text_response(sheet.failed ? 422 : 200, "text/html; charset=utf-8", std::move(sheet.html));
}

HttpResponse select_endpoint(const EndpointCall& call) {
  only_parameters(call, {"conditions", "max-pdrop", "min-efficiency", "sort"}, study_option_names(false));
  const auto form = form_parts(call);
  ComparisonRequest request;
  request.input = unit_json(call, form);
  request.conditions = conditions_parameter(call);
  request.filter.max_pressure_drop_pa = number_parameter(call, "max-pdrop");
  request.filter.min_efficiency_percent = number_parameter(call, "min-efficiency");
  const std::string sort = call.target.parameter("sort").value_or("size");
  if (sort != "size" && sort != "saving") throw ApiError(400, "query parameter sort: \"" + sort + "\" is not size or saving", "sort");
  request.sort_by_saving = sort == "saving";
  request.annual = annual_options(call);
  const std::optional<WeatherFile> weather = weather_part(form);
  request.weather = weather ? &*weather : nullptr;
  const Comparison c = compare_models(request);
  return json_response(c.selection.automatic_failure ? 422 : 200, json_text(comparison_json(c)));
}

HttpResponse annual_endpoint(const EndpointCall& call) {
  only_parameters(call, {"format"}, study_option_names(true));
  const std::string format = call.target.parameter("format").value_or("json");
  if (format != "json" && format != "text" && format != "csv" && format != "svg")
    throw ApiError(400, "query parameter format: \"" + format + "\" is not json, text, csv or svg", "format");
  const auto form = form_parts(call);
  if (!form) throw ApiError(415, "the annual study takes a multipart/form-data body with the parts unit and weather");
  const nlohmann::json unit = unit_json(call, form);
  const AnnualOptions options = annual_options(call);
  const std::optional<WeatherFile> weather = weather_part(form);
  if (!weather) throw ApiError(400, "the form has no \"weather\" part (an EPW weather file)", "weather");
  const AnnualStudy study = run_annual_study(unit, *weather, options);
  const int status = study.failed_hours() > 0 ? 422 : 200;
  if (format == "text") return text_response(status, "text/plain; charset=utf-8", annual_text(study));
  if (format == "svg") return text_response(status, "image/svg+xml", annual_chart_svg(study));
  if (format == "csv") {
    std::ostringstream out;
    write_hourly_csv(study, out);
    return text_response(status, "text/csv; charset=utf-8", out.str());
  }
  return json_response(status, json_text(annual_json(study)));
}

}  // namespace novaflux::server
