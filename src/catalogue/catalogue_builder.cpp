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
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string_view>
#include <utility>

#include "catalogue/catalogue.hpp"
#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux {

namespace {

[[noreturn]] void fail(const std::string& where, const std::string& defect) {
  throw RunError(ErrorNumber::Catalogue, where + ": " + defect);
}

struct Db {
  sqlite3* db = nullptr;
  Db() = default;
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;
  ~Db() { sqlite3_close_v2(db); }
};

struct Stmt {
  sqlite3_stmt* stmt = nullptr;
  Stmt() = default;
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;
  ~Stmt() { sqlite3_finalize(stmt); }
};

std::string quoted_name(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// ---------------------------------------------------------------------------------------------
// Files

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail(path, errno == ENOENT ? "no such file" : std::strerror(errno));
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) fail(path, "cannot be read");
  return std::move(text).str();
}

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
// CSV (RFC 4180; LF or CRLF line ends; blank lines skipped)

struct CsvField {
  std::string text;
  bool quoted = false;
};

class CsvReader {
public:
  CsvReader(std::string text, std::string file) : text_(std::move(text)), file_(std::move(file)) {
    if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;  // a byte order mark
  }

  // The next record and the line it starts on; false at the end of the text.
  bool next(std::vector<CsvField>& fields, int& line) {
    fields.clear();
    for (;;) {
      if (pos_ >= text_.size()) return false;
      if (text_[pos_] == '\n' || text_[pos_] == '\r') {  // blank line
        skip_line_end();
        continue;
      }
      break;
    }
    line = line_;
    for (;;) {
      fields.push_back(field(line, static_cast<int>(fields.size()) + 1));
      if (pos_ >= text_.size()) return true;
      const char c = text_[pos_];
      if (c == ',') {
        ++pos_;
        if (pos_ >= text_.size()) {  // a trailing comma at the end of the text: one more field
          fields.emplace_back();
          return true;
        }
        continue;
      }
      skip_line_end();
      return true;
    }
  }

  const std::string& file() const { return file_; }

private:
  CsvField field(int record_line, int column) {
    CsvField f;
    if (pos_ < text_.size() && text_[pos_] == '"') {
      f.quoted = true;
      const int start_line = line_;
      ++pos_;
      for (;;) {
        if (pos_ >= text_.size())
          fail(where(start_line, column), "quoted field not closed before the end of the file");
        const char c = text_[pos_++];
        if (c == '"') {
          if (pos_ < text_.size() && text_[pos_] == '"') {
            f.text += '"';
            ++pos_;
            continue;
          }
          break;
        }
        if (c == '\n') ++line_;
        f.text += c;
      }
      if (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '\n' && text_[pos_] != '\r')
        fail(where(line_, column), "text after the closing quote of a quoted field");
      return f;
    }
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == ',' || c == '\n' || c == '\r') break;
      if (c == '"') fail(where(record_line, column), "quote inside an unquoted field");
      f.text += c;
      ++pos_;
    }
    return f;
  }

  void skip_line_end() {
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    ++line_;
  }

  std::string where(int line, int column) const {
    return file_ + ": line " + std::to_string(line) + ", column " + std::to_string(column);
  }

  std::string text_;
  std::string file_;
  size_t pos_ = 0;
  int line_ = 1;
};

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

// ---------------------------------------------------------------------------------------------
// Checking

namespace {

// One cell as stored: its SQLite type and value.
struct Cell {
  int type = SQLITE_NULL;
  double number = 0.0;
  std::string text;

  bool is_number() const { return type == SQLITE_INTEGER || type == SQLITE_FLOAT; }
  std::string shown() const {
    if (type == SQLITE_NULL) return "Null";
    if (is_number()) return number_text(number);
    return "'" + text + "'";
  }
};

using Rows = std::vector<std::vector<Cell>>;

class Checker {
public:
  explicit Checker(std::string path) : path_(std::move(path)) {}

  CheckReport run() {
    // The loader names the first defect that stops it. One of the file as a whole (missing,
    // not a database, truncated, damaged) ends the check; missing tables or columns are all
    // listed below, and the tables that are complete are checked further.
    try {
      load_catalogue(path_);
    } catch (const RunError& e) {
      const std::string message = e.what();
      const bool schema = message.find(": no table ") != std::string::npos ||
                          message.find(" has no column ") != std::string::npos;
      if (!schema) {
        defect(message);
        return std::move(report_);
      }
    }

    Db db;
    if (sqlite3_open_v2(path_.c_str(), &db.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      defect("catalogue " + path_ + ": " + (db.db ? sqlite3_errmsg(db.db) : "cannot be opened"));
      return std::move(report_);
    }
    sqlite3_busy_timeout(db.db, 2000);
    // A double-quoted name that is no column must not read as a text literal.
    sqlite3_db_config(db.db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);

    std::map<std::string, Rows> tables;
    for (const auto& table : catalogue_tables()) {
      std::vector<std::string> present;
      {
        Stmt s;
        if (sqlite3_prepare_v2(db.db, "SELECT name FROM pragma_table_info(?1)", -1, &s.stmt,
                               nullptr) == SQLITE_OK) {
          sqlite3_bind_text(s.stmt, 1, table.name.data(), int(table.name.size()), SQLITE_STATIC);
          while (sqlite3_step(s.stmt) == SQLITE_ROW)
            present.push_back(lower(reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, 0))));
        }
      }
      if (present.empty()) {
        defect("no table " + std::string(table.name));
        continue;
      }
      bool complete = true;
      for (const auto& c : table.columns) {
        if (std::find(present.begin(), present.end(), lower(c.name)) == present.end()) {
          defect("table " + std::string(table.name) + " has no column " + std::string(c.name));
          complete = false;
        }
      }
      if (complete) tables[std::string(table.name)] = read(db.db, table);
    }

    for (const auto& table : catalogue_tables()) {
      const auto it = tables.find(std::string(table.name));
      if (it == tables.end()) continue;
      check_cells(table, it->second);
      note(std::string(table.name) + ": " + std::to_string(it->second.size()) + " rows");
    }
    if (auto it = tables.find("modelmast"); it != tables.end()) check_models(it->second);
    for (const char* name : {"txlmastS", "txlmastW"})
      if (auto it = tables.find(name); it != tables.end()) check_curve(name, it->second);
    if (auto it = tables.find("eatrvalue"); it != tables.end()) check_leakage(it->second);
    if (auto it = tables.find("dimension"); it != tables.end())
      check_dimension(it->second, tables.count("modelmast") ? &tables["modelmast"] : nullptr);
    if (auto it = tables.find("dewpoint"); it != tables.end() && it->second.empty())
      note("dewpoint: no rows (only the optional exhaust condensation adjustment reads it)");
    return std::move(report_);
  }

private:
  void defect(const std::string& text) { report_.defects.push_back(text); }
  void note(const std::string& text) { report_.notes.push_back(text); }

  Rows read(sqlite3* db, const CatalogueTable& table) {
    std::string columns;
    for (const auto& c : table.columns) {
      if (!columns.empty()) columns += ", ";
      columns += quoted_name(c.name);
    }
    const std::string select = "SELECT " + columns + " FROM " + quoted_name(table.name);
    Rows rows;
    Stmt s;
    if (sqlite3_prepare_v2(db, (select + " ORDER BY rowid").c_str(), -1, &s.stmt, nullptr) !=
            SQLITE_OK &&
        sqlite3_prepare_v2(db, select.c_str(), -1, &s.stmt, nullptr) != SQLITE_OK) {
      defect(std::string(table.name) + ": " + sqlite3_errmsg(db));
      return rows;
    }
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
      auto& row = rows.emplace_back();
      for (int i = 0; i < static_cast<int>(table.columns.size()); ++i) {
        Cell c;
        c.type = sqlite3_column_type(s.stmt, i);
        if (c.type == SQLITE_INTEGER || c.type == SQLITE_FLOAT) {
          c.number = sqlite3_column_double(s.stmt, i);
        } else if (c.type != SQLITE_NULL) {
          const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, i));
          c.text.assign(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(s.stmt, i)));
        }
        row.push_back(std::move(c));
      }
    }
    if (rc != SQLITE_DONE) defect(std::string(table.name) + ": " + sqlite3_errmsg(db));
    return rows;
  }

  static std::string row_label(std::string_view table, size_t index) {
    return std::string(table) + " row " + std::to_string(index + 1);
  }

  // Nulls and text where a number belongs, Nulls where a text belongs.
  void check_cells(const CatalogueTable& table, const Rows& rows) {
    const bool leakage = table.name == "eatrvalue";
    for (size_t r = 0; r < rows.size(); ++r) {
      for (size_t c = 0; c < table.columns.size(); ++c) {
        const auto& col = table.columns[c];
        const Cell& cell = rows[r][c];
        const std::string where = row_label(table.name, r) + ": " + std::string(col.name);
        if (cell.type == SQLITE_NULL) {
          // A leakage row may carry only one of the two pressure steps.
          if (leakage && c < 2) continue;
          defect(where + " is Null" + (col.numeric ? std::string(" (matches no lookup)") : std::string()));
        } else if (col.numeric && !cell.is_number()) {
          defect(where + " holds text " + cell.shown() + " where a number belongs (read as " +
                 number_text(leading_number(cell.text)) + ")");
        }
      }
      if (leakage && rows[r][0].type == SQLITE_NULL && rows[r][1].type == SQLITE_NULL)
        defect(row_label(table.name, r) + ": neither Pressure_Differential nor Pressure_Differentialin");
    }
  }

  static bool number(const Cell& c, double& out) {
    if (!c.is_number()) return false;
    out = c.number;
    return true;
  }

  void check_models(const Rows& rows) {
    // Duplicate ids.
    std::map<double, size_t> first_row;
    for (size_t r = 0; r < rows.size(); ++r) {
      double id = 0;
      if (!number(rows[r][0], id)) continue;
      const auto [it, inserted] = first_row.emplace(id, r);
      if (!inserted)
        defect("modelmast: modelid " + number_text(id) + " in row " + std::to_string(it->second + 1) +
               " and row " + std::to_string(r + 1));
    }

    // Rows of one type in ascending order of either area.
    for (size_t c : {size_t(3), size_t(4)}) {
      const std::string column = c == 3 ? "netarearot" : "wonetarearot";
      std::map<std::string, std::pair<double, size_t>> last;  // by type: area, row
      for (size_t r = 0; r < rows.size(); ++r) {
        double area = 0;
        if (!number(rows[r][c], area)) continue;
        if (area <= 0)
          defect(row_label("modelmast", r) + ": " + column + " " + number_text(area) +
                 " is not a face area (the face velocity divides by it)");
        const std::string type = rows[r][1].type == SQLITE_TEXT ? rows[r][1].text : "";
        const auto it = last.find(type);
        if (it != last.end()) {
          const auto [previous, previous_row] = it->second;
          if (area < previous)
            defect(row_label("modelmast", r) + ": " + column + " " + number_text(area) +
                   " below the " + number_text(previous) + " of row " +
                   std::to_string(previous_row + 1) + " of type '" + type +
                   "' (rows of one type must ascend in area)");
          else if (area == previous)
            note(row_label("modelmast", r) + ": " + column + " " + number_text(area) +
                 " equals that of row " + std::to_string(previous_row + 1) +
                 " (a required area equal to it selects neither model directly)");
        }
        last[type] = {area, r};
      }
    }
    for (size_t r = 0; r < rows.size(); ++r) {
      double with = 0, without = 0;
      if (number(rows[r][3], with) && number(rows[r][4], without) && without < with)
        note(row_label("modelmast", r) + ": wonetarearot " + number_text(without) +
             " below netarearot " + number_text(with) + " (the purge sector takes face area)");
    }

    // The models of the model list.
    struct Model {
      const char* name;
      int id;
      int diameter;
    };
    static constexpr Model kModels[] = {
#define NOVAFLUX_CHECK_MODEL(name, value, diameter) {#name, value, diameter},
        NOVAFLUX_MODELS(NOVAFLUX_CHECK_MODEL)
#undef NOVAFLUX_CHECK_MODEL
    };
    for (const auto& m : kModels) {
      const auto it = first_row.find(m.id);
      if (it == first_row.end()) {
        defect("modelmast: no row for model " + std::to_string(m.id) + " (" + m.name + ")");
        continue;
      }
      const auto& row = rows[it->second];
      if (row[1].type != SQLITE_TEXT || row[1].text != "E")
        defect(row_label("modelmast", it->second) + ": model " + std::to_string(m.id) +
               " has type " + row[1].shown() + ", the selection reads type 'E'");
      double dia = 0;
      if (number(row[2], dia) && dia != m.diameter)
        note(row_label("modelmast", it->second) + ": model " + std::to_string(m.id) +
             " has rotor_dia " + number_text(dia) + ", its name says " + std::to_string(m.diameter));
    }
  }

  static std::string key_text(const std::vector<Cell>& row) {
    return "rotor depth " + (row[1].is_number() ? number_text(row[1].number) : row[1].shown()) +
           ", series " + (row[2].type == SQLITE_TEXT ? row[2].text : row[2].shown()) +
           ", type " + (row[3].type == SQLITE_TEXT ? row[3].text : row[3].shown());
  }

  void check_curve(const std::string& table, const Rows& rows) {
    struct KeyState {
      double last_velocity = 0;
      size_t last_row = 0;
      std::map<double, size_t> seen;
    };
    std::map<std::string, KeyState> keys;
    for (size_t r = 0; r < rows.size(); ++r) {
      double v = 0;
      if (!number(rows[r][0], v)) continue;
      const std::string key = key_text(rows[r]);
      auto [it, fresh] = keys.try_emplace(key);
      KeyState& k = it->second;
      if (const auto dup = k.seen.find(v); dup != k.seen.end()) {
        defect(row_label(table, r) + ": velocityfpm " + number_text(v) + " again (row " +
               std::to_string(dup->second + 1) + ") for " + key +
               " (an exact lookup at that velocity finds two rows)");
      } else if (!fresh && v < k.last_velocity) {
        defect(row_label(table, r) + ": velocityfpm " + number_text(v) + " below the " +
               number_text(k.last_velocity) + " of row " + std::to_string(k.last_row + 1) +
               " for " + key + " (rows must ascend in velocity)");
      }
      k.seen.emplace(v, r);
      k.last_velocity = v;
      k.last_row = r;
    }
    const std::string required = "rotor depth 200, series F2, type N";
    const auto it = keys.find(required);
    if (it == keys.end()) {
      defect(table + ": no curve for " + required + " (every run reads it)");
    } else {
      const auto& seen = it->second.seen;
      const double low = seen.begin()->first, high = seen.rbegin()->first;
      if (low > 200 || high < 1100)
        note(table + ": the curve for " + required + " spans " + number_text(low) + " to " +
             number_text(high) + " fpm; velocities outside it are scaled from the end row");
    }
  }

  void check_leakage(const Rows& rows) {
    static constexpr double kSi[] = {0, 50, 100, 125, 200, 300, 400, 500, 600, 700, 750};
    static constexpr double kIp[] = {0, 0.4, 0.5, 0.8, 1.2, 1.6, 2, 2.5, 2.75, 3};
    const auto check_steps = [&](size_t column, std::span<const double> steps, const char* name,
                                 const char* unit) {
      std::map<double, size_t> at;
      double last = 0;
      bool any = false;
      bool ascending = true;
      for (size_t r = 0; r < rows.size(); ++r) {
        double p = 0;
        if (!number(rows[r][column], p)) continue;
        const auto [it, inserted] = at.emplace(p, r);
        if (!inserted)
          defect(row_label("eatrvalue", r) + ": " + name + " " + number_text(p) + " again (row " +
                 std::to_string(it->second + 1) + ")");
        if (any && p < last) ascending = false;
        last = p;
        any = true;
      }
      for (double step : steps)
        if (!at.count(step))
          defect(std::string("eatrvalue: no row for ") + number_text(step) + " " + unit + " (" +
                 name + ")");
      if (!ascending)
        note(std::string("eatrvalue: ") + name + " is not in ascending order");
    };
    check_steps(0, kSi, "Pressure_Differential", "Pa");
    check_steps(1, kIp, "Pressure_Differentialin", "in. w.g.");
  }

  void check_dimension(const Rows& rows, const Rows* models) {
    std::map<std::string, size_t> seen;
    std::set<double> rotors;  // of series F2, type E, depth 200
    for (size_t r = 0; r < rows.size(); ++r) {
      const auto& row = rows[r];
      const std::string key =
          "rotor " + row[0].shown() + ", series " + row[1].shown() + ", type " + row[2].shown() +
          ", rotor depth " + row[3].shown();
      const auto [it, inserted] = seen.emplace(key, r);
      if (!inserted)
        defect(row_label("dimension", r) + ": a second row for " + key + " (row " +
               std::to_string(it->second + 1) + ")");
      double dia = 0, depth = 0;
      if (number(row[0], dia) && number(row[3], depth) && depth == 200 &&
          row[1].type == SQLITE_TEXT && row[1].text == "F2" && row[2].type == SQLITE_TEXT &&
          row[2].text == "E")
        rotors.insert(dia);
    }
    if (!models) return;
    for (size_t r = 0; r < models->size(); ++r) {
      const auto& m = (*models)[r];
      double dia = 0;
      if (m[1].type == SQLITE_TEXT && m[1].text == "E" && number(m[2], dia) && !rotors.count(dia))
        note("dimension: no cassette data for rotor " + number_text(dia) +
             " (series F2, type E, depth 200); its runs keep the previous cassette outputs");
    }
  }

  std::string path_;
  CheckReport report_;
};

}  // namespace

CheckReport check_catalogue(const std::string& path) { return Checker(path).run(); }

}  // namespace novaflux
