// The line collection of the struct, table and prototype passes, done ahead on a second core
// while the earlier passes run. Each pass takes its files' candidate text in order, exactly as
// collecting it in place would give; whichever side reaches a file first collects it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "text/regex_service.h"
#include "text/source_clean.h"

namespace kelvora {

struct Settings;

enum class CollectKind { Struct = 0, Table = 1, Prototype = 2 };

// What one side needs to collect a file: the cleaning patterns, the three detection patterns,
// the macro list and the EUC switch of the prototype collection.
struct CollectTools {
  const CleaningPatterns& cleaning;
  const Regex& struct_detect;
  const Regex& table;
  const Regex& prototype;
  const MacroList& macros;
  int char_change;
};

// The candidate text of one file: CollectLines (struct: with the path, no conversion;
// prototype: without a path, with char_change) or CollectTableLines; empty when the path is
// empty or the file cannot be opened.
std::string CollectFileText(CollectKind kind, const std::string& path, const CollectTools& tools);

class CollectPrefetcher {
 public:
  // paths[k] lists the files of kind k in the order its pass takes them. The worker's own
  // patterns are compiled here, on the calling thread.
  CollectPrefetcher(const RegexService& regex, const Settings& settings, const MacroList& macros,
                    std::vector<std::string> paths[3]);
  ~CollectPrefetcher();
  CollectPrefetcher(const CollectPrefetcher&) = delete;
  CollectPrefetcher& operator=(const CollectPrefetcher&) = delete;

  // The text of file i of a kind; collected here with `here` when the worker has not begun it.
  std::string Take(CollectKind kind, std::size_t i, const CollectTools& here);
  // Blocks until the worker has been through every file (tests use it so that every text comes
  // from the second core).
  void WaitForWorker();
  // Files the worker collected so far.
  std::size_t worker_files() const { return worker_files_.load(); }

 private:
  enum State : int { kPending = 0, kClaimed = 1, kDone = 2 };
  struct Job {
    CollectKind kind = CollectKind::Struct;
    std::string path;
    std::atomic<int> state{kPending};
    std::string text;
  };

  void Work();

  CleaningPatterns cleaning_;
  Regex struct_detect_, table_, prototype_;
  const MacroList& macros_;
  int char_change_;
  std::unique_ptr<Job[]> jobs_;
  std::size_t job_count_ = 0;
  std::size_t base_[3] = {0, 0, 0};
  std::size_t count_[3] = {0, 0, 0};
  std::mutex mutex_;
  std::condition_variable done_;
  std::atomic<bool> stop_{false};
  std::atomic<std::size_t> worker_files_{0};
  bool worker_finished_ = false;  // guarded by mutex_
  std::thread worker_;
};

}  // namespace kelvora
