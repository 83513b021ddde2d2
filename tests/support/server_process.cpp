#include "support/server_process.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace novaflux::test_support {

ServerProcess::ServerProcess(const std::vector<std::string>& args) {
  int out[2];
  if (::pipe(out) != 0) throw std::runtime_error("pipe");
  std::vector<std::string> all{NOVAFLUX_BINARY_DIR "/bin/novaflux", "serve", "--port", "0"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    if (::chdir(NOVAFLUX_SOURCE_DIR) != 0) ::_exit(126);
    ::dup2(out[1], 1);
    ::close(out[0]);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  // "novaflux serve: listening on http://127.0.0.1:PORT/ ..."
  std::string line;
  char c = 0;
  while (line.find('\n') == std::string::npos && ::read(out[0], &c, 1) == 1) line.push_back(c);
  ::close(out[0]);
  const auto colon = line.find(':', line.find("127.0.0.1"));
  if (colon == std::string::npos) throw std::runtime_error("the server did not start: " + line);
  port_ = static_cast<uint16_t>(std::stoi(line.substr(colon + 1)));
}

ServerProcess::~ServerProcess() {
  if (pid_ > 0) stop();
}

int ServerProcess::stop() {
  if (pid_ <= 0) return -1;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

Connection::Connection(uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    throw std::runtime_error("cannot connect to the server");
}

Connection::~Connection() { ::close(fd_); }

void Connection::send(const std::string& bytes) {
  for (size_t sent = 0; sent < bytes.size();) {
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;  // the server may answer and close before the whole request is sent
    sent += static_cast<size_t>(n);
  }
}

void Connection::close_sending() { ::shutdown(fd_, SHUT_WR); }

std::string Connection::receive(int timeout_ms, size_t at_least) {
  std::string answer;
  char buffer[65536];
  for (pollfd p{fd_, POLLIN, 0}; answer.size() < at_least && ::poll(&p, 1, timeout_ms) > 0;) {
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    answer.append(buffer, static_cast<size_t>(n));
  }
  return answer;
}

std::string exchange(uint16_t port, const std::string& bytes, bool close_after, int timeout_ms) {
  Connection c(port);
  c.send(bytes);
  if (close_after) c.close_sending();
  return c.receive(timeout_ms);
}

std::string http_request(const std::string& method, const std::string& target, const std::string& body,
                         const std::string& extra_headers) {
  return method + " " + target + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n" + extra_headers +
         "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

int status_of(const std::string& answer) {
  if (answer.rfind("HTTP/1.1 ", 0) != 0 || answer.size() < 12) return 0;
  return std::stoi(answer.substr(9, 3));
}

std::string body_of(const std::string& answer) {
  const auto start = answer.find("\r\n\r\n");
  if (start == std::string::npos) return "";
  std::string body = answer.substr(start + 4);
  if (answer.substr(0, start).find("chunked") == std::string::npos) return body;
  std::string joined;
  for (size_t pos = 0; pos < body.size();) {
    const size_t line_end = body.find("\r\n", pos);
    if (line_end == std::string::npos) break;
    const size_t size = std::stoul(body.substr(pos, line_end - pos), nullptr, 16);
    if (size == 0) break;
    joined += body.substr(line_end + 2, size);
    pos = line_end + 2 + size + 2;
  }
  return joined;
}

}  // namespace novaflux::test_support
