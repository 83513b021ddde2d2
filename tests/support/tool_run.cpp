#include "support/tool_run.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/files.hpp"

namespace novaflux::test_support {

ToolRun run_tool(const std::vector<std::string>& args, const std::string& input) {
  TempDir io;
  const std::string in = (io.path / "in").string(), out = (io.path / "out").string(), err = (io.path / "err").string();
  write_bytes(in, input);
  std::vector<std::string> all{NOVAFLUX_BINARY_DIR "/bin/novaflux"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(NOVAFLUX_SOURCE_DIR) != 0) ::_exit(126);
    ::dup2(::open(in.c_str(), O_RDONLY), 0);
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ToolRun r{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), read_bytes(out), read_bytes(err)};
  for (const char* marker : {"Sanitizer", "runtime error:", "Segmentation", "Aborted"})
    EXPECT_EQ(r.err.find(marker), std::string::npos) << r.err;
  return r;
}

}  // namespace novaflux::test_support
