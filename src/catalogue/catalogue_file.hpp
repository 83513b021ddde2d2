#pragma once
// Reading the catalogue file: its identity on disk and one complete, typed read of its tables.
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "catalogue/catalogue.hpp"

namespace novaflux::catalogue_io {

// Fails with the catalogue error "catalogue PATH: DEFECT"; no step may skip it.
[[noreturn]] void fail(const std::string& path, const std::string& defect);

// What tells one state of a file from another: the file (volume and file number), its size
// and its modification and change times in nanoseconds.
struct FileIdentity {
  bool exists = false;
  uint64_t dev = 0;
  uint64_t ino = 0;
  int64_t size = 0;
  int64_t mtime_ns = 0;
  int64_t ctime_ns = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of a file that may be absent.
FileIdentity probe(const char* path) noexcept;
// The identity of the WAL file: without its change time, which moves whenever a connection
// opens the database (SQLite gives the file the database's owner again).
FileIdentity probe_wal(const char* path) noexcept;
// The identity of the catalogue file itself; fails when it cannot be read as a file.
FileIdentity stat_catalogue(const std::string& path);

struct Connection {
  sqlite3* db = nullptr;
  Connection() = default;
  Connection(Connection&& o) noexcept : db(std::exchange(o.db, nullptr)) {}
  Connection& operator=(Connection&& o) noexcept {
    std::swap(db, o.db);
    return *this;
  }
  ~Connection() { sqlite3_close_v2(db); }
};

struct Statement {
  sqlite3_stmt* stmt = nullptr;
  Statement() = default;
  Statement(Statement&& o) noexcept : stmt(std::exchange(o.stmt, nullptr)) {}
  Statement& operator=(Statement&& o) noexcept {
    std::swap(stmt, o.stmt);
    return *this;
  }
  ~Statement() { sqlite3_finalize(stmt); }
};

// PRAGMA data_version on a prepared statement; -1 when it cannot be read.
int64_t read_data_version(sqlite3_stmt* s);

// One complete read of the file.
struct Loaded {
  std::shared_ptr<const Catalogue> catalogue;
  FileIdentity file;          // the file as it was before the read
  FileIdentity wal;           // its WAL file then
  Connection db;              // kept open when asked for (polling)
  Statement data_version;     // PRAGMA data_version on db
  int64_t version = 0;        // its value in the read transaction
};

// Reads the whole file, again while it keeps changing under the read (a few times at most);
// keeps the read-only connection and its data_version statement when asked to.
Loaded load_file(const std::string& path, const std::string& wal_path, bool keep_connection);

}  // namespace novaflux::catalogue_io
