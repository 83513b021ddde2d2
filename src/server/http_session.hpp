#pragma once
// One client connection of the server: requests read with limits and deadlines, answered by the
// router, written back; keep-alive; streamed answers produced off the transport's threads.
#include <atomic>
// Asio 1.74's coroutine header uses std::exchange without including <utility> (C++20 mode).
#include <utility>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "server/api_router.hpp"
#include "server/http_message.hpp"
#include "server/http_server.hpp"

namespace novaflux::server::transport {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;

class Session;

// What every session of one server shares.
struct ServerContext {
  ServerOptions options;
  AccessPolicy policy;
  net::thread_pool* stream_pool = nullptr;  // runs the producers of streamed answers
  std::atomic<bool> draining{false};
  std::atomic<size_t> connections{0};

  void add(const std::shared_ptr<Session>& session);
  // Stops every session that waits for a request; the others end after their answer.
  void drain();

private:
  std::mutex mutex_;
  std::vector<std::weak_ptr<Session>> sessions_;
};

// The parts of a streamed answer between its producer (a pool thread) and the session.
struct StreamQueue {
  std::mutex mutex;
  std::condition_variable space;
  std::deque<std::string> parts;
  size_t queued_bytes = 0;
  bool aborted = false;   // the client has gone: the producer's next write throws
  bool finished = false;  // the producer returned
  bool failed = false;    // the producer threw: the answer is cut off
};

class Session : public std::enable_shared_from_this<Session> {
public:
  Session(tcp::socket&& socket, ServerContext& context);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void start();
  // Closes the connection when it waits for a request of which nothing has arrived.
  void close_if_idle();

private:
  void read_header();
  void on_header(beast::error_code ec);
  void read_body();
  void on_body(beast::error_code ec);
  void on_read_failure(beast::error_code ec);
  void answer();
  void respond(HttpResponse response, bool keep_alive);
  void on_written(bool keep_alive, beast::error_code ec);
  void start_stream(HttpResponse response, bool keep_alive);
  void pump();
  void stop_read_deadline();
  void close();

  beast::tcp_stream stream_;
  ServerContext& context_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  bool waiting_for_request_ = false;
  // The deadline of a whole request. Its own timer rather than the stream's, whose expiry
  // closes the socket: a client that is too slow still gets its 408.
  net::steady_timer read_deadline_;
  // Which deadline is current: a wait that had already expired when it was cancelled still runs
  // its handler, which must then leave the answer or the next request alone.
  unsigned read_deadline_id_ = 0;
  bool read_timed_out_ = false;
  HttpRequest request_;
  std::optional<http::response<http::string_body>> response_;
  // Streamed answers: the header, the part being written, the queue shared with the producer.
  std::optional<http::response<http::empty_body>> stream_header_;
  std::optional<http::response_serializer<http::empty_body>> stream_serializer_;
  std::string writing_part_;
  bool writing_ = false;
  bool stream_keep_alive_ = false;
  std::shared_ptr<StreamQueue> queue_;
};

}  // namespace novaflux::server::transport
