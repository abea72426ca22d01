// The ordered work runner: every job runs once, the waiting side sees each one finished, the
// workers stay within their window, and a stop ends the run without running the rest.
#include "analysis/ordered_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
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

// Past the window the workers go on only while what the finished jobs ahead keep stays under
// the byte bound, never past the extra jobs, and only from the first job the extra room is for.
TEST(ParallelOrderedWork, ExtraWindowIsBoundedByKeptBytesAndJobs) {
  constexpr std::size_t kJobs = 400, kWindow = 4, kThreads = 2;
  struct Case {
    std::size_t first, extra_jobs;
    std::uint64_t bytes;
    std::size_t expected;  // jobs run while only job 0 was waited for
  };
  // Each job keeps one byte: 10 bytes let ten jobs finish past the one waited for, the window's
  // among them (and one more start on each worker); a large bound stops at the extra jobs; extra
  // room from job 10 on leaves the workers at the window's end.
  for (const Case& c :
       {Case{0, 100, 10, 1 + 10}, Case{0, 20, 1000, kWindow + 20}, Case{10, 100, 1000, kWindow}}) {
    std::atomic<std::size_t> ran{0};
    OrderedWork work(
        kJobs, kThreads, kWindow, [&](std::size_t, std::size_t) { ++ran; }, {},
        OrderedExtraWindow{c.first, c.extra_jobs, c.bytes, [](std::size_t) { return 1; }});
    ASSERT_TRUE(work.Wait(0, [] { return true; }));
    for (int spin = 0; spin < 5000 && ran.load() < c.expected; ++spin)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_GE(ran.load(), c.expected);
    EXPECT_LE(ran.load(), c.expected + (c.first == 0 ? kThreads : 0));
    // Waiting on lets them finish every job.
    for (std::size_t i = 0; i < kJobs; ++i) ASSERT_TRUE(work.Wait(i, [] { return true; }));
    EXPECT_EQ(ran.load(), kJobs);
  }
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
