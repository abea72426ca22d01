#include "tree/tree_export.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/files.h"
#include "platform/line_split.h"
#include "platform/output_file.h"
#include "platform/process.h"
#include "sheet/workbook_stream.h"
#include "tree/tree_comments.h"
#include "tree/tree_lines.h"
#include "tree/tree_ops.h"
#include "tree/tree_text.h"
#include "tree/tree_workbook.h"

namespace kelvora {

namespace {

constexpr std::string_view kTextFilter = "*.txt (*.txt);;*.* (*)";
constexpr std::string_view kListFilter =
    "テキストファイル（*.txt） (*.txt);;全てのファイル（*.*） (*)";
constexpr std::string_view kNoEntries = "「選択Window」にデータがありません！　";

void Show(Ui& ui, std::string_view text, MsgIcon icon) {
  ui.Message(text, Ui::kTreeCaption, icon);
}

std::string ExportQuestion(std::string_view name) {
  return "■■現在の選択項目以下を出力■■　\n\n【 " + ToDisplay(name) +
         " 】以下のTREEを出力しますか？　\n";
}

// The temporary tree table, removed on every way out.
class TempTable {
 public:
  ~TempTable() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  // False after the message when no temporary file can be made.
  bool Create(Ui& ui) {
    std::error_code ec;
    if (!std::filesystem::is_directory(TempDirectory(), ec)) {
      Show(ui, "テンポラリファイル用のディレクトリパス取得エラー", MsgIcon::Error);
      return false;
    }
    std::optional<std::string> path = CreateUniqueTempFile("kelvora-tree");
    if (path) path_ = *path;
    if (!path || !file_.Open(path_)) {
      Show(ui, "テンポラリファイルの作成エラー", MsgIcon::Error);
      return false;
    }
    return true;
  }
  std::ostream& out() { return out_; }
  const std::string& path() const { return path_; }
  // Finishes writing; false when the disk refused some of it.
  bool Close(Ui& ui) {
    out_.flush();
    if (file_.Commit()) return true;
    Show(ui, "テンポラリファイルの作成エラー", MsgIcon::Error);
    return false;
  }

 private:
  std::string path_;
  OutputFile file_;
  SinkStream out_{file_};
};

// Writes the table of the tree below start; false when the walk was cancelled or the table
// could not be written. A walk stopped at the node budget keeps what it made, after the message.
// With a row_cap the walk ends at that many rows, as no count is asked for.
bool FillTable(CallTree& tree, std::int32_t start, const TreeSettings& settings, TempTable& table,
               long long& rows, Ui& ui, long long row_cap = -1) {
  WalkGuard guard(ui, settings.node_budget, tree.made_count());
  bool nest_limited = false;
  const WalkStop stop = WriteTreeTable(tree, start, settings.nest_level_text, table.out(), guard,
                                       nest_limited, rows, row_cap);
  guard.Report(nest_limited);
  if (!table.Close(ui)) return false;
  return stop != WalkStop::Cancelled;
}

void OfferToOpenWorkbook(const std::string& path, std::uint64_t started, Ui& ui) {
  if (!ui.AskYesNo(kAskOpenTreeWorkbook,
                   "出力が完了しました。所要時間：" + ElapsedSecondsText(TickCountMs() - started) +
                       "秒\n\n出力ファイルを関連付けられたアプリケーションで開きますか？　\n" +
                       ToDisplay(path),
                   Ui::kTreeCaption))
    return;
  if (!ui.OpenWithDefaultApp(path)) Show(ui, "ファイルが見つかりません　", MsgIcon::Warning);
}

std::vector<std::string_view> Lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  SplitLines(bytes, lines);
  return lines;
}

std::optional<std::string> ReadChosenFile(const std::string& path, Ui& ui) {
  std::string why;
  std::optional<std::string> bytes = ReadWholeFile(path, kCommentFileLimit, &why);
  if (!bytes)
    Show(ui, "ファイルが存在しません！　\n" + ToDisplay(path) + "\n" + why, MsgIcon::Warning);
  return bytes;
}

// The entries the list file names, in its order: for each line the first entry of that text
// not chosen yet.
std::vector<std::int32_t> ChooseEntries(const TreePage& page, std::string_view list) {
  std::unordered_map<std::string_view, std::vector<std::int32_t>> by_text;
  for (std::size_t e = 0; e < page.entry_count(); ++e)
    by_text[page.EntryText(e)].push_back(static_cast<std::int32_t>(e));
  std::unordered_map<std::string_view, std::size_t> used;
  std::vector<std::int32_t> chosen;
  for (std::string_view line : Lines(list)) {
    if (line.empty()) continue;
    auto it = by_text.find(line);
    if (it == by_text.end()) continue;
    std::size_t& next = used[it->first];
    if (next < it->second.size()) chosen.push_back(it->second[next++]);
  }
  return chosen;
}

}  // namespace

std::int32_t ExportStartItem(const CallTree& tree, Ui& ui) {
  if (tree.empty()) {
    Show(ui, "「TREE出力Window」にデータがありません！　", MsgIcon::Warning);
    return CallTree::kNone;
  }
  return tree.selected != CallTree::kNone ? tree.selected : tree.root();
}

namespace {

// The name of the item an export starts from; empty (after its message) when there is none.
std::string ExportStartName(const CallTree& tree, std::int32_t start, Ui& ui) {
  if (start == CallTree::kNone) return {};
  std::string name(FirstWord(tree.Text(start)));
  if (name.empty()) Show(ui, "項目検出ｴﾗｰ！　", MsgIcon::Error);
  return name;
}

}  // namespace

bool ExportTreeText(CallTree& tree, const TreeSettings& settings, const EditorLauncher& editor,
                    Ui& ui) {
  const std::int32_t start = ExportStartItem(tree, ui);
  const std::string name = ExportStartName(tree, start, ui);
  if (name.empty()) return false;
  if (!ui.AskYesNo(kAskExportTreeText, ExportQuestion(name), Ui::kTreeCaption)) return false;
  std::optional<std::string> path =
      ui.ChooseSaveFile("■■ TREEテキスト出力先を指定 ■■", kTextFilter, name);
  if (!path) return false;
  OutputFile file;
  if (!file.Open(*path)) {
    Show(ui, file.message(), MsgIcon::Error);
    return false;
  }
  SinkStream out(file);
  const TreeLineOptions options{false, "\r\n", settings.nest_level_text};
  WalkGuard guard(ui, settings.node_budget, tree.made_count());
  bool nest_limited = false;
  ui.SetWaitCursor(true);
  const WalkStop stop = WriteTreeLines(tree, start, out, options, guard, nest_limited);
  out.flush();
  ui.SetStatus(3, "");
  ui.SetWaitCursor(false);
  guard.Report(nest_limited);
  // A cancelled walk leaves the old file as it was.
  if (stop == WalkStop::Cancelled) return false;
  if (!file.Commit()) {
    Show(ui, file.message(), MsgIcon::Error);
    return false;
  }
  if (ui.AskYesNo(
          kAskOpenTreeText,
          "TREEテキスト出力完了しました！\n\n出力ファイルを開きますか？　\n" + ToDisplay(*path),
          Ui::kTreeCaption))
    editor.Open(*path, "1", ui);
  return true;
}

bool ExportTreeWorkbook(CallTree& tree, const TreeSettings& settings, Ui& ui) {
  const std::int32_t start = ExportStartItem(tree, ui);
  const std::string name = ExportStartName(tree, start, ui);
  if (name.empty()) return false;
  TempTable table;
  if (!table.Create(ui)) return false;
  long long rows = 0;
  ui.SetWaitCursor(true);
  const bool filled = FillTable(tree, start, settings, table, rows, ui);
  ui.SetStatus(3, "");
  ui.SetWaitCursor(false);
  if (!filled) return false;
  std::string question = ExportQuestion(name) + "TREE出力項目数：" + std::to_string(rows) +
                         "\n\n（※出力完了時にはメッセージが表示されます。）　\n";
  if (rows > kTreeSheetRowLimit) {
    question +=
        "\n--------------- 注意！！ --------------\nEXCEL出力は、最大65536行です。\n"
        "超過分は出力されません。\n";
    if (settings.nest_level_text != 0)
      question += "(階層レベル区切りテキスト出力設定あり。\n この出力も含まれています。)\n";
  }
  if (!ui.AskYesNo(kAskExportTreeWorkbook, question, Ui::kTreeCaption)) return false;
  std::optional<std::string> path =
      ui.ChooseSaveFile("■■ 出力先を指定 ■■", "*.xlsx (*.xlsx)", name);
  if (!path) return false;
  const std::uint64_t started = TickCountMs();
  ui.SetWaitCursor(true);
  StreamedWorkbook book(*path);
  std::ifstream in(table.path(), std::ios::binary);
  if (book.ok()) WriteTreeSheet(book, in, rows, ui);
  const bool saved = SaveTreeWorkbook(book, *path, ui);
  ui.SetStatus(3, "");
  ui.SetWaitCursor(false);
  if (!saved) return false;
  if (rows > kTreeSheetRowLimit)
    ui.NoteLeftOut("EXCEL出力は、最大65536行です。超過分（" +
                   std::to_string(rows - kTreeSheetRowLimit) + "行）は出力されていません。");
  OfferToOpenWorkbook(*path, started, ui);
  return true;
}

bool ExportManyTrees(const TreePage& page, const TreeSettings& settings, const RegexService& regex,
                     Ui& ui) {
  if (page.entry_count() == 0) {
    Show(ui, kNoEntries, MsgIcon::Warning);
    return false;
  }
  if (!ui.AskYesNo(
          kAskExportManyTrees,
          "選択Windowから複数TREEをEXCEL出力します。（最大255）　\n"
          "出力手順は下記の通りです。出力開始しますか？\n\n"
          "1.出力指定ファイル（選択Windowの「一覧」で出力したファイル）指定\n"
          "2.コメント取得用ファイル（指定不要時、または構造体TREE出力時はキャンセル）指定\n"
          "3.ファイル出力先パス指定",
          Ui::kTreeCaption))
    return false;
  std::optional<std::string> list_path =
      ui.ChooseOpenFile("■■ (入力)出力指定ファイルを指定 ■■", kListFilter);
  if (!list_path) return false;
  std::optional<std::string> list = ReadChosenFile(*list_path, ui);
  if (!list) return false;
  const std::vector<std::int32_t> chosen = ChooseEntries(page, *list);
  if (chosen.empty()) {
    Show(ui, "一致データがありません！　", MsgIcon::Warning);
    return false;
  }
  const int total = static_cast<int>(chosen.size());
  ui.SetStatus(1, "TREE出力指定数：" + std::to_string(total));
  std::optional<std::vector<FunctionComment>> comments;
  if (ui.AskYesNo(
          kAskManyTreesComments,
          "コメント取得用ファイルを指定しますか？　\n\nTREEにコメントを付加します。（関数のみ）\n"
          "構造体TREE出力時は「いいえ」を押下して下さい。 ",
          Ui::kTreeCaption)) {
    if (std::optional<std::string> comment_path =
            ui.ChooseOpenFile("■■ (入力)コメント取得用ファイルを指定 ■■", kListFilter)) {
      std::optional<std::string> bytes = ReadChosenFile(*comment_path, ui);
      if (!bytes) return false;
      comments = ReadFunctionComments(*bytes, regex, ui);
      if (!comments) return false;
    }
  }
  std::optional<std::string> path = ui.ChooseSaveFile("■■ (出力)ファイル出力先を指定 ■■",
                                                      "EXCEL ﾌｧｲﾙ {*.xlsx} (*.xlsx)", "TREE出力");
  if (!path) return false;
  const std::uint64_t started = TickCountMs();
  ui.SetWaitCursor(true);
  StreamedWorkbook book(*path);
  CallTree scratch;              // the hidden tree each entry is built in
  std::vector<std::string> cut;  // the trees the sheet's row limit cut
  for (int i = 0; i < total && book.ok(); ++i) {
    ExpandIntoOutput(page, chosen[static_cast<std::size_t>(i)], scratch, settings, ui);
    ui.SetStatus(3, "TREE出力中・・・　" + std::to_string(i + 1) + " / " + std::to_string(total));
    if (comments) AttachComments(scratch, *comments, settings.space, ui, /*show_progress=*/false);
    TempTable table;
    if (!table.Create(ui)) break;
    long long rows = 0;
    // No count is asked for here, so the walk ends one row after the sheet does: a row past the
    // limit tells that the sheet cut the tree.
    if (!FillTable(scratch, scratch.root(), settings, table, rows, ui, kTreeSheetRowLimit + 1))
      break;
    if (rows > kTreeSheetRowLimit)
      cut.emplace_back(
          page.EntryText(static_cast<std::size_t>(chosen[static_cast<std::size_t>(i)])));
    std::ifstream in(table.path(), std::ios::binary);
    const TreeSheetResult written = WriteTreeSheet(book, in, rows, ui);
    if (written != TreeSheetResult::Written) break;
  }
  scratch.Clear();
  const bool saved = SaveTreeWorkbook(book, *path, ui);
  ui.SetStatus(3, "");
  ui.SetWaitCursor(false);
  if (!saved) return false;
  for (const std::string& name : cut)
    ui.NoteLeftOut("EXCEL出力は、最大65536行です。「" + ToDisplay(name) +
                   "」の超過分は出力されていません。");
  OfferToOpenWorkbook(*path, started, ui);
  return true;
}

bool ExportEntryList(const TreePage& page, const EditorLauncher& editor, Ui& ui) {
  if (page.entry_count() == 0) {
    Show(ui, kNoEntries, MsgIcon::Error);
    return false;
  }
  Show(ui, "「選択Window」一覧をTEXT出力します。　\n一覧ファイル出力先を指定して下さい。　\n",
       MsgIcon::Information);
  std::optional<std::string> path =
      ui.ChooseSaveFile("■■ 一覧ファイル出力先を指定 ■■", kTextFilter, "選択Window一覧");
  if (!path) return false;
  OutputFile out;
  if (out.Open(*path))
    for (std::size_t e = 0; e < page.entry_count(); ++e) out.Line(page.EntryText(e));
  if (!out.Commit()) {
    Show(ui, out.message(), MsgIcon::Error);
    return false;
  }
  if (ui.AskYesNo(kAskOpenEntryList,
                  "出力完了しました！\n\n（一覧ファイルは「EXCEL出力」-"
                  "選択Windowから複数出力（ファイル指定）　\n"
                  "　の『出力指定ファイル』として使用できます。\n　出力不要な項目は削除して使用下さ"
                  "い。）\n\n"
                  "出力ファイルを開きますか？　\n" +
                      ToDisplay(*path),
                  Ui::kTreeCaption))
    editor.Open(*path, "1", ui);
  return true;
}

}  // namespace kelvora
