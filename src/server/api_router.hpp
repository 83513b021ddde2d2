#pragma once
// The routing of `novaflux serve`: which request reaches which verb of the library, who may
// ask, and how large a body each route takes. Independent of the HTTP transport, so that it can
// be tested and fuzzed on its own.
#include <cstddef>
#include <string>
#include <string_view>

#include "server/http_message.hpp"

namespace novaflux::server {

struct AccessPolicy {
  // Bound to a loopback address: a request's Host must name the loopback interface, so that a
  // page of another site cannot reach the server through a DNS name that resolves here.
  bool loopback_only = true;
  // When not empty, every /api/ request must carry "Authorization: Bearer <token>".
  std::string token;
  // Worker threads a batch request may use at most.
  unsigned batch_threads = 1;
};

// Bodies: a JSON document of a rating is small; a CSV batch or a weather file is large.
inline constexpr size_t kJsonBodyLimit = size_t{1} << 20;
inline constexpr size_t kFileBodyLimit = size_t{64} << 20;

// The largest body the request's route accepts; the transport answers 413 beyond it.
size_t body_limit(std::string_view method, std::string_view target);

// The answer to a complete request. Never throws: bad input is a 4xx answer naming what is
// wrong, and an unexpected failure a 500 answer.
HttpResponse handle_request(const HttpRequest& request, const AccessPolicy& policy);

// An answer with a JSON error body {"error": {"number", "description"}} for a status the
// transport decides itself (408, 413, 431, 503).
HttpResponse error_response(int status, const std::string& description);

}  // namespace novaflux::server
