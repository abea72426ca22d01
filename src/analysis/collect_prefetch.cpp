#include "analysis/collect_prefetch.h"

#include <sstream>

#include "analysis/analysis_passes.h"
#include "platform/line_reader.h"
#include "settings/settings.h"
#include "text/encoding_detect.h"

namespace kelvora {

std::string CollectFileText(CollectKind kind, const std::string& path, const CollectTools& tools) {
  SourceFileReader reader(tools.char_change);
  if (path.empty() || !reader.Open(path)) return {};
  std::ostringstream out;
  switch (kind) {
    case CollectKind::Struct:
      CollectLines(reader, path, out, tools.struct_detect, tools.macros, 0, tools.cleaning);
      break;
    case CollectKind::Table:
      CollectTableLines(reader, path, out, tools.table, tools.macros, tools.cleaning);
      break;
    case CollectKind::Prototype:
      CollectLines(reader, "", out, tools.prototype, tools.macros, tools.char_change,
                   tools.cleaning);
      break;
  }
  return std::move(out).str();
}

CollectPrefetcher::CollectPrefetcher(const RegexService& regex, const Settings& settings,
                                     const MacroList& macros, std::vector<std::string> paths[3])
    : cleaning_(regex), macros_(macros), char_change_(settings.char_change) {
  regex.Compile(StructDetectPattern(settings.struct_prop), struct_detect_);
  regex.Compile(kTableHeadPattern, table_);
  regex.Compile(kPrototypeDeclarationPattern, prototype_);
  for (int k = 0; k < 3; ++k) {
    base_[k] = job_count_;
    count_[k] = paths[k].size();
    job_count_ += paths[k].size();
  }
  jobs_ = std::make_unique<Job[]>(job_count_);
  for (int k = 0; k < 3; ++k) {
    for (std::size_t i = 0; i < paths[k].size(); ++i) {
      Job& job = jobs_[base_[k] + i];
      job.kind = static_cast<CollectKind>(k);
      job.path = std::move(paths[k][i]);
    }
  }
  worker_ = std::thread([this] { Work(); });
}

CollectPrefetcher::~CollectPrefetcher() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

void CollectPrefetcher::Work() {
  const CollectTools tools{cleaning_, struct_detect_, table_, prototype_, macros_, char_change_};
  for (std::size_t i = 0; i < job_count_ && !stop_; ++i) {
    Job& job = jobs_[i];
    int expected = kPending;
    if (!job.state.compare_exchange_strong(expected, kClaimed)) continue;
    std::string text = CollectFileText(job.kind, job.path, tools);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job.text = std::move(text);
      job.state = kDone;
    }
    ++worker_files_;
    done_.notify_all();
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    worker_finished_ = true;
  }
  done_.notify_all();
}

void CollectPrefetcher::WaitForWorker() {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [&] { return worker_finished_; });
}

std::string CollectPrefetcher::Take(CollectKind kind, std::size_t i, const CollectTools& here) {
  const int k = static_cast<int>(kind);
  if (i >= count_[k]) return {};
  Job& job = jobs_[base_[k] + i];
  int expected = kPending;
  if (job.state.compare_exchange_strong(expected, kClaimed))
    return CollectFileText(kind, job.path, here);
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [&] { return job.state.load() == kDone; });
  return std::move(job.text);
}

}  // namespace kelvora
