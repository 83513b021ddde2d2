#pragma once
// Catalogue files for tests, each in a temporary folder of its own that goes with it.
//
//   TestCatalogue cat = TestCatalogue::sample();     // the sample data of data/catalogue
//   cat.exec("DELETE FROM txlmastS WHERE velocityfpm=500");
//   ScopedCatalogue use(cat.path());                 // the component reads this file now
//
//   TestCatalogue cat = TestCatalogue::empty();      // the six tables of schema.sql, no rows
//   cat.exec("INSERT INTO modelmast VALUES (57,'E',500,0.74,0.76)");
//
//   TestCatalogue odd = TestCatalogue::bare("CREATE TABLE modelmast (modelid, type)");
//                                                    // only what the SQL creates
//
// exec() runs on a connection of its own that is closed again, as another program editing
// the file would. A test that needs a writer to stay connected (WAL mode) takes connect().
// Failures of the SQL throw std::runtime_error naming the statement.
#include <sqlite3.h>

#include <string>

#include "novaflux/kiv_class.hpp"

namespace novaflux {

class TestCatalogue {
public:
  // A copy of the catalogue built from data/catalogue (schema.sql and the sample CSVs).
  static TestCatalogue sample();
  // The tables of schema.sql without rows.
  static TestCatalogue empty();
  // A database holding only what `sql` creates ("" for none at all).
  static TestCatalogue bare(const std::string& sql = "");

  TestCatalogue(TestCatalogue&& other) noexcept;
  TestCatalogue& operator=(TestCatalogue&& other) noexcept;
  TestCatalogue(const TestCatalogue&) = delete;
  TestCatalogue& operator=(const TestCatalogue&) = delete;
  ~TestCatalogue();

  // The catalogue file, NOVAFLUX.db in the temporary folder.
  const std::string& path() const { return path_; }
  // The temporary folder, for other files a test wants beside the catalogue.
  const std::string& dir() const { return dir_; }

  void exec(const std::string& sql) const;

  // A read-write connection kept open until it goes out of scope.
  class Connection {
  public:
    explicit Connection(const std::string& path);
    Connection(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();
    void exec(const std::string& sql) const;
    sqlite3* handle() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
  };
  Connection connect() const { return Connection(path_); }

private:
  TestCatalogue();
  std::string dir_;
  std::string path_;
};

// Makes the component read `path` for the lifetime of the object, then restores the
// catalogue path that was set before.
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

// A new empty temporary folder; the caller removes it.
std::string make_temp_dir();

}  // namespace novaflux
