// kelvora_bench_call_graph <tree file> [runs] [CASE...]: call graphs on a large function tree
// once it is read, as the TREE viewer draws them (its page is in memory): building the graph and
// laying it out and rendering it to SVG with Graphviz, each RUNS times (default 3), with the
// median and the longest time between two polls of the window (repaint and Escape) while the
// graph is built. CASE is DIRECTION:NAME[@PATH]:DEPTH (callees or callers); PATH picks, among
// same-named entries, the one whose position contains it (the viewer draws the entry the user
// selected; without PATH the first, as the command line does). Default cases:
// callees:start_kernel@init/main.c:3, callers:kmalloc@include/linux/slab.h:2, and both names
// without PATH. The settings (DataMax, GraphNodeBudget) come from $KELVORA_HOME/Kelvora.ini.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "bench_ui.h"
#include "platform/user_folder.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "tree/call_graph.h"
#include "tree/call_graph_render.h"
#include "tree/tree_file.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

class PollUi : public QuietUi {
 public:
  void Start() {
    last_ = Clock::now();
    max_gap_ = 0;
  }
  double max_gap() const { return std::max(max_gap_, MsSince(last_)); }
  bool PollEscape() override {
    max_gap_ = std::max(max_gap_, MsSince(last_));
    last_ = Clock::now();
    return false;
  }

 private:
  Clock::time_point last_;
  double max_gap_ = 0;
};

struct Case {
  kelvora::GraphDirection direction;
  std::string name, path;
  int depth;
};

bool ParseCase(const std::string& text, Case& c) {
  const auto a = text.find(':'), b = text.rfind(':');
  if (a == std::string::npos || a == b) return false;
  const std::string dir = text.substr(0, a);
  if (dir != "callees" && dir != "callers") return false;
  c.direction =
      dir == "callers" ? kelvora::GraphDirection::Callers : kelvora::GraphDirection::Callees;
  std::string name = text.substr(a + 1, b - a - 1);
  const auto at = name.find('@');
  c.path = at == std::string::npos ? "" : name.substr(at + 1);
  c.name = name.substr(0, at);
  c.depth = std::atoi(text.c_str() + b + 1);
  return !c.name.empty() && c.depth >= 1 && c.depth <= 8;
}

// The entry of the name whose position contains path; else the first, as the command line takes.
std::optional<kelvora::GraphStart> StartOf(const kelvora::TreePage& page, const Case& c) {
  if (!c.path.empty())
    for (std::size_t e = 0; e < page.entry_count(); ++e) {
      std::string_view text = page.EntryText(e);
      while (!text.empty() && text.front() == '*') text.remove_prefix(1);
      const std::string_view data = page.Text(page.entries[e].data);
      if (text == c.name && data.find(c.path) != std::string_view::npos)
        return kelvora::GraphStart{c.name, std::string(data)};
    }
  return kelvora::FindGraphStart(page, c.name, c.direction);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[(v.size() - 1) / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kelvora_bench_call_graph TREEFILE [RUNS] [CASE...]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  std::vector<std::string> wanted(argv + std::min(argc, 3), argv + argc);
  if (wanted.empty())
    wanted = {"callees:start_kernel@init/main.c:3", "callers:kmalloc@include/linux/slab.h:2",
              "callees:start_kernel:3", "callers:kmalloc:2"};
  kelvora::SettingsStore store(kelvora::SettingsFilePath(), kelvora::UserStorePath());
  const kelvora::TreeSettings settings = kelvora::LoadTreeSettings(store, false);
  kelvora::RegexService regex;
  PollUi ui;
  kelvora::TreePage page;
  auto t0 = Clock::now();
  double c0 = CpuMs();
  const auto result = kelvora::TreeFileReader(argv[1], page, settings, regex, ui);
  std::printf("read the tree file: %.0f ms (cpu %.0f ms), %zu entries, DataMax %d\n", MsSince(t0),
              CpuMs() - c0, page.entry_count(), settings.data_max);
  if (result == kelvora::ReadResult::OpenFailed) return 1;

  kelvora::CallGraphOptions options;
  options.node_budget = kelvora::LoadGraphNodeBudget(store);
  std::printf("median of %d runs, node budget %lld\n", runs, options.node_budget);
  std::printf("%-40s %9s %9s %9s %9s %6s %6s %6s\n", "", "build ms", "render ms", "total ms",
              "cpu ms", "gap ms", "nodes", "cut");
  for (const std::string& text : wanted) {
    Case c;
    if (!ParseCase(text, c)) {
      std::fprintf(stderr, "bad case %s (DIRECTION:NAME[@PATH]:DEPTH)\n", text.c_str());
      return 2;
    }
    const std::optional<kelvora::GraphStart> start = StartOf(page, c);
    if (!start) {
      std::fprintf(stderr, "no start %s\n", text.c_str());
      return 1;
    }
    options.direction = c.direction;
    options.depth = c.depth;
    std::vector<double> build, render, total, cpu, gap;
    std::size_t nodes = 0;
    long long cut = 0;
    for (int r = 0; r < runs; ++r) {
      kelvora::CallGraph graph;
      ui.Start();
      t0 = Clock::now();
      c0 = CpuMs();
      kelvora::BuildCallGraph(page, *start, options, nullptr, ui, graph);
      build.push_back(MsSince(t0));
      gap.push_back(ui.max_gap());
      const auto t1 = Clock::now();
      kelvora::RenderedGraph out;
      std::string error;
      if (!kelvora::RenderCallGraph(graph, false, kelvora::GraphFormats{true, false, false}, out,
                                    error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
      }
      render.push_back(MsSince(t1));
      total.push_back(MsSince(t0));
      cpu.push_back(CpuMs() - c0);
      nodes = graph.nodes.size();
      cut = graph.left_out;
    }
    std::printf("%-40s %9.1f %9.1f %9.1f %9.1f %6.1f %6zu %6lld\n", text.c_str(), Median(build),
                Median(render), Median(total), Median(cpu), Median(gap), nodes, cut);
  }
  return 0;
}
