// kelvora_bench_analysis [--serial] <root>: a whole analysis with default settings over a tree,
// answering every question with Yes (a file that cannot be opened is skipped), never cancelling.
// Prints the registered counts, a checksum of every cell, the elapsed time, the peak memory and
// when each pass finished, with the CPU time of the process and of the analysing thread until
// then, and where the scans spent their time: the CPU time of each part of a file's scan, the
// busy time of each thread and how long the passes and the workers waited for each other.
// --serial scans the files on the analysing thread only, for comparing both ways (same checksum,
// other time).
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/analysis_run.h"
#include "analysis/call_index.h"
#include "analysis/file_scan_result.h"
#include "data/registration_lists.h"
#include "output/call_gather.h"
#include "platform/ui.h"
#include "settings/settings.h"
#include "text/regex_service.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// The resident size now, in MB.
double RssMb() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1048576.0);
}

// The peak resident size so far (VmHWM), in MB.
double PeakRssMb() {
  double kb = 0;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "VmHWM: %lf", &kb) == 1) break;
    std::fclose(f);
  }
  return kb / 1024.0;
}

double CpuMs(int who) {
  struct rusage usage {};
  getrusage(who, &usage);
  auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Answers Yes, skips unreadable files, and notes when the run's status texts change.
class BenchUi : public kelvora::Ui {
 public:
  BenchUi(Clock::time_point t0, const kelvora::ScanStats& stats) : t0_(t0), stats_(stats) {}

  void Message(std::string_view text, std::string_view, kelvora::MsgIcon) override {
    std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
  }
  bool AskYesNo(kelvora::QuestionId id, std::string_view, std::string_view) override {
    return id != kelvora::kAskCancelOnUnreadableFile;
  }
  std::optional<std::string> ChooseFolder(std::string_view) override { return std::nullopt; }
  std::optional<std::string> ChooseOpenFile(std::string_view, std::string_view,
                                            std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseSaveFile(std::string_view, std::string_view, std::string_view,
                                            std::string_view) override {
    return std::nullopt;
  }
  void SetStatus(int line, std::string_view text) override {
    if (line == 3) {
      Note(text);
    } else if (line == 2) {
      // The first counter text of each kind marks where a stage starts.
      std::string kind(text.substr(0, text.find_first_of("0123456789")));
      if (!kind.empty() && kind != last_counter_) Note("  start " + kind);
      last_counter_ = kind;
      if (text.starts_with("取得完了")) Note(text);
    }
  }
  void SetProgressRange(long long) override {}
  void SetProgressPos(long long) override {}
  void AdvanceProgress(long long) override {}
  void SetWaitCursor(bool) override {}
  bool PollEscape() override { return false; }
  bool OpenWithDefaultApp(std::string_view) override { return false; }

  void PrintTimeline() const {
    std::printf("  %8s %7s  %8s %7s  %8s %7s  %7s %7s %7s %6s %6s\n", "wall ms", "+", "cpu ms", "+",
                "main ms", "+", "held +", "rss MB", "peak", "used", "free");
    Event last{};
    for (const Event& e : events_) {
      std::printf("  %8.0f %7.0f  %8.0f %7.0f  %8.0f %7.0f  %7.0f %7.0f %7.0f %6.0f %6.0f  %s\n",
                  e.wall, e.wall - last.wall, e.cpu, e.cpu - last.cpu, e.main, e.main - last.main,
                  e.held - last.held, e.rss, e.peak, e.heap_used, e.heap_free, e.text.c_str());
      last = e;
    }
  }

 private:
  struct Event {
    double wall, cpu, main, held, rss, peak, heap_used, heap_free;
    std::string text;
  };
  void Note(std::string_view text) {
    // The heap's bytes in use (mapped blocks too) and the free room it keeps, over all arenas.
    const struct mallinfo2 heap = mallinfo2();
    events_.push_back({MsSince(t0_), CpuMs(RUSAGE_SELF), CpuMs(RUSAGE_THREAD),
                       stats_.workers_wait_ns.load() / 1e6, RssMb(), PeakRssMb(),
                       (heap.uordblks + heap.hblkhd) / 1048576.0, heap.fordblks / 1048576.0,
                       std::string(text)});
  }

  Clock::time_point t0_;
  const kelvora::ScanStats& stats_;
  std::string last_counter_;
  std::vector<Event> events_;
};

}  // namespace

// FNV-1a over every cell of every list, in list and row order.
std::uint64_t Checksum(const kelvora::RegisteredData& data) {
  std::uint64_t h = 1469598103934665603ull;
  auto add = [&h](std::string_view bytes) {
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    h = (h ^ 0xFF) * 1099511628211ull;
  };
  for (int slot = 0; slot < kelvora::kListCount; ++slot) {
    const kelvora::RegistrationList& list = data.List(kelvora::KindOfSlot(slot));
    for (std::size_t r = 0; r < list.RowCount(); ++r)
      for (int c = 0; c < list.column_count(); ++c) add(list.Cell(r, c));
  }
  return h;
}

int main(int argc, char** argv) {
  const bool serial = argc == 3 && std::string_view(argv[1]) == "--serial";
  if (argc != 2 && !serial) {
    std::fprintf(stderr, "usage: %s [--serial] <root>\n", argv[0]);
    return 2;
  }
  const char* root = argv[argc - 1];
  kelvora::TuneHeapForAnalysis();  // as kelvora-cli and the window do
  std::string tmpl = (std::filesystem::temp_directory_path() / "kelvora-bench-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string home = tmpl;

  kelvora::RegisteredData data;
  kelvora::SettingsStore store(home + "/Kelvora.ini", home + "/registry.ini");
  kelvora::RegexService regex;
  kelvora::ScanStats stats;
  Clock::time_point t0 = Clock::now();
  BenchUi ui(t0, stats);
  kelvora::AnalysisContext ctx{data, store, regex, ui, home};
  ctx.parallel = !serial;
  ctx.stats = &stats;
  // The call index is kept as the command line and the window keep it.
  kelvora::CallIndex calls;
  if (std::getenv("KELVORA_BENCH_NO_CALLS") == nullptr) kelvora::KeepCallIndex(ctx, calls);
  int rc = kelvora::StartAnalysisAt(ctx, root);
  double elapsed = MsSince(t0);

  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("result     %d\n", rc);
  std::printf("files      %zu\n", data.Count(kelvora::ListKind::File));
  std::printf("functions  %zu\n", data.Count(kelvora::ListKind::Function));
  std::printf("structs    %zu\n", data.Count(kelvora::ListKind::Struct));
  std::printf("defines    %zu\n", data.Count(kelvora::ListKind::Define));
  std::printf("tables     %zu\n", data.Count(kelvora::ListKind::Table));
  std::printf("checksum   %016llx\n", static_cast<unsigned long long>(Checksum(data)));
  std::printf("elapsed_ms %.0f\n", elapsed);
  std::printf("peak_rss_mb %.1f\n", usage.ru_maxrss / 1024.0);
  std::printf("stored_mb ");
  for (int slot = 0; slot < kelvora::kListCount; ++slot)
    std::printf(" %.1f", data.List(kelvora::KindOfSlot(slot)).StoredBytes() / 1048576.0);
  std::printf("  (functions structs defines files tables)\n");
  std::printf("call index %zu files, %zu definitions, %zu calls, %zu names, %.1f MB\n",
              calls.FileCount(), calls.DefinitionCount(), calls.SiteCount(), calls.NameCount(),
              calls.bytes() / 1048576.0);
  std::printf(
      "timeline (wall, process CPU, analysing thread CPU, workers held back by the window, "
      "resident\n"
      "MB now and at its peak so far, heap MB in use and kept free):\n");
  ui.PrintTimeline();
  auto s = [](const std::atomic<std::uint64_t>& ns) { return ns.load() / 1e9; };
  std::printf("scan CPU by part (s):\n");
  for (int p = 0; p < kelvora::ScanStats::kParts; ++p)
    std::printf("  %-24s %7.2f\n", kelvora::ScanStats::kPartNames[p], s(stats.part_ns[p]));
  std::printf("  candidate texts kept      %7.1f MB\n", stats.candidate_bytes.load() / 1048576.0);
  std::printf("threads (s):\n");
  for (std::size_t t = 0; t < stats.threads; ++t)
    std::printf("  worker %zu scanning       %7.2f\n", t, s(stats.thread_busy_ns[t]));
  std::printf("  analysing thread scanning %6.2f, all its CPU %.2f\n",
              s(stats.thread_busy_ns[std::min(stats.threads.load(), stats.kMaxThreads)]),
              CpuMs(RUSAGE_THREAD) / 1000);
  std::printf("  passes waiting for scans  %6.2f\n", s(stats.passes_wait_ns));
  std::printf("  workers held by window    %6.2f (summed)\n", s(stats.workers_wait_ns));

  std::error_code ec;
  std::filesystem::remove_all(home, ec);
  return rc == 0 ? 0 : 1;
}
