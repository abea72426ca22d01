// The ordered work runner: every job runs once, the waiting side sees each one finished, the
// workers stay within their window, and a stop ends the run without running the rest.
#include "analysis/ordered_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace kelvora {
namespace {

TEST(ParallelOrderedWork, JobsRunOnceWithinTheWindowAndStopEndsThem) {
  for (std::size_t threads : {0u, 1u, 3u}) {
    constexpr std::size_t kJobs = 300, kWindow = 5;
    std::vector<int> runs(kJobs, 0);
    std::vector<std::size_t> values(kJobs, 0);
    std::atomic<std::size_t> waited{0};
    std::atomic<bool> too_far{false};
    {
      OrderedWork work(kJobs, threads, kWindow, [&](std::size_t i, std::size_t slot) {
        if (slot > threads) too_far = true;
        if (i > waited.load() + kWindow) too_far = true;
        ++runs[i];
        values[i] = i * i;
      });
      for (std::size_t i = 0; i < kJobs; ++i) {
        waited = i;
        ASSERT_TRUE(work.Wait(i, [] { return true; }));
        EXPECT_EQ(values[i], i * i) << "threads " << threads;
      }
    }
    EXPECT_EQ(runs, std::vector<int>(kJobs, 1)) << "threads " << threads;
    EXPECT_FALSE(too_far) << "threads " << threads;
  }
  // A stop after a few jobs: the destructor returns, and no job runs twice.
  std::vector<std::atomic<int>> runs(1000);
  {
    OrderedWork work(runs.size(), 2, 8, [&](std::size_t i, std::size_t) { ++runs[i]; });
    ASSERT_TRUE(work.Wait(3, [] { return true; }));
    work.Stop();
  }
  int ran = 0;
  for (auto& r : runs) {
    EXPECT_LE(r.load(), 1);
    ran += r.load();
  }
  EXPECT_LT(ran, 1000);
}

TEST(ParallelOrderedWork, AWaitGivesUpWhenIdleSaysSo) {
  std::atomic<bool> started{false}, release{false};
  OrderedWork work(2, 1, 4, [&](std::size_t i, std::size_t) {
    if (i != 0) return;
    started = true;
    while (!release) std::this_thread::yield();
  });
  while (!started) std::this_thread::yield();
  // Job 0 is held by the worker: the wait polls idle, which cancels on its second call.
  int calls = 0;
  EXPECT_FALSE(work.Wait(0, [&] { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
  release = true;
  EXPECT_TRUE(work.Wait(0, [] { return true; }));
  EXPECT_TRUE(work.Wait(1, [] { return true; }));
}

}  // namespace
}  // namespace kelvora
