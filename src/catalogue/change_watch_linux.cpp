#include "catalogue/change_watch.hpp"
#include "catalogue/change_watch_plan.hpp"

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

namespace novaflux::catalogue_io {

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

namespace {

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

}  // namespace

std::string resolved(const std::string& path) {
  char buf[PATH_MAX];
  if (::realpath(path.c_str(), buf) == nullptr) return path;
  return buf;
}

std::shared_ptr<ChangeWatch> attach_watch(const std::string& path, const std::string& real_path) {
  return WatchRegistry::instance().attach(path, real_path);
}

bool watch_unchanged(ChangeWatch& w, uint64_t generation) noexcept {
  return WatchRegistry::instance().unchanged(w, generation);
}

uint64_t watch_generation(ChangeWatch& w) { return WatchRegistry::instance().generation(w); }

bool watch_covers_path(const ChangeWatch& w) noexcept { return w.covers_path; }

std::shared_ptr<const Catalogue> shared_snapshot(ChangeWatch& w, uint64_t generation,
                                                 const FileIdentity& file) {
  return WatchRegistry::instance().shared_snapshot(w, generation, file);
}

void offer_snapshot(ChangeWatch& w, uint64_t generation, const FileIdentity& file,
                    const std::shared_ptr<const Catalogue>& snapshot) {
  WatchRegistry::instance().offer_snapshot(w, generation, file, snapshot);
}

}  // namespace novaflux::catalogue_io
