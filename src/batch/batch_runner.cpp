#include "batch/batch_runner.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "batch/batch_columns.hpp"
#include "batch/batch_output.hpp"
#include "batch/batch_pipeline.hpp"
#include "batch/csv.hpp"
#include "batch/progress.hpp"

namespace novaflux {

namespace {

// The failures of the rows, collected from every worker; the first by line is kept, which is
// the same whatever the order in which the workers finish.
class FailureLog {
public:
  void add(uint64_t line, int number, const std::string& text) {
    std::lock_guard lock(mutex_);
    ++count_;
    if (first_line_ == 0 || line < first_line_) {
      first_line_ = line;
      first_number_ = number;
      first_text_ = text;
    }
  }
  void fill(BatchSummary& s) const {
    std::lock_guard lock(mutex_);
    s.failed_rows = count_;
    s.first_failed_line = first_line_;
    s.first_failure_number = first_number_;
    s.first_failure_text = first_text_;
  }

private:
  mutable std::mutex mutex_;
  uint64_t count_ = 0;
  uint64_t first_line_ = 0;
  int first_number_ = 0;
  std::string first_text_;
};

std::string where(const std::string& input_name, const CsvError& e) {
  return input_name + ", line " + std::to_string(e.line()) + ", column " + std::to_string(e.column()) +
         ": " + e.what();
}

// Rates one row on a new object from a fresh thread's state, and appends its line.
void rate_row(const InputColumns& columns, const BatchRow& row, bool model_run, std::string& out,
              FailureLog& failures) {
  KivClass k;
  const detail::CaseOutcome outcome =
      detail::rate_case(k, model_run, [&](KivClass& object) { columns.apply(row, object); });
  append_output_row(out, k, outcome);
  if (outcome.failure_number != 0) failures.add(row.line, outcome.failure_number, outcome.failure_text);
}

BatchSummary run(std::istream& in, const std::string& input_name, uint64_t input_bytes,
                 const std::function<void(std::string_view)>& write, const BatchOptions& o) {
  CsvReader reader(in);
  std::vector<std::string> fields;
  try {
    if (!reader.next(fields))
      throw std::runtime_error(input_name + " is empty: its first line must name the input properties");
  } catch (const CsvError& e) {
    throw std::runtime_error(where(input_name, e));
  }
  std::unique_ptr<InputColumns> columns;
  try {
    columns = std::make_unique<InputColumns>(fields, reader.record_line());
  } catch (const CsvError& e) {
    throw std::runtime_error(where(input_name, e));
  }

  write(output_header());

  FailureLog failures;
  std::atomic<uint64_t> bytes_read{0};
  uint64_t rows_written = 0;
  Progress progress(o.progress, input_bytes);
  const size_t chunk_rows = o.chunk_rows == 0 ? 1 : o.chunk_rows;
  unsigned threads = o.threads;
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());

  PipelineStages stages;
  stages.read_chunk = [&](std::vector<BatchRow>& rows) {
    try {
      while (rows.size() < chunk_rows) {
        if (!reader.next(fields)) {
          bytes_read = reader.bytes_consumed();
          return false;
        }
        rows.emplace_back();
        columns->convert(fields, reader.record_line(), rows.back());
      }
    } catch (const CsvError& e) {
      throw std::runtime_error(where(input_name, e));
    }
    bytes_read = reader.bytes_consumed();
    return true;
  };
  stages.process = [&](const std::vector<BatchRow>& rows) {
    std::string text;
    text.reserve(rows.size() * 1024);
    for (const auto& row : rows) rate_row(*columns, row, o.model_run, text, failures);
    return text;
  };
  stages.write = [&](const std::string& text, size_t rows) {
    write(text);
    rows_written += rows;
    progress.update(rows_written, bytes_read);
  };
  const PipelineStats stats = run_pipeline(stages, threads, 2 * static_cast<size_t>(threads) + 2);
  progress.finish(rows_written, bytes_read);

  BatchSummary summary;
  summary.rows = stats.rows;
  failures.fill(summary);
  return summary;
}

}  // namespace

BatchSummary run_batch(std::istream& input, const std::string& input_name, std::ostream& output,
                       const BatchOptions& options) {
  return run(input, input_name, 0,
             [&](std::string_view text) {
               output.write(text.data(), static_cast<std::streamsize>(text.size()));
               if (!output) throw std::runtime_error("cannot write the output");
             },
             options);
}

BatchSummary run_batch(std::istream& input, const std::string& input_name,
                       const std::function<void(std::string_view)>& write, const BatchOptions& options) {
  return run(input, input_name, 0, write, options);
}

void check_batch_input(std::istream& in, const std::string& input_name) {
  CsvReader reader(in);
  std::vector<std::string> fields;
  try {
    if (!reader.next(fields))
      throw std::runtime_error(input_name + " is empty: its first line must name the input properties");
    InputColumns columns(fields, reader.record_line());
    BatchRow row;
    while (reader.next(fields)) columns.convert(fields, reader.record_line(), row);
  } catch (const CsvError& e) {
    throw std::runtime_error(where(input_name, e));
  }
}

BatchSummary run_batch(const BatchOptions& o) {
  std::ifstream file;
  std::istream* in = &std::cin;
  uint64_t input_bytes = 0;
  const std::string input_name = o.input == "-" ? std::string("standard input") : o.input;
  if (o.input != "-") {
    file.open(o.input, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + o.input);
    struct stat st {};
    if (::stat(o.input.c_str(), &st) == 0 && S_ISREG(st.st_mode)) input_bytes = static_cast<uint64_t>(st.st_size);
    in = &file;
  }
  BatchOutput output(o.output);
  const BatchSummary summary =
      run(*in, input_name, input_bytes, [&](std::string_view text) { output.write(text); }, o);
  if (file.bad()) throw std::runtime_error("cannot read " + o.input);
  output.commit();
  return summary;
}

}  // namespace novaflux
