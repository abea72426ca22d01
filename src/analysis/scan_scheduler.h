// The scans of one analysis run, run on worker threads ahead of the passes: one job per newly
// registered file (in FileList order), one per header-list file that is not among them, then
// the #define rows of each header-list file (read again there, so that the rows wait for their
// pass only a window of files ahead, not all at once). Each pass waits for the file it is at,
// so what it registers, shows and asks comes in the order of the serial run.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "analysis/file_scan_result.h"
#include "analysis/ordered_work.h"

namespace kelvora {

struct PassContext;

class FileScans {
 public:
  // Plans the jobs and starts `threads` workers (0: each job runs when a pass waits for it);
  // stats, when given, are filled while the scans run.
  FileScans(PassContext& pc, std::size_t threads, ScanStats* stats = nullptr);
  ~FileScans();
  FileScans(const FileScans&) = delete;
  FileScans& operator=(const FileScans&) = delete;

  // The scan of the i-th newly registered FileList row, of the i-th header-list file, or the
  // #define rows of the i-th header-list file: null for a row without a path or an index past
  // the plan. Waits for it, polling Escape; false when the user cancelled meanwhile.
  bool Row(std::size_t i, FileScan*& scan);
  bool Header(std::size_t i, FileScan*& scan);
  bool HeaderDefines(std::size_t i, FileScan*& scan);

  // The step counts of a scanned file at the given definition lines; false when the file was
  // not scanned or a line has none.
  bool KnownSteps(const std::string& path, const std::vector<long>& lines,
                  std::vector<StepCounts>& counts) const;

  // Takes, in FileList order, the rows no pass has taken yet (their calls then reach the call
  // index); false when the user cancelled meanwhile.
  bool TakeRemainingRows();

  // Moves the struct texts of the header-list files, in that order, into the run's candidate
  // spool, from the first not moved yet up to the first whose scan has not been taken through
  // Row in FileList order; false when a write failed.
  bool SpoolStructTexts();

  // Frees the step counts of every scanned file (the step count pass is done with them).
  void ReleaseSteps();

  // Stops the workers and waits for them (before the registered data goes away).
  void Stop();

  // The number of workers for a parallel run: one per core.
  static std::size_t ParallelThreads();
  // How many files the workers may be ahead of the passes, and how many more #define scans
  // while the results they keep ahead stay below kAheadBytesPerJob for each job of the run (the
  // workers then scan on while the passes between the function and the #define pass run on the
  // analysing thread alone; the room grows with the run, as its lists do).
  static constexpr std::size_t kWindow = 1024;
  static constexpr std::size_t kExtraWindow = 16384;
  static constexpr std::uint64_t kAheadBytesPerJob = 1024;

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  struct Job {
    std::string path;
    ScanWants wants;
    FileScan scan;
  };
  bool WaitFor(std::size_t job, FileScan*& scan);

  PassContext& pc_;
  std::vector<Job> jobs_;
  std::vector<std::size_t> row_jobs_;
  std::vector<std::size_t> header_jobs_;
  std::size_t first_define_job_ = 0;
  std::size_t rows_in_order_ = 0;      // Row has taken rows 0 .. rows_in_order_ - 1
  std::size_t row_jobs_in_order_ = 0;  // and with them the jobs before this one
  std::size_t structs_spooled_ = 0;    // header-list files whose struct text is spooled
  std::unordered_map<std::string, std::size_t> job_of_path_;
  std::vector<std::unique_ptr<ScanTools>> tools_;
  std::atomic<bool> stop_{false};  // ends the file a worker is at
  ScanStats* stats_;
  std::unique_ptr<OrderedWork> work_;
};

}  // namespace kelvora
