// The analysis run: choosing a root, collecting its files into FileList, the confirmation, the
// extraction passes, and the re-analysis of the registered files.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/ui.h"
#include "settings/settings.h"

namespace kelvora {

class CallIndex;
class CallWalk;
class RegisteredData;
class RegexService;
class Ui;
struct ScanStats;

// The questions of an analysis run, answered by id by the command line and the tests.
inline constexpr QuestionId kAskAddToExisting{"analysis.add-to-existing"};  // Yes adds, No replaces
inline constexpr QuestionId kAskSubfolders{"analysis.subfolders"};
inline constexpr QuestionId kAskConfirmRun{"analysis.confirm"};
inline constexpr QuestionId kAskReanalyse{"analysis.reanalyse"};
// A registered file cannot be opened: Yes cancels the run, No skips the file.
inline constexpr QuestionId kAskCancelOnUnreadableFile{"analysis.cancel-on-unreadable-file"};

// The state one analysis command works on. work_dir is where the header list file
// "ヘッダファイル一覧.txt" and the prototype comment file "コメント取得ファイル.txt" are written;
// when empty, each run writes them in a private temporary folder removed at its end, so runs
// sharing a settings folder never read each other's work files.
struct AnalysisContext {
  RegisteredData& data;
  SettingsStore& store;
  const RegexService& regex;
  Ui& ui;
  std::string work_dir;
  // Set while RunAnalysis runs, when given.
  bool* running = nullptr;
  // Scan the files on worker threads, one per core; false scans each file on the calling
  // thread when a pass reaches it. Both register the same rows in the same order.
  bool parallel = true;
  // Filled with where the scans spent their time, when given (the benchmark).
  ScanStats* stats = nullptr;
  // When given, the run keeps every definition's calls in calls, each file walked by a walk
  // call_walks makes (one per scan thread; KeepCallIndex in output/call_gather.h sets both).
  // A run that replaces the data, or whose walk settings differ, empties the index first.
  CallIndex* calls = nullptr;
  std::function<std::unique_ptr<CallWalk>(const Settings&)> call_walks = nullptr;
};

// What one run carries from the collection to the passes.
struct AnalysisRun {
  Settings settings;
  std::string root;               // "" stands for the file-system root
  bool subfolders = false;        // walk subfolders too
  std::size_t first_new_row = 0;  // P: FileList rows before the run
  long headers = 0;               // H
  long sources = 0;               // S
  std::string finished_text;      // status line 3 after the passes
  // Usable struct and table candidates that "DataMax" kept out of their lists.
  long structs_over_limit = 0;
  long tables_over_limit = 0;
  // Where the run's work files are: the context's work_dir, else a private folder.
  std::string work_dir;
  std::shared_ptr<PrivateTempFolder> private_folder;
};

// The notice shown when a run completes with lists cut by "DataMax": one line per list that
// hit the limit, telling how many rows were not registered; empty when none did.
std::string DataMaxNotice(const AnalysisRun& run);

inline constexpr const char* kHeaderListFileName = "ヘッダファイル一覧.txt";
inline constexpr const char* kPrototypeFileName = "コメント取得ファイル.txt";

// The analysis button: folder chooser, then StartAnalysisAt. 0 done, -1 ended without a run.
int StartAnalysis(AnalysisContext& ctx);

// Analyses a root given without the chooser (a dropped folder, the command line): loads the
// settings, CollectFiles, RunAnalysis, then sorts and shows the counts. 0 done, -1 otherwise.
int StartAnalysisAt(AnalysisContext& ctx, std::string root);

// The questions and the file walk: 1 to go on, -1 when the run ends here.
int CollectFiles(AnalysisContext& ctx, AnalysisRun& run);

// The passes over the collected files: 0 done, -1 failed or cancelled.
int RunAnalysis(AnalysisContext& ctx, AnalysisRun& run);

// Keeps FileList and the roots, refills the other four lists from the registered files.
// 0 done, -1 declined, failed or cancelled.
int ReanalyseRegisteredFiles(AnalysisContext& ctx);

// Sets up the C library's heap for analysis runs; call once at program start, before any
// thread is made.
void TuneHeapForAnalysis();

// Path of a working file of the run.
std::string WorkFilePath(const AnalysisRun& run, const char* name);

}  // namespace kelvora
