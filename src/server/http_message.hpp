#pragma once
// An HTTP request as the server's routing sees it (after the transport has parsed and limited
// it) and the answer it gives, independent of the HTTP library.
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace novaflux::server {

struct HttpRequest {
  std::string method;  // "GET", "POST", ...
  std::string target;  // path and query as sent ("/api/rate?model=66")
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;

  // The value of the first header of that name (case-insensitive); "" when there is none.
  std::string_view header(std::string_view name) const;
};

// Hands a part of a streamed body to the transport; throws when the client has gone.
using BodyWriter = std::function<void(std::string_view)>;

struct HttpResponse {
  int status = 200;
  std::string content_type = "application/json";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // beside Content-Type and Content-Length
  // When set, the body is produced by this function part by part as it is written (chunked
  // transfer) and `body` is not sent. It runs off the transport's threads.
  std::function<void(const BodyWriter& write)> stream;
};

}  // namespace novaflux::server
