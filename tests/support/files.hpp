#pragma once
// Files for tests: whole-file reads and writes, and a temporary folder that goes with its owner.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace novaflux {

std::string read_bytes(const std::string& path);
bool write_bytes(const std::string& path, const std::string& bytes);  // false when not written

// A new empty folder under the system's temporary folder, removed with everything in it.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(TempDir&& other) noexcept : path(std::exchange(other.path, {})) {}
  TempDir& operator=(const TempDir&) = delete;
  std::vector<std::string> names() const;  // the entries, sorted
  std::filesystem::path path;
};

}  // namespace novaflux
