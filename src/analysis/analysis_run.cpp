#include "analysis/analysis_run.h"

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <vector>

#include "analysis/analysis_passes.h"
#include "analysis/call_index.h"
#include "analysis/confirm_text.h"
#include "analysis/definitions.h"
#include "analysis/extension_list.h"
#include "analysis/scan_scheduler.h"
#include "data/registration_lists.h"
#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/output_file.h"
#include "platform/process.h"
#include "platform/ui.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

namespace kelvora {
namespace {

constexpr ListKind kAllKinds[] = {ListKind::Function, ListKind::Struct, ListKind::Define,
                                  ListKind::File, ListKind::Table};

void ShowCounts(Ui& ui, const RegisteredData& data) {
  for (ListKind kind : kAllKinds)
    ui.SetCountLabel(static_cast<int>(kind), CountLabel(kind, data.Count(kind)));
}

void ClearLists(RegisteredData& data) {
  for (ListKind kind : kAllKinds) data.List(kind).Clear();
}

// Delete all without its question: lists, count labels and roots emptied, no-data layout.
void DropAllData(AnalysisContext& ctx) {
  ctx.data.Clear();
  for (ListKind kind : kAllKinds) ctx.ui.SetCountLabel(static_cast<int>(kind), "");
  ctx.ui.SetLayout(WindowLayout::NoData);
}

void SortAndShow(AnalysisContext& ctx, const AnalysisRun& run) {
  ctx.ui.SetStatus(3, "登録データソート中…");
  // The sort's keys come on top of what the passes freed, unless that goes back first.
  ReturnFreedMemory(run);
  ctx.data.SortAllAscending();
  ShowCounts(ctx.ui, ctx.data);
  ctx.ui.SetStatus(3, run.finished_text);
  ctx.ui.SetLayout(WindowLayout::Data);
  const std::string notice = DataMaxNotice(run);
  if (!notice.empty()) ctx.ui.Message(notice, Ui::kCaption, MsgIcon::Warning);
  if (!notice.empty()) ctx.ui.NoteLeftOut();
}

bool IsHeaderRow(const RegistrationList& files, std::size_t row) {
  return EqualsIgnoringAsciiCase(files.Cell(row, col::kMarker), ".h");
}

// The root as walked: absolute, without trailing "/"; the file-system root becomes "".
std::string NormalizeRoot(std::string_view given) {
  std::string root;
  if (!given.empty() && given[0] != '/') {
    std::vector<char> buf(4096);
    if (getcwd(buf.data(), buf.size())) {
      root = buf.data();
      if (root == "/") root.clear();
      root += '/';
    }
  }
  root.append(given);
  while (!root.empty() && root.back() == '/') root.pop_back();
  return root;
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Undoes the run's window state on every way out of RunAnalysis.
class RunScope {
 public:
  RunScope(Ui& ui, bool* running) : ui_(ui), running_(running) {}
  ~RunScope() {
    if (running_) *running_ = false;
    if (!temp_file_.empty()) unlink(temp_file_.c_str());
    ui_.SetListRedraw(true);
    ui_.SetWaitCursor(false);
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;
  void set_temp_file(std::string path) { temp_file_ = std::move(path); }

 private:
  Ui& ui_;
  bool* running_;
  std::string temp_file_;
};

}  // namespace

std::string DataMaxNotice(const AnalysisRun& run) {
  const long limit = run.settings.list_data_max;
  std::string text;
  auto line = [&](const char* list, long over) {
    if (over <= 0) return;
    text += "\n◆";
    text += list;
    text +=
        " 未登録：" + std::to_string(over) + "（登録上限 DataMax：" + std::to_string(limit) + "）";
  };
  line("構造体", run.structs_over_limit);
  line("ﾃｰﾌﾞﾙ", run.tables_over_limit);
  if (text.empty()) return text;
  return "取得完了！  登録上限を超えたデータは登録されていません。　" + text;
}

void TuneHeapForAnalysis() {
#ifdef __GLIBC__
  // glibc gives threads that allocate their own heaps; the analysis scans on worker threads and
  // frees what they found on this one, so the freed room would stay split over many heaps and
  // add to the peak. Two heaps keep that small without making the workers queue for one.
  mallopt(M_ARENA_MAX, 2);
  // Blocks of 1 MB and more (the lists' chunks and row tables, large source files) get mappings
  // of their own that go back to the system when freed. By default glibc raises that limit to
  // the largest such block freed so far and then carves them from the heap, which keeps the
  // room they leave behind: a fifth of a drivers/net run's peak.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

std::string WorkFilePath(const AnalysisRun& run, const char* name) {
  if (run.work_dir.empty()) return name;
  return run.work_dir.back() == '/' ? run.work_dir + name : run.work_dir + "/" + name;
}

namespace {

// Says which folders the walk could not list (each walk of an extension meets them again).
void ReportSkippedFolders(AnalysisContext& ctx, std::vector<std::string>& skipped) {
  std::sort(skipped.begin(), skipped.end());
  skipped.erase(std::unique(skipped.begin(), skipped.end()), skipped.end());
  if (skipped.empty()) return;
  ctx.ui.NoteLeftOut();
  constexpr std::size_t kShown = 20;
  std::string text =
      "読み込めないフォルダは解析されません（" + std::to_string(skipped.size()) + "件）：　";
  for (std::size_t i = 0; i < skipped.size() && i < kShown; ++i)
    text += "\n" + ToDisplay(skipped[i]);
  if (skipped.size() > kShown) text += "\n…";
  ctx.ui.Message(text, Ui::kCaption, MsgIcon::Warning);
}

// Sets where the run keeps its work files; false after the message when no private folder can
// be made.
bool PrepareWorkFolder(const AnalysisContext& ctx, AnalysisRun& run) {
  if (!ctx.work_dir.empty()) {
    run.work_dir = ctx.work_dir;
    return true;
  }
  auto folder = std::make_shared<PrivateTempFolder>();
  if (!folder->Create("kelvora-run")) {
    ctx.ui.Message("テンポラリファイル用のディレクトリパス取得エラー", Ui::kCaption,
                   MsgIcon::Error);
    return false;
  }
  run.work_dir = folder->path();
  run.private_folder = std::move(folder);
  return true;
}

}  // namespace

int StartAnalysis(AnalysisContext& ctx) {
  std::optional<std::string> folder = ctx.ui.ChooseFolder("■■解析するルートディレクトリ指定■■");
  if (!folder) {
    ctx.ui.Message("キャンセルします！　", Ui::kCaption, MsgIcon::Information);
    return -1;
  }
  return StartAnalysisAt(ctx, *folder);
}

// NOLINTNEXTLINE(performance-unnecessary-value-param): one copy per run, the callers' signature
int StartAnalysisAt(AnalysisContext& ctx, std::string root) {
  AnalysisRun run;
  LoadSettings(ctx.store, run.settings, ctx.ui);
  run.root = NormalizeRoot(root);
  if (CollectFiles(ctx, run) != 1) return -1;
  if (RunAnalysis(ctx, run) != 0) return -1;
  SortAndShow(ctx, run);
  return 0;
}

int CollectFiles(AnalysisContext& ctx, AnalysisRun& run) {
  Ui& ui = ctx.ui;
  RegisteredData& data = ctx.data;
  RegistrationList& files = data.files();
  const Settings& s = run.settings;
  std::vector<std::string> header_exts = ParseExtensionList(s.ext_header, ctx.regex);
  std::vector<std::string> source_exts = ParseExtensionList(s.ext_src, ctx.regex);

  run.first_new_row = files.RowCount();
  if (!files.empty()) {
    long headers = 0;
    for (std::size_t row = 0; row < files.RowCount(); ++row) headers += IsHeaderRow(files, row);
    long sources = static_cast<long>(files.RowCount()) - headers;
    if (!ui.AskYesNo(kAskAddToExisting, ExistingDataQuestion(sources, headers))) {
      ClearLists(data);
      ShowCounts(ui, data);
      run.first_new_row = 0;
    }
    data.SortAllAscending();
  }
  run.subfolders = ui.AskYesNo(kAskSubfolders, SubfolderQuestion(run.root));

  if (!PrepareWorkFolder(ctx, run)) return -1;
  const std::string list_path = WorkFilePath(run, kHeaderListFileName);
  std::ofstream list(list_path, std::ios::binary | std::ios::trunc);
  if (!list) {
    ui.Message(OutputOpenErrorText(list_path, errno), Ui::kCaption, MsgIcon::Error);
    return -1;
  }
  list << "\r\n";
  std::vector<std::string> skipped;
  for (const std::string& ext : header_exts)
    RegisterFiles(run.root, {ext, run.subfolders, &list, &skipped}, true, files);
  list.close();
  if (list.fail()) {
    ui.Message("テンポラリファイルの作成エラー", Ui::kCaption, MsgIcon::Error);
    return -1;
  }
  const std::size_t p = run.first_new_row;
  run.headers = static_cast<long>(files.RowCount() - p);
  for (const std::string& ext : source_exts)
    RegisterFiles(run.root, {ext, run.subfolders, nullptr, &skipped}, false, files);
  run.sources = static_cast<long>(files.RowCount() - p) - run.headers;
  ReportSkippedFolders(ctx, skipped);

  if (run.headers == 0 && run.sources == 0) {
    ui.Message("該当ファイルがありません！　", Ui::kCaption, MsgIcon::Information);
    return -1;
  }
  if (!ui.AskYesNo(kAskConfirmRun,
                   ConfirmationQuestion(run.root, run.sources, run.headers, s, p > 0))) {
    DropAllData(ctx);
    return -1;
  }
  data.roots().Append(run.root);
  return 1;
}

int RunAnalysis(AnalysisContext& ctx, AnalysisRun& run) {
  Ui& ui = ctx.ui;
  ui.SetWaitCursor(true);
  const std::uint64_t started = TickCountMs();
  ui.SetListRedraw(false);
  ui.SetLayout(WindowLayout::Running);
  RunScope scope(ui, ctx.running);

  std::vector<std::unique_ptr<AnalysisPass>> passes = MakeAnalysisPasses();
  long long range = 0;
  for (const auto& pass : passes)
    if (pass->Enabled(run.settings)) range += pass->ProgressSteps(run.headers, run.sources);
  ui.SetProgressRange(range);
  ui.SetProgressPos(0);

  const char* temp_error = nullptr;
  std::optional<std::string> temp;
  if (!IsDirectory(TempDirectory()))
    temp_error = "テンポラリファイル用のディレクトリパス取得エラー";
  else if (!(temp = CreateUniqueTempFile("kelvora")))
    temp_error = "テンポラリファイルの作成エラー";
  if (temp_error) {
    ui.Message(temp_error, Ui::kCaption, MsgIcon::Error);
    ui.SetLayout(ctx.data.AllEmpty() ? WindowLayout::NoData : WindowLayout::Data);
    return -1;
  }
  scope.set_temp_file(*temp);

  ui.SetStatus(1, "");
  ui.SetStatus(2, "");
  ui.SetStatus(3, "Analysis Start！！");
  if (ctx.running) *ctx.running = true;

  CleaningPatterns cleaning(ctx.regex);
  MacroList macros(run.settings.preprocessor);
  ExtractorEnv env{ctx.regex, cleaning, run.settings, macros, ctx.data, ui};
  RunPatterns patterns(ctx.regex, run.settings);
  env.patterns = &patterns.definitions;
  PassContext pc{ctx,
                 run,
                 env,
                 patterns,
                 *temp,
                 WorkFilePath(run, kHeaderListFileName),
                 WorkFilePath(run, kPrototypeFileName),
                 "完："};
  // The call index holds the files of the runs whose data the lists hold, walked with the same
  // settings; a run that replaces the data starts it again.
  if (ctx.calls && (run.first_new_row == 0 || !ctx.calls->SameWalkSettings(run.settings)))
    ctx.calls->Clear(run.settings);
  // Every file is read once, and scanned for all passes on all cores ahead of them; each pass
  // then registers its part of every file in its own order, and the function tree's walk of
  // each FileList file leaves its calls in the call index.
  FileScans scans(pc, ctx.parallel ? FileScans::ParallelThreads() : 0, ctx.stats);
  pc.scans = &scans;
  CandidateSpool spool;
  pc.spool = &spool;
  auto cancel = [&] {
    scans.Stop();
    DropAllData(ctx);
    if (ctx.calls) ctx.calls->Clear(run.settings);
    return -1;
  };
  for (const auto& pass : passes) {
    if (!pass->Enabled(run.settings)) continue;
    if (pass->Run(pc) == PassResult::Cancel) return cancel();
  }
  if (ctx.calls && !scans.TakeRemainingRows()) return cancel();
  scans.Stop();
  if (ctx.calls) ctx.calls->Finish();
  run.finished_text = pc.done_text;
  ui.SetStatus(2, "取得完了！  所要時間：" + ElapsedSecondsText(TickCountMs() - started) + "秒  ");
  return 0;
}

int ReanalyseRegisteredFiles(AnalysisContext& ctx) {
  Ui& ui = ctx.ui;
  AnalysisRun run;
  LoadSettings(ctx.store, run.settings, ui);
  if (!ui.AskYesNo(kAskReanalyse, ReanalysisQuestion(run.settings))) return -1;
  RegistrationList& files = ctx.data.files();
  if (files.empty()) {
    ui.Message("登録データがありません！　", Ui::kCaption, MsgIcon::Information);
    return -1;
  }
  if (!PrepareWorkFolder(ctx, run)) return -1;
  const std::string list_path = WorkFilePath(run, kHeaderListFileName);
  std::ofstream list(list_path, std::ios::binary | std::ios::trunc);
  if (!list) {
    ui.Message(OutputOpenErrorText(list_path, errno), Ui::kCaption, MsgIcon::Error);
    return -1;
  }
  for (ListKind kind : {ListKind::Function, ListKind::Struct, ListKind::Define, ListKind::Table})
    ctx.data.List(kind).Clear();
  for (std::size_t row = 0; row < files.RowCount(); ++row) {
    if (files.Cell(row, col::kMarker) != ".h") continue;
    list << files.Cell(row, col::kPosition) << "\r\n";
    ++run.headers;
  }
  list.close();
  if (list.fail()) {
    ui.Message("テンポラリファイルの作成エラー", Ui::kCaption, MsgIcon::Error);
    return -1;
  }
  run.sources = static_cast<long>(files.RowCount()) - run.headers;
  if (RunAnalysis(ctx, run) != 0) return -1;
  SortAndShow(ctx, run);
  return 0;
}

}  // namespace kelvora
