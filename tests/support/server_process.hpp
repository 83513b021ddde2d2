#pragma once
// `novaflux serve` as a process of its own on a free port, and plain HTTP over a socket to it.
#include <sys/types.h>

#include <cstdint>
#include <cstddef>
#include <string>
#include <vector>

namespace novaflux::test_support {

class ServerProcess {
public:
  // Starts `novaflux serve --port 0 args...` in the source folder and waits until it listens.
  explicit ServerProcess(const std::vector<std::string>& args = {});
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  uint16_t port() const { return port_; }
  // Sends SIGTERM and waits: the exit status, or 128 + signal.
  int stop();

private:
  pid_t pid_ = -1;
  uint16_t port_ = 0;
};

// A client connection: bytes out, bytes in.
class Connection {
public:
  explicit Connection(uint16_t port);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  void send(const std::string& bytes);  // stops quietly when the server has closed
  void close_sending();
  // What arrives until the server closes or nothing comes for `timeout_ms`; with `at_least`,
  // returns as soon as that much has arrived.
  std::string receive(int timeout_ms, size_t at_least = SIZE_MAX);

private:
  int fd_ = -1;
};

// Connects to the server, sends `bytes` (then half-closes when `close_after`), and reads until
// the server closes or `timeout_ms` passes. Returns what the server sent.
std::string exchange(uint16_t port, const std::string& bytes, bool close_after = false, int timeout_ms = 5000);

// A request with "Host: localhost", "Connection: close" and a Content-Length for the body.
std::string http_request(const std::string& method, const std::string& target, const std::string& body = "",
                         const std::string& extra_headers = "");

// The status of an answer ("HTTP/1.1 200 OK..." gives 200; 0 when there is none) and its body
// (chunks joined).
int status_of(const std::string& answer);
std::string body_of(const std::string& answer);

}  // namespace novaflux::test_support
