#pragma once
// `novaflux batch`: one rating per row of a CSV file, written as a CSV file in input order.
//
// Each row is rated on a new KivClass, and the worker's per-thread module state is reset before
// it (reset_between_cases), so every row is rated as on a fresh thread: its result does not
// depend on the rows before it nor on the number of threads. The catalogue connection is kept
// per worker thread and reloaded only when the file changes.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace novaflux {

struct BatchOptions {
  std::string input;           // CSV file, or "-" for standard input
  std::string output;          // CSV file, or "-" for standard output
  unsigned threads = 0;        // worker threads; 0: one per processor
  bool model_run = false;      // CalculateOutputModel instead of CalculateOutput
  size_t chunk_rows = 256;     // rows handed to a worker at a time
  bool progress = false;       // draw a progress line on standard error
};

struct BatchSummary {
  uint64_t rows = 0;
  uint64_t failed_rows = 0;      // rows whose run ended with a failure
  uint64_t first_failed_line = 0;
  int first_failure_number = 0;
  std::string first_failure_text;
};

// Rates the batch. Bad input (an unknown, repeated or output-only column, a cell that is not a
// value of its property, a ragged row, broken quoting) throws std::runtime_error naming the
// file, the line and the column; the output file is then not created (nor an older one
// touched). A row whose run fails is written with its failure and the batch goes on.
BatchSummary run_batch(const BatchOptions& options);

// The same from streams (no temporary file; for tests and pipes). `input_name` names the input
// in messages.
BatchSummary run_batch(std::istream& input, const std::string& input_name, std::ostream& output,
                       const BatchOptions& options);

// The same, handing the output to `write` a few kilobytes at a time as rows are rated (in input
// order). An exception of `write` stops the batch and is rethrown.
BatchSummary run_batch(std::istream& input, const std::string& input_name,
                       const std::function<void(std::string_view)>& write, const BatchOptions& options);

// Reads and converts every row without rating it: throws std::runtime_error, as run_batch
// would, on the first defect of the input. For callers that must answer before any output.
void check_batch_input(std::istream& input, const std::string& input_name);

}  // namespace novaflux
