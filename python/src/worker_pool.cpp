#include "worker_pool.hpp"

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace novaflux::python {

namespace {

class WorkerPool {
public:
  void run(unsigned workers, const std::function<void(unsigned)>& job) {
    std::lock_guard serial(call_mutex_);
    {
      std::lock_guard lock(mutex_);
      while (threads_.size() + 1 < workers) {
        const unsigned index = static_cast<unsigned>(threads_.size()) + 1;
        threads_.emplace_back([this, index] { serve(index); });
      }
      job_ = &job;
      active_ = workers;
      pending_ = workers - 1;
      error_ = nullptr;
      ++generation_;
    }
    wake_.notify_all();
    run_one(job, 0);
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return pending_ == 0; });
    job_ = nullptr;
    if (error_) std::rethrow_exception(error_);
  }

private:
  void run_one(const std::function<void(unsigned)>& job, unsigned index) {
    try {
      job(index);
    } catch (...) {
      std::lock_guard lock(mutex_);
      if (!error_) error_ = std::current_exception();
    }
  }

  void serve(unsigned index) {
    unsigned long seen = 0;
    for (;;) {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return generation_ != seen; });
      seen = generation_;
      if (index >= active_) continue;
      const auto* job = job_;
      lock.unlock();
      run_one(*job, index);
      lock.lock();
      if (--pending_ == 0) done_.notify_all();
    }
  }

  std::mutex call_mutex_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::vector<std::thread> threads_;
  const std::function<void(unsigned)>* job_ = nullptr;
  unsigned active_ = 0;
  unsigned pending_ = 0;
  unsigned long generation_ = 0;
  std::exception_ptr error_;
};

// The pool is never destroyed: its threads wait idle until the process ends. A child made by
// fork() has none of the parent's threads, so it starts a pool of its own.
std::atomic<WorkerPool*> g_pool{nullptr};
std::once_flag g_fork_handler;

WorkerPool& pool() {
  std::call_once(g_fork_handler, [] { pthread_atfork(nullptr, nullptr, [] { g_pool = nullptr; }); });
  WorkerPool* current = g_pool.load();
  if (!current) {
    auto* fresh = new WorkerPool();
    if (g_pool.compare_exchange_strong(current, fresh)) current = fresh;
    else delete fresh;
  }
  return *current;
}

}  // namespace

void run_on_workers(unsigned workers, const std::function<void(unsigned)>& job) {
  if (workers <= 1) {
    job(0);
    return;
  }
  pool().run(workers, job);
}

}  // namespace novaflux::python
