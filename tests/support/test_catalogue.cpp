#include "support/test_catalogue.hpp"

#include <filesystem>
#include <stdexcept>

#include "catalogue/catalogue.hpp"
#include "catalogue/catalogue_builder.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux {

std::string sample_catalogue_sources() { return std::string(NOVAFLUX_SOURCE_DIR) + "/data/catalogue"; }

namespace {
// The files every TestCatalogue starts as a copy of, made once per test program.
const std::string& template_file(bool with_rows) {
  static TempDir dir;
  static const std::string sample = [] {
    const std::string p = (dir.path / "sample.db").string();
    build_catalogue(sample_catalogue_sources(), p);
    return p;
  }();
  static const std::string empty = [] {
    const std::string p = (dir.path / "empty.db").string();
    TestCatalogue::Connection(p).exec(read_bytes(sample_catalogue_sources() + "/schema.sql"));
    return p;
  }();
  return with_rows ? sample : empty;
}
}  // namespace

TestCatalogue::TestCatalogue(const std::string& file) : path_((dir_.path / "NOVAFLUX.db").string()) {
  std::filesystem::copy_file(file, path_);
}
TestCatalogue TestCatalogue::sample() { return TestCatalogue(template_file(true)); }
TestCatalogue TestCatalogue::empty() { return TestCatalogue(template_file(false)); }
std::string TestCatalogue::exec(const std::string& sql) const { return Connection(path_).exec(sql); }

TestCatalogue::Connection::Connection(const std::string& path) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
    throw std::runtime_error(path + ": " + sqlite3_errmsg(db_));
  sqlite3_busy_timeout(db_, 5000);
}

std::string TestCatalogue::Connection::exec(const std::string& sql) const {
  char* message = nullptr;
  std::string first;
  const auto keep = [](void* out, int, char** cells, char**) {
    if (auto& s = *static_cast<std::string*>(out); s.empty() && cells[0]) s = cells[0];
    return 0;
  };
  if (sqlite3_exec(db_, sql.c_str(), keep, &first, &message) != SQLITE_OK) {
    const std::string text = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throw std::runtime_error(text + " in: " + sql);
  }
  return first;
}

ScopedCatalogue::ScopedCatalogue(const std::string& path) : previous_(catalogue_path_override()) { set_catalogue_path(path); }
ScopedCatalogue::~ScopedCatalogue() { set_catalogue_path(previous_); }

}  // namespace novaflux
