#pragma once
// Rows in, text out, in input order, on several threads with bounded memory.
//
//   reader thread   reads chunks of rows                       (read_chunk)
//   worker threads  turn each chunk into its output text       (process, one chunk at a time)
//   calling thread  writes the texts in the order of the input (write)
//
// At most `max_chunks_in_flight` chunks are between reading and writing at any time, so the
// memory held does not grow with the input. The first exception of any stage stops all of them
// and is rethrown by run(), after every thread has ended.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "batch/batch_columns.hpp"

namespace novaflux {

struct PipelineStages {
  // Fills `rows` (empty on entry) with the next rows; false when the input has ended (the rows
  // filled by that call, if any, still count).
  std::function<bool(std::vector<BatchRow>& rows)> read_chunk;
  // Runs on a worker thread; each worker thread calls it for one chunk at a time.
  std::function<std::string(const std::vector<BatchRow>& rows)> process;
  // Runs on the calling thread, for chunk after chunk in input order.
  std::function<void(const std::string& text, size_t rows)> write;
};

struct PipelineStats {
  uint64_t rows = 0;
  uint64_t chunks = 0;
  size_t most_chunks_in_flight = 0;  // never more than the limit given to run()
};

PipelineStats run_pipeline(const PipelineStages& stages, unsigned worker_threads,
                           size_t max_chunks_in_flight);

}  // namespace novaflux
