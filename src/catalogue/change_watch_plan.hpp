#pragma once
// What to watch for a catalogue path: every directory entry and symbolic link the path passes
// through, the file and its WAL file.
#include <string>
#include <vector>

namespace novaflux::catalogue_io {

// A name in a directory whose every change (written, created, removed, renamed) may change
// what the catalogue path reads.
struct WatchedName {
  std::string dir;
  std::string name;
  friend bool operator==(const WatchedName&, const WatchedName&) = default;
};

// What to watch for one catalogue path.
struct WatchPlan {
  std::vector<WatchedName> names;
  // Every directory the path passes through is watched for the next name on the way, so a
  // replaced directory or a moved symbolic link is noticed too and no stat is needed per call.
  bool covers_path = false;
  std::string key;
};

// Walks an absolute path the way the kernel resolves it, following symbolic links, and
// names each directory passed and the name looked up there; the file itself comes with its
// WAL file. Without an absolute path that resolves, only the file's own directory is watched
// and the path is checked by stat on every call.
WatchPlan plan_watch(const std::string& path, const std::string& real_path);

}  // namespace novaflux::catalogue_io
