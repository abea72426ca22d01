#include "analysis/ordered_work.h"

#include <chrono>

namespace kelvora {

namespace {

// Adds the time from its start to its end to a counter, when there is one.
class WaitTimer {
 public:
  explicit WaitTimer(std::atomic<std::uint64_t>* counter)
      : counter_(counter),
        start_(counter ? std::chrono::steady_clock::now() : Clock::time_point()) {}
  ~WaitTimer() {
    if (counter_) {
      *counter_ += static_cast<std::uint64_t>(
          std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start_).count());
    }
  }
  WaitTimer(const WaitTimer&) = delete;
  WaitTimer& operator=(const WaitTimer&) = delete;

 private:
  using Clock = std::chrono::steady_clock;
  std::atomic<std::uint64_t>* counter_;
  Clock::time_point start_;
};

}  // namespace

OrderedWork::OrderedWork(std::size_t count, std::size_t threads, std::size_t window, Job job,
                         WaitCounters counters, Extra extra)
    : count_(count),
      window_(window),
      job_(std::move(job)),
      counters_(counters),
      extra_(std::move(extra)),
      state_(new std::atomic<unsigned char>[count]) {
  if (!extra_.kept) extra_.jobs = 0;
  if (extra_.jobs > 0) ahead_kept_.assign(count, 0);
  for (std::size_t i = 0; i < count; ++i) state_[i].store(kPending, std::memory_order_relaxed);
  workers_.reserve(threads);
  for (std::size_t slot = 0; slot < threads; ++slot)
    workers_.emplace_back([this, slot] { Work(slot); });
}

OrderedWork::~OrderedWork() {
  Stop();
  for (std::thread& t : workers_) t.join();
}

void OrderedWork::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_.store(true);
  }
  ahead_.notify_all();
}

bool OrderedWork::Claim(std::size_t i) {
  unsigned char expected = kPending;
  return state_[i].compare_exchange_strong(expected, kClaimed);
}

void OrderedWork::Finish(std::size_t i, std::uint64_t kept) {
  bool awaited = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state_[i].store(kDone);
    awaited = i == waiting_for_;
    if (!ahead_kept_.empty() && i > reached_.load()) {
      ahead_kept_[i] = kept;
      ahead_bytes_ += kept;
    }
  }
  if (awaited) done_.notify_all();
}

bool OrderedWork::MayRun(std::size_t i) const {
  const std::size_t reached = reached_.load();
  if (i < reached + window_) return true;
  return i >= extra_.first && i < reached + window_ + extra_.jobs && ahead_bytes_ < extra_.bytes;
}

void OrderedWork::Work(std::size_t slot) {
  while (!stopping()) {
    const std::size_t i = next_.fetch_add(1);
    if (i >= count_) return;
    // Within the window the job goes ahead without taking the lock.
    if (i >= reached_.load() + window_) {
      std::unique_lock<std::mutex> lock(mutex_);
      if (!stopping() && !MayRun(i)) {
        WaitTimer timer(counters_.workers);
        ahead_.wait(lock, [&] { return stopping() || MayRun(i); });
      }
    }
    if (stopping()) return;
    if (!Claim(i)) continue;
    job_(i, slot);
    Finish(i, ahead_kept_.empty() ? 0 : extra_.kept(i));
  }
}

bool OrderedWork::Wait(std::size_t i, const std::function<bool()>& idle) {
  if (i >= count_) return true;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t reached = reached_.load();
    if (i > reached) {
      // What the jobs passed now keep is the waiting thread's to free.
      for (std::size_t j = reached + 1; j <= i && !ahead_kept_.empty(); ++j) {
        ahead_bytes_ -= ahead_kept_[j];
        ahead_kept_[j] = 0;
      }
      reached_.store(i);
    }
  }
  ahead_.notify_all();
  if (Claim(i)) {
    // Not begun by a worker (or there are none): the waiting thread runs it itself.
    job_(i, workers_.size());
    Finish(i, 0);
    return true;
  }
  WaitTimer timer(counters_.consumer);
  std::unique_lock<std::mutex> lock(mutex_);
  while (state_[i].load() != kDone) {
    waiting_for_ = i;
    const bool done = done_.wait_for(lock, std::chrono::milliseconds(kIdleMs),
                                     [&] { return state_[i].load() == kDone; });
    waiting_for_ = kNoJob;
    if (done) break;
    lock.unlock();
    const bool go_on = idle();
    lock.lock();
    if (!go_on) return false;
  }
  return true;
}

}  // namespace kelvora
