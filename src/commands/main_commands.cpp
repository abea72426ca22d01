#include "commands/main_commands.h"

#include <algorithm>

#include "analysis/analysis_run.h"
#include "data/registration_lists.h"
#include "lookup/comment_search.h"
#include "lookup/editor_launch.h"
#include "output/html_file_pages.h"
#include "output/html_site.h"
#include "output/reports.h"
#include "output/tree_output.h"
#include "platform/user_folder.h"
#include "settings/settings.h"
#include "settings/window_settings.h"
#include "sheet/sheet_list.h"
#include "sheet/workbook_generate.h"
#include "tools/ascii_table.h"
#include "tools/readme.h"
#include "tools/strip_if.h"

namespace kelvora {
namespace {

CommandEffect Lists(CommandResult) {
  return CommandEffect::ListsChanged;
}

// "TREE用ファイル出力": the tree of a kind, then (functions) the comment-file question.
CommandEffect TreeFile(int kind, CommandState& s, Ui& ui) {
  OutputContext ctx{s.data, s.settings, s.regex, ui};
  std::string written;
  if (TreeOutputCommand(ctx, kind, &written) == 1 && !written.empty())
    s.view.OpenTreeViewerOn(written);
  return CommandEffect::None;
}

CommandEffect SortList(int slot, CommandState& s, Ui& ui) {
  return Lists(SortListCommand(s.data, KindOfSlot(slot), ui));
}

// "詳細設定", then the site; the lists end sorted ascending.
CommandEffect HtmlSiteCommand(CommandState& s, Ui& ui) {
  const std::optional<HtmlOptions> options = s.view.AskHtmlOptions();
  if (!options) return CommandEffect::None;
  HtmlFilePages pages(s.settings, s.regex);
  WriteHtmlSite(s.data, s.settings, *options, ui, &pages);
  return CommandEffect::ListsChanged;
}

std::vector<CommandRow> BuildTable() {
  using R = EnableRule;
  std::vector<CommandRow> t = {
      {cmd::kAnalyse, "analyse", "解析 (&A)", "", R::Always, AnalyseCommand},
      {cmd::kCommentSearch, "comment.search", "コメント検索 (Ctrl+&F)", "Ctrl+F", R::AnyData,
       [](CommandState& s, Ui&) {
         s.view.RunCommentSearch();
         return CommandEffect::None;
       }},
      {cmd::kCommentFile, "comment.file", "外部ファイルより関数コメント取得 (&C)", "", R::AnyData,
       [](CommandState& s, Ui& ui) {
         ImportCommentsCommand(s.data, s.settings, s.regex, ui);
         return CommandEffect::ListsChanged;
       }},
      {cmd::kTextList, "output.text-list", "情報一覧TEXT出力 (&T)", "", R::AnyData,
       [](CommandState& s, Ui& ui) {
         WriteInfoList(s.data, EditorLauncher::FromSettings(s.settings), ui);
         return CommandEffect::None;
       }},
      {cmd::kHtmlSite, "output.html", "情報一覧HTML出力 (&H)", "", R::AnyData, HtmlSiteCommand},
      {cmd::kStepCsv, "output.step-csv", "ステップ数CSV出力 (&S)", "", R::Functions,
       [](CommandState& s, Ui& ui) {
         WriteStepCountCsv(s.data, ui);
         return CommandEffect::None;
       }},
      {cmd::kTableCsv, "output.table-csv", "テーブル内容一覧CSV出力 (&C)", "", R::Tables,
       [](CommandState& s, Ui& ui) {
         OutputContext ctx{s.data, s.settings, s.regex, ui};
         WriteTableContentsCsv(ctx);
         return CommandEffect::None;
       }},
      {cmd::kSortAllAscending, "sort.all-ascending",
       "登録データ 全並び替え（全データ⇒昇順にする） (&S)", "", R::AnyData,
       [](CommandState& s, Ui& ui) { return Lists(SortAllCommand(s.data, true, ui)); }},
      {cmd::kSortAllDescending, "sort.all-descending",
       "登録データ 全並び替え（全データ⇒降順にする） (&S)", "", R::AnyData,
       [](CommandState& s, Ui& ui) { return Lists(SortAllCommand(s.data, false, ui)); }},
      {cmd::kSortFirstList + 0, "sort.functions", "  (&1) 『関数』 のみ並び替え　 ", "",
       R::Functions, [](CommandState& s, Ui& ui) { return SortList(0, s, ui); }, 1},
      {cmd::kSortFirstList + 1, "sort.structs", "  (&2) 『構造体』 のみ並び替え", "", R::Structs,
       [](CommandState& s, Ui& ui) { return SortList(1, s, ui); }, 2},
      {cmd::kSortFirstList + 2, "sort.defines", "  (&3) 『#define』 のみ並び替え", "", R::Defines,
       [](CommandState& s, Ui& ui) { return SortList(2, s, ui); }, 3},
      {cmd::kSortFirstList + 3, "sort.files", "  (&4) 『File』 のみ並び替え　　 ", "", R::Files,
       [](CommandState& s, Ui& ui) { return SortList(3, s, ui); }, 4},
      {cmd::kSortFirstList + 4, "sort.tables", "  (&5) 『ﾃｰﾌﾞﾙ』 のみ並び替え　", "", R::Tables,
       [](CommandState& s, Ui& ui) { return SortList(4, s, ui); }, 5},
      {cmd::kDeleteAll, "lists.delete-all", "登録データ 全削除 (&D)", "", R::AnyData,
       [](CommandState& s, Ui& ui) { return Lists(DeleteAllCommand(s.data, ui)); }},
      {cmd::kReanalyse, "analyse.again", "登録ファイルを再解析（最新の情報に更新） (&R)", "",
       R::Always, ReanalyseCommand},
      {cmd::kFunctionTree, "tree-file.functions", "関数　　TREE用ファイル出力 (&F)", "",
       R::Functions, [](CommandState& s, Ui& ui) { return TreeFile(kTreeOfFunctions, s, ui); }},
      {cmd::kStructTree, "tree-file.structs", "構造体　TREE用ファイル出力 (&S)", "", R::Structs,
       [](CommandState& s, Ui& ui) { return TreeFile(kTreeOfStructs, s, ui); }},
      {cmd::kTableTree, "tree-file.tables", "テーブル　TREE用ファイル出力 (&T)", "", R::Tables,
       [](CommandState& s, Ui& ui) { return TreeFile(kTreeOfTables, s, ui); }},
      {cmd::kTreeViewer, "tree.viewer", "関数TREE Viewer起動 (Ctrl+&T)", "Ctrl+T", R::Always,
       [](CommandState& s, Ui&) {
         s.view.OpenTreeViewer();
         return CommandEffect::None;
       }},
      {cmd::kSystemInfo, "tools.system-info", "各種情報（OS、メモリ等） (Ctrl+&M)", "Ctrl+M",
       R::Always,
       [](CommandState& s, Ui&) {
         s.view.ShowSystemInfo();
         return CommandEffect::None;
       }},
      {cmd::kAsciiTable, "tools.ascii-table", "ASCII文字コード表 表示 (&A)", "", R::Always,
       [](CommandState& s, Ui&) {
         s.view.ShowInformation(AsciiTableText());
         return CommandEffect::None;
       }},
      {cmd::kIfRemoval, "tools.if-removal", "#ifﾃﾞｨﾚｸﾃｨﾌﾞ範囲削除 (&D)", "", R::Always,
       [](CommandState& s, Ui& ui) {
         StripIfCommand(s.settings, s.regex, EditorLauncher::FromSettings(s.settings), ui);
         return CommandEffect::None;
       }},
      {cmd::kSheetFirst + 0, "sheet.names-file", "(&1) シート名一覧取得（ファイル指定）", "",
       R::Always,
       [](CommandState& s, Ui& ui) {
         ListSheetNamesOfFile(ui, EditorLauncher::FromSettings(s.settings));
         return CommandEffect::None;
       }},
      {cmd::kSheetFirst + 1, "sheet.names-csv", "(&2) シート名一覧取得（フォルダ指定-CSV出力）", "",
       R::Always,
       [](CommandState& s, Ui& ui) {
         ListSheetNamesOfFolder(ui, EditorLauncher::FromSettings(s.settings), SheetListForm::Csv);
         return CommandEffect::None;
       }},
      {cmd::kSheetFirst + 2, "sheet.names-text", "(&3) シート名一覧取得（フォルダ指定-TEXT出力）",
       "", R::Always,
       [](CommandState& s, Ui& ui) {
         ListSheetNamesOfFolder(ui, EditorLauncher::FromSettings(s.settings), SheetListForm::Text);
         return CommandEffect::None;
       }},
      {cmd::kSheetFirst + 3, "sheet.generate", "(&4) EXCELファイル生成（シート名ソートなし）", "",
       R::Always,
       [](CommandState&, Ui& ui) {
         GenerateWorkbooks(ui, SheetOrder::AsGiven);
         return CommandEffect::None;
       }},
      {cmd::kSheetFirst + 4, "sheet.generate-ascending",
       "(&5) EXCELファイル生成（シート名昇順ソート）", "", R::Always,
       [](CommandState&, Ui& ui) {
         GenerateWorkbooks(ui, SheetOrder::Ascending);
         return CommandEffect::None;
       }},
      {cmd::kSheetFirst + 5, "sheet.generate-descending",
       "(&6) EXCELファイル生成（シート名降順ソート）", "", R::Always,
       [](CommandState&, Ui& ui) {
         GenerateWorkbooks(ui, SheetOrder::Descending);
         return CommandEffect::None;
       }},
      {cmd::kGrepMenu, "grep.menu", "Grepメニュー検索 (&G)", "", R::Files,
       [](CommandState& s, Ui&) {
         s.view.RunGrepMenu();
         return CommandEffect::None;
       }},
      {cmd::kProperties, "settings.sheet", "プロパティ (Ctrl+&P)", "Ctrl+P", R::Always,
       [](CommandState& s, Ui&) {
         s.view.OpenSettingsSheet();
         return CommandEffect::None;
       }},
      {cmd::kHelp, "help", "ヘルプ (&H)", "", R::Always,
       [](CommandState&, Ui& ui) {
         ShowManual(ProgramDirectory(), ui);
         return CommandEffect::None;
       }},
      {cmd::kReadme, "tools.readme", "変更履歴（readme.txt）", "", R::Always,
       [](CommandState& s, Ui& ui) {
         ShowReadme(ProgramDirectory(), EditorLauncher::FromSettings(s.settings), ui);
         return CommandEffect::None;
       }},
      {cmd::kVersion, "tools.version", "バージョン (&V)", "", R::Always,
       [](CommandState& s, Ui&) {
         s.view.ShowVersion();
         return CommandEffect::None;
       }},
      // Accelerators without a menu item.
      {cmd::kGet, "word.get", "", "Ctrl+G", R::Always,
       [](CommandState& s, Ui&) {
         s.view.TakeWordFromClipboard();
         return CommandEffect::None;
       }},
      {cmd::kBitmapList, "tools.bitmap-list", "", "Ctrl+L", R::Always,
       [](CommandState& s, Ui&) {
         s.view.ShowBitmapPatternList();
         return CommandEffect::None;
       }},
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

}  // namespace

const std::vector<CommandRow>& MainCommands() {
  static const std::vector<CommandRow> table = BuildTable();
  return table;
}

const CommandRow* FindMainCommand(int id) {
  const std::vector<CommandRow>& table = MainCommands();
  auto it =
      std::find_if(table.begin(), table.end(), [id](const CommandRow& r) { return r.id == id; });
  return it != table.end() ? &*it : nullptr;
}

bool RuleHolds(EnableRule rule, const RegisteredData& data) {
  switch (rule) {
    case EnableRule::Always:
      return true;
    case EnableRule::AnyData:
      return !data.AllEmpty();
    case EnableRule::Functions:
      return data.Count(ListKind::Function) != 0;
    case EnableRule::Structs:
      return data.Count(ListKind::Struct) != 0;
    case EnableRule::Defines:
      return data.Count(ListKind::Define) != 0;
    case EnableRule::Files:
      return data.Count(ListKind::File) != 0;
    case EnableRule::Tables:
      return data.Count(ListKind::Table) != 0;
  }
  return false;
}

DispatchResult RunMainCommand(int id, CommandState& state, Ui& ui) {
  const CommandRow* row = FindMainCommand(id);
  if (row == nullptr) return DispatchResult::NotFound;
  if (!row->run) return DispatchResult::NotBuilt;
  return row->run(state, ui) == CommandEffect::ListsChanged ? DispatchResult::RanListsChanged
                                                            : DispatchResult::Ran;
}

CommandEffect AnalyseCommand(CommandState& s, Ui& ui) {
  AnalysisContext ctx{s.data, s.store, s.regex, ui, /*work_dir=*/"", s.analysis_running};
  StartAnalysis(ctx);
  return CommandEffect::ListsChanged;
}

CommandEffect ReanalyseCommand(CommandState& s, Ui& ui) {
  AnalysisContext ctx{s.data, s.store, s.regex, ui, /*work_dir=*/"", s.analysis_running};
  ReanalyseRegisteredFiles(ctx);
  return CommandEffect::ListsChanged;
}

CommandEffect TransparencyCommand(CommandState& s, int percent) {
  SetTransparency(s.store, s.settings, percent);
  s.view.ShowTransparency(percent);
  return CommandEffect::None;
}

}  // namespace kelvora
