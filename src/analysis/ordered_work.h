// Numbered jobs run on worker threads in the order of their numbers, while one consumer takes
// their results in the same order: the consumer waits for job i (serving its own idle work
// between short waits) and never sees a job half done.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kelvora {

// Where OrderedWork adds the nanoseconds the waiting thread waited for jobs and the workers
// waited for the window to move (for measuring; null counts nothing).
struct OrderedWaitCounters {
  std::atomic<std::uint64_t>* consumer = nullptr;
  std::atomic<std::uint64_t>* workers = nullptr;
};

// Past the window, workers may go on by up to `jobs` more jobs numbered `first` or higher while
// the results of the finished jobs beyond the last one waited for keep fewer than `bytes` bytes
// (as kept() tells of a finished job, on the worker that ran it): room to work ahead while the
// waiting thread is busy elsewhere, bounded by memory rather than by a count of jobs.
struct OrderedExtraWindow {
  std::size_t first = 0;
  std::size_t jobs = 0;
  std::uint64_t bytes = 0;
  std::function<std::uint64_t(std::size_t index)> kept;
};

class OrderedWork {
 public:
  // Runs job(i, slot) for i = 0 .. count-1; slot tells which thread runs it (0 .. threads-1 the
  // workers, threads the waiting thread), so each thread can use its own tools. With threads
  // == 0 every job runs on the thread that waits for it, when it waits for it. Workers keep
  // within `window` jobs of the last one waited for, so finished results stay few.
  using Job = std::function<void(std::size_t index, std::size_t slot)>;
  using WaitCounters = OrderedWaitCounters;
  using Extra = OrderedExtraWindow;
  OrderedWork(std::size_t count, std::size_t threads, std::size_t window, Job job,
              WaitCounters counters = {}, Extra extra = {});
  // Stops and joins the workers.
  ~OrderedWork();
  OrderedWork(const OrderedWork&) = delete;
  OrderedWork& operator=(const OrderedWork&) = delete;

  // Blocks until job i has run. While it waits, idle() is called about every kIdleMs; when it
  // returns false the wait gives up and Wait returns false.
  bool Wait(std::size_t i, const std::function<bool()>& idle);
  // Workers take no new job; a job already begun runs to its end.
  void Stop();
  std::size_t threads() const { return workers_.size(); }

  static constexpr int kIdleMs = 30;

 private:
  enum State : unsigned char { kPending = 0, kClaimed = 1, kDone = 2 };
  bool Claim(std::size_t i);
  void Finish(std::size_t i, std::uint64_t kept);
  // Whether a worker may run job i now; under mutex_.
  bool MayRun(std::size_t i) const;
  void Work(std::size_t slot);
  bool stopping() const { return stop_.load(std::memory_order_relaxed); }

  std::size_t count_;
  std::size_t window_;
  // The last job waited for; changed under mutex_, read by the workers without it too.
  std::atomic<std::size_t> reached_{0};
  // The job the waiting thread sleeps on, kNoJob when none; guarded by mutex_. A finished job
  // wakes it only when it is that job.
  static constexpr std::size_t kNoJob = static_cast<std::size_t>(-1);
  std::size_t waiting_for_ = kNoJob;
  Job job_;
  WaitCounters counters_;
  Extra extra_;
  // Bytes kept by the finished jobs beyond reached_, and each one's share; guarded by mutex_.
  std::uint64_t ahead_bytes_ = 0;
  std::vector<std::uint64_t> ahead_kept_;
  std::unique_ptr<std::atomic<unsigned char>[]> state_;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable done_;
  std::condition_variable ahead_;  // workers held back by the window
  std::vector<std::thread> workers_;
};

}  // namespace kelvora
