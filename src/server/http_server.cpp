#include "server/http_server.hpp"

#include <algorithm>
#include <csignal>
#include <stdexcept>
#include <thread>
#include <vector>

#include "server/http_session.hpp"

namespace novaflux::server {

using namespace transport;

namespace {

net::ip::address parse_address(const std::string& text) {
  beast::error_code ec;
  const auto address = net::ip::make_address(text == "localhost" ? std::string("127.0.0.1") : text, ec);
  if (ec) throw std::runtime_error("\"" + text + "\" is not an IP address to listen on");
  return address;
}

std::string url_of(const tcp::endpoint& endpoint) {
  const auto a = endpoint.address();
  const std::string host = a.is_v6() ? "[" + a.to_string() + "]" : a.to_string();
  return "http://" + host + ":" + std::to_string(endpoint.port()) + "/";
}

// Accepts connections until the acceptor closes; each gets a strand of its own.
class Listener : public std::enable_shared_from_this<Listener> {
public:
  Listener(net::io_context& ioc, tcp::acceptor& acceptor, ServerContext& context)
      : ioc_(ioc), acceptor_(acceptor), context_(context), retry_(ioc) {}

  void accept() {
    acceptor_.async_accept(net::make_strand(ioc_), [self = shared_from_this()](beast::error_code ec, tcp::socket socket) {
      if (ec == net::error::operation_aborted || !self->acceptor_.is_open()) return;
      if (ec) {
        // Out of file descriptors or memory: wait a little rather than spin.
        self->retry_.expires_after(std::chrono::milliseconds(50));
        self->retry_.async_wait([self](beast::error_code) { self->accept(); });
        return;
      }
      auto session = std::make_shared<Session>(std::move(socket), self->context_);
      self->context_.add(session);
      session->start();
      self->accept();
    });
  }

private:
  net::io_context& ioc_;
  tcp::acceptor& acceptor_;
  ServerContext& context_;
  net::steady_timer retry_;
};

}  // namespace

bool is_loopback_address(const std::string& address) {
  try {
    return parse_address(address).is_loopback();
  } catch (const std::runtime_error&) {
    return false;
  }
}

void serve(const ServerOptions& options) {
  const net::ip::address address = parse_address(options.address);
  if (!address.is_loopback() && options.token.empty())
    throw std::runtime_error("listening on " + options.address +
                             " exposes the API beyond this machine: give --token TOKEN (clients then send "
                             "\"Authorization: Bearer TOKEN\"), or listen on 127.0.0.1");
  // A client that goes away while it is answered must not end the server.
  std::signal(SIGPIPE, SIG_IGN);
  const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  const unsigned threads = options.threads ? options.threads : std::max(4u, 2 * processors);

  ServerContext context;
  context.options = options;
  context.policy.loopback_only = address.is_loopback();
  context.policy.token = options.token;
  context.policy.batch_threads = processors;
  net::thread_pool stream_pool(std::max(2u, processors));
  context.stream_pool = &stream_pool;

  net::io_context ioc(static_cast<int>(threads));
  tcp::acceptor acceptor(ioc);
  const tcp::endpoint endpoint(address, options.port);
  beast::error_code ec;
  acceptor.open(endpoint.protocol(), ec);
  if (!ec) acceptor.set_option(net::socket_base::reuse_address(true), ec);
  if (!ec) acceptor.bind(endpoint, ec);
  if (!ec) acceptor.listen(net::socket_base::max_listen_connections, ec);
  if (ec) throw std::runtime_error("cannot listen on " + url_of(endpoint) + ": " + ec.message());

  // SIGINT / SIGTERM: stop accepting; the sessions finish what they are doing and end, and
  // with them the transport's work.
  net::signal_set signals(ioc, SIGINT, SIGTERM);
  signals.async_wait([&](beast::error_code e, int) {
    if (e) return;
    beast::error_code ignored;
    acceptor.close(ignored);
    context.drain();
  });

  std::make_shared<Listener>(ioc, acceptor, context)->accept();
  if (options.on_listening) options.on_listening(url_of(acceptor.local_endpoint()));

  std::vector<std::thread> pool;
  for (unsigned i = 1; i < threads; ++i) pool.emplace_back([&ioc] { ioc.run(); });
  ioc.run();
  for (auto& t : pool) t.join();
  stream_pool.join();
}

}  // namespace novaflux::server
