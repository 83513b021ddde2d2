// Reading the catalogue file and noticing when it changes.
//
// A run must see the file as it is now, yet most runs find it unchanged, so the check that
// nothing changed has to cost next to nothing. Each thread keeps the snapshot it loaded. The
// kernel's change notifications (inotify) report every write, creation, removal and rename of
// the file and of its WAL file (so also a commit through SQLite that leaves size and time as
// they were), and of every directory entry and symbolic link the path passes through (so a
// replaced folder or a switched link is noticed as well). An unchanged file then costs one
// read of the notification queue per call. A relative path, whose meaning follows the working
// directory, is stat'ed on every call besides.
//
// Where notifications are not available (a network file system, the per-user limit reached)
// every call polls instead: stat of the file and of its WAL file, and PRAGMA data_version on
// a read-only connection kept open for the purpose.
//
// Snapshots are shared between threads: a thread that finds the file as another thread loaded
// it, with no change notified since, takes that thread's snapshot.
//
// The file is only ever opened through SQLite. Opening and closing a descriptor of it beside
// SQLite would drop the POSIX locks of every connection the process has on it.
#include "catalogue/catalogue.hpp"

#include <pthread.h>
#include <sqlite3.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include "common/component_folder.hpp"
#include "common/module_state.hpp"
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

// ---------------------------------------------------------------------------------------------
// The catalogue path

namespace {

// Process-wide; never destroyed, so that threads still running at exit can use it.
struct PathOverride {
  std::mutex mutex;
  std::string path;
};
PathOverride& path_override() {
  static PathOverride* p = new PathOverride;
  return *p;
}

// Moves whenever what open_database() must read may have changed without the file changing:
// a new override, or a switch of the change-detection method.
std::atomic<uint64_t> g_path_generation{1};
std::atomic<bool> g_notifications{true};

}  // namespace

void set_catalogue_path(const std::string& path) {
  auto& o = path_override();
  std::lock_guard lock(o.mutex);
  o.path = path;
  g_path_generation.fetch_add(1, std::memory_order_acq_rel);
}

std::string catalogue_path_override() {
  auto& o = path_override();
  std::lock_guard lock(o.mutex);
  return o.path;
}

std::string effective_catalogue_path() {
  std::string path = catalogue_path_override();
  return path.empty() ? component_folder() + "/NOVAFLUX.db" : path;
}

std::string catalogue_path() { return effective_catalogue_path(); }

namespace detail {
void set_catalogue_change_notifications(bool enabled) {
  g_notifications.store(enabled);
  g_path_generation.fetch_add(1, std::memory_order_acq_rel);
}
}  // namespace detail

// ---------------------------------------------------------------------------------------------
// Files

namespace {

[[noreturn]] void fail(const std::string& path, const std::string& defect) {
  throw FatalRunError(ErrorNumber::Catalogue, "catalogue " + path + ": " + defect);
}

struct FileIdentity {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  int64_t mtime_ns = 0;
  int64_t ctime_ns = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

FileIdentity identity_of(const struct stat& st) {
  return {true,
          st.st_dev,
          st.st_ino,
          st.st_size,
          int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
          int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

// The identity of a file that may be absent.
FileIdentity probe(const char* path) noexcept {
  struct stat st;
  if (::stat(path, &st) != 0) return {};
  return identity_of(st);
}

// The identity of the WAL file: without its change time, which moves whenever a connection
// opens the database (SQLite gives the file the database's owner again).
FileIdentity probe_wal(const char* path) noexcept {
  FileIdentity id = probe(path);
  id.ctime_ns = 0;
  return id;
}

// The identity of the catalogue file itself; fails when it cannot be read as a file.
FileIdentity stat_catalogue(const std::string& path) {
  struct stat st;
  if (path.empty()) fail(path, "no file name");
  if (::stat(path.c_str(), &st) != 0) {
    const int e = errno;
    if (e == ENOENT || e == ENOTDIR) fail(path, "no such file");
    fail(path, std::strerror(e));
  }
  if (S_ISDIR(st.st_mode)) fail(path, "is a directory, not a file");
  if (!S_ISREG(st.st_mode)) fail(path, "not a regular file");
  return identity_of(st);
}

// ---------------------------------------------------------------------------------------------
// SQLite

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

// One complete read of the file.
struct Loaded {
  std::shared_ptr<const Catalogue> catalogue;
  FileIdentity file;          // the file as it was before the read
  FileIdentity wal;           // its WAL file then
  Connection db;              // kept open when asked for (polling)
  Statement data_version;     // PRAGMA data_version on db
  int64_t version = 0;        // its value in the read transaction
};

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

// ---------------------------------------------------------------------------------------------
// Change notifications

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

std::string join(const std::string& dir, const std::string& name) {
  return dir == "/" ? "/" + name : dir + "/" + name;
}

std::string parent_of(const std::string& dir) {
  const auto slash = dir.rfind('/');
  return slash == 0 || slash == std::string::npos ? std::string("/") : dir.substr(0, slash);
}

// Pushes the components of a path on a stack, the first one on top.
void push_components(std::vector<std::string>& stack, const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const auto slash = path.find('/', start);
    const auto end = slash == std::string::npos ? path.size() : slash;
    if (end > start) parts.push_back(path.substr(start, end - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) stack.push_back(std::move(*it));
}

// Walks an absolute path the way the kernel resolves it, following symbolic links, and
// names each directory passed and the name looked up there; the file itself comes with its
// WAL file. Without an absolute path that resolves, only the file's own directory is watched
// and the path is checked by stat on every call.
WatchPlan plan_watch(const std::string& path, const std::string& real_path) {
  WatchPlan plan;
  if (!path.empty() && path.front() == '/') {
    std::vector<std::string> todo;
    push_components(todo, path);
    std::string dir = "/";
    int links = 0;
    while (!todo.empty()) {
      const std::string name = std::move(todo.back());
      todo.pop_back();
      if (name == ".") continue;
      if (name == "..") {
        dir = parent_of(dir);
        continue;
      }
      plan.names.push_back({dir, name});
      const std::string next = join(dir, name);
      struct stat st;
      if (::lstat(next.c_str(), &st) != 0) break;
      if (S_ISLNK(st.st_mode)) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink(next.c_str(), target, sizeof target);
        if (++links > 40 || n <= 0 || n >= static_cast<ssize_t>(sizeof target)) break;
        if (target[0] == '/') dir = "/";
        push_components(todo, std::string(target, static_cast<size_t>(n)));
        continue;
      }
      if (todo.empty()) {
        if (!S_ISREG(st.st_mode)) break;
        plan.names.push_back({dir, name + "-wal"});
        plan.covers_path = true;
        plan.key = path;
        return plan;
      }
      dir = next;
    }
  }
  plan.names.clear();
  const auto slash = real_path.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string(".")
                          : slash == 0               ? std::string("/")
                                                     : real_path.substr(0, slash);
  const std::string base = slash == std::string::npos ? real_path : real_path.substr(slash + 1);
  plan.names = {{dir, base}, {dir, base + "-wal"}};
  plan.key = "\n" + real_path;
  return plan;
}

// One catalogue path watched. Fields other than the plan are guarded by the registry's mutex.
struct ChangeWatch {
  struct Entry {
    int wd;
    std::string name;
  };
  std::string key;
  std::vector<WatchedName> names;  // the plan it was made from
  std::vector<Entry> entries;      // the same with the directories' watch descriptors
  std::vector<int> wds;            // each directory watch once
  bool covers_path = false;

  // Written under the registry's mutex, read without it on the fast path.
  std::atomic<uint64_t> generation{0};  // moves on every change of a watched name
  std::atomic<bool> broken{false};      // a directory watch ended: attach again
  // The snapshot last loaded through this watch, good while the generation and the file's
  // identity are those it was loaded at.
  std::weak_ptr<const Catalogue> snapshot;
  uint64_t snapshot_generation = 0;
  FileIdentity snapshot_file;
};

// File systems whose changes made on another machine the kernel does not report.
bool remote_file_system(const std::string& dir) {
  struct statfs fs;
  if (::statfs(dir.c_str(), &fs) != 0) return true;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969UL:      // NFS
    case 0x517BUL:      // SMB
    case 0xFF534D42UL:  // CIFS
    case 0xFE534D42UL:  // SMB2
    case 0x65735546UL:  // FUSE
    case 0x01021997UL:  // 9P
    case 0x00C36400UL:  // Ceph
    case 0x73757245UL:  // Coda
    case 0x5346414FUL:  // AFS
    case 0x6B414653UL:  // kAFS
    case 0x7461636FUL:  // OCFS2
    case 0x01161970UL:  // GFS2
    case 0x47504653UL:  // GPFS
    case 0x0BD00BD0UL:  // Lustre
      return true;
    default:
      return false;
  }
}

class WatchRegistry {
public:
  static WatchRegistry& instance() {
    static WatchRegistry* r = new WatchRegistry;  // never destroyed: threads may outlive main
    return *r;
  }

  // The watch of a catalogue path, shared by every thread that reads it; null when
  // notifications are not available for it.
  std::shared_ptr<ChangeWatch> attach(const std::string& path, const std::string& real_path) {
    WatchPlan plan = plan_watch(path, real_path);
    for (const auto& n : plan.names)
      if (remote_file_system(n.dir)) return nullptr;

    std::lock_guard lock(mutex_);
    prepare_locked();
    if (fd_ < 0) return nullptr;
    if (auto it = by_key_.find(plan.key); it != by_key_.end()) {
      if (auto w = it->second.lock(); w && !w->broken && w->names == plan.names) return w;
    }
    std::shared_ptr<ChangeWatch> w(new ChangeWatch, [](ChangeWatch* p) {
      instance().bury(std::move(p->wds), std::move(p->key));
      delete p;
    });
    if (!add_watches(*w, plan)) {
      if (!plan.covers_path) return nullptr;
      // A directory on the way cannot be watched: watch the file's own directory only.
      plan = plan_watch(std::string(), real_path);
      w->entries.clear();
      w->wds.clear();
      if (!add_watches(*w, plan)) return nullptr;
    }
    w->key = plan.key;
    w->names = std::move(plan.names);
    w->covers_path = plan.covers_path;
    for (int wd : w->wds) by_wd_[wd].push_back(w);
    by_key_[w->key] = w;
    return w;
  }

  // True when no watched name changed since the watch stood at `generation`. The fast path:
  // one read of the notification queue, no allocation when nothing happened.
  //
  // Most calls find the queue empty and need neither the mutex nor a read: the kernel queues
  // the event of a change before the call that made it returns, so an empty queue seen while
  // no other thread is draining it means no change since the last drain. Threads rating side
  // by side thus never wait for each other here.
  bool unchanged(ChangeWatch& w, uint64_t generation) noexcept {
    const uint64_t before = drain_seq_.load(std::memory_order_acquire);
    if ((before & 1) == 0 && !forked_.load(std::memory_order_acquire) && fd_.load(std::memory_order_acquire) >= 0) {
      int queued = -1;
      if (::ioctl(fd_.load(std::memory_order_relaxed), FIONREAD, &queued) == 0 && queued == 0) {
        const bool same = !w.broken.load(std::memory_order_acquire) &&
                          w.generation.load(std::memory_order_acquire) == generation;
        if (drain_seq_.load(std::memory_order_acquire) == before) return same;
      }
    }
    std::lock_guard lock(mutex_);
    if (forked_) reset_after_fork();
    drain();
    return !w.broken && w.generation == generation;
  }

  uint64_t generation(ChangeWatch& w) {
    std::lock_guard lock(mutex_);
    drain();
    return w.generation;
  }

  // The snapshot another thread loaded through this watch, when nothing changed since.
  std::shared_ptr<const Catalogue> shared_snapshot(ChangeWatch& w, uint64_t generation,
                                                   const FileIdentity& file) {
    std::lock_guard lock(mutex_);
    drain();
    if (w.broken || w.generation != generation || w.snapshot_generation != generation ||
        !(w.snapshot_file == file))
      return nullptr;
    return w.snapshot.lock();
  }

  void offer_snapshot(ChangeWatch& w, uint64_t generation, const FileIdentity& file,
                      const std::shared_ptr<const Catalogue>& snapshot) {
    std::lock_guard lock(mutex_);
    if (w.snapshot_generation > generation && !w.snapshot.expired()) return;  // a newer one
    w.snapshot = snapshot;
    w.snapshot_generation = generation;
    w.snapshot_file = file;
  }

private:
  WatchRegistry() {
    // The child of a fork must not find the mutexes held by a thread that does not exist there.
    pthread_atfork(
        [] {
          instance().mutex_.lock();
          instance().graveyard_mutex_.lock();
        },
        [] {
          instance().graveyard_mutex_.unlock();
          instance().mutex_.unlock();
        },
        [] {
          instance().forked_ = true;
          instance().graveyard_mutex_.unlock();
          instance().mutex_.unlock();
        });
  }

  // Not IN_ATTRIB: every connection that opens the database touches the WAL file's owner.
  static constexpr uint32_t kMask = IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                    IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

  void prepare_locked() {
    if (forked_) reset_after_fork();
    release_buried();
    if (fd_ < 0 && !unavailable_) {
      fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
      unavailable_ = fd_ < 0;
    }
    drain();
  }

  // Watches the directories of a plan; on failure leaves no directory watch of its own.
  bool add_watches(ChangeWatch& w, const WatchPlan& plan) {
    std::vector<std::pair<std::string, int>> dirs;
    std::vector<int> added;
    for (const auto& n : plan.names) {
      int wd = -1;
      for (const auto& [dir, d] : dirs)
        if (dir == n.dir) wd = d;
      if (wd < 0) {
        wd = inotify_add_watch(fd_, n.dir.c_str(), kMask);
        if (wd < 0) {
          for (int a : added) inotify_rm_watch(fd_, a);
          return false;
        }
        if (!by_wd_.count(wd) &&
            std::find(added.begin(), added.end(), wd) == added.end())
          added.push_back(wd);
        dirs.emplace_back(n.dir, wd);
        if (std::find(w.wds.begin(), w.wds.end(), wd) == w.wds.end()) w.wds.push_back(wd);
      }
      w.entries.push_back({wd, n.name});
    }
    return true;
  }

  // Reads every queued event; called with the mutex held.
  void drain() noexcept {
    if (fd_ < 0) return;
    // Odd while events are taken off the queue and not yet counted (see unchanged()).
    drain_seq_.fetch_add(1, std::memory_order_acq_rel);
    struct Done {
      std::atomic<uint64_t>& seq;
      ~Done() { seq.fetch_add(1, std::memory_order_release); }
    } done{drain_seq_};
    alignas(inotify_event) char buf[4096];
    for (;;) {
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      for (ssize_t off = 0; off < n;) {
        const auto* ev = reinterpret_cast<const inotify_event*>(buf + off);
        handle(*ev);
        off += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
      }
    }
  }

  void handle(const inotify_event& ev) noexcept {
    if (ev.mask & IN_Q_OVERFLOW) {  // events were lost: anything may have changed
      for (auto& [wd, watches] : by_wd_)
        for (auto& weak : watches)
          if (auto w = weak.lock()) ++w->generation;
      return;
    }
    const auto it = by_wd_.find(ev.wd);
    if (it == by_wd_.end()) return;
    if (ev.mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) {
      for (auto& weak : it->second) {
        if (auto w = weak.lock()) {
          w->broken = true;
          ++w->generation;
        }
      }
      if (ev.mask & IN_MOVE_SELF) inotify_rm_watch(fd_, ev.wd);  // it would follow the move
      if (ev.mask & IN_IGNORED) by_wd_.erase(it);
      return;
    }
    if (ev.len == 0) return;
    for (auto& weak : it->second) {
      const auto w = weak.lock();
      if (!w) continue;
      for (const auto& e : w->entries) {
        if (e.wd == ev.wd && std::strcmp(ev.name, e.name.c_str()) == 0) {
          ++w->generation;
          break;
        }
      }
    }
  }

  // The last user of a watch is gone. It may go while the mutex is held (the last reference
  // can be a temporary taken while handling an event), so its directory watches are only
  // noted here and given up by release_buried() at the next attach.
  void bury(std::vector<int> wds, std::string key) noexcept {
    try {
      std::lock_guard lock(graveyard_mutex_);
      graveyard_.emplace_back(std::move(wds), std::move(key));
    } catch (...) {
      // Out of memory: the directories stay watched, which costs nothing but the watches.
    }
  }

  // Stops watching the directories no live watch needs; called with the mutex held.
  void release_buried() noexcept {
    std::vector<std::pair<std::vector<int>, std::string>> dead;
    {
      std::lock_guard lock(graveyard_mutex_);
      dead.swap(graveyard_);
    }
    for (const auto& [wds, key] : dead) {
      if (auto k = by_key_.find(key); k != by_key_.end() && k->second.expired()) by_key_.erase(k);
      for (int wd : wds) {
        const auto it = by_wd_.find(wd);
        if (it == by_wd_.end()) continue;
        auto& watches = it->second;
        std::erase_if(watches, [](const std::weak_ptr<ChangeWatch>& w) { return w.expired(); });
        if (watches.empty()) {
          if (fd_ >= 0) inotify_rm_watch(fd_, wd);
          by_wd_.erase(it);
        }
      }
    }
  }

  // The child of a fork shares the parent's notification queue; reading it there would take
  // the parent's events. Start afresh with a queue of its own.
  void reset_after_fork() noexcept {
    forked_ = false;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    unavailable_ = false;
    for (auto& [key, weak] : by_key_) {
      if (auto w = weak.lock()) {
        w->broken = true;
        ++w->generation;
        w->wds.clear();
      }
    }
    by_wd_.clear();
    by_key_.clear();
    graveyard_.clear();
  }

  std::mutex mutex_;
  std::mutex graveyard_mutex_;  // taken after mutex_, or alone
  std::vector<std::pair<std::vector<int>, std::string>> graveyard_;
  std::atomic<int> fd_{-1};
  std::atomic<uint64_t> drain_seq_{0};
  bool unavailable_ = false;
  std::atomic<bool> forked_{false};
  std::unordered_map<int, std::vector<std::weak_ptr<ChangeWatch>>> by_wd_;
  std::unordered_map<std::string, std::weak_ptr<ChangeWatch>> by_key_;
};

std::string resolved(const std::string& path) {
  char buf[PATH_MAX];
  if (::realpath(path.c_str(), buf) == nullptr) return path;
  return buf;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The per-thread connection

struct CatalogueConnection {
  uint64_t path_generation = 0;
  std::string path;      // as the component was given it
  std::string wal_path;  // the WAL file beside the resolved file
  FileIdentity file;

  // Watched through notifications...
  std::shared_ptr<ChangeWatch> watch;
  uint64_t watch_generation = 0;
  // ... or polled: the WAL file and the data version of a connection kept open.
  FileIdentity wal;
  Connection db;
  Statement data_version;
  int64_t version = 0;

  std::shared_ptr<const Catalogue> snapshot;
  // Earlier snapshots, so that references handed out shortly before a reload stay valid.
  std::array<std::shared_ptr<const Catalogue>, 4> retired{};
  size_t next_retired = 0;

  // The fast path: nothing allocates here.
  bool unchanged() noexcept {
    if (g_path_generation.load(std::memory_order_acquire) != path_generation) return false;
    if (watch) {
      if (!WatchRegistry::instance().unchanged(*watch, watch_generation)) return false;
      if (watch->covers_path) return true;
    }
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !(identity_of(st) == file)) return false;
    if (watch) return true;
    if (!(probe_wal(wal_path.c_str()) == wal)) return false;
    return data_version.stmt && read_data_version(data_version.stmt) == version;
  }

  void install(std::shared_ptr<const Catalogue> next) {
    if (snapshot && snapshot != next) {
      retired[next_retired] = std::move(snapshot);
      next_retired = (next_retired + 1) % retired.size();
    }
    snapshot = std::move(next);
  }
};

namespace {

const Catalogue& refresh(std::shared_ptr<CatalogueConnection>& slot) {
  if (!slot) slot = std::make_shared<CatalogueConnection>();
  CatalogueConnection& c = *slot;

  const uint64_t path_generation = g_path_generation.load(std::memory_order_acquire);
  const std::string path = effective_catalogue_path();
  stat_catalogue(path);  // a missing file fails before anything is watched
  const std::string real_path = resolved(path);
  const std::string wal_path = real_path + "-wal";

  std::shared_ptr<ChangeWatch> watch;
  uint64_t watch_generation = 0;
  if (g_notifications.load()) {
    watch = WatchRegistry::instance().attach(path, real_path);
    if (watch) watch_generation = WatchRegistry::instance().generation(*watch);
  }

  std::shared_ptr<const Catalogue> snapshot;
  FileIdentity file;
  if (watch) {
    // The file as another thread loaded it, not changed since: take that thread's snapshot.
    file = stat_catalogue(path);
    snapshot = WatchRegistry::instance().shared_snapshot(*watch, watch_generation, file);
  }
  if (snapshot) {
    c.data_version = Statement();
    c.db = Connection();
  } else {
    Loaded loaded = load_file(path, wal_path, !watch);
    if (watch)
      WatchRegistry::instance().offer_snapshot(*watch, watch_generation, loaded.file,
                                               loaded.catalogue);
    snapshot = std::move(loaded.catalogue);
    file = loaded.file;
    c.wal = loaded.wal;
    c.data_version = std::move(loaded.data_version);
    c.db = std::move(loaded.db);
    c.version = loaded.version;
  }
  c.install(std::move(snapshot));
  c.path = path;
  c.wal_path = wal_path;
  c.file = file;
  c.watch = std::move(watch);
  c.watch_generation = watch_generation;
  c.path_generation = path_generation;
  return *c.snapshot;
}

}  // namespace

std::shared_ptr<const Catalogue> load_catalogue(const std::string& path) {
  return load_file(path, std::string(), false).catalogue;
}

const Catalogue& open_database() {
  auto& slot = module_state().catalogue;
  if (CatalogueConnection* c = slot.get(); c && c->snapshot && c->unchanged()) return *c->snapshot;
  return refresh(slot);
}

std::shared_ptr<const Catalogue> current_catalogue() {
  const auto& slot = module_state().catalogue;
  return slot ? slot->snapshot : nullptr;
}

namespace detail {
bool catalogue_watched() {
  const auto& slot = module_state().catalogue;
  return slot && slot->watch != nullptr;
}
}  // namespace detail

}  // namespace novaflux
