// The rows of the main window: its context menu, its accelerators, and the --write kinds and
// verbs of kelvora-cli that run the same commands.
#include <string>

#include "commands/registry.h"

#include "analysis/analysis_run.h"
#include "data/registration_lists.h"
#include "lookup/comment_search.h"
#include "output/call_gather.h"
#include "output/html_file_pages.h"
#include "output/html_site.h"
#include "output/reports.h"
#include "output/tree_output.h"
#include "platform/editor_launch.h"
#include "platform/user_folder.h"
#include "settings/settings.h"
#include "settings/window_settings.h"
#include "sheet/sheet_list.h"
#include "sheet/workbook_generate.h"
#include "text/strip_if.h"
#include "tools/ascii_table.h"
#include "tools/readme.h"

namespace kelvora {
namespace {

// A core function that says only whether its file was written.
CommandResult Written(bool written) {
  return written ? CommandResult::Done() : CommandResult::Failed({});
}

// What an output command returned: 1 ran, 0 cancelled or not created, -1 nothing to do.
CommandResult OfOutput(int result) {
  if (result == 1) return CommandResult::Done();
  if (result == 0) return CommandResult::Cancelled();
  return CommandResult::Failed("登録データがありません！　");
}

// "TREE用ファイル出力": the tree of a kind, then (functions) the comment-file question; the
// viewer opens on the written tree.
CommandResult TreeFile(int kind, CommandState& s, Ui& ui) {
  OutputContext ctx{s.data, s.settings, s.regex, ui, s.calls};
  std::string written;
  const int result = TreeOutputCommand(ctx, kind, &written);
  if (result == 1 && !written.empty()) s.view.OpenTreeViewerOn(written);
  return OfOutput(result);
}

CommandResult SortList(int slot, CommandState& s, Ui& ui) {
  return SortListCommand(s.data, KindOfSlot(slot), ui);
}

// "詳細設定", then the site; the lists end sorted ascending.
CommandResult HtmlSiteCommand(CommandState& s, Ui& ui) {
  const std::optional<HtmlOptions> options = s.view.AskHtmlOptions();
  if (!options) return CommandResult::Cancelled();
  HtmlFilePages pages(s.settings, s.regex);
  switch (WriteHtmlSite(s.data, s.settings, *options, ui, &pages)) {
    case HtmlSiteResult::Written:
      return CommandResult::Done();
    case HtmlSiteResult::PagesFailed:
      return CommandResult::DonePartly("file pages not written");
    case HtmlSiteResult::Cancelled:
      break;
  }
  return CommandResult::Cancelled();
}

CommandResult OfStrip(StripResult result) {
  switch (result) {
    case StripResult::Done:
      return CommandResult::Done();
    case StripResult::Cancelled:
      return CommandResult::Cancelled();
    case StripResult::NoFile:
    case StripResult::Unreadable:
    case StripResult::TempFailed:
    case StripResult::WriteFailed:
      break;
  }
  return CommandResult::Failed({});
}

// A command that only opens a window.
template <typename F>
CommandFunction Show(F f) {
  return [f](CommandState& s, Ui&) {
    f(s.view);
    return CommandResult::Done();
  };
}

constexpr CliBinding Write(std::string_view kind, std::string_view help) {
  return {CliForm::Write, kind, help};
}

constexpr std::string_view kStripIfUsage =
    "strip-if IN OUT [--settings FILE]\n"
    "          writes a copy of the source file IN to OUT without the lines of the false\n"
    "          preprocessor branches (#if 0 and the branches the Preprocessor macro list of\n"
    "          the settings makes false); the directives of a conditional that loses a\n"
    "          branch go with it. Every other line is copied as read.\n";

}  // namespace

// Rows leave out the members they do not need (their defaults); GCC 12 warns about that even
// where the member has a default.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
std::vector<CommandRow> MainWindowRows() {
  using R = EnableRule;
  constexpr CommandEffect kLists = CommandEffect::ListsChanged;
  constexpr CommandEffect kNone = CommandEffect::None;
  std::vector<CommandRow> t = {
      {cmd::kAnalyse, "analyse", "解析 (&A)", "", R::Always, AnalyseCommand, kLists},
      {cmd::kCommentSearch, "comment.search", "コメント検索 (Ctrl+&F)", "Ctrl+F", R::AnyData,
       Show([](CommandView& v) { v.RunCommentSearch(); })},
      {cmd::kCommentFile, "comment.file", "外部ファイルより関数コメント取得 (&C)", "", R::AnyData,
       [](CommandState& s, Ui& ui) {
         const ImportOutcome done = ImportCommentsCommand(s.data, s.settings, s.regex, ui);
         return done.stored < 0 ? CommandResult::Failed({}) : CommandResult::Done();
       },
       kLists},
      // The outputs with a --write kind, in the order --help lists the kinds.
      {cmd::kTextList, "output.text-list", "情報一覧TEXT出力 (&T)", "", R::AnyData,
       [](CommandState& s, Ui& ui) {
         return Written(WriteInfoList(s.data, EditorLauncher::FromSettings(s.settings), ui));
       },
       kNone, 0, Write("text-list", "the information list of all five lists, with positions")},
      {cmd::kStepCsv, "output.step-csv", "ステップ数CSV出力 (&S)", "", R::Functions,
       [](CommandState& s, Ui& ui) { return Written(WriteStepCountCsv(s.data, ui)); }, kNone, 0,
       Write("step-csv", "the step-count CSV of the functions")},
      {cmd::kTableCsv, "output.table-csv", "テーブル内容一覧CSV出力 (&C)", "", R::Tables,
       [](CommandState& s, Ui& ui) {
         OutputContext ctx{s.data, s.settings, s.regex, ui, s.calls};
         return Written(WriteTableContentsCsv(ctx));
       },
       kNone, 0, Write("table-csv", "the table-contents CSV: the initialiser data of every table")},
      {cmd::kHtmlSite, "output.html", "情報一覧HTML出力 (&H)", "", R::AnyData, HtmlSiteCommand,
       kLists, 0, Write("html", "the HTML site into the folder PATH (made when missing)")},
      {cmd::kFunctionTree, "tree-file.functions", "関数　　TREE用ファイル出力 (&F)", "",
       R::Functions, [](CommandState& s, Ui& ui) { return TreeFile(kTreeOfFunctions, s, ui); },
       kNone, 0,
       Write("func-tree", "function tree (CP932, CR LF): each function and what it calls")},
      {cmd::kStructTree, "tree-file.structs", "構造体　TREE用ファイル出力 (&S)", "", R::Structs,
       [](CommandState& s, Ui& ui) { return TreeFile(kTreeOfStructs, s, ui); }, kNone, 0,
       Write("struct-tree", "struct tree: each struct and union with its members")},
      {cmd::kTableTree, "tree-file.tables", "テーブル　TREE用ファイル出力 (&T)", "", R::Tables,
       [](CommandState& s, Ui& ui) { return TreeFile(kTreeOfTables, s, ui); }, kNone, 0,
       Write("table-tree", "table tree: each table with its initialiser elements")},
      {cmd::kSortAllAscending, "sort.all-ascending",
       "登録データ 全並び替え（全データ⇒昇順にする） (&S)", "", R::AnyData,
       [](CommandState& s, Ui& ui) { return SortAllCommand(s.data, true, ui); }, kLists},
      {cmd::kSortAllDescending, "sort.all-descending",
       "登録データ 全並び替え（全データ⇒降順にする） (&S)", "", R::AnyData,
       [](CommandState& s, Ui& ui) { return SortAllCommand(s.data, false, ui); }, kLists},
      {cmd::kSortFirstList + 0, "sort.functions", "  (&1) 『関数』 のみ並び替え　 ", "",
       R::Functions, [](CommandState& s, Ui& ui) { return SortList(0, s, ui); }, kLists, 1},
      {cmd::kSortFirstList + 1, "sort.structs", "  (&2) 『構造体』 のみ並び替え", "", R::Structs,
       [](CommandState& s, Ui& ui) { return SortList(1, s, ui); }, kLists, 2},
      {cmd::kSortFirstList + 2, "sort.defines", "  (&3) 『#define』 のみ並び替え", "", R::Defines,
       [](CommandState& s, Ui& ui) { return SortList(2, s, ui); }, kLists, 3},
      {cmd::kSortFirstList + 3, "sort.files", "  (&4) 『File』 のみ並び替え　　 ", "", R::Files,
       [](CommandState& s, Ui& ui) { return SortList(3, s, ui); }, kLists, 4},
      {cmd::kSortFirstList + 4, "sort.tables", "  (&5) 『ﾃｰﾌﾞﾙ』 のみ並び替え　", "", R::Tables,
       [](CommandState& s, Ui& ui) { return SortList(4, s, ui); }, kLists, 5},
      {cmd::kDeleteAll, "lists.delete-all", "登録データ 全削除 (&D)", "", R::AnyData,
       [](CommandState& s, Ui& ui) { return DeleteAllCommand(s.data, ui); }, kLists},
      {cmd::kReanalyse, "analyse.again", "登録ファイルを再解析（最新の情報に更新） (&R)", "",
       R::Always, ReanalyseCommand, kLists},
      {cmd::kTreeViewer, "tree.viewer", "関数TREE Viewer起動 (Ctrl+&T)", "Ctrl+T", R::Always,
       Show([](CommandView& v) { v.OpenTreeViewer(); })},
      {cmd::kSystemInfo, "tools.system-info", "各種情報（OS、メモリ等） (Ctrl+&M)", "Ctrl+M",
       R::Always, Show([](CommandView& v) { v.ShowSystemInfo(); })},
      {cmd::kAsciiTable, "tools.ascii-table", "ASCII文字コード表 表示 (&A)", "", R::Always,
       Show([](CommandView& v) { v.ShowInformation(AsciiTableText()); })},
      {cmd::kIfRemoval,
       "tools.if-removal",
       "#ifﾃﾞｨﾚｸﾃｨﾌﾞ範囲削除 (&D)",
       "",
       R::Always,
       [](CommandState& s, Ui& ui) {
         return OfStrip(StripIfCommand({s.settings.preprocessor, s.settings.char_change}, s.regex,
                                       EditorLauncher::FromSettings(s.settings), ui));
       },
       kNone,
       0,
       {CliForm::Verb, "strip-if", kStripIfUsage}},
      {cmd::kSheetFirst + 0, "sheet.names-file", "(&1) シート名一覧取得（ファイル指定）", "",
       R::Always,
       [](CommandState& s, Ui& ui) {
         ListSheetNamesOfFile(ui, EditorLauncher::FromSettings(s.settings));
         return CommandResult::Done();
       }},
      {cmd::kSheetFirst + 1, "sheet.names-csv", "(&2) シート名一覧取得（フォルダ指定-CSV出力）", "",
       R::Always,
       [](CommandState& s, Ui& ui) {
         ListSheetNamesOfFolder(ui, EditorLauncher::FromSettings(s.settings), SheetListForm::Csv);
         return CommandResult::Done();
       }},
      {cmd::kSheetFirst + 2, "sheet.names-text", "(&3) シート名一覧取得（フォルダ指定-TEXT出力）",
       "", R::Always,
       [](CommandState& s, Ui& ui) {
         ListSheetNamesOfFolder(ui, EditorLauncher::FromSettings(s.settings), SheetListForm::Text);
         return CommandResult::Done();
       }},
      {cmd::kSheetFirst + 3, "sheet.generate", "(&4) EXCELファイル生成（シート名ソートなし）", "",
       R::Always,
       [](CommandState&, Ui& ui) {
         GenerateWorkbooks(ui, SheetOrder::AsGiven);
         return CommandResult::Done();
       }},
      {cmd::kSheetFirst + 4, "sheet.generate-ascending",
       "(&5) EXCELファイル生成（シート名昇順ソート）", "", R::Always,
       [](CommandState&, Ui& ui) {
         GenerateWorkbooks(ui, SheetOrder::Ascending);
         return CommandResult::Done();
       }},
      {cmd::kSheetFirst + 5, "sheet.generate-descending",
       "(&6) EXCELファイル生成（シート名降順ソート）", "", R::Always,
       [](CommandState&, Ui& ui) {
         GenerateWorkbooks(ui, SheetOrder::Descending);
         return CommandResult::Done();
       }},
      {cmd::kGrepMenu, "grep.menu", "Grepメニュー検索 (&G)", "", R::Files,
       Show([](CommandView& v) { v.RunGrepMenu(); })},
      {cmd::kProperties, "settings.sheet", "プロパティ (Ctrl+&P)", "Ctrl+P", R::Always,
       Show([](CommandView& v) { v.OpenSettingsSheet(); })},
      {cmd::kHelp, "help", "ヘルプ (&H)", "", R::Always,
       [](CommandState&, Ui& ui) {
         ShowManual(ProgramDirectory(), ui);
         return CommandResult::Done();
       }},
      {cmd::kReadme, "tools.readme", "変更履歴（readme.txt）", "", R::Always,
       [](CommandState& s, Ui& ui) {
         ShowReadme(ProgramDirectory(), EditorLauncher::FromSettings(s.settings), ui);
         return CommandResult::Done();
       }},
      {cmd::kVersion, "tools.version", "バージョン (&V)", "", R::Always,
       Show([](CommandView& v) { v.ShowVersion(); })},
      // Accelerators without a menu item.
      {cmd::kGet, "word.get", "", "Ctrl+G", R::Always,
       Show([](CommandView& v) { v.TakeWordFromClipboard(); })},
      {cmd::kBitmapList, "tools.bitmap-list", "", "Ctrl+L", R::Always,
       Show([](CommandView& v) { v.ShowBitmapPatternList(); })},
  };
  static const char* const kTransparencyNames[10] = {
      "transparency.0",  "transparency.10", "transparency.20", "transparency.30",
      "transparency.40", "transparency.50", "transparency.60", "transparency.70",
      "transparency.80", "transparency.90"};
  static const char* const kTransparencyTexts[10] = {
      "透明にしない", "10％　透明", "20％　透明", "30％　透明", "40％　透明",
      "50％　透明",   "60％　透明", "70％　透明", "80％　透明", "90％　透明"};
  for (int step = 0; step < 10; ++step) {
    t.push_back({cmd::kTransparency0 + step, kTransparencyNames[step], kTransparencyTexts[step], "",
                 R::Always,
                 [step](CommandState& s, Ui&) { return TransparencyCommand(s, 10 * step); }});
  }
  return t;
}
#pragma GCC diagnostic pop

CommandResult AnalyseCommand(CommandState& s, Ui& ui) {
  AnalysisContext ctx{s.data, s.store, s.regex, ui, /*work_dir=*/"", s.analysis_running};
  if (s.calls) KeepCallIndex(ctx, *s.calls);
  return StartAnalysis(ctx) == 0 ? CommandResult::Done() : CommandResult::Cancelled();
}

CommandResult ReanalyseCommand(CommandState& s, Ui& ui) {
  AnalysisContext ctx{s.data, s.store, s.regex, ui, /*work_dir=*/"", s.analysis_running};
  if (s.calls) KeepCallIndex(ctx, *s.calls);
  return ReanalyseRegisteredFiles(ctx) == 0 ? CommandResult::Done() : CommandResult::Cancelled();
}

CommandResult TransparencyCommand(CommandState& s, int percent) {
  SetTransparency(s.store, s.settings, percent);
  s.view.ShowTransparency(percent);
  return CommandResult::Done();
}

}  // namespace kelvora
