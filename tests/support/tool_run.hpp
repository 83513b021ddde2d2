#pragma once
// The built command-line tool as a process of its own, run in the source folder.
#include <string>
#include <vector>

namespace novaflux::test_support {

struct ToolRun {
  int status = -1;  // exit status, or 128 + signal
  std::string out, err;
};

// `novaflux args...` with `input` on standard input. No sanitizer report or crash may appear
// on standard error, whatever the exit status.
ToolRun run_tool(const std::vector<std::string>& args, const std::string& input = "");

}  // namespace novaflux::test_support
