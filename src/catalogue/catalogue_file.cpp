// Reading the catalogue file. The file is only ever opened through SQLite: opening and closing
// a descriptor of it beside SQLite would drop the POSIX locks of every connection the process
// has on it.
#include "catalogue/catalogue_file.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux {

// ---------------------------------------------------------------------------------------------
// Schema

namespace {

constexpr CatalogueColumn kModelColumns[] = {
    {"modelid", true}, {"type", false}, {"rotor_dia", true}, {"netarearot", true},
    {"wonetarearot", true}};
constexpr CatalogueColumn kCurveColumns[] = {
    {"velocityfpm", true}, {"rotdepth", true},    {"series", false},      {"type", false},
    {"efficiency", true},  {"sefficiency", true}, {"lefficiency", true}, {"pdroppa", true}};
constexpr CatalogueColumn kLeakageColumns[] = {
    {"Pressure_Differential", true}, {"Pressure_Differentialin", true}, {"EATRwp", true},
    {"OACFwp", true},  {"Purge_Anglewp", true}, {"EATRwop", true},
    {"OACFwop", true}, {"Purge_Anglewop", true}};
constexpr CatalogueColumn kDimensionColumns[] = {
    {"rotor_dia", true}, {"series", false}, {"type", false},    {"rotdepth", true},
    {"dimH", true},      {"dimD", true},    {"drivemot", true}, {"Weight", true}};
constexpr CatalogueColumn kDewpointColumns[] = {{"grsp", true}, {"dewf", true}};

constexpr CatalogueTable kTables[] = {
    {"modelmast", kModelColumns},     {"txlmastS", kCurveColumns},
    {"txlmastW", kCurveColumns},      {"eatrvalue", kLeakageColumns},
    {"dimension", kDimensionColumns}, {"dewpoint", kDewpointColumns}};

}  // namespace

std::span<const CatalogueTable> catalogue_tables() { return kTables; }

namespace catalogue_io {

// ---------------------------------------------------------------------------------------------
// Files

[[noreturn]] void fail(const std::string& path, const std::string& defect) {
  throw FatalRunError(ErrorNumber::Catalogue, "catalogue " + path + ": " + defect);
}


// The identity of the WAL file: without its change time, which moves whenever a connection
// opens the database (SQLite gives the file the database's owner again).
FileIdentity probe_wal(const char* path) noexcept {
  FileIdentity id = probe(path);
  id.ctime_ns = 0;
  return id;
}

// ---------------------------------------------------------------------------------------------
// SQLite

// The database header and size of the file a connection has open, read through SQLite's own
// handle. Never open and close the file beside SQLite: closing any descriptor of a file drops
// every POSIX lock the process holds on it, those of other connections included.
constexpr char kMagic[] = "SQLite format 3";  // with its terminating NUL: 16 bytes

struct Header {
  std::array<unsigned char, 100> bytes{};
  int64_t file_size = -1;  // -1: unknown
  bool sqlite = false;     // starts with the SQLite magic
  bool whole = false;      // at least the 100 bytes of the header
  uint32_t page_size = 0;
  uint32_t page_count = 0;  // 0 when the header's count is not valid
  bool wal = false;
  friend bool operator==(const Header&, const Header&) = default;
};

uint32_t be32(const unsigned char* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

Header read_header(sqlite3* db) {
  Header h;
  sqlite3_file* f = nullptr;
  if (!db || sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &f) != SQLITE_OK || !f ||
      !f->pMethods)
    return h;
  sqlite3_int64 size = 0;
  if (f->pMethods->xFileSize(f, &size) != SQLITE_OK) return h;
  h.file_size = size;
  const int got = static_cast<int>(size < 100 ? size : 100);
  if (got > 0) f->pMethods->xRead(f, h.bytes.data(), got, 0);  // a short read fills with zeros
  const auto* b = h.bytes.data();
  h.whole = got == 100;
  h.sqlite = got > 0 && std::memcmp(b, kMagic, size_t(got < 16 ? got : 16)) == 0;
  if (!h.whole) return h;
  h.page_size = uint32_t(b[16]) << 8 | b[17];
  if (h.page_size == 1) h.page_size = 65536;
  h.wal = b[18] == 2 || b[19] == 2;
  if (std::memcmp(b + 24, b + 92, 4) == 0) h.page_count = be32(b + 28);
  return h;
}

// The file cut short: not a whole number of pages, or fewer than the header counts. ("" when
// it is not.)
std::string truncation(const Header& h) {
  if (h.file_size < 0 || h.page_size < 512) return {};
  const auto expected = static_cast<int64_t>(h.page_count) * h.page_size;
  const bool short_of_count = !h.wal && h.page_count != 0 && h.file_size < expected;
  if (h.file_size % h.page_size == 0 && !short_of_count) return {};
  return "truncated (" + std::to_string(h.file_size) + " bytes" +
         (expected > h.file_size ? " of " + std::to_string(expected) : std::string()) + ")";
}

// Fails unless the file starts like an SQLite database.
Header check_header(const std::string& path, sqlite3* db) {
  const Header h = read_header(db);
  if (h.file_size == 0) fail(path, "empty file, not an SQLite database");
  if (h.file_size > 0 && !h.sqlite) fail(path, "not an SQLite database");
  if (h.file_size > 0 && !h.whole)
    fail(path, "truncated (" + std::to_string(h.file_size) + " bytes, not even a header)");
  return h;
}

// The defect an SQLite failure means for the file as a whole, when it means one.
[[noreturn]] void fail_sqlite(const std::string& path, sqlite3* db, int rc, const std::string& doing) {
  const int primary = rc & 0xff;
  const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  if (primary == SQLITE_NOTADB) fail(path, "not an SQLite database");
  if (primary == SQLITE_CORRUPT || rc == SQLITE_IOERR_SHORT_READ) {
    const std::string cut = truncation(read_header(db));
    fail(path, cut.empty() ? "damaged (" + message + ")" : cut);
  }
  fail(path, message + (doing.empty() ? std::string() : " (" + doing + ")"));
}

void exec(const std::string& path, sqlite3* db, const char* sql) {
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) fail_sqlite(path, db, rc, std::string());
}

Connection open_read_only(const std::string& path) {
  Connection c;
  const int rc = sqlite3_open_v2(path.c_str(), &c.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                                 nullptr);
  if (rc != SQLITE_OK) fail_sqlite(path, c.db, rc, "opening");
  // A writer holds its lock for the length of a commit; wait for it rather than fail.
  sqlite3_busy_timeout(c.db, 2000);
  // A double-quoted name that is no column must not read as a text literal.
  sqlite3_db_config(c.db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  return c;
}

// The columns of a table or view as SQLite reports them; empty when there is no such table.
std::vector<std::string> columns_of(sqlite3* db, std::string_view table) {
  std::vector<std::string> names;
  Statement s;
  if (sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?1)", -1, &s.stmt, nullptr) !=
      SQLITE_OK)
    return names;
  sqlite3_bind_text(s.stmt, 1, table.data(), int(table.size()), SQLITE_STATIC);
  while (sqlite3_step(s.stmt) == SQLITE_ROW) {
    const auto* name = sqlite3_column_text(s.stmt, 0);
    names.emplace_back(name ? reinterpret_cast<const char*>(name) : "");
  }
  return names;
}

// Prepares the read of one table in stored order. A table that cannot be read this way is
// diagnosed: missing, or missing a column.
Statement prepare_table(const std::string& path, sqlite3* db, const CatalogueTable& table) {
  std::string columns;
  for (const auto& c : table.columns) {
    if (!columns.empty()) columns += ", ";
    columns += '"';
    columns += c.name;
    columns += '"';
  }
  const std::string select = "SELECT " + columns + " FROM \"" + std::string(table.name) + "\"";
  Statement s;
  int rc = sqlite3_prepare_v2(db, (select + " ORDER BY rowid").c_str(), -1, &s.stmt, nullptr);
  if (rc == SQLITE_OK) return s;
  if ((rc & 0xff) != SQLITE_ERROR) fail_sqlite(path, db, rc, "reading table " + std::string(table.name));
  const std::string message = sqlite3_errmsg(db);

  const auto present = columns_of(db, table.name);
  if (present.empty()) fail(path, "no table " + std::string(table.name));
  for (const auto& c : table.columns) {
    bool found = false;
    for (const auto& p : present)
      found = found || sqlite3_stricmp(p.c_str(), std::string(c.name).c_str()) == 0;
    if (!found) fail(path, "table " + std::string(table.name) + " has no column " + std::string(c.name));
  }
  // A view or a table without rowid: its own order is the stored order.
  rc = sqlite3_prepare_v2(db, select.c_str(), -1, &s.stmt, nullptr);
  if (rc == SQLITE_OK) return s;
  fail(path, message + " (reading table " + std::string(table.name) + ")");
}

// The cells of the current row, read left to right.
class Cells {
public:
  Cells(sqlite3_stmt* s, const std::string& path, const CatalogueTable& table, size_t row)
      : s_(s), path_(path), table_(table), row_(row) {}

  // A numeric column: a number as it is, text as its leading number, Null empty. An infinity
  // (or a text beyond the range of a double) is a defect of the file: no figure built on it
  // could be published.
  Num num() {
    const int i = i_++;
    double value = 0.0;
    switch (sqlite3_column_type(s_, i)) {
      case SQLITE_INTEGER: value = static_cast<double>(sqlite3_column_int64(s_, i)); break;
      case SQLITE_FLOAT: value = sqlite3_column_double(s_, i); break;
      case SQLITE_NULL: return std::nullopt;
      default: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, i));
        const int n = sqlite3_column_bytes(s_, i);
        value = leading_number(std::string_view(p ? p : "", p ? size_t(n) : 0));
      }
    }
    if (!std::isfinite(value) || std::fabs(value) >= std::numeric_limits<double>::max()) {
      fail(path_, "table " + std::string(table_.name) + ", row " + std::to_string(row_) + ", column " +
                      std::string(table_.columns[static_cast<size_t>(i)].name) +
                      " holds a number that is not finite");
    }
    return value;
  }

  // A text column: text as it is, a number as its text, Null empty.
  Text text() {
    const int i = i_++;
    switch (sqlite3_column_type(s_, i)) {
      case SQLITE_INTEGER: return std::to_string(sqlite3_column_int64(s_, i));
      case SQLITE_FLOAT: return number_text(sqlite3_column_double(s_, i));
      case SQLITE_NULL: return std::nullopt;
      default: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, i));
        const int n = sqlite3_column_bytes(s_, i);
        return std::string(p ? p : "", p ? size_t(n) : 0);
      }
    }
  }

private:
  sqlite3_stmt* s_;
  const std::string& path_;
  const CatalogueTable& table_;
  size_t row_;
  int i_ = 0;
};

void read_row(Cells& c, ModelRow& r) {
  r.modelid = c.num();
  r.type = c.text();
  r.rotor_dia = c.num();
  r.netarearot = c.num();
  r.wonetarearot = c.num();
}

void read_row(Cells& c, CurveRow& r) {
  r.velocityfpm = c.num();
  r.rotdepth = c.num();
  r.series = c.text();
  r.type = c.text();
  r.efficiency = c.num();
  r.sefficiency = c.num();
  r.lefficiency = c.num();
  r.pdroppa = c.num();
}

void read_row(Cells& c, LeakageRow& r) {
  r.Pressure_Differential = c.num();
  r.Pressure_Differentialin = c.num();
  r.EATRwp = c.num();
  r.OACFwp = c.num();
  r.Purge_Anglewp = c.num();
  r.EATRwop = c.num();
  r.OACFwop = c.num();
  r.Purge_Anglewop = c.num();
}

void read_row(Cells& c, DimensionRow& r) {
  r.rotor_dia = c.num();
  r.series = c.text();
  r.type = c.text();
  r.rotdepth = c.num();
  r.dimH = c.num();
  r.dimD = c.num();
  r.drivemot = c.num();
  r.Weight = c.num();
}

void read_row(Cells& c, DewpointRow& r) {
  r.grsp = c.num();
  r.dewf = c.num();
}

template <class Row>
void read_table(const std::string& path, sqlite3* db, const CatalogueTable& table,
                std::vector<Row>& rows) {
  Statement s = prepare_table(path, db, table);
  for (;;) {
    const int rc = sqlite3_step(s.stmt);
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) fail_sqlite(path, db, rc, "reading table " + std::string(table.name));
    Cells cells(s.stmt, path, table, rows.size() + 1);
    read_row(cells, rows.emplace_back());
  }
}

int64_t read_data_version(sqlite3_stmt* s) {
  int64_t v = -1;
  if (sqlite3_step(s) == SQLITE_ROW) v = sqlite3_column_int64(s, 0);
  sqlite3_reset(s);
  return v;
}


// One read of every table; false when the file was rewritten in place while it was read.
bool read_once(const std::string& path, const std::string& wal_path, Loaded& out) {
  // Taken before the file is opened: the file read is this one or a later one, so a change
  // after this point is noticed by the next call, never missed.
  out.file = stat_catalogue(path);
  out.wal = wal_path.empty() ? FileIdentity{} : probe_wal(wal_path.c_str());
  out.db = open_read_only(path);
  sqlite3* db = out.db.db;
  check_header(path, db);
  int rc = sqlite3_prepare_v2(db, "PRAGMA data_version", -1, &out.data_version.stmt, nullptr);
  if (rc != SQLITE_OK) fail_sqlite(path, db, rc, std::string());

  auto catalogue = std::make_shared<Catalogue>();
  catalogue->path = path;
  exec(path, db, "BEGIN");
  // The first statement of the transaction takes the read lock: everything below comes from
  // one committed state of the file, and no writer that uses SQLite touches it meanwhile.
  if (sqlite3_step(out.data_version.stmt) != SQLITE_ROW)
    fail_sqlite(path, db, sqlite3_reset(out.data_version.stmt), std::string());
  out.version = sqlite3_column_int64(out.data_version.stmt, 0);
  sqlite3_reset(out.data_version.stmt);
  const Header locked = read_header(db);
  if (const std::string cut = truncation(locked); !cut.empty()) fail(path, cut);
  read_table(path, db, kTables[0], catalogue->modelmast);
  read_table(path, db, kTables[1], catalogue->txlmastS);
  read_table(path, db, kTables[2], catalogue->txlmastW);
  catalogue->txlmastS_groups = group_curve_rows(catalogue->txlmastS);
  catalogue->txlmastW_groups = group_curve_rows(catalogue->txlmastW);
  read_table(path, db, kTables[3], catalogue->eatrvalue);
  read_table(path, db, kTables[4], catalogue->dimension);
  read_table(path, db, kTables[5], catalogue->dewpoint);
  // Under the read lock only something that ignores it changes the file. (In WAL mode a
  // checkpoint may write the file meanwhile, harmlessly.)
  const bool rewritten = !locked.wal && !(read_header(db) == locked);
  exec(path, db, "COMMIT");
  out.catalogue = std::move(catalogue);
  return !rewritten;
}

Loaded load_file(const std::string& path, const std::string& wal_path, bool keep_connection) {
  // A file renamed into place is whole, and SQLite's locks keep out writers that use SQLite.
  // Something that rewrites the file in place without locking can change it under the read,
  // though: read again until a read sees the file unchanged from start to end. A read that
  // failed on a file that changed meanwhile proves nothing about the file now.
  constexpr int kAttempts = 5;
  for (int attempt = 1;; ++attempt) {
    Loaded out;
    bool whole = false;
    try {
      whole = read_once(path, wal_path, out);
    } catch (const RunError&) {
      if (attempt == kAttempts || probe(path.c_str()) == out.file) throw;
      continue;
    }
    if (!whole) {
      if (attempt == kAttempts) fail(path, "the file kept changing while it was read");
      continue;
    }
    if (!keep_connection) {
      out.data_version = Statement();
      out.db = Connection();
    }
    return out;
  }
}

}  // namespace catalogue_io
}  // namespace novaflux
