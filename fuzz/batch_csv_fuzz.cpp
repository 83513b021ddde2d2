// Fuzz target: the input file of `novaflux batch`, taken the way the batch takes it. The text
// is read as CSV; the first record is the header naming input properties, every later record
// is converted, written into a new object and rated; each rating becomes an output row.
//
// What counts as a finding, beyond a crash, a hang or a sanitizer report:
//   - a successful rating that publishes a NaN or an infinity in a numeric property;
//   - an output that does not read back as CSV with one field per header column.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_columns.hpp"
#include "common/run_error.hpp"
#include "component/interface_table.hpp"
#include "batch/csv.hpp"
#include "findings.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux::fuzz {
const char* const kTargetName = "batch_csv_fuzz";
}  // namespace novaflux::fuzz

namespace {

using novaflux::KivClass;
namespace detail = novaflux::detail;

// Ratings per input: enough for a few rows to interact, few enough to keep inputs quick.
constexpr int kMaxRows = 8;

using novaflux::fuzz::check_outputs_finite;
using novaflux::fuzz::finding;

// The output must read back as CSV: the header, then one record per rating, all as wide.
void check_output_reads_back(const std::string& output, size_t ratings) {
  std::istringstream in(output);
  novaflux::CsvReader reader(in);
  std::vector<std::string> fields;
  size_t records = 0, width = 0;
  try {
    while (reader.next(fields)) {
      if (records == 0) width = fields.size();
      else if (fields.size() != width)
        finding("output record " + std::to_string(records) + " has " + std::to_string(fields.size()) +
                " fields, the header " + std::to_string(width));
      ++records;
    }
  } catch (const novaflux::CsvError& e) {
    finding(std::string("output does not read back as CSV: ") + e.what());
  }
  if (records != ratings + 1) finding("output has " + std::to_string(records) + " records for " +
                                      std::to_string(ratings) + " ratings");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  novaflux::CsvReader reader(in);
  std::vector<std::string> fields;
  std::string output = novaflux::output_header();
  size_t ratings = 0;
  try {
    if (!reader.next(fields)) return 0;
    novaflux::InputColumns columns(fields, reader.record_line());
    novaflux::BatchRow row;
    for (int n = 0; n < kMaxRows && reader.next(fields); ++n) {
      columns.convert(fields, reader.record_line(), row);
      KivClass k;
      columns.apply(row, k);
      int failure_number = 0;
      std::string failure_text;
      try {
        k.CalculateOutput();
      } catch (const novaflux::RunError& e) {
        failure_number = e.code();
        failure_text = e.what();
        if (failure_text.empty()) finding("run error " + std::to_string(failure_number) + " without a description");
      }
      if (failure_number == 0) check_outputs_finite(k);
      novaflux::append_output_row(output, k, failure_number, failure_text);
      ++ratings;
    }
  } catch (const novaflux::CsvError& e) {
    // The batch reports the line, the column and the defect; what it rated so far stands.
    if (e.line() == 0 || e.column() == 0) finding(std::string("CSV error without a place: ") + e.what());
  }
  check_output_reads_back(output, ratings);
  return 0;
}
