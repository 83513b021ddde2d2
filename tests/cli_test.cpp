// The command-line tool as engineers run it: the examples of the README against their expected
// outputs, batch and JSON Lines input with bad data, the global --catalogue option and an
// interrupted batch. Each case runs the built tool as a process of its own.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>
#include "support/files.hpp"

namespace {

namespace fs = std::filesystem;

const std::string kTool = NOVAFLUX_BINARY_DIR "/bin/novaflux";
const fs::path kSource = NOVAFLUX_SOURCE_DIR;
const std::string kCatalogue = NOVAFLUX_BINARY_DIR "/lib/NOVAFLUX.db";

std::string file_text(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_file(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

using novaflux::TempDir;

struct ToolRun {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

// Runs `program args...` in the source folder with `input` on standard input.
ToolRun run_program(const std::string& program, const std::vector<std::string>& args, const std::string& input = "") {
  TempDir io;
  write_file(io.path / "in", input);
  const std::string in = (io.path / "in").string(), out = (io.path / "out").string(),
                    err = (io.path / "err").string();
  std::vector<std::string> all{program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(kSource.c_str()) != 0) ::_exit(126);
    ::dup2(::open(in.c_str(), O_RDONLY), 0);
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ToolRun r;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = file_text(out);
  r.err = file_text(err);
  return r;
}

ToolRun novaflux(const std::vector<std::string>& args, const std::string& input = "") {
  return run_program(kTool, args, input);
}

// ---------------------------------------------------------------------------------------------
// The examples of the README, byte for byte (examples/regenerate_expected.sh rewrites them).

TEST(Examples, StandardOutputMatchesTheExpectedFiles) {
  struct Case {
    std::vector<std::string> args;
    const char* expected;
  } const cases[] = {
      {{"rate", "examples/si_design_day.json"}, "examples/expected/si_design_day.json"},
      {{"rate", "examples/ip_design_day.json"}, "examples/expected/ip_design_day.json"},
      {{"rate", "--jsonl", "examples/design_days.jsonl"}, "examples/expected/design_days.jsonl"},
  };
  for (const auto& c : cases) {
    const ToolRun r = novaflux(c.args);
    EXPECT_EQ(r.status, 0) << c.expected << ": " << r.err;
    EXPECT_TRUE(r.out == file_text(kSource / c.expected)) << "output differs from " << c.expected;
  }
}

TEST(Examples, BatchOutputsMatchTheExpectedFilesWithOneAndTwoThreads) {
  struct Case {
    std::vector<std::string> args;
    const char* expected;
  } const cases[] = {
      {{"batch", "examples/fixed_models.csv", "--model-run"}, "examples/expected/fixed_models.csv"},
      {{"batch", "examples/year_8760.csv"}, "examples/expected/year_8760.csv"},
  };
  for (const auto& c : cases) {
    const std::string expected = file_text(kSource / c.expected);
    ASSERT_FALSE(expected.empty()) << c.expected;
    for (const char* threads : {"1", "2"}) {
      TempDir dir;
      auto args = c.args;
      args.insert(args.end(), {"-o", (dir.path / "out.csv").string(), "--threads", threads});
      const ToolRun r = novaflux(args);
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, "") << "no progress line when standard error is not a terminal";
      EXPECT_TRUE(file_text(dir.path / "out.csv") == expected)
          << "output with " << threads << " threads differs from " << c.expected;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Batch input that cannot be rated

const std::string kHeader =
    "KivunitSI,KivinputSupplyAir,KivinputReturnAir,KivinputOAUnitDBTRH,KivinputRAUnitDBTRH,"
    "KivinputOAS_DBT,KivinputOAS_RH,KivinputOAW_DBT,KivinputOAW_RH,KivinputRaS_DBT,KivinputRaS_RH,"
    "KivinputRaW_DBT,KivinputRaW_RH,KivinputAltitude\n";
const std::string kRow = "true,10000,9000,true,true,35,40,-10,80,24,50,21,40,200\n";

TEST(BatchCommand, BadInputFailsWithLineAndColumnAndLeavesNoOutput) {
  struct Case {
    const char* name;
    std::string input;
    std::string message;
  } const cases[] = {
      {"unknown column", "KivunitSI,KivinputSupplyAir,OutdoorTemp\n",
       "in.csv, line 1, column 3: unknown property \"OutdoorTemp\""},
      {"not a number", kHeader + kRow + kRow + "true,10000,9000,true,true,35,40,-10,80,24,50,21,forty,200\n",
       "in.csv, line 4, column 13: KivinputRaW_RH: \"forty\" is not a number"},
      {"ragged row", kHeader + kRow + "true,10000,9000,true,true,35,40,-10,80,24,50,21,40,200,7\n" + kRow,
       "in.csv, line 3, column 15: the row has 15 fields, the header 14"},
      {"broken quote", kHeader + kRow + "true,\"10000,9000\n",
       "in.csv, line 3, column 2: a quoted field is never closed"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    write_file(dir.path / "in.csv", c.input);
    write_file(dir.path / "out.csv", "the previous results\n");
    const ToolRun r = novaflux({"batch", (dir.path / "in.csv").string(), "-o", (dir.path / "out.csv").string()});
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
    // The earlier file is untouched and no partial file is left behind.
    EXPECT_EQ(file_text(dir.path / "out.csv"), "the previous results\n") << c.name;
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"in.csv", "out.csv"})) << c.name;
  }
}

TEST(BatchCommand, FailedRowsAreWrittenAndTheExitStatusSaysSo) {
  TempDir dir;
  const std::string failing = "true,10000,9000,true,true,35,40,-10,80,24,50,21,40,40000\n";
  write_file(dir.path / "in.csv", kHeader + kRow + failing + kRow);
  const ToolRun r = novaflux({"batch", (dir.path / "in.csv").string(), "-o", (dir.path / "out.csv").string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("1 of 3 rows failed; the first, line 3: Overflow: input KivinputAltitude 40000"),
            std::string::npos)
      << r.err;
  std::istringstream out(file_text(dir.path / "out.csv"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[2].find(",6,Overflow: input KivinputAltitude 40000"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[1].substr(lines[1].size() - 8), ",0,,true") << "completed, and its winter exhaust air freezes";
  EXPECT_EQ(lines[3], lines[1]);
}

TEST(BatchCommand, InterruptedBatchLeavesNoFile) {
  TempDir dir;
  const fs::path out = dir.path / "out.csv";
  int to_child[2];
  ASSERT_EQ(::pipe(to_child), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGINT, SIG_DFL);  // even when the test itself runs with SIGINT ignored
    ::dup2(to_child[0], 0);
    ::close(to_child[1]);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);
    ::execl(kTool.c_str(), kTool.c_str(), "batch", "-", "-o", out.c_str(), "--threads", "2", nullptr);
    ::_exit(127);
  }
  ::close(to_child[0]);
  // Rows arrive but the input never ends: the batch is in progress until it is interrupted.
  const std::string rows = kHeader + kRow + kRow + kRow;
  ASSERT_EQ(::write(to_child[1], rows.data(), rows.size()), static_cast<ssize_t>(rows.size()));
  // Wait (generously) for the temporary output to exist, so that the signal meets a batch.
  for (int i = 0; i < 1000 && dir.names().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(dir.names().size(), 1u);
  EXPECT_EQ(dir.names()[0].rfind(".out.csv.partial-", 0), 0u);
  ::kill(pid, SIGINT);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(to_child[1]);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
  EXPECT_EQ(dir.names(), std::vector<std::string>{});
}

// ---------------------------------------------------------------------------------------------
// rate --jsonl

TEST(RateJsonLines, OneResultLinePerInputLineAndErrorsInTheirLine) {
  const std::string si = file_text(kSource / "examples/si_design_day.json");
  std::string compact;  // the SI design day on one line
  for (char c : si)
    if (c != '\n') compact += c;
  const std::string input = compact + "\n" + "{\"KivunitSI\": true, \"Airflow\": 3}\n" + "not json\n" + "\n" +
                            "{\"KivinputSupplyAir\": \"lots\"}\n" + compact + "\n";
  const ToolRun r = novaflux({"rate", "--jsonl", "-"}, input);
  EXPECT_EQ(r.status, 1) << "a line could not be used";
  std::istringstream out(r.out);
  std::vector<std::string> lines;
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 6u);
  const std::string expected_first = [&] {
    std::string e = file_text(kSource / "examples/expected/design_days.jsonl");
    return e.substr(0, e.find('\n'));
  }();
  EXPECT_EQ(lines[0], expected_first);
  EXPECT_EQ(lines[5], expected_first) << "each line is rated as if alone";
  struct Case {
    size_t index;
    std::string text;
  } const errors[] = {
      {1, R"({"line":2,"error":{"description":"unknown property \"Airflow\"","number":3200}})"},
      {2, R"({"line":3,"error":{"description":"not valid JSON: )"},
      {3, R"({"line":4,"error":{"description":"not valid JSON: )"},
      {4, R"({"line":5,"error":{"description":"property KivinputSupplyAir: expects a number","number":3200}})"},
  };
  for (const auto& e : errors) EXPECT_EQ(lines[e.index].rfind(e.text, 0), 0u) << lines[e.index];
}

// ---------------------------------------------------------------------------------------------
// The comparison and the rating conditions as an engineer runs them: exit status, and a line of
// the output or the message that must be there.

TEST(SelectCommand, MarksTheAutomaticPickAndSaysWhenAFilterLeavesNothing) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* out;  // in standard output, or standard error when the status is 1
  } rows[] = {
      {{"select", "examples/si_design_day.json"}, 0, "  * TXL-1600-Q_480(1.9)_Condensation "},
      {{"select", "examples/si_design_day.json", "--max-pdrop", "150"}, 0, "which the filter leaves out"},
      {{"select", "examples/si_design_day.json", "--max-pdrop", "10"}, 1, "no model meets the filter (pressure drop at most 10 Pa)"},
      {{"select", "examples/si_design_day.json", "--min-efficiency", "99"}, 1, "sensible efficiency at least 99 %"},
      {{"select", "examples/si_design_day.json", "--json"}, 0, "\"automatic\": true"},
      {{"select", "examples/ip_design_day.json", "--conditions", "ahri"}, 0, "  * TXL-1900-Q_480(1.9)_Condensation          75 %"},
      {{"rate", "examples/ip_design_day.json", "--conditions", "ahri"}, 0, "\"airflowPercent\": 75.0"},
  };
  for (const auto& row : rows) {
    const ToolRun r = novaflux(row.args);
    EXPECT_EQ(r.status, row.status) << row.args.back() << "\n" << r.err;
    EXPECT_NE((row.status == 1 ? r.err : r.out).find(row.out), std::string::npos) << row.args.back() << "\n" << r.out << r.err;
  }
}

}  // namespace
