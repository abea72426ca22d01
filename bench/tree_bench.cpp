// kelvora_bench_tree <tree file> [entry] [callee]: the TREE viewer's figures on a large function
// tree: reading the file into a page, showing the call tree of an entry with its first level,
// root candidates, the callers of a popular name, the nest-level buttons 3 and 8, a walk through
// the whole expansion up to the node budget (what expand-all or search down do), and the same
// walk cancelled by Escape. The viewer settings ("DataMax", "NodeBudget" of section "Tree") come
// from Kelvora.ini in the settings folder ($KELVORA_HOME), as the viewer reads them; raise DataMax
// there to hold every entry of a whole kernel. For each step it also prints the longest time
// between two polls of the window (repaint and Escape).
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "bench_ui.h"
#include "platform/ui.h"
#include "platform/user_folder.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "tree/call_tree.h"
#include "tree/tree_file.h"
#include "tree/tree_ops.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Records the longest gap between polls; presses Escape at a chosen poll and answers the
// cancel question with Yes.
class BenchUi : public QuietUi {
 public:
  void Start(long escape_at_poll = -1) {
    last_ = Clock::now();
    max_gap_ = 0;
    polls_ = 0;
    statuses_ = 0;
    escape_at_ = escape_at_poll;
  }
  long statuses() const { return statuses_; }
  Clock::time_point escaped() const { return escaped_; }
  void SetStatus(int, std::string_view) override { ++statuses_; }
  bool AskYesNo(kelvora::QuestionId, std::string_view, std::string_view) override { return true; }
  double max_gap() const { return std::max(max_gap_, MsSince(last_)); }
  long polls() const { return polls_; }

  bool PollEscape() override {
    const double gap = MsSince(last_);
    max_gap_ = std::max(max_gap_, gap);
    last_ = Clock::now();
    if (++polls_ == escape_at_) {
      escaped_ = last_;
      return true;
    }
    return false;
  }

 private:
  Clock::time_point last_;
  Clock::time_point escaped_;
  double max_gap_ = 0;
  long polls_ = 0;
  long statuses_ = 0;
  long escape_at_ = -1;
};

// CPU time of the process: on a shared machine the wall time also counts waiting for a core.
double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

long PeakMb() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return r.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kelvora_bench_tree TREEFILE [ENTRY] [CALLEE]\n");
    return 2;
  }
  const std::string entry_name = argc > 2 ? argv[2] : "start_kernel";
  const std::string callee_name = argc > 3 ? argv[3] : "kmalloc";
  kelvora::SettingsStore store(kelvora::SettingsFilePath(), kelvora::UserStorePath());
  kelvora::TreeSettings settings = kelvora::LoadTreeSettings(store, false);
  std::printf("settings:        %s  DataMax %d  NodeBudget %lld\n",
              kelvora::SettingsFilePath().c_str(), settings.data_max, settings.node_budget);
  kelvora::RegexService regex;
  BenchUi ui;
  kelvora::TreePage page;

  ui.Start();
  auto t0 = Clock::now();
  double c0 = CpuMs();
  const auto result = kelvora::TreeFileReader(argv[1], page, settings, regex, ui);
  std::printf(
      "read:            %8.0f ms (cpu %6.0f ms)  entries %zu  callees %zu  recursions %zu  (max "
      "poll gap %.0f ms)\n",
      MsSince(t0), CpuMs() - c0, page.entry_count(), page.callees.size(), page.recursions.size(),
      ui.max_gap());
  if (result == kelvora::ReadResult::OpenFailed) return 1;
  if (result == kelvora::ReadResult::EntryLimit)
    std::printf("                 stopped at DataMax %d: raise it in the settings file\n",
                settings.data_max);

  const std::int32_t entry = page.FindEntry(entry_name);
  if (entry < 0) {
    std::fprintf(stderr, "no entry %s\n", entry_name.c_str());
    return 1;
  }
  kelvora::CallTree tree;
  t0 = Clock::now();
  c0 = CpuMs();
  kelvora::ExpandIntoOutput(page, entry, tree, settings, ui);
  std::size_t first_level = 0;
  for (std::int32_t c : tree.Children(tree.root())) {
    (void)tree.Text(c);
    (void)tree.Data(c);
    (void)tree.HasChildren(c);
    ++first_level;
  }
  std::printf("show %s:  %8.3f ms (cpu %6.3f ms)  first level %zu items\n", entry_name.c_str(),
              MsSince(t0), CpuMs() - c0, first_level);

  ui.Start();
  t0 = Clock::now();
  c0 = CpuMs();
  const auto roots = kelvora::RootCandidates(page, ui);
  std::printf(
      "root candidates: %8.0f ms (cpu %6.0f ms)  %zu bytes of text  (max poll gap %.0f ms)\n",
      MsSince(t0), CpuMs() - c0, roots ? roots->size() : 0, ui.max_gap());

  t0 = Clock::now();
  const auto callers = kelvora::CallersOf(page, callee_name);
  std::printf("callers of %s: %8.3f ms  %d callers, %zu bytes of text\n", callee_name.c_str(),
              MsSince(t0), callers.count, callers.text.size());

  for (int level : {3, 8}) {
    kelvora::CallTree levels;
    kelvora::ExpandIntoOutput(page, entry, levels, settings, ui);
    ui.Start();
    t0 = Clock::now();
    const auto stop = kelvora::ExpandToLevel(levels, level, settings, ui);
    std::printf(
        "nest level %d:    %8.0f ms  %zu items made, stop %d  (max poll gap %.0f ms, %ld status "
        "texts)\n",
        level, MsSince(t0), levels.made_count(), static_cast<int>(stop), ui.max_gap(),
        ui.statuses());
  }

  {
    kelvora::CallTree cancelled;
    kelvora::ExpandIntoOutput(page, entry, cancelled, settings, ui);
    cancelled.selected = cancelled.root();
    ui.Start(20);
    kelvora::ToggleExpandAll(cancelled, settings, ui);  // closes the root
    const auto stop = kelvora::ToggleExpandAll(cancelled, settings, ui);
    std::printf("escape:          walk stopped %.1f ms after the key, %zu items made, stop %d\n",
                MsSince(ui.escaped()), cancelled.made_count(), static_cast<int>(stop));
  }

  ui.Start();
  t0 = Clock::now();
  c0 = CpuMs();
  tree.selected = tree.root();
  const bool found = kelvora::SearchDown(tree, "no such word", settings, ui);
  std::printf(
      "search down:     %8.0f ms (cpu %6.0f ms)  %zu items made (budget %lld)  found %d  (max poll "
      "gap %.0f ms, %ld polls)\n",
      MsSince(t0), CpuMs() - c0, tree.made_count(), settings.node_budget, found, ui.max_gap(),
      ui.polls());
  std::printf("peak memory:     %8ld MB\n", PeakMb());
  return 0;
}
