#include "server/api_router.hpp"

#include <array>
#include <nlohmann/json.hpp>

#include "common/run_error.hpp"
#include "rating_json/rating_json.hpp"
#include "server/api_endpoints.hpp"
#include "server/web_assets.hpp"

namespace novaflux::server {

namespace {

struct Route {
  std::string_view path;
  std::string_view method;
  HttpResponse (*handler)(const EndpointCall&);
  size_t body_limit;
};

constexpr std::array kRoutes{
    Route{"/api/rate", "POST", rate_endpoint, kJsonBodyLimit},
    // A form may carry a weather file beside the unit.
    Route{"/api/select", "POST", select_endpoint, kFileBodyLimit},
    Route{"/api/report", "POST", report_endpoint, kFileBodyLimit},
    Route{"/api/chart", "POST", chart_endpoint, kJsonBodyLimit},
    Route{"/api/batch", "POST", batch_endpoint, kFileBodyLimit},
    Route{"/api/annual", "POST", annual_endpoint, kFileBodyLimit},
    Route{"/api/describe", "GET", describe_endpoint, 0},
    Route{"/api/models", "GET", models_endpoint, 0},
    Route{"/api/version", "GET", version_endpoint, 0},
    Route{"/healthz", "GET", health_endpoint, 0},
};

constexpr size_t kStrayBodyLimit = 64 * 1024;

const Route* find_route(std::string_view path) {
  for (const auto& r : kRoutes)
    if (r.path == path) return &r;
  return nullptr;
}

std::string_view path_of(std::string_view target) { return target.substr(0, target.find('?')); }

HttpResponse error_with_field(int status, int number, const std::string& description, const std::string& field) {
  nlohmann::ordered_json body{{"error", {{"number", number}, {"description", description}}}};
  if (!field.empty()) body["field"] = field;
  return json_response(status, json_text(body));
}

// The loopback interface by name or address, with or without a port: "localhost:8080",
// "127.0.0.1", "[::1]:8080".
bool names_loopback(std::string_view host) {
  if (host.empty()) return false;
  if (host.front() == '[') {
    const size_t close = host.find(']');
    if (close == std::string_view::npos) return false;
    const std::string_view rest = host.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') return false;
    return host.substr(1, close - 1) == "::1";
  }
  const std::string_view name = host.substr(0, host.find(':'));
  if (name == "localhost") return true;
  if (name.substr(0, 4) != "127.") return false;
  int dots = 0;
  for (char c : name) {
    if (c == '.') ++dots;
    else if (c < '0' || c > '9') return false;
  }
  return dots == 3;
}

// Compares without stopping at the first difference, so that the time taken does not tell an
// attacker how much of a guess was right.
bool same_secret(std::string_view given, std::string_view expected) {
  unsigned char diff = given.size() == expected.size() ? 0 : 1;
  for (size_t i = 0; i < given.size(); ++i) diff |= static_cast<unsigned char>(given[i] ^ expected[i % expected.size()]);
  return diff == 0;
}

HttpResponse with_common_headers(HttpResponse r) {
  r.headers.emplace_back("X-Content-Type-Options", "nosniff");
  r.headers.emplace_back("Cache-Control", "no-store");
  return r;
}

HttpResponse route(const HttpRequest& request, const AccessPolicy& policy) {
  if (policy.loopback_only && !names_loopback(request.header("Host")))
    return error_response(403, "this server answers requests to localhost only; Host \"" +
                                   std::string(request.header("Host").substr(0, 100)) + "\" is not that");
  const RequestTarget target = parse_target(request.target);
  const Route* route = find_route(target.path);
  if (!route) {
    if (const WebAsset* asset = find_web_asset(target.path)) {
      if (request.method != "GET") return error_response(405, request.method + " is not allowed on " + target.path);
      HttpResponse r;
      r.content_type = std::string(asset->content_type);
      r.body = std::string(asset->content);
      r.headers.emplace_back("Content-Security-Policy", std::string(kPageSecurityPolicy));
      return r;
    }
    return error_response(404, "no such resource: " + target.path.substr(0, 200));
  }
  if (request.method != route->method) {
    HttpResponse r = error_response(405, request.method.substr(0, 20) + " is not allowed on " + target.path +
                                             " (" + std::string(route->method) + " is)");
    r.headers.emplace_back("Allow", std::string(route->method));
    return r;
  }
  if (!policy.token.empty() && target.path.rfind("/api/", 0) == 0) {
    const std::string_view auth = request.header("Authorization");
    if (auth.substr(0, 7) != "Bearer " || !same_secret(auth.substr(7), policy.token)) {
      HttpResponse r = error_response(401, "this server needs \"Authorization: Bearer <token>\" with its token");
      r.headers.emplace_back("WWW-Authenticate", "Bearer");
      return r;
    }
  }
  return route->handler(EndpointCall{request, target, policy.batch_threads});
}

}  // namespace

size_t body_limit(std::string_view method, std::string_view target) {
  const Route* r = find_route(path_of(target));
  if (r && r->method == method) return r->body_limit;
  // Read a small body of a request that has no route, so that it is told 404 or 405 rather than 413.
  return kStrayBodyLimit;
}

HttpResponse error_response(int status, const std::string& description) {
  return error_with_field(status, status, description, "");
}

HttpResponse handle_request(const HttpRequest& request, const AccessPolicy& policy) {
  try {
    return with_common_headers(route(request, policy));
  } catch (const ApiError& e) {
    return with_common_headers(error_with_field(e.status(), e.status() == 400 ? static_cast<int>(ErrorNumber::BadInput)
                                                                              : e.status(),
                                                e.what(), e.field()));
  } catch (const PropertyInputError& e) {
    return with_common_headers(error_with_field(400, static_cast<int>(ErrorNumber::BadInput), e.what(), e.property()));
  } catch (const std::invalid_argument& e) {
    return with_common_headers(error_with_field(400, static_cast<int>(ErrorNumber::BadInput), e.what(), ""));
  } catch (const RunError& e) {
    // The catalogue or the moist-air library cannot answer: the server's fault. Any other run
    // error is the request's unit failing a rating outside the rating verbs (the model of a year
    // at a site), which those verbs answer with 422.
    if (e.number() == ErrorNumber::Catalogue || e.number() == ErrorNumber::Psychrometrics)
      return with_common_headers(error_with_field(500, e.code(), e.what(), ""));
    return with_common_headers(error_with_field(422, e.code(), std::string("the unit cannot be rated: ") + e.what(), ""));
  } catch (const std::exception& e) {
    return with_common_headers(error_response(500, std::string("the server failed: ") + e.what()));
  }
}

}  // namespace novaflux::server
