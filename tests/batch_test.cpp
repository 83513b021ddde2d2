// Batch rating: CSV reading and writing, the columns of the interface table, the ordered
// pipeline, the output file that appears only when complete, and whole batches in process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "batch_columns.hpp"
#include "batch_output.hpp"
#include "batch_pipeline.hpp"
#include "batch_runner.hpp"
#include "catalogue/catalogue.hpp"
#include "common/module_state.hpp"
#include "common/run_error.hpp"
#include "csv.hpp"
#include "progress.hpp"
#include "support/files.hpp"
#include "support/run_fixture.hpp"

namespace novaflux::tool {
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

// ---------------------------------------------------------------------------------------------
// CSV

struct CsvCase {
  const char* name;
  std::string text;
  Records records;
  std::vector<uint64_t> lines;
};

TEST(CsvReader, ReadsRecordsAsRfc4180WritesThem) {
  const CsvCase cases[] = {
      {"plain", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}, {1, 2}},
      {"crlf and no final break", "a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}, {1, 2}},
      {"empty fields", "a,,b,\n", {{"a", "", "b", ""}}, {1}},
      {"quoted comma and quote", "\"x,y\",\"say \"\"hi\"\"\"\n", {{"x,y", "say \"hi\""}}, {1}},
      {"line break inside quotes", "\"two\nlines\",z\nnext,row\n", {{"two\nlines", "z"}, {"next", "row"}}, {1, 3}},
      {"blank lines skipped", "\n\na\n\r\n\nb\n", {{"a"}, {"b"}}, {3, 6}},
      {"byte-order mark dropped", "\xEF\xBB\xBFKivunitSI\ntrue\n", {{"KivunitSI"}, {"true"}}, {1, 2}},
      {"empty quoted field", "\"\",1\n", {{"", "1"}}, {1}},
      {"blanks kept", " a , b \n", {{" a ", " b "}}, {1}},
  };
  for (const auto& c : cases) {
    std::vector<uint64_t> lines;
    EXPECT_EQ(read_all(c.text, &lines), c.records) << c.name;
    EXPECT_EQ(lines, c.lines) << c.name;
  }
}

TEST(CsvReader, NamesLineAndColumnOfBrokenQuoting) {
  struct Case {
    std::string text;
    uint64_t line;
    size_t column;
    std::string message;
  } const cases[] = {
      {"a,b\n1,\"open\n2,3\n", 2, 2, "never closed"},
      {"a,b\n1,\"x\"y\n", 2, 2, "text after the closing quote"},
      {"a,b\nx,1\"2\n", 2, 2, "quote inside a field"},
      {"a\n\"one\ntwo\"x\n", 3, 1, "text after the closing quote"},
  };
  for (const auto& c : cases) {
    try {
      read_all(c.text);
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const CsvError& e) {
      EXPECT_EQ(e.line(), c.line) << c.text;
      EXPECT_EQ(e.column(), c.column) << c.text;
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(CsvWriter, QuotesOnlyWhatNeedsItAndReadsBack) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "plain"},
      {"", ""},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {" Velocity out of Range ", "\" Velocity out of Range \""},
      {"cr\r", "\"cr\r\""},
  };
  for (const auto& [field, expected] : cases) {
    std::string out;
    append_csv_field(out, field);
    EXPECT_EQ(out, expected);
    const Records back = read_all(out + ",end\n");
    ASSERT_EQ(back.size(), 1u) << field;
    EXPECT_EQ(back[0][0], field);
  }
}

// ---------------------------------------------------------------------------------------------
// Columns

std::string header_error(const std::vector<std::string>& header, size_t* column = nullptr) {
  try {
    InputColumns columns(header, 1);
  } catch (const CsvError& e) {
    if (column) *column = e.column();
    return e.what();
  }
  return "";
}

TEST(InputColumns, RejectsHeadersThatNameNoInput) {
  struct Case {
    std::vector<std::string> header;
    size_t column;
    std::string message;
  } const cases[] = {
      {{"KivunitSI", "KivinputSupplyAir", "Supply"}, 3, "unknown property \"Supply\""},
      {{"kivunitsi"}, 1, "did you mean KivunitSI?"},
      {{"KivinputSupplyAir", "KivoutSaS_DBT"}, 2, "KivoutSaS_DBT is an output of the rating"},
      {{"KivinputOAS_DBT", "KivunitSI", "KivinputOAS_DBT"}, 3, "already column 1"},
      {{"KivunitSI", " "}, 2, "no name"},
  };
  for (const auto& c : cases) {
    size_t column = 0;
    const std::string message = header_error(c.header, &column);
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
    EXPECT_EQ(column, c.column) << message;
  }
  EXPECT_EQ(header_error({" KivunitSI ", "KivinputModel", "KivinputSeries", "KivPurgeWithout"}), "");
}

TEST(InputColumns, ConvertsCellsByTheirPropertyType) {
  struct Case {
    const char* property;
    const char* cell;
    std::optional<double> value;
  } const cases[] = {
      {"KivunitSI", "true", -1.0},
      {"KivunitSI", "TRUE", -1.0},
      {"KivunitSI", "False", 0.0},
      {"KivunitSI", "1", 1.0},
      {"KivunitSI", "-1", -1.0},
      {"KivunitSI", "0", 0.0},
      {"KivinputModel", "TXL_1400_Q_480_Condensation", 66.0},
      {"KivinputModel", "68", 68.0},
      {"KivinputSupplyAir", " 10000 ", 10000.0},
      {"KivinputSupplyAir", "1.5e4", 15000.0},
      {"KivinputOAW_DBT", "-10.25", -10.25},
      {"KivinputLeakagePressureDifference", "0.8", 0.8},
      {"KivinputSeries", "1", 1.0},
      {"KivinputSupplyAir", "", std::nullopt},
  };
  for (const auto& c : cases) {
    InputColumns columns({c.property}, 1);
    BatchRow row;
    columns.convert({c.cell}, 7, row);
    EXPECT_EQ(row.line, 7u);
    ASSERT_EQ(row.values.size(), 1u);
    EXPECT_EQ(row.values[0], c.value) << c.property << " " << c.cell;
  }
}

TEST(InputColumns, NamesLineColumnAndPropertyOfABadCell) {
  struct Case {
    std::vector<std::string> fields;
    size_t column;
    std::string message;
  } const cases[] = {
      {{"true", "lots", "1"}, 2, "KivinputSupplyAir: \"lots\" is not a number"},
      {{"yes", "1", "1"}, 1, "KivunitSI: \"yes\" is neither true, false nor a number"},
      {{"true", "1", "TXL_9_Q"}, 3, "KivinputModel: \"TXL_9_Q\" is neither a model name"},
      {{"true", "nan", "1"}, 2, "\"nan\" is not a number"},
      {{"true", "inf", "1"}, 2, "\"inf\" is not a number"},
      {{"true", "1e999", "1"}, 2, "\"1e999\" is not a number"},
      {{"true", "1", "1e12"}, 3, "KivinputModel: \"1e12\" is neither a model name nor a model number"},
      {{"true", "1"}, 3, "the row has 2 fields, the header 3"},
      {{"true", "1", "1", "x"}, 4, "the row has 4 fields, the header 3"},
  };
  InputColumns columns({"KivunitSI", "KivinputSupplyAir", "KivinputModel"}, 1);
  for (const auto& c : cases) {
    BatchRow row;
    try {
      columns.convert(c.fields, 12, row);
      ADD_FAILURE() << "no error for " << c.message;
    } catch (const CsvError& e) {
      EXPECT_EQ(e.line(), 12u);
      EXPECT_EQ(e.column(), c.column) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  // A number its property cannot hold is caught when it is read, not when its row is rated.
  InputColumns others({"KivinputSeries", "KivinputMassflowSs"}, 1);
  const std::pair<std::vector<std::string>, std::string> beyond[] = {
      {{"3000000000", "1"}, "KivinputSeries: \"3000000000\" cannot be stored: Overflow"},
      {{"1", "1e39"}, "KivinputMassflowSs: \"1e39\" cannot be stored: Overflow"},
  };
  for (const auto& [fields, message] : beyond) {
    BatchRow row;
    try {
      others.convert(fields, 2, row);
      ADD_FAILURE() << "no error for " << message;
    } catch (const CsvError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
  }
}

TEST(OutputColumns, WriteEachTypeAsItsShortestText) {
  KivClass k;
  k.put_KivunitSI(true);
  k.KivinputOAS_DBT = 23.86;
  k.KivinputSupplyAir = 1e20;
  k.KivoutLeakageEatr = 0.71f;
  k.KivOutErrorCode = 5;
  k.KivinputModel = Modelall::TXL_1400_Q_480_Condensation;
  k.KivOutNOVAFLUXModel = "TXL-1400, \"Q\"";
  k.KivOutErrorMsg = 12.5;
  const std::pair<const char*, const char*> cases[] = {
      {"KivunitSI", "true"},           {"KivPurgeWithout", "false"},
      {"KivinputOAS_DBT", "23.86"},    {"KivinputSupplyAir", "1e+20"},
      {"KivoutLeakageEatr", "0.71"},   {"KivOutErrorCode", "5"},
      {"KivinputModel", "66"},         {"KivOutNOVAFLUXModel", "TXL-1400, \"Q\""},
      {"KivOutErrorMsg", "12.5"},      {"KivoutCassetteWeight", "0"},
  };
  for (const auto& [name, text] : cases)
    EXPECT_EQ(cell_text(k, *detail::find_property(name)), text) << name;

  // The output row holds every property in interface order, then the failure, RFC 4180 quoted,
  // then the frost check (empty for a failed run).
  std::string line;
  append_output_row(line, k, 11, "Division by zero, here");
  const Records records = read_all(output_header() + line);
  ASSERT_EQ(records.size(), 2u);
  const auto props = detail::properties();
  ASSERT_EQ(records[0].size(), props.size() + 3);
  ASSERT_EQ(records[1].size(), props.size() + 3);
  for (size_t i = 0; i < props.size(); ++i) {
    EXPECT_EQ(records[0][i], props[i].name);
    EXPECT_EQ(records[1][i], cell_text(k, props[i])) << props[i].name;
  }
  EXPECT_EQ(records[0][props.size()], "failure_number");
  EXPECT_EQ(records[0][props.size() + 1], "failure_text");
  EXPECT_EQ(records[1][props.size()], "11");
  EXPECT_EQ(records[1][props.size() + 1], "Division by zero, here");
  EXPECT_EQ(records[0][props.size() + 2], "frost_risk");
  EXPECT_EQ(records[1][props.size() + 2], "");
}

// ---------------------------------------------------------------------------------------------
// Pipeline

std::vector<BatchRow> numbered_rows(uint64_t first, size_t count) {
  std::vector<BatchRow> rows(count);
  for (size_t i = 0; i < count; ++i) rows[i].line = first + i;
  return rows;
}

// Chunks of `chunk` rows numbered from 1 to `total`; the output is one line per row.
PipelineStages counting_stages(uint64_t total, size_t chunk, std::string& written) {
  auto next = std::make_shared<uint64_t>(1);
  PipelineStages s;
  s.read_chunk = [=](std::vector<BatchRow>& rows) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk, total + 1 - *next));
    rows = numbered_rows(*next, n);
    *next += n;
    return *next <= total;
  };
  s.process = [](const std::vector<BatchRow>& rows) {
    std::string text;
    for (const auto& r : rows) text += std::to_string(r.line) + "\n";
    return text;
  };
  s.write = [&written](const std::string& text, size_t) { written += text; };
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

TEST(Pipeline, KeepsOrderWhenALaterChunkFinishesFirst) {
  // The first chunk is held back until the second has been processed by another worker.
  std::mutex m;
  std::condition_variable cv;
  bool second_done = false;
  std::string written;
  PipelineStages s = counting_stages(6, 2, written);
  const auto plain = s.process;
  s.process = [&](const std::vector<BatchRow>& rows) {
    std::string text = plain(rows);
    std::unique_lock lock(m);
    if (rows.front().line == 1) {
      cv.wait(lock, [&] { return second_done; });
    } else if (rows.front().line == 3) {
      second_done = true;
      cv.notify_all();
    }
    return text;
  };
  run_pipeline(s, 2, 6);
  EXPECT_EQ(written, expected_lines(6));
}

TEST(Pipeline, TheFirstFailureOfAnyStageEndsTheRun) {
  struct Case {
    const char* stage;
  } const cases[] = {{"read"}, {"process"}, {"write"}};
  for (const auto& c : cases) {
    std::string written;
    PipelineStages s = counting_stages(100000, 10, written);
    const std::string stage = c.stage;
    if (stage == "read") {
      const auto plain = s.read_chunk;
      s.read_chunk = [plain](std::vector<BatchRow>& rows) {
        const bool more = plain(rows);
        if (rows.front().line == 51) throw std::runtime_error("bad cell");
        return more;
      };
    } else if (stage == "process") {
      const auto plain = s.process;
      s.process = [plain](const std::vector<BatchRow>& rows) {
        if (rows.front().line == 501) throw std::runtime_error("worker failed");
        return plain(rows);
      };
    } else {
      s.write = [&written](const std::string& text, size_t) {
        if (written.size() > 100) throw std::runtime_error("disk full");
        written += text;
      };
    }
    EXPECT_THROW(run_pipeline(s, 2, 6), std::runtime_error) << stage;
    // What was written is a prefix of the complete output, and far from all of it.
    EXPECT_EQ(expected_lines(100000).compare(0, written.size(), written), 0) << stage;
    EXPECT_LT(written.size(), 10000u) << stage;
  }
}

// ---------------------------------------------------------------------------------------------
// Output file


std::string file_text(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

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
  EXPECT_EQ(file_text(target), "a,b\n1,2\n");
  EXPECT_EQ(dir.names(), std::vector<std::string>{"out.csv"});

  // An output abandoned before its commit leaves the earlier file as it was.
  {
    BatchOutput out(target.string());
    out.write("half of a new file");
  }
  EXPECT_EQ(file_text(target), "a,b\n1,2\n");
  EXPECT_EQ(dir.names(), std::vector<std::string>{"out.csv"});
}

TEST(BatchOutput, ReportsAFolderThatCannotHoldIt) {
  try {
    BatchOutput out("/nonexistent-folder-for-novaflux/out.csv");
    FAIL() << "created";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent-folder-for-novaflux/.out.csv.partial-"),
              std::string::npos)
        << e.what();
  }
}

// ---------------------------------------------------------------------------------------------
// Progress

TEST(Progress, LineShowsRowsRateAndTimeLeft) {
  struct Case {
    uint64_t rows;
    double seconds;
    std::optional<double> fraction;
    const char* line;
  } const cases[] = {
      {0, 0.0, 0.0, "0 rows  0%"},
      {1000, 2.0, 0.25, "1000 rows  500 rows/s  25%  0:06 left"},
      {8760, 4.0, std::nullopt, "8760 rows  2190 rows/s"},
      {500000, 100.0, 0.02, "500000 rows  5000 rows/s  2%  1:21:40 left"},
      {10, 1.0, 1.0, "10 rows  10 rows/s  100%  0:00 left"},
  };
  for (const auto& c : cases) EXPECT_EQ(progress_line(c.rows, c.seconds, c.fraction), c.line);
}

// ---------------------------------------------------------------------------------------------
// Per-thread state between cases

TEST(ModuleState, ResetBetweenCasesKeepsOnlyTheFileConnections) {
  test_support::on_fresh_thread([] {
    KivClass k;
    test_support::set_si_design_day(k);
    k.CalculateOutput();
    auto& m = module_state();
    const Catalogue* connection = m.DbConnection;
    const auto catalogue = m.catalogue;
    const auto* psy = m.psy;
    ASSERT_NE(connection, nullptr);
    ASSERT_NE(psy, nullptr);
    ASSERT_FALSE(m.performance.WinterSupplyEfficiency.is_empty());
    reset_between_cases();
    EXPECT_EQ(m.DbConnection, connection);
    EXPECT_EQ(m.catalogue, catalogue);
    EXPECT_EQ(m.psy, psy);
    EXPECT_TRUE(m.performance.WinterSupplyEfficiency.is_empty());
    EXPECT_TRUE(m.performance.SupplyCopyS.is_empty());
    EXPECT_EQ(m.air.OutdoorSummerState.DBT, 0.0);
    EXPECT_EQ(m.constants.RotorDepth, 0);
    EXPECT_FALSE(m.UnitSIFlag);
  });
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

TEST(Batch, FailedRowKeepsItsInputsAndReportsTheFailure) {
  const Records rows = read_all(batch(std::string(kHeader) + design_row(9000, 9000, 40000) + design_row(10000, 9000), 2, 1));
  ASSERT_EQ(rows.size(), 3u);
  const auto props = detail::properties();
  const auto index = [&](std::string_view name) {
    return static_cast<size_t>(detail::find_property(name) - props.data());
  };
  EXPECT_EQ(rows[1][index("KivinputAltitude")], "40000");
  EXPECT_EQ(rows[1][props.size()], "6");
  EXPECT_NE(rows[1][props.size() + 1].find("KivinputAltitude 40000"), std::string::npos) << rows[1][props.size() + 1];
  // The next row is rated as usual; its inputs are those the run normalised.
  EXPECT_EQ(rows[2][props.size()], "0");
  EXPECT_EQ(rows[2][props.size() + 1], "");
  EXPECT_EQ(rows[2][index("KivinputOAS_WBT")], "23.86");
  EXPECT_EQ(rows[2][index("KivOutNOVAFLUXModel")], "TXL-1600-Q_480(1.9)_Condensation");
}

TEST(Batch, BadInputStopsWithFileLineAndColumn) {
  struct Case {
    std::string input;
    std::string message;
  } const cases[] = {
      {"", "input.csv is empty"},
      {"KivunitSI,Airflow\n", "input.csv, line 1, column 2: unknown property \"Airflow\""},
      {std::string(kHeader) + design_row(10000, 9000) + "true,10000,abc,200,200,true,true,35,40,-10,80,24,50,21,40\n",
       "input.csv, line 3, column 3: KivinputReturnAir: \"abc\" is not a number"},
      {std::string(kHeader) + "\n" + design_row(10000, 9000) + "true,10000,9000\n",
       "input.csv, line 4, column 4: the row has 3 fields, the header 15"},
  };
  for (const auto& c : cases) {
    try {
      batch(c.input, 2, 1);
      ADD_FAILURE() << "no error for " << c.message;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

TEST(Batch, HeaderWithoutRowsGivesHeaderOnly) {
  EXPECT_EQ(batch(kHeader, 2, 256), output_header());
}

}  // namespace
}  // namespace novaflux::tool
