#pragma once
// The endpoints of the API: each turns a request into a call of the library's verb and the
// verb's result into the answer. Bad input throws ApiError (or the library's own
// std::invalid_argument), which the router turns into a 4xx answer.
#include <optional>
#include <stdexcept>
#include <string>

#include "server/http_message.hpp"
#include "server/request_target.hpp"

namespace novaflux::server {

// A request the server cannot serve: its status and a message naming the bad field.
class ApiError : public std::runtime_error {
public:
  ApiError(int status, const std::string& message, std::string field = "")
      : std::runtime_error(message), status_(status), field_(std::move(field)) {}
  int status() const noexcept { return status_; }
  const std::string& field() const noexcept { return field_; }

private:
  int status_;
  std::string field_;
};

struct EndpointCall {
  const HttpRequest& request;
  const RequestTarget& target;
  unsigned batch_threads = 1;
};

HttpResponse rate_endpoint(const EndpointCall& call);
HttpResponse select_endpoint(const EndpointCall& call);
HttpResponse report_endpoint(const EndpointCall& call);
HttpResponse chart_endpoint(const EndpointCall& call);
HttpResponse batch_endpoint(const EndpointCall& call);
HttpResponse annual_endpoint(const EndpointCall& call);
HttpResponse describe_endpoint(const EndpointCall& call);
HttpResponse models_endpoint(const EndpointCall& call);
HttpResponse version_endpoint(const EndpointCall& call);
HttpResponse health_endpoint(const EndpointCall& call);

// A JSON answer: the document as the tool prints it (two-space indent, a final line break).
HttpResponse json_response(int status, std::string text);

}  // namespace novaflux::server
