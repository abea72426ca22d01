// kelvora_bench_window_cli <tree> [rounds]: the window's outputs after an analysis against the
// command line's. One analysis of the tree (as `kelvora-cli analyse` runs it, with its call
// index), then for each of the three "TREE用ファイル出力" commands and the step-count CSV, rounds
// times (default 3): the registry row's command as the window runs it (its CommandState with the
// window's call index, a scripted dialog port giving the save path) and the same kind written the
// way `kelvora-cli analyse --write KIND=PATH` writes it alone; prints the best time of each, their
// ratio (goal <= 1.10) and whether the two files are byte-identical. Settings come from
// $KELVORA_HOME (set it to an empty folder for the defaults).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "analysis/analysis_run.h"
#include "analysis/call_index.h"
#include "cli/cli_app.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "commands/registry.h"
#include "data/registration_lists.h"
#include "output/call_gather.h"
#include "output/tree_output.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "text/regex_service.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kelvora;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <tree> [rounds]\n", argv[0]);
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const std::string out_dir =
      std::filesystem::temp_directory_path() / ("kelvora-window-cli-" + std::to_string(::getpid()));
  std::filesystem::create_directories(out_dir);

  SettingsStore store = SettingsStore::Default();
  store.set_read_only();
  RegisteredData data;
  RegexService regex;
  CliUi cli_ui(stderr);
  AnalysisContext actx{data, store, regex, cli_ui, ""};
  CallIndex calls;
  KeepCallIndex(actx, calls);
  cli_ui.set_answers({false, true});
  const Clock::time_point a0 = Clock::now();
  if (StartAnalysisAt(actx, NormaliseRoot(argv[1])) != 0) {
    std::fprintf(stderr, "analysis failed\n");
    return 1;
  }
  cli_ui.FinishProgress();
  std::printf("analysis %.2f s, call index %zu files\n",
              std::chrono::duration<double>(Clock::now() - a0).count(), calls.FileCount());

  Settings settings;
  LoadSettings(store, settings, cli_ui);
  kelvora::WindowlessView view;  // no viewer opens on the written tree
  CommandState state{data, store, settings, regex, view, {}, nullptr, nullptr, nullptr, &calls};
  const std::vector<CommandRow> rows = MainWindowRows();
  auto row_of = [&](int id) -> const CommandRow& {
    for (const CommandRow& r : rows)
      if (r.id == id) return r;
    std::fprintf(stderr, "no row %d\n", id);
    std::exit(1);
  };
  CliOptions options;
  CliWriteContext wctx{data, store, regex, cli_ui, options, &calls};

  struct Kind {
    int id;
    const char* name;
  };
  const Kind kinds[] = {{cmd::kFunctionTree, "func-tree"},
                        {cmd::kStructTree, "struct-tree"},
                        {cmd::kTableTree, "table-tree"},
                        {cmd::kStepCsv, "step-csv"}};
  std::printf("%-12s %10s %10s %7s %s\n", "kind", "window_s", "cli_s", "w/c", "same bytes");
  bool all_same = true;
  for (const Kind& k : kinds) {
    const CommandRow& row = row_of(k.id);
    double best_window = 1e9, best_cli = 1e9;
    bool same = true;
    for (int r = 0; r < rounds; ++r) {
      const std::string wpath = out_dir + "/w-" + k.name + std::to_string(r);
      const std::string cpath = out_dir + "/c-" + k.name + std::to_string(r);
      ScriptedUi ui;
      ui.ChooseSaveAnswer(wpath);
      // The window's own questions after the write: no comment file, do not open the CSV.
      if (k.id == cmd::kFunctionTree) ui.Answer(kAskWriteCommentFile, false);
      if (k.id == cmd::kStepCsv) ui.AnswerNo();
      Clock::time_point t0 = Clock::now();
      const CommandResult done = row.run(state, ui);
      best_window = std::min(best_window, std::chrono::duration<double>(Clock::now() - t0).count());
      if (done.status != CommandStatus::Done)
        std::fprintf(stderr, "%s: window run failed\n", k.name);
      options.writes = {{k.name, cpath}};
      t0 = Clock::now();
      if (FindCliWriter(k.name)->write(wctx, *FindCliCommand(CliForm::Write, k.name), cpath) != 0)
        std::fprintf(stderr, "%s: command-line run failed\n", k.name);
      cli_ui.FinishProgress();
      best_cli = std::min(best_cli, std::chrono::duration<double>(Clock::now() - t0).count());
      same = same && ReadAll(wpath) == ReadAll(cpath);
    }
    all_same = all_same && same;
    std::printf("%-12s %10.3f %10.3f %7.3f %s\n", k.name, best_window, best_cli,
                best_window / best_cli, same ? "yes" : "NO");
  }
  std::filesystem::remove_all(out_dir);
  return all_same ? 0 : 1;
}
