#include "server/api_endpoints.hpp"

#include <algorithm>
#include <istream>
#include <streambuf>

#include "batch/batch_runner.hpp"
#include "component/interface_table.hpp"
#include "datasheet/datasheet.hpp"
#include "novaflux/version.hpp"
#include "rating_json/models_json.hpp"
#include "server/endpoint_support.hpp"

namespace novaflux::server {

namespace {

// Reads a request's body where it lies: a CSV upload may be tens of megabytes.
class TextReader : public std::streambuf {
public:
  explicit TextReader(const std::string& text) {
    char* begin = const_cast<char*>(text.data());  // only ever read: no put area is set
    setg(begin, begin, begin + text.size());
  }
};

RatingRequest rating_request(const EndpointCall& call) {
  only_parameters(call, {"model", "conditions"});
  return {unit_json(call, form_parts(call)), model_parameter(call), conditions_parameter(call)};
}

}  // namespace

HttpResponse json_response(int status, std::string text) { return text_response(status, "application/json", std::move(text)); }

HttpResponse rate_endpoint(const EndpointCall& call) {
  const RatedRequest rated = rate_request(rating_request(call));
  return json_response(rated.failed() ? 422 : 200, json_text(rated.json()));
}

HttpResponse chart_endpoint(const EndpointCall& call) {
  const RatedRequest rated = rate_request(rating_request(call));
  return text_response(rated.failed() ? 422 : 200, "image/svg+xml", datasheet_chart_svg(rated));
}

HttpResponse batch_endpoint(const EndpointCall& call) {
  only_parameters(call, {"model-run", "threads"});
  BatchOptions options;
  options.model_run = flag_parameter(call, "model-run");
  const auto threads = number_parameter(call, "threads");
  options.threads = threads ? static_cast<unsigned>(std::clamp(*threads, 1.0, double(call.batch_threads))) : 1;
  {
    // Every row is checked before the first is rated: once rows stream, the status is sent.
    TextReader buffer(call.request.body);
    std::istream in(&buffer);
    try {
      check_batch_input(in, "the request body");
    } catch (const std::runtime_error& e) {
      throw ApiError(400, e.what());
    }
  }
  HttpResponse r = text_response(200, "text/csv; charset=utf-8", "");
  const std::string* body = &call.request.body;  // the transport keeps the request while it streams
  r.stream = [body, options](const BodyWriter& write) {
    TextReader buffer(*body);
    std::istream in(&buffer);
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
