#include "batch/batch_pipeline.hpp"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace novaflux {

namespace {

struct Chunk {
  uint64_t sequence = 0;
  std::vector<BatchRow> rows;
  std::string text;
};

class Pipeline {
public:
  Pipeline(const PipelineStages& stages, size_t limit) : stages_(stages), limit_(limit) {}

  PipelineStats run(unsigned worker_threads) {
    std::vector<std::thread> threads;
    threads.emplace_back([this] { read(); });
    for (unsigned i = 0; i < worker_threads; ++i) threads.emplace_back([this] { work(); });
    write();
    for (auto& t : threads) t.join();
    if (failure_) std::rethrow_exception(failure_);
    return stats_;
  }

private:
  // Records the first failure and wakes every stage so that each one ends.
  void fail(std::exception_ptr e) {
    std::lock_guard lock(mutex_);
    if (!failure_) failure_ = e;
    stopped_ = true;
    changed_.notify_all();
  }

  void read() {
    try {
      for (uint64_t sequence = 0;; ++sequence) {
        {
          std::unique_lock lock(mutex_);
          changed_.wait(lock, [&] { return stopped_ || in_flight_ < limit_; });
          if (stopped_) return;
        }
        auto chunk = std::make_unique<Chunk>();
        chunk->sequence = sequence;
        const bool more = stages_.read_chunk(chunk->rows);
        std::lock_guard lock(mutex_);
        if (!chunk->rows.empty()) {
          ++in_flight_;
          stats_.most_chunks_in_flight = std::max(stats_.most_chunks_in_flight, in_flight_);
          stats_.rows += chunk->rows.size();
          ++stats_.chunks;
          to_process_.push_back(std::move(chunk));
        }
        if (!more) reading_done_ = true;
        changed_.notify_all();
        if (!more) return;
      }
    } catch (...) {
      fail(std::current_exception());
    }
  }

  void work() {
    try {
      for (;;) {
        std::unique_ptr<Chunk> chunk;
        {
          std::unique_lock lock(mutex_);
          changed_.wait(lock, [&] { return stopped_ || !to_process_.empty() || reading_done_; });
          if (stopped_ || to_process_.empty()) return;
          chunk = std::move(to_process_.front());
          to_process_.pop_front();
        }
        chunk->text = stages_.process(chunk->rows);
        std::lock_guard lock(mutex_);
        const uint64_t sequence = chunk->sequence;
        processed_.emplace(sequence, std::move(chunk));
        changed_.notify_all();
      }
    } catch (...) {
      fail(std::current_exception());
    }
  }

  void write() {
    try {
      for (uint64_t next = 0;; ++next) {
        std::unique_ptr<Chunk> chunk;
        {
          std::unique_lock lock(mutex_);
          changed_.wait(lock, [&] {
            return stopped_ || processed_.count(next) != 0 || (reading_done_ && next == stats_.chunks);
          });
          if (stopped_) return;
          const auto it = processed_.find(next);
          if (it == processed_.end()) return;  // every chunk has been written
          chunk = std::move(it->second);
          processed_.erase(it);
        }
        stages_.write(chunk->text, chunk->rows.size());
        chunk.reset();
        std::lock_guard lock(mutex_);
        --in_flight_;
        changed_.notify_all();
      }
    } catch (...) {
      fail(std::current_exception());
    }
  }

  const PipelineStages& stages_;
  const size_t limit_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Chunk>> to_process_;
  std::map<uint64_t, std::unique_ptr<Chunk>> processed_;
  size_t in_flight_ = 0;
  bool reading_done_ = false;
  bool stopped_ = false;
  std::exception_ptr failure_;
  PipelineStats stats_;
};

}  // namespace

PipelineStats run_pipeline(const PipelineStages& stages, unsigned worker_threads,
                           size_t max_chunks_in_flight) {
  Pipeline pipeline(stages, std::max<size_t>(1, max_chunks_in_flight));
  return pipeline.run(std::max(1u, worker_threads));
}

}  // namespace novaflux
