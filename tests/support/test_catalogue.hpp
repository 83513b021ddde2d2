#pragma once
// Catalogue files for tests, each in a temporary folder of its own that goes with it.
//
//   TestCatalogue cat = TestCatalogue::sample();   // built from data/catalogue (or empty())
//   cat.exec("DELETE FROM txlmastS WHERE velocityfpm=500");
//   ScopedCatalogue use(cat.path());               // the component reads this file now
//
// exec() runs on a connection of its own that is closed again, as another program editing the
// file would; connect() keeps one open (WAL mode). Failing SQL throws std::runtime_error; a
// query returns the first non-empty cell of its first column.
#include <sqlite3.h>

#include <string>
#include <utility>

#include "support/files.hpp"

namespace novaflux {

class TestCatalogue {
public:
  static TestCatalogue sample();  // the sample data of data/catalogue
  static TestCatalogue empty();   // the tables of schema.sql without rows

  const std::string& path() const { return path_; }
  std::string dir() const { return dir_.path.string(); }
  std::string exec(const std::string& sql) const;

  class Connection {
  public:
    explicit Connection(const std::string& path);
    Connection(Connection&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}
    ~Connection() { sqlite3_close_v2(db_); }
    std::string exec(const std::string& sql) const;

  private:
    sqlite3* db_ = nullptr;
  };
  Connection connect() const { return Connection(path_); }

private:
  explicit TestCatalogue(const std::string& template_file);
  TempDir dir_;
  std::string path_;
};

// Makes the component read `path` while it lives, then the path set before.
class ScopedCatalogue {
public:
  explicit ScopedCatalogue(const std::string& path);
  ~ScopedCatalogue();
  ScopedCatalogue(const ScopedCatalogue&) = delete;
  ScopedCatalogue& operator=(const ScopedCatalogue&) = delete;

private:
  std::string previous_;
};

// The folder of the sample sources (schema.sql and the CSVs).
std::string sample_catalogue_sources();

}  // namespace novaflux
