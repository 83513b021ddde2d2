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
#include "catalogue/catalogue.hpp"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "catalogue/catalogue_file.hpp"
#include "catalogue/change_watch.hpp"
#include "common/component_folder.hpp"
#include "common/module_state.hpp"

namespace novaflux {

using namespace catalogue_io;

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
      if (!watch_unchanged(*watch, watch_generation)) return false;
      if (watch_covers_path(*watch)) return true;
    }
    if (!(probe(path.c_str()) == file)) return false;
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
    watch = attach_watch(path, real_path);
    if (watch) watch_generation = catalogue_io::watch_generation(*watch);
  }

  std::shared_ptr<const Catalogue> snapshot;
  FileIdentity file;
  if (watch) {
    // The file as another thread loaded it, not changed since: take that thread's snapshot.
    file = stat_catalogue(path);
    snapshot = catalogue_io::shared_snapshot(*watch, watch_generation, file);
  }
  if (snapshot) {
    c.data_version = Statement();
    c.db = Connection();
  } else {
    Loaded loaded = load_file(path, wal_path, !watch);
    if (watch)
      offer_snapshot(*watch, watch_generation, loaded.file, loaded.catalogue);
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
