#include "server/http_session.hpp"

#include <string_view>

namespace novaflux::server::transport {

namespace {

// A streamed answer holds at most this much between its producer and the socket.
constexpr size_t kMaxQueuedBytes = 256 * 1024;

constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";

}  // namespace

void ServerContext::add(const std::shared_ptr<Session>& session) {
  std::lock_guard lock(mutex_);
  std::erase_if(sessions_, [](const auto& s) { return s.expired(); });
  sessions_.push_back(session);
}

void ServerContext::drain() {
  draining = true;
  std::lock_guard lock(mutex_);
  for (const auto& weak : sessions_)
    if (auto s = weak.lock()) s->close_if_idle();
}

Session::Session(tcp::socket&& socket, ServerContext& context)
    : stream_(std::move(socket)), context_(context), read_deadline_(stream_.get_executor()) {
  ++context_.connections;
}

Session::~Session() { --context_.connections; }

void Session::start() {
  beast::error_code ignored;
  stream_.socket().set_option(tcp::no_delay(true), ignored);
  net::dispatch(stream_.get_executor(), [self = shared_from_this()] {
    if (self->context_.connections > self->context_.options.max_connections)
      return self->respond(error_response(503, "the server has too many connections; try again"), false);
    self->read_header();
  });
}

void Session::close_if_idle() {
  net::post(stream_.get_executor(), [self = shared_from_this()] {
    if (self->waiting_for_request_ && self->buffer_.size() == 0 && !self->parser_->got_some()) self->close();
  });
}

void Session::read_header() {
  if (context_.draining) return close();
  waiting_for_request_ = true;
  parser_.emplace();
  parser_->header_limit(static_cast<std::uint32_t>(context_.options.header_limit));
  parser_->body_limit(kFileBodyLimit);
  // One deadline for the whole request, so that a client trickling bytes cannot hold a thread.
  stream_.expires_never();
  read_timed_out_ = false;
  read_deadline_.expires_after(context_.options.read_timeout);
  read_deadline_.async_wait([self = shared_from_this(), id = ++read_deadline_id_](beast::error_code ec) {
    if (ec || id != self->read_deadline_id_) return;  // cancelled: the request arrived, or the session ended
    self->read_timed_out_ = true;
    beast::error_code ignored;
    self->stream_.socket().cancel(ignored);
  });
  http::async_read_header(stream_, buffer_, *parser_,
                          [self = shared_from_this()](beast::error_code ec, size_t) { self->on_header(ec); });
}

void Session::on_header(beast::error_code ec) {
  waiting_for_request_ = false;
  if (ec) {
    stop_read_deadline();
    return on_read_failure(ec);
  }
  const auto& header = parser_->get();
  const auto method = header.method_string();
  const auto target = header.target();
  const size_t limit = body_limit(std::string_view(method.data(), method.size()), std::string_view(target.data(), target.size()));
  if (parser_->content_length() && *parser_->content_length() > limit) {
    stop_read_deadline();
    return respond(error_response(413, "the body is larger than this endpoint takes (" + std::to_string(limit) + " bytes)"),
                   false);
  }
  parser_->body_limit(limit);
  if (beast::iequals(header[http::field::expect], "100-continue")) {
    net::async_write(stream_, net::buffer(kContinue.data(), kContinue.size()),
                     [self = shared_from_this()](beast::error_code e, size_t) {
                       if (e) return self->close();
                       self->read_body();
                     });
    return;
  }
  read_body();
}

void Session::read_body() {
  http::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](beast::error_code ec, size_t) { self->on_body(ec); });
}

void Session::on_body(beast::error_code ec) {
  stop_read_deadline();
  if (ec) return on_read_failure(ec);
  answer();
}

void Session::on_read_failure(beast::error_code ec) {
  if (ec == http::error::header_limit)
    return respond(error_response(431, "the request line and headers exceed " +
                                           std::to_string(context_.options.header_limit) + " bytes"),
                   false);
  if (ec == http::error::body_limit) return respond(error_response(413, "the body is larger than this endpoint takes"), false);
  if (read_timed_out_) {
    if (parser_->got_some() || buffer_.size() > 0)
      return respond(error_response(408, "the request did not arrive in time"), false);
    return close();
  }
  // The client went away, or the server closed an idle connection.
  if (ec == http::error::end_of_stream || ec == net::error::eof || ec == net::error::operation_aborted ||
      ec == net::error::connection_reset || ec == http::error::partial_message || ec.category() == net::error::get_system_category())
    return close();
  respond(error_response(400, "malformed HTTP request: " + ec.message()), false);
}

void Session::answer() {
  auto& message = parser_->get();
  request_ = HttpRequest{};
  request_.method = std::string(message.method_string());
  request_.target = std::string(message.target());
  for (const auto& field : message) request_.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
  request_.body = std::move(message.body());
  const bool keep_alive = message.keep_alive() && !context_.draining;
  respond(handle_request(request_, context_.policy), keep_alive);
}

void Session::respond(HttpResponse r, bool keep_alive) {
  if (r.stream) return start_stream(std::move(r), keep_alive);
  response_.emplace(static_cast<http::status>(r.status), 11);
  response_->set(http::field::content_type, r.content_type);
  for (const auto& [name, value] : r.headers) response_->insert(name, value);
  response_->body() = std::move(r.body);
  response_->keep_alive(keep_alive);
  response_->prepare_payload();
  stream_.expires_after(context_.options.write_timeout);
  http::async_write(stream_, *response_, [self = shared_from_this(), keep_alive](beast::error_code ec, size_t) {
    self->on_written(keep_alive, ec);
  });
}

void Session::on_written(bool keep_alive, beast::error_code ec) {
  response_.reset();
  request_ = HttpRequest{};  // a large upload is not held while the connection waits
  if (ec || !keep_alive) return close();
  read_header();
}

void Session::start_stream(HttpResponse r, bool keep_alive) {
  stream_keep_alive_ = keep_alive;
  stream_header_.emplace(static_cast<http::status>(r.status), 11);
  stream_header_->set(http::field::content_type, r.content_type);
  for (const auto& [name, value] : r.headers) stream_header_->insert(name, value);
  stream_header_->keep_alive(keep_alive);
  stream_header_->chunked(true);
  stream_serializer_.emplace(*stream_header_);
  queue_ = std::make_shared<StreamQueue>();
  stream_.expires_after(context_.options.write_timeout);
  http::async_write_header(stream_, *stream_serializer_, [self = shared_from_this(), produce = std::move(r.stream)](
                                                             beast::error_code ec, size_t) mutable {
    if (ec) return self->close();
    auto queue = self->queue_;
    auto executor = self->stream_.get_executor();
    // The producer rates on a pool thread; the work guard keeps the transport running until
    // its last part is written.
    net::post(*self->context_.stream_pool, [self, queue, executor, produce = std::move(produce),
                                            work = net::make_work_guard(executor)]() mutable {
      const BodyWriter write = [&](std::string_view part) {
        if (part.empty()) return;
        {
          std::unique_lock lock(queue->mutex);
          queue->space.wait(lock, [&] { return queue->queued_bytes < kMaxQueuedBytes || queue->aborted; });
          if (queue->aborted) throw std::runtime_error("the client has gone");
          queue->parts.emplace_back(part);
          queue->queued_bytes += part.size();
        }
        net::post(executor, [self] { self->pump(); });
      };
      bool failed = false;
      try {
        produce(write);
      } catch (...) {
        failed = true;
      }
      {
        std::lock_guard lock(queue->mutex);
        queue->finished = true;
        queue->failed = failed;
      }
      net::post(executor, [self] { self->pump(); });
    });
  });
}

void Session::pump() {
  if (writing_ || !queue_) return;
  bool finished = false, failed = false;
  {
    std::lock_guard lock(queue_->mutex);
    if (!queue_->parts.empty()) {
      writing_part_ = std::move(queue_->parts.front());
      queue_->parts.pop_front();
    } else {
      finished = queue_->finished;
      failed = queue_->failed;
      if (!finished) return;  // the producer will post again
    }
  }
  writing_ = true;
  stream_.expires_after(context_.options.write_timeout);
  if (!finished) {
    net::async_write(stream_, http::make_chunk(net::buffer(writing_part_)), [self = shared_from_this()](beast::error_code ec, size_t) {
      self->writing_ = false;
      {
        std::lock_guard lock(self->queue_->mutex);
        self->queue_->queued_bytes -= self->writing_part_.size();
        if (ec) self->queue_->aborted = true;
      }
      self->queue_->space.notify_all();
      if (ec) return self->close();
      self->pump();
    });
    return;
  }
  // A producer that failed leaves the answer without its last chunk: the client sees it cut off.
  if (failed) return close();
  net::async_write(stream_, http::make_chunk_last(), [self = shared_from_this()](beast::error_code ec, size_t) {
    self->writing_ = false;
    self->queue_.reset();
    self->stream_serializer_.reset();
    self->stream_header_.reset();
    self->on_written(self->stream_keep_alive_, ec);
  });
}

void Session::stop_read_deadline() {
  ++read_deadline_id_;
  read_deadline_.cancel();
}

void Session::close() {
  if (queue_) {
    {
      std::lock_guard lock(queue_->mutex);
      queue_->aborted = true;
    }
    queue_->space.notify_all();
  }
  stop_read_deadline();
  beast::error_code ignored;
  stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
  stream_.socket().close(ignored);
}

}  // namespace novaflux::server::transport
