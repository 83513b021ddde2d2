#pragma once
// A one-line progress report for long batches, redrawn in place on a terminal.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace novaflux {

// "8760 rows  1523 rows/s  41%  0:05 left". The fraction done (of the input's bytes) is
// unknown when reading a pipe; the share and the time left are then left out.
std::string progress_line(uint64_t rows, double seconds, std::optional<double> fraction_done);

class Progress {
public:
  // Draws on standard error only when `enabled` (the tool enables it when standard error is a
  // terminal). `input_bytes` is the size of the input file, 0 when unknown.
  Progress(bool enabled, uint64_t input_bytes);
  // Redraws at most a few times a second.
  void update(uint64_t rows, uint64_t bytes_read);
  // Draws the final figures and ends the line (when anything was drawn).
  void finish(uint64_t rows, uint64_t bytes_read);

private:
  std::optional<double> fraction(uint64_t bytes_read) const;
  void draw(uint64_t rows, uint64_t bytes_read);

  bool enabled_;
  uint64_t input_bytes_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_draw_;
};

}  // namespace novaflux
