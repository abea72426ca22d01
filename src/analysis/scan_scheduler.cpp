#include "analysis/scan_scheduler.h"

#include <algorithm>
#include <thread>

#include "analysis/analysis_run.h"
#include "analysis/escape_poll.h"
#include "data/registration_lists.h"
#include "settings/settings.h"

namespace kelvora {
namespace {

// Bytes a scan keeps for its passes.
std::uint64_t KeptBytes(const FileScan& scan) {
  return scan.functions.bytes() + scan.defines.bytes() +
         scan.steps.capacity() * sizeof(scan.steps[0]) + scan.struct_text.capacity() +
         scan.table_text.capacity() + scan.prototype_text.capacity() + scan.calls.bytes();
}

}  // namespace

FileScans::FileScans(PassContext& pc, std::size_t threads, ScanStats* stats)
    : pc_(pc), stats_(stats) {
  const Settings& s = pc.run.settings;
  const RegistrationList& files = pc.ctx.data.files();
  for (std::size_t row = pc.run.first_new_row; row < files.RowCount(); ++row) {
    std::string path = FilePathOfRow(files, row);
    if (path.empty()) {
      row_jobs_.push_back(kNone);
      continue;
    }
    row_jobs_.push_back(jobs_.size());
    job_of_path_.emplace(path, jobs_.size());
    jobs_.emplace_back().path = std::move(path);
    jobs_.back().wants.functions = s.func == 1;
    jobs_.back().wants.tables = s.table == 1;
    jobs_.back().wants.calls = pc.ctx.calls != nullptr && pc.ctx.call_walks != nullptr;
  }
  // An unreadable list leaves the header passes without files; they report it themselves.
  std::vector<std::string> headers;
  if ((s.structs == 1 || s.define == 1) && !ReadHeaderList(pc.header_list_file, headers))
    headers.clear();
  if (s.structs == 1) {
    for (const std::string& path : headers) {
      auto [it, added] = job_of_path_.emplace(path, jobs_.size());
      if (added) jobs_.emplace_back().path = path;
      jobs_[it->second].wants.structs = true;
      header_jobs_.push_back(it->second);
    }
  }
  first_define_job_ = jobs_.size();
  if (s.define == 1) {
    for (std::string& path : headers) {
      jobs_.emplace_back().path = std::move(path);
      jobs_.back().wants.defines = true;
    }
  }

  for (std::size_t slot = 0; slot <= threads; ++slot) {
    tools_.push_back(
        std::make_unique<ScanTools>(pc.ctx.regex, s, pc.env.macros, pc.ctx.data, pc.ctx.ui));
    if (pc.ctx.calls && pc.ctx.call_walks) tools_.back()->call_walk = pc.ctx.call_walks(s);
  }
  OrderedWork::WaitCounters waits;
  if (stats_) {
    stats_->threads = threads;
    waits = {&stats_->passes_wait_ns, &stats_->workers_wait_ns};
  }
  work_ = std::make_unique<OrderedWork>(
      jobs_.size(), threads, kWindow,
      [this](std::size_t i, std::size_t slot) {
        Job& job = jobs_[i];
        const std::uint64_t start = stats_ ? ThreadCpuNs() : 0;
        ScanFile(job.path, job.wants, *tools_[slot], stop_, job.scan, stats_);
        if (stats_)
          stats_->thread_busy_ns[std::min(slot, ScanStats::kMaxThreads)] += ThreadCpuNs() - start;
      },
      waits,
      OrderedWork::Extra{first_define_job_, kExtraWindow, kAheadBytesPerJob * jobs_.size(),
                         [this](std::size_t i) { return KeptBytes(jobs_[i].scan); }});
}

FileScans::~FileScans() {
  Stop();
}

void FileScans::Stop() {
  stop_ = true;
  work_.reset();
}

std::size_t FileScans::ParallelThreads() {
  return std::max(1u, std::thread::hardware_concurrency());
}

bool FileScans::WaitFor(std::size_t job, FileScan*& scan) {
  scan = nullptr;
  if (job == kNone) return true;
  Ui& ui = pc_.ctx.ui;
  if (!work_->Wait(job, [&ui] { return !PollAnalysisCancel(ui); })) return false;
  scan = &jobs_[job].scan;
  return true;
}

bool FileScans::Row(std::size_t i, FileScan*& scan) {
  const std::size_t job = i < row_jobs_.size() ? row_jobs_[i] : kNone;
  if (!WaitFor(job, scan)) return false;
  if (i == rows_in_order_) {
    ++rows_in_order_;
    if (job != kNone) {
      row_jobs_in_order_ = job + 1;
      // The calls go into the index in FileList order, as the rows are first taken.
      Job& taken = jobs_[job];
      if (pc_.ctx.calls && taken.wants.calls && taken.scan.opened)
        pc_.ctx.calls->AddFile(taken.path, taken.scan.calls);
      taken.scan.calls = FileCalls();
    }
  }
  return true;
}

bool FileScans::TakeRemainingRows() {
  FileScan* scan = nullptr;
  while (rows_in_order_ < row_jobs_.size())
    if (!Row(rows_in_order_, scan)) return false;
  return true;
}

bool FileScans::SpoolStructTexts() {
  CandidateSpool* spool = pc_.spool;
  if (!spool || !spool->active()) return true;
  // The jobs of FileList rows come first, numbered in row order.
  for (; structs_spooled_ < header_jobs_.size(); ++structs_spooled_) {
    const std::size_t job = header_jobs_[structs_spooled_];
    if (job >= row_jobs_in_order_) break;
    if (!spool->AddStructs(jobs_[job].scan.struct_text)) return false;
  }
  return true;
}

bool FileScans::Header(std::size_t i, FileScan*& scan) {
  return WaitFor(i < header_jobs_.size() ? header_jobs_[i] : kNone, scan);
}

bool FileScans::HeaderDefines(std::size_t i, FileScan*& scan) {
  const std::size_t job = first_define_job_ + i;
  return WaitFor(job < jobs_.size() ? job : kNone, scan);
}

void FileScans::ReleaseSteps() {
  // Only the jobs of FileList rows count steps, and the function pass has waited for all of
  // them; no worker touches them again.
  for (std::size_t job : row_jobs_)
    if (job != kNone) std::vector<std::pair<long, StepCounts>>().swap(jobs_[job].scan.steps);
}

bool FileScans::KnownSteps(const std::string& path, const std::vector<long>& lines,
                           std::vector<StepCounts>& counts) const {
  auto it = job_of_path_.find(path);
  if (it == job_of_path_.end()) return false;
  const Job& job = jobs_[it->second];
  if (!job.wants.functions || !job.scan.opened) return false;
  const auto& steps = job.scan.steps;
  counts.clear();
  for (long line : lines) {
    auto at = std::lower_bound(steps.begin(), steps.end(), line,
                               [](const auto& entry, long l) { return entry.first < l; });
    if (at == steps.end() || at->first != line) return false;
    counts.push_back(at->second);
  }
  return true;
}

}  // namespace kelvora
