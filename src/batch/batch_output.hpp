#pragma once
// An output file that appears under its name only when it is complete.
//
// The text goes to a hidden temporary file beside the target (".NAME.partial-XXXXXX", same
// folder, so that the final rename is atomic). commit() flushes it to disk and renames it over
// the target; anything else (a failure, an exception, SIGINT/SIGTERM/SIGHUP) removes it, and a
// file that was already there under the target name stays as it was.
#include <cstdio>
#include <string>
#include <string_view>

namespace novaflux {

class BatchOutput {
public:
  // "-" writes to standard output directly (nothing to rename). Throws std::runtime_error
  // when the temporary file cannot be created.
  explicit BatchOutput(const std::string& target);
  ~BatchOutput();
  BatchOutput(const BatchOutput&) = delete;
  BatchOutput& operator=(const BatchOutput&) = delete;

  // Throws std::runtime_error naming the file on a write error (a full disk).
  void write(std::string_view text);
  // Makes the complete file appear under the target name.
  void commit();

  // The temporary file being written ("" for standard output or after commit).
  const std::string& temporary_path() const noexcept { return temporary_; }

private:
  void discard() noexcept;

  std::string target_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  bool to_stdout_ = false;
};

}  // namespace novaflux
