#pragma once
// Files for tests: whole-file reads and writes, and a temporary folder that goes with its owner.
#include <filesystem>
#include <string>
#include <vector>

namespace novaflux {

std::string read_bytes(const std::string& path);
// Replaces the file's contents; false when it could not be written.
bool write_bytes(const std::string& path, const std::string& bytes);

// A new empty folder under the system's temporary folder, removed with everything in it.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The names of the entries in the folder, sorted.
  std::vector<std::string> names() const;

  std::filesystem::path path;
};

}  // namespace novaflux
