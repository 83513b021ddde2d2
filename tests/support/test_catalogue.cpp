#include "support/test_catalogue.hpp"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "catalogue/catalogue.hpp"
#include "catalogue/catalogue_builder.hpp"

namespace novaflux {

namespace fs = std::filesystem;

std::string sample_catalogue_sources() { return std::string(NOVAFLUX_SOURCE_DIR) + "/data/catalogue"; }

std::string make_temp_dir() {
  std::string pattern = (fs::temp_directory_path() / "novaflux-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot create a temporary folder from " + pattern);
  return pattern;
}

namespace {

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream out;
  out << in.rdbuf();
  return std::move(out).str();
}

void exec_on(sqlite3* db, const std::string& sql, const std::string& path) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    throw std::runtime_error(path + ": " + text + " in: " + sql);
  }
}

// The files every TestCatalogue starts as a copy of, made once per test program.
class Templates {
public:
  static Templates& instance() {
    static Templates t;
    return t;
  }
  ~Templates() {
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }

  const std::string& sample() {
    std::call_once(sample_once_, [this] {
      sample_ = folder() + "/sample.db";
      build_catalogue(sample_catalogue_sources(), sample_);
    });
    return sample_;
  }

  const std::string& empty() {
    std::call_once(empty_once_, [this] {
      empty_ = folder() + "/empty.db";
      TestCatalogue::Connection c(empty_);
      c.exec(read_text(sample_catalogue_sources() + "/schema.sql"));
    });
    return empty_;
  }

private:
  const std::string& folder() {
    std::lock_guard lock(mutex_);
    if (dir_.empty()) dir_ = make_temp_dir();
    return dir_;
  }

  std::mutex mutex_;
  std::string dir_;
  std::once_flag sample_once_, empty_once_;
  std::string sample_, empty_;
};

}  // namespace

TestCatalogue::TestCatalogue() : dir_(make_temp_dir()), path_(dir_ + "/NOVAFLUX.db") {}

TestCatalogue TestCatalogue::sample() {
  TestCatalogue c;
  fs::copy_file(Templates::instance().sample(), c.path_);
  return c;
}

TestCatalogue TestCatalogue::empty() {
  TestCatalogue c;
  fs::copy_file(Templates::instance().empty(), c.path_);
  return c;
}

TestCatalogue TestCatalogue::bare(const std::string& sql) {
  TestCatalogue c;
  Connection connection(c.path_);
  if (!sql.empty()) connection.exec(sql);
  return c;
}

TestCatalogue::TestCatalogue(TestCatalogue&& other) noexcept
    : dir_(std::exchange(other.dir_, std::string())),
      path_(std::exchange(other.path_, std::string())) {}

TestCatalogue& TestCatalogue::operator=(TestCatalogue&& other) noexcept {
  std::swap(dir_, other.dir_);
  std::swap(path_, other.path_);
  return *this;
}

TestCatalogue::~TestCatalogue() {
  std::error_code ignored;
  if (!dir_.empty()) fs::remove_all(dir_, ignored);
}

void TestCatalogue::exec(const std::string& sql) const { Connection(path_).exec(sql); }

TestCatalogue::Connection::Connection(const std::string& path) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : "cannot open";
    sqlite3_close_v2(db_);
    db_ = nullptr;
    throw std::runtime_error(path + ": " + message);
  }
  sqlite3_busy_timeout(db_, 5000);
}

TestCatalogue::Connection::Connection(Connection&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)) {}

TestCatalogue::Connection::~Connection() { sqlite3_close_v2(db_); }

void TestCatalogue::Connection::exec(const std::string& sql) const {
  exec_on(db_, sql, sqlite3_db_filename(db_, "main"));
}

ScopedCatalogue::ScopedCatalogue(const std::string& path) : previous_(catalogue_path_override()) {
  set_catalogue_path(path);
}

ScopedCatalogue::~ScopedCatalogue() { set_catalogue_path(previous_); }

}  // namespace novaflux
