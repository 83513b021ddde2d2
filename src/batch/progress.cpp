#include "batch/progress.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace novaflux {

namespace {

std::string duration_text(double seconds) {
  const auto total = static_cast<long long>(std::llround(std::max(0.0, seconds)));
  char buf[32];
  if (total >= 3600)
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
  else
    std::snprintf(buf, sizeof buf, "%lld:%02lld", total / 60, total % 60);
  return buf;
}

}  // namespace

std::string progress_line(uint64_t rows, double seconds, std::optional<double> fraction_done) {
  std::string line = std::to_string(rows) + " rows";
  if (seconds > 0.0) line += "  " + std::to_string(std::llround(rows / seconds)) + " rows/s";
  if (fraction_done) {
    const double f = std::clamp(*fraction_done, 0.0, 1.0);
    line += "  " + std::to_string(static_cast<int>(f * 100.0)) + "%";
    // The rate so far, applied to what is left.
    if (f > 0.0 && seconds > 0.0) line += "  " + duration_text(seconds * (1.0 - f) / f) + " left";
  }
  return line;
}

Progress::Progress(bool enabled, uint64_t input_bytes)
    : enabled_(enabled),
      input_bytes_(input_bytes),
      start_(std::chrono::steady_clock::now()),
      last_draw_(start_) {}

std::optional<double> Progress::fraction(uint64_t bytes_read) const {
  if (input_bytes_ == 0) return std::nullopt;
  return static_cast<double>(bytes_read) / static_cast<double>(input_bytes_);
}

void Progress::draw(uint64_t rows, uint64_t bytes_read) {
  const auto now = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(now - start_).count();
  // Carriage return and erase-to-end-of-line redraw the same line.
  std::fprintf(stderr, "\r%s\033[K", progress_line(rows, seconds, fraction(bytes_read)).c_str());
  std::fflush(stderr);
  drawn_ = true;
  last_draw_ = now;
}

void Progress::update(uint64_t rows, uint64_t bytes_read) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - last_draw_ < std::chrono::milliseconds(250)) return;
  draw(rows, bytes_read);
}

void Progress::finish(uint64_t rows, uint64_t bytes_read) {
  if (!enabled_ || !drawn_) return;
  draw(rows, bytes_read);
  std::fputc('\n', stderr);
}

}  // namespace novaflux
