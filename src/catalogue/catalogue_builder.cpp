#include "catalogue/catalogue_builder.hpp"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <utility>

#include "catalogue/catalogue_file.hpp"
#include "catalogue/catalogue_source.hpp"
#include "common/numeric.hpp"

namespace novaflux {

namespace {

using catalogue_source::CsvField;
using catalogue_source::CsvReader;
using catalogue_source::fail;
using catalogue_source::lower;
using catalogue_source::quoted_name;
using catalogue_source::read_file;
using Db = catalogue_io::Connection;
using Stmt = catalogue_io::Statement;

// The partly written catalogue, removed unless the build completes.
class TemporaryFile {
public:
  explicit TemporaryFile(const std::string& target) {
    std::string pattern = target + ".building-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) fail(target, std::string("cannot create a file beside it: ") + std::strerror(errno));
    ::close(fd);
    path_ = pattern;
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!path_.empty()) {
      ::unlink(path_.c_str());
      ::unlink((path_ + "-journal").c_str());
    }
  }
  const std::string& path() const { return path_; }

  // Makes the file durable and puts it in the target's place in one step.
  void commit(const std::string& target) {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
      const int e = errno;
      if (fd >= 0) ::close(fd);
      fail(target, std::string("cannot write: ") + std::strerror(e));
    }
    ::close(fd);
    ::chmod(path_.c_str(), 0644);  // mkstemp made it private to the owner
    if (::rename(path_.c_str(), target.c_str()) != 0)
      fail(target, std::string("cannot replace: ") + std::strerror(errno));
    path_.clear();
    const auto slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
      ::fsync(dfd);
      ::close(dfd);
    }
  }

private:
  std::string path_;
};

// Line and column of a byte offset in a text, both from 1.
std::pair<int, int> line_and_column(std::string_view text, size_t offset) {
  int line = 1;
  size_t line_start = 0;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      line_start = i + 1;
    }
  }
  return {line, static_cast<int>(offset - line_start) + 1};
}

// ---------------------------------------------------------------------------------------------
// Loading one table

enum class Affinity { Text, Numeric, Blob };

// SQLite's rules for the affinity of a declared column type.
Affinity affinity_of(std::string_view declared) {
  const std::string t = lower(declared);
  if (t.find("int") != std::string::npos) return Affinity::Numeric;
  if (t.find("char") != std::string::npos || t.find("clob") != std::string::npos ||
      t.find("text") != std::string::npos)
    return Affinity::Text;
  if (t.empty() || t.find("blob") != std::string::npos) return Affinity::Blob;
  return Affinity::Numeric;
}

struct TableColumn {
  std::string name;
  Affinity affinity;
};

std::vector<TableColumn> table_columns(sqlite3* db, const std::string& table) {
  std::vector<TableColumn> out;
  Stmt s;
  if (sqlite3_prepare_v2(db, "SELECT name, type FROM pragma_table_info(?1)", -1, &s.stmt, nullptr) !=
      SQLITE_OK)
    return out;
  sqlite3_bind_text(s.stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  while (sqlite3_step(s.stmt) == SQLITE_ROW) {
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, 0));
    const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, 1));
    out.push_back({name ? name : "", affinity_of(type ? type : "")});
  }
  return out;
}

bool whole_number_text(std::string_view t) {
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  if (i == t.size()) return false;
  for (; i < t.size(); ++i)
    if (t[i] < '0' || t[i] > '9') return false;
  return true;
}

void bind_field(sqlite3_stmt* s, int index, const CsvField& f, Affinity affinity) {
  if (f.text.empty()) {
    if (f.quoted && affinity == Affinity::Text)
      sqlite3_bind_text(s, index, "", 0, SQLITE_STATIC);
    else
      sqlite3_bind_null(s, index);
    return;
  }
  if (affinity != Affinity::Text) {
    std::string_view t = f.text;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    if (whole_number_text(t)) {
      int64_t whole = 0;
      const std::string_view digits = !t.empty() && t.front() == '+' ? t.substr(1) : t;
      const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), whole);
      if (res.ec == std::errc() && res.ptr == digits.data() + digits.size()) {
        sqlite3_bind_int64(s, index, whole);
        return;
      }
    }
    double number = 0.0;
    if (parse_double(t, number) && std::isfinite(number)) {
      sqlite3_bind_double(s, index, number);
      return;
    }
  }
  sqlite3_bind_text(s, index, f.text.data(), static_cast<int>(f.text.size()), SQLITE_TRANSIENT);
}

void load_table(sqlite3* db, const std::string& table, const std::string& csv_path) {
  CsvReader csv(read_file(csv_path), csv_path);
  const auto columns = table_columns(db, table);

  std::vector<CsvField> fields;
  int line = 0;
  if (!csv.next(fields, line)) fail(csv_path, "empty file, no header line naming the columns");

  // The header: which table column each CSV column fills.
  std::vector<const TableColumn*> targets;
  for (size_t i = 0; i < fields.size(); ++i) {
    const std::string where = csv_path + ": line " + std::to_string(line) + ", column " +
                              std::to_string(i + 1);
    std::string_view name = fields[i].text;
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    const std::string wanted = lower(name);
    const auto it = std::find_if(columns.begin(), columns.end(),
                                 [&](const TableColumn& c) { return lower(c.name) == wanted; });
    if (it == columns.end())
      fail(where, "table " + table + " has no column '" + fields[i].text + "'");
    if (std::find(targets.begin(), targets.end(), &*it) != targets.end())
      fail(where, "column '" + fields[i].text + "' named twice");
    targets.push_back(&*it);
  }

  std::string names, params;
  for (const auto* c : targets) {
    if (!names.empty()) {
      names += ", ";
      params += ", ";
    }
    names += quoted_name(c->name);
    params += '?';
  }
  const std::string sql =
      "INSERT INTO " + quoted_name(table) + " (" + names + ") VALUES (" + params + ")";
  Stmt insert;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &insert.stmt, nullptr) != SQLITE_OK)
    fail(csv_path, sqlite3_errmsg(db));

  while (csv.next(fields, line)) {
    const std::string where = csv_path + ": line " + std::to_string(line);
    if (fields.size() != targets.size())
      fail(where, std::to_string(fields.size()) + (fields.size() == 1 ? " field" : " fields") +
                      ", the header names " + std::to_string(targets.size()));
    sqlite3_reset(insert.stmt);
    sqlite3_clear_bindings(insert.stmt);
    for (size_t i = 0; i < fields.size(); ++i)
      bind_field(insert.stmt, static_cast<int>(i) + 1, fields[i], targets[i]->affinity);
    if (sqlite3_step(insert.stmt) != SQLITE_DONE) fail(where, sqlite3_errmsg(db));
  }
}

// Runs schema.sql statement by statement, so that a failure names the line and column of
// the offending token (or of the statement that failed to run).
void run_schema(sqlite3* db, const std::string& schema, const std::string& schema_path) {
  const char* tail = schema.c_str();
  const auto fail_at = [&](const char* at) {
    const auto [line, column] = line_and_column(schema, static_cast<size_t>(at - schema.c_str()));
    fail(schema_path + ": line " + std::to_string(line) + ", column " + std::to_string(column),
         sqlite3_errmsg(db));
  };
  while (*tail) {
    sqlite3_stmt* s = nullptr;
    const char* next = nullptr;
    if (sqlite3_prepare_v2(db, tail, -1, &s, &next) != SQLITE_OK) {
      const int offset = sqlite3_error_offset(db);
      const char* at = tail;
      if (offset >= 0) {
        at = tail + offset;
      } else {
        while (*at == ' ' || *at == '\t' || *at == '\r' || *at == '\n') ++at;
      }
      fail_at(at);
    }
    if (s) {
      int rc;
      while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      }
      sqlite3_finalize(s);
      if (rc != SQLITE_DONE) {
        const char* at = tail;
        while (*at == ' ' || *at == '\t' || *at == '\r' || *at == '\n') ++at;
        fail_at(at);
      }
    }
    if (!next || next == tail) break;
    tail = next;
  }
}

void exec(sqlite3* db, const char* sql, const std::string& where) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    fail(where, text);
  }
}

}  // namespace

void build_catalogue(const std::string& source_dir, const std::string& out_path) {
  const std::string schema_path = source_dir + "/schema.sql";
  const std::string schema = read_file(schema_path);

  // The folder of the output, made when it is missing.
  if (const auto parent = std::filesystem::path(out_path).parent_path(); !parent.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (ec) fail(out_path, "cannot create its folder: " + ec.message());
  }
  TemporaryFile file(out_path);
  {
    Db db;
    if (sqlite3_open_v2(file.path().c_str(), &db.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
      fail(out_path, db.db ? sqlite3_errmsg(db.db) : "cannot create");
    // The file is thrown away on any failure, so it needs no journal of its own.
    exec(db.db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", out_path);

    run_schema(db.db, schema, schema_path);

    std::vector<std::string> tables;
    {
      Stmt s;
      sqlite3_prepare_v2(db.db,
                         "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE "
                         "'sqlite!_%' ESCAPE '!' ORDER BY rowid",
                         -1, &s.stmt, nullptr);
      while (sqlite3_step(s.stmt) == SQLITE_ROW)
        tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, 0)));
    }
    if (tables.empty()) fail(schema_path, "creates no table");

    exec(db.db, "BEGIN", out_path);
    for (const auto& table : tables) load_table(db.db, table, source_dir + "/" + table + ".csv");
    exec(db.db, "COMMIT", out_path);

    if (sqlite3_close(db.db) != SQLITE_OK) fail(out_path, sqlite3_errmsg(db.db));
    db.db = nullptr;
  }
  file.commit(out_path);
}

}  // namespace novaflux
