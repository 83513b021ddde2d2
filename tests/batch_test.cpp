// Batch rating: CSV reading and writing, the columns of the interface table, the ordered
// pipeline, the output file that appears only when complete, and whole batches in process.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>

#include "batch/batch_columns.hpp"
#include "batch/batch_output.hpp"
#include "batch/batch_pipeline.hpp"
#include "batch/batch_runner.hpp"
#include "catalogue/catalogue.hpp"
#include "common/module_state.hpp"
#include "common/run_error.hpp"
#include "batch/csv.hpp"
#include "batch/progress.hpp"
#include "support/files.hpp"
#include "support/run_fixture.hpp"
#include "support/test_data.hpp"

namespace novaflux {
namespace {

namespace fs = std::filesystem;
using Records = std::vector<std::vector<std::string>>;

Records read_all(const std::string& text, std::vector<uint64_t>* lines = nullptr) {
  std::istringstream in(text);
  CsvReader reader(in);
  Records records;
  std::vector<std::string> fields;
  while (reader.next(fields)) {
    records.push_back(fields);
    if (lines) lines->push_back(reader.record_line());
  }
  return records;
}

using json = nlohmann::ordered_json;
json cases(const char* group) { return test_support::load_json("batch_cases.json").at(group); }

// ---- CSV, columns, progress: tests/data/batch_cases.json

TEST(Csv, ReadsRecordsAsRfc4180AndNamesLineAndColumnOfBrokenQuoting) {
  for (const auto& c : cases("csv_records")) {
    std::vector<uint64_t> lines;
    EXPECT_EQ(read_all(c["text"], &lines), c["records"].get<Records>()) << c["name"];
    EXPECT_EQ(lines, c["lines"].get<std::vector<uint64_t>>()) << c["name"];
  }
  for (const auto& c : cases("csv_errors")) {
    try {
      read_all(c["text"]);
      ADD_FAILURE() << "no error for " << c["text"];
    } catch (const CsvError& e) {
      EXPECT_EQ(e.line(), c["line"].get<uint64_t>()) << c["text"];
      EXPECT_EQ(e.column(), c["column"].get<size_t>()) << c["text"];
      EXPECT_NE(std::string(e.what()).find(c["message"].get<std::string>()), std::string::npos) << e.what();
    }
  }
  // The writer quotes only what needs it, and what it writes reads back.
  for (const auto& c : cases("csv_fields")) {
    std::string out;
    append_csv_field(out, c[0].get<std::string>());
    EXPECT_EQ(out, c[1].get<std::string>());
    EXPECT_EQ(read_all(out + ",end\n").at(0).at(0), c[0].get<std::string>());
  }
}

TEST(InputColumns, HeadersCellsAndTheirErrors) {
  for (const auto& c : cases("header_errors")) {
    try {
      InputColumns columns(c["header"].get<std::vector<std::string>>(), 1);
      EXPECT_EQ(c["message"], "") << "accepted " << c["header"];
    } catch (const CsvError& e) {
      EXPECT_NE(c["message"], "");
      EXPECT_NE(std::string(e.what()).find(c["message"].get<std::string>()), std::string::npos) << e.what();
      EXPECT_EQ(e.column(), c["column"].get<size_t>()) << e.what();
    }
  }
  for (const auto& c : cases("cell_values")) {
    InputColumns columns({c[0].get<std::string>()}, 1);
    BatchRow row;
    columns.convert({c[1].get<std::string>()}, 7, row);
    EXPECT_EQ(row.line, 7u);
    EXPECT_EQ(row.values.at(0), c[2].is_null() ? std::optional<double>() : c[2].get<double>()) << c;
  }
  for (const auto& c : cases("cell_errors")) {
    InputColumns columns(c["header"].get<std::vector<std::string>>(), 1);
    BatchRow row;
    try {
      columns.convert(c["fields"].get<std::vector<std::string>>(), 12, row);
      ADD_FAILURE() << "no error for " << c["message"];
    } catch (const CsvError& e) {
      EXPECT_EQ(e.line(), 12u);
      EXPECT_EQ(e.column(), c["column"].get<size_t>()) << e.what();
      EXPECT_NE(std::string(e.what()).find(c["message"].get<std::string>()), std::string::npos) << e.what();
    }
  }
}

TEST(Progress, LineShowsRowsRateAndTimeLeft) {
  for (const auto& c : cases("progress"))
    EXPECT_EQ(progress_line(c[0], c[1], c[2].is_null() ? std::optional<double>() : c[2].get<double>()), c[3].get<std::string>());
}

TEST(OutputColumns, EachTypeAsItsShortestTextEveryPropertyInInterfaceOrderThenTheFailure) {
  KivClass k;
  k.put_KivunitSI(true);
  k.KivinputOAS_DBT = 23.86;
  k.KivinputSupplyAir = 1e20;
  k.KivoutLeakageEatr = 0.71f;
  k.KivOutErrorCode = 5;
  k.KivinputModel = Modelall::TXL_1400_Q_480_Condensation;
  k.KivOutNOVAFLUXModel = "TXL-1400, \"Q\"";
  k.KivOutErrorMsg = 12.5;
  for (const auto& c : cases("output_cells"))
    EXPECT_EQ(cell_text(k, *detail::find_property(c[0].get<std::string>())), c[1].get<std::string>()) << c[0];
  std::string line;
  append_output_row(line, k, 11, "Division by zero, here");
  const Records records = read_all(output_header() + line);
  const auto props = detail::properties();
  ASSERT_EQ(records.size(), 2u);
  ASSERT_EQ(records[1].size(), props.size() + 3);
  for (size_t i = 0; i < props.size(); ++i) {
    EXPECT_EQ(records[0][i], props[i].name);
    EXPECT_EQ(records[1][i], cell_text(k, props[i])) << props[i].name;
  }
  EXPECT_EQ(records[0][props.size()], "failure_number");
  EXPECT_EQ(records[1][props.size()], "11");
  EXPECT_EQ(records[1][props.size() + 1], "Division by zero, here");
  EXPECT_EQ(records[0][props.size() + 2], "frost_risk");
  EXPECT_EQ(records[1][props.size() + 2], "");
}

// ---------------------------------------------------------------------------------------------
// Pipeline

// Chunks of `chunk` rows numbered from 1 to `total`; the output is one line per row. The stage
// named by `fail` throws once: reading line 51, processing line 501 or writing past 100 bytes.
PipelineStages counting_stages(uint64_t total, size_t chunk, std::string& written, const std::string& fail = "") {
  auto next = std::make_shared<uint64_t>(1);
  PipelineStages s;
  s.read_chunk = [=](std::vector<BatchRow>& rows) {
    if (fail == "read" && *next == 51) throw std::runtime_error("bad cell");
    rows.assign(static_cast<size_t>(std::min<uint64_t>(chunk, total + 1 - *next)), BatchRow{});
    for (auto& r : rows) r.line = (*next)++;
    return *next <= total;
  };
  s.process = [fail](const std::vector<BatchRow>& rows) {
    if (fail == "process" && rows.front().line == 501) throw std::runtime_error("worker failed");
    std::string text;
    for (const auto& r : rows) text += std::to_string(r.line) + "\n";
    return text;
  };
  s.write = [&written, fail](const std::string& text, size_t) {
    if (fail == "write" && written.size() > 100) throw std::runtime_error("disk full");
    written += text;
  };
  return s;
}

std::string expected_lines(uint64_t total) {
  std::string text;
  for (uint64_t i = 1; i <= total; ++i) text += std::to_string(i) + "\n";
  return text;
}

TEST(Pipeline, WritesInInputOrderWithBoundedChunksInFlight) {
  for (unsigned threads : {1u, 2u, 4u}) {
    for (size_t chunk : {1u, 7u, 256u}) {
      std::string written;
      const uint64_t total = 2000;
      const size_t limit = 2 * threads + 2;
      const PipelineStats stats = run_pipeline(counting_stages(total, chunk, written), threads, limit);
      EXPECT_EQ(written, expected_lines(total)) << threads << " threads, chunks of " << chunk;
      EXPECT_EQ(stats.rows, total);
      EXPECT_EQ(stats.chunks, (total + chunk - 1) / chunk);
      EXPECT_LE(stats.most_chunks_in_flight, limit);
    }
  }
}

TEST(Pipeline, TheFirstFailureOfAnyStageEndsTheRun) {
  for (const char* stage : {"read", "process", "write"}) {
    std::string written;
    EXPECT_THROW(run_pipeline(counting_stages(100000, 10, written, stage), 2, 6), std::runtime_error) << stage;
    // What was written is a prefix of the complete output, and far from all of it.
    EXPECT_EQ(expected_lines(100000).compare(0, written.size(), written), 0) << stage;
    EXPECT_LT(written.size(), 10000u) << stage;
  }
}

// ---------------------------------------------------------------------------------------------
// Output file

TEST(BatchOutput, AppearsUnderItsNameOnlyWhenCommitted) {
  TempDir dir;
  const fs::path target = dir.path / "out.csv";
  {
    BatchOutput out(target.string());
    out.write("a,b\n");
    // Until the commit only a hidden temporary file beside the target exists.
    EXPECT_FALSE(fs::exists(target));
    ASSERT_EQ(dir.names().size(), 1u);
    EXPECT_EQ(dir.names()[0].rfind(".out.csv.partial-", 0), 0u) << dir.names()[0];
    out.write("1,2\n");
    out.commit();
  }
  EXPECT_EQ(read_bytes(target.string()), "a,b\n1,2\n");
  EXPECT_EQ(dir.names(), std::vector<std::string>{"out.csv"});

  // An output abandoned before its commit leaves the earlier file as it was.
  {
    BatchOutput out(target.string());
    out.write("half of a new file");
  }
  EXPECT_EQ(read_bytes(target.string()), "a,b\n1,2\n");
  EXPECT_EQ(dir.names(), std::vector<std::string>{"out.csv"});
}

// ---------------------------------------------------------------------------------------------
// Whole batches

const char* const kHeader =
    "KivunitSI,KivinputSupplyAir,KivinputReturnAir,KivinputAltitude,KivinputLeakagePressureDifference,"
    "KivinputOAUnitDBTRH,KivinputRAUnitDBTRH,KivinputOAS_DBT,KivinputOAS_RH,KivinputOAW_DBT,"
    "KivinputOAW_RH,KivinputRaS_DBT,KivinputRaS_RH,KivinputRaW_DBT,KivinputRaW_RH\n";

std::string design_row(double supply, double ret, double altitude = 200) {
  std::ostringstream row;
  row << "true," << supply << "," << ret << "," << altitude << ",200,true,true,35,40,-10,80,24,50,21,40\n";
  return row.str();
}

// A batch whose rows leave different state behind: normal ratings, rows with negative
// airflows (refused before anything is written), a failing altitude and an IP-sized small
// flow.
std::string mixed_batch() {
  std::string text = kHeader;
  const double flows[][3] = {{10000, 9000, 200}, {-28, -26, 200},   {6000, 8000, 200},
                             {-460, -162, 200},  {9000, 9000, 40000}, {100, 90, 200},
                             {30000, 21000, 200}, {-395, -296, 200}};
  for (int repeat = 0; repeat < 3; ++repeat)
    for (const auto& f : flows) text += design_row(f[0], f[1], f[2]);
  return text;
}

std::string batch(const std::string& input, unsigned threads, size_t chunk_rows,
                  BatchSummary* summary = nullptr) {
  std::istringstream in(input);
  std::ostringstream out;
  BatchOptions o;
  o.threads = threads;
  o.chunk_rows = chunk_rows;
  const BatchSummary s = run_batch(in, "input.csv", out, o);
  if (summary) *summary = s;
  return out.str();
}

TEST(Batch, OutputIsTheSameWhateverTheThreadsAndChunks) {
  const std::string input = mixed_batch();
  BatchSummary summary;
  const std::string one = batch(input, 1, 256, &summary);
  EXPECT_EQ(read_all(one).size(), 25u);
  EXPECT_EQ(summary.rows, 24u);
  EXPECT_EQ(summary.failed_rows, 12u);  // three negative-airflow rows and the 40 000 m, three times
  EXPECT_EQ(summary.first_failed_line, 3u);
  EXPECT_EQ(summary.first_failure_number, 3200);  // a negative airflow
  for (unsigned threads : {1u, 2u, 3u})
    for (size_t chunk : {1u, 3u})
      EXPECT_EQ(batch(input, threads, chunk), one) << threads << " threads, chunks of " << chunk;
}

TEST(Batch, EachRowIsRatedAsOnAFreshThread) {
  // The batch (several rows per worker thread) against each row rated alone on a thread of its
  // own, without the batch's machinery.
  const std::string input = mixed_batch();
  const Records all = read_all(batch(input, 1, 8));
  const Records records = read_all(input);
  ASSERT_EQ(all.size(), records.size());
  InputColumns columns(records[0], 1);
  for (size_t i = 1; i < records.size(); ++i) {
    BatchRow row;
    columns.convert(records[i], i + 1, row);
    std::string alone;
    test_support::on_fresh_thread([&] {
      KivClass k;
      columns.apply(row, k);
      int number = 0;
      std::string text;
      try {
        k.CalculateOutput();
      } catch (const RunError& e) {
        number = e.code();
        text = e.what();
      }
      append_output_row(alone, k, number, text);
    });
    EXPECT_EQ(read_all(alone)[0], all[i]) << "row " << i;
  }
}

TEST(Batch, HeaderWithoutRowsGivesHeaderOnly) {
  EXPECT_EQ(batch(kHeader, 2, 256), output_header());
}

}  // namespace
}  // namespace novaflux
