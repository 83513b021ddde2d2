#pragma once
// `novaflux serve`: the HTTP transport of the API and the page (Boost.Beast over Asio).
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace novaflux::server {

struct ServerOptions {
  std::string address = "127.0.0.1";
  uint16_t port = 8080;       // 0: any free port (the one chosen is reported to on_listening)
  std::string token;          // required for any address other than a loopback one
  unsigned threads = 0;       // threads that read, rate and write; 0: two per processor, at least 4
  std::chrono::milliseconds read_timeout{std::chrono::seconds(30)};   // a whole request, header and body
  std::chrono::milliseconds write_timeout{std::chrono::seconds(30)};  // each part of an answer
  size_t header_limit = 16 * 1024;                                    // bytes of the request line and headers
  size_t max_connections = 1024;
  // Called once the server listens, with the address clients reach it at.
  std::function<void(const std::string& url)> on_listening;
};

// Whether an address names this machine's loopback interface ("127.0.0.1", "::1", "localhost").
bool is_loopback_address(const std::string& address);

// Serves until SIGINT or SIGTERM, then stops accepting, finishes the requests in flight and
// returns. Throws std::runtime_error before serving when it cannot start: an address other than
// a loopback one without a token, an address that is not one, a port in use.
void serve(const ServerOptions& options);

}  // namespace novaflux::server
