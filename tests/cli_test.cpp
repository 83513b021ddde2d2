// The command-line tool as engineers run it (tests/data/cli_cases.json): the examples of the
// README against their expected outputs, batch and JSON Lines input with bad data, an
// interrupted batch, and the comparison of fitting models. Each case runs the built tool.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/files.hpp"
#include "support/test_data.hpp"
#include "support/tool_run.hpp"

namespace {

using novaflux::read_bytes;
using novaflux::TempDir;
using novaflux::write_bytes;
using novaflux::test_support::run_tool;
using novaflux::test_support::ToolRun;
using Args = std::vector<std::string>;

const std::string kSource = NOVAFLUX_SOURCE_DIR "/";
const nlohmann::ordered_json kCases = novaflux::test_support::load_json("cli_cases.json");
const std::string kHeader = kCases["batch_header"].get<std::string>() + "\n";
const std::string kRow = kCases["batch_row"].get<std::string>() + "\n";

std::vector<std::string> lines_of(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The README's examples byte for byte; batches with one and with two threads, no progress line
// when standard error is not a terminal.
TEST(Examples, OutputsMatchTheExpectedFiles) {
  for (const auto& c : kCases["examples"]) {
    const std::string expected = read_bytes(kSource + c["expected"].get<std::string>());
    ASSERT_FALSE(expected.empty()) << c["expected"];
    if (!c.value("threads", false)) {
      const ToolRun r = run_tool(c["args"]);
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_TRUE(r.out == expected) << "output differs from " << c["expected"];
      continue;
    }
    for (const char* threads : {"1", "2"}) {
      TempDir dir;
      Args args = c["args"];
      args.insert(args.end(), {"-o", (dir.path / "out.csv").string(), "--threads", threads});
      const ToolRun r = run_tool(args);
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, "");
      EXPECT_TRUE(read_bytes((dir.path / "out.csv").string()) == expected) << threads << " threads: " << c["expected"];
    }
  }
}

TEST(AnnualCommands, RefuseWhatTheyCannotUseNamingIt) {
  for (const auto& c : kCases["annual_errors"]) {
    Args args = c["args"];
    for (auto& a : args)
      if (a == "<chicago>") a = "examples/weather/USA_IL_Chicago-OHare.Intl.AP.725300_TMY3.epw";
    const ToolRun r = run_tool(args);
    EXPECT_EQ(r.status, 1) << c["args"];
    EXPECT_EQ(r.out, "") << c["args"];
    EXPECT_EQ(r.err.rfind(c["message"].get<std::string>(), 0), 0u) << r.err;
  }
}

TEST(BatchCommand, BadInputFailsWithLineAndColumnAndLeavesNoOutput) {
  for (const auto& c : kCases["bad_batches"]) {
    std::string input = c.contains("header") ? c["header"].get<std::string>() + "\n" : kHeader;
    for (const std::string row : c["rows"]) input += row == "<row>" ? kRow : row + "\n";
    TempDir dir;
    const std::string in = (dir.path / "in.csv").string(), out = (dir.path / "out.csv").string();
    write_bytes(in, input);
    write_bytes(out, "the previous results\n");
    const ToolRun r = run_tool({"batch", in, "-o", out});
    EXPECT_EQ(r.status, 1) << c["name"];
    EXPECT_NE(r.err.find(c["message"].get<std::string>()), std::string::npos) << c["name"] << ": " << r.err;
    // The earlier file is untouched and no partial file is left behind.
    EXPECT_EQ(read_bytes(out), "the previous results\n") << c["name"];
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"in.csv", "out.csv"})) << c["name"];
  }
}

TEST(BatchCommand, FailedRowsAreWrittenAndTheExitStatusSaysSo) {
  TempDir dir;
  const std::string in = (dir.path / "in.csv").string(), out = (dir.path / "out.csv").string();
  write_bytes(in, kHeader + kRow + "true,10000,9000,true,true,35,40,-10,80,24,50,21,40,40000\n" + kRow);
  const ToolRun r = run_tool({"batch", in, "-o", out});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("1 of 3 rows failed; the first, line 3: Overflow: input KivinputAltitude 40000"), std::string::npos) << r.err;
  const auto lines = lines_of(read_bytes(out));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[2].find(",6,Overflow: input KivinputAltitude 40000"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[1].substr(lines[1].size() - 8), ",0,,true") << "completed, and its winter exhaust air freezes";
  EXPECT_EQ(lines[3], lines[1]);
}

TEST(BatchCommand, InterruptedBatchLeavesNoFile) {
  TempDir dir;
  const std::string tool = NOVAFLUX_BINARY_DIR "/bin/novaflux", out = (dir.path / "out.csv").string();
  int to_child[2];
  ASSERT_EQ(::pipe(to_child), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGINT, SIG_DFL);  // even when the test itself runs with SIGINT ignored
    ::dup2(to_child[0], 0);
    ::close(to_child[1]);
    ::dup2(::open("/dev/null", O_WRONLY), 2);
    ::execl(tool.c_str(), tool.c_str(), "batch", "-", "-o", out.c_str(), "--threads", "2", nullptr);
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

// One result line per input line, errors in their own line, each line rated as if alone.
TEST(RateJsonLines, OneResultLinePerInputLineAndErrorsInTheirLine) {
  std::string si = read_bytes(kSource + "examples/si_design_day.json"), input;
  si.erase(std::remove(si.begin(), si.end(), '\n'), si.end());
  for (const std::string line : kCases["jsonl_lines"]) input += (line == "<si>" ? si : line) + "\n";
  const ToolRun r = run_tool({"rate", "--jsonl", "-"}, input);
  EXPECT_EQ(r.status, 1) << "a line could not be used";
  const auto lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 6u);
  const std::string expected_first = lines_of(read_bytes(kSource + "examples/expected/design_days.jsonl")).at(0);
  EXPECT_EQ(lines[0], expected_first);
  EXPECT_EQ(lines[5], expected_first);
  for (const auto& e : kCases["jsonl_errors"])
    EXPECT_EQ(lines[e[0].get<size_t>()].rfind(e[1].get<std::string>(), 0), 0u) << lines[e[0].get<size_t>()];
}

TEST(SelectCommand, MarksTheAutomaticPickAndSaysWhenAFilterLeavesNothing) {
  for (const auto& c : kCases["select"]) {
    const ToolRun r = run_tool(c["args"]);
    EXPECT_EQ(r.status, c["status"].get<int>()) << c["args"] << "\n" << r.err;
    EXPECT_NE((r.status == 1 ? r.err : r.out).find(c["text"].get<std::string>()), std::string::npos) << c["args"] << "\n" << r.out << r.err;
  }
}

}  // namespace
