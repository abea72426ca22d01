#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "commands/registry.h"
#include "data/registration_lists.h"
#include "output/tree_output.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/rows.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"

namespace kelvora {
namespace {

void AddRow(RegistrationList& list, std::string_view name) {
  testing::AddRow(list, name, "/src/a.c(1)");
}

// The menu as lines: "-" a rule, ">text" opens a submenu, "<" closes it.
void Flatten(const std::vector<ContextEntry>& entries, std::vector<std::string>& out) {
  for (const ContextEntry& e : entries) {
    if (e.type == ContextEntry::Type::Rule) {
      out.push_back("-");
    } else if (e.type == ContextEntry::Type::Submenu) {
      out.push_back(">" + e.text);
      Flatten(e.children, out);
      out.push_back("<");
    } else {
      out.push_back(e.text);
    }
  }
}

std::vector<std::string> Lines(const RegisteredData& data, int percent) {
  std::vector<std::string> out;
  Flatten(ContextMenuEntries(data, percent), out);
  return out;
}

const ContextEntry* Find(const std::vector<ContextEntry>& entries, int id) {
  for (const ContextEntry& e : entries) {
    if (e.type == ContextEntry::Type::Item && e.id == id) return &e;
    if (const ContextEntry* inner = Find(e.children, id)) return inner;
  }
  return nullptr;
}

TEST(ContextMenu, HasEveryItemRuleAndSubmenuInOrder) {
  RegisteredData data;
  const std::vector<std::string> expected = {"解析 (&A)",
                                             "-",
                                             "コメント検索 (Ctrl+&F)",
                                             "外部ファイルより関数コメント取得 (&C)",
                                             "情報一覧TEXT出力 (&T)",
                                             "情報一覧HTML出力 (&H)",
                                             "ステップ数CSV出力 (&S)",
                                             "テーブル内容一覧CSV出力 (&C)",
                                             "-",
                                             "登録データ 全並び替え（全データ⇒昇順にする） (&S)",
                                             "登録データ 全並び替え（全データ⇒降順にする） (&S)",
                                             "  (&1) 『関数』 のみ並び替え　 （現在：降順⇒昇順）",
                                             "  (&2) 『構造体』 のみ並び替え（現在：降順⇒昇順）",
                                             "  (&3) 『#define』 のみ並び替え（現在：降順⇒昇順）",
                                             "  (&4) 『File』 のみ並び替え　　 （現在：降順⇒昇順）",
                                             "  (&5) 『ﾃｰﾌﾞﾙ』 のみ並び替え　（現在：降順⇒昇順）",
                                             "-",
                                             "登録データ 全削除 (&D)",
                                             "-",
                                             ">TREE用ファイル出力 (&T)",
                                             "関数　　TREE用ファイル出力 (&F)",
                                             "-",
                                             "構造体　TREE用ファイル出力 (&S)",
                                             "テーブル　TREE用ファイル出力 (&T)",
                                             "<",
                                             "関数TREE Viewer起動 (Ctrl+&T)",
                                             ">半透明化　（現在：40％）",
                                             "透明にしない",
                                             "10％　透明",
                                             "20％　透明",
                                             "30％　透明",
                                             "40％　透明",
                                             "50％　透明",
                                             "60％　透明",
                                             "70％　透明",
                                             "80％　透明",
                                             "90％　透明",
                                             "<",
                                             "-",
                                             ">オマケ機能 (&O)",
                                             "各種情報（OS、メモリ等） (Ctrl+&M)",
                                             "ASCII文字コード表 表示 (&A)",
                                             "-",
                                             "#ifﾃﾞｨﾚｸﾃｨﾌﾞ範囲削除 (&D)",
                                             ">■■■ EXCEL関連 ■■■",
                                             "(&1) シート名一覧取得（ファイル指定）",
                                             "(&2) シート名一覧取得（フォルダ指定-CSV出力）",
                                             "(&3) シート名一覧取得（フォルダ指定-TEXT出力）",
                                             "-",
                                             "(&4) EXCELファイル生成（シート名ソートなし）",
                                             "(&5) EXCELファイル生成（シート名昇順ソート）",
                                             "(&6) EXCELファイル生成（シート名降順ソート）",
                                             "<",
                                             "<",
                                             "-",
                                             "プロパティ (Ctrl+&P)",
                                             "ヘルプ (&H)",
                                             "変更履歴（readme.txt）",
                                             "バージョン (&V)"};
  EXPECT_EQ(Lines(data, 40), expected);

  // With files: a rule and the re-analysis after "全削除", a rule and the grep menu after the
  // extras; the sort items name the direction their list's flag gives.
  AddRow(data.files(), "a.c");
  data.files().set_sort_flag(1);
  std::vector<std::string> with_files = expected;
  with_files[14] = "  (&4) 『File』 のみ並び替え　　 （現在：昇順⇒降順）";
  with_files.insert(with_files.begin() + 18,
                    {"-", "登録ファイルを再解析（最新の情報に更新） (&R)"});
  with_files.insert(with_files.end() - 5, {"-", "Grepメニュー検索 (&G)"});
  with_files[28] = ">半透明化　（現在：0％）";
  EXPECT_EQ(Lines(data, 0), with_files);
}

TEST(ContextMenu, GreysByListContentAndEnablesOnlyBuiltCommands) {
  RegisteredData data;
  std::vector<ContextEntry> entries = ContextMenuEntries(data, 0);
  for (int id : {151, 52, 54, 55, 60, 61, 53, 62, 56, 57, 63, 58, 64, 65, 66, 102, 59}) {
    EXPECT_TRUE(Find(entries, id)->greyed) << id;
    EXPECT_FALSE(Find(entries, id)->enabled) << id;
  }
  EXPECT_EQ(Find(entries, 70), nullptr);
  EXPECT_EQ(Find(entries, 100), nullptr);

  AddRow(data.functions(), "f");
  AddRow(data.files(), "a.c");
  entries = ContextMenuEntries(data, 0);
  for (int id : {151, 52, 54, 55, 60, 61, 53, 62, 56, 57, 65})
    EXPECT_FALSE(Find(entries, id)->greyed) << id;
  for (int id : {63, 58, 64, 66, 102, 59}) EXPECT_TRUE(Find(entries, id)->greyed) << id;
  // Enabled: built and not greyed. Rows without a function stay disabled whatever the data.
  for (int id : {1044, 60, 61,    62, 65,    53,  70, 80,  85,  89,  1066, 54, 55,  56,
                 145,  51, 32808, 98, 32798, 151, 52, 100, 103, 104, 109,  57, 1024})
    EXPECT_TRUE(Find(entries, id)->enabled) << id;
  for (int id : {63, 58, 59}) EXPECT_FALSE(Find(entries, id)->enabled) << id;
  EXPECT_EQ(Find(entries, 62)->bitmap_kind, 1);
  EXPECT_EQ(Find(entries, 66)->bitmap_kind, 5);
  EXPECT_EQ(Find(entries, 60)->bitmap_kind, 0);

  // With every list filled, no item of the menu or its submenus is left disabled.
  AddRow(data.structs(), "s");
  AddRow(data.defines(), "D");
  AddRow(data.tables(), "t");
  const std::vector<ContextEntry> full = ContextMenuEntries(data, 0);
  std::vector<const ContextEntry*> todo;
  for (const ContextEntry& e : full) todo.push_back(&e);
  while (!todo.empty()) {
    const ContextEntry* e = todo.back();
    todo.pop_back();
    for (const ContextEntry& child : e->children) todo.push_back(&child);
    if (e->type == ContextEntry::Type::Item) {
      EXPECT_TRUE(e->enabled) << e->id << " " << e->text;
    }
  }
}

TEST(CommandTable, IdentifiersNamesAndAcceleratorsAreUniqueAndEveryRowIsReachable) {
  RegisteredData data;
  AddRow(data.files(), "a.c");
  std::set<int> ids;
  std::set<std::string_view> names;
  std::map<std::string_view, int> accelerators;
  const std::vector<ContextEntry> entries = ContextMenuEntries(data, 0);
  for (const CommandRow& row : Commands()) {
    if (row.window != CommandWindow::Main || row.id == 0) continue;
    EXPECT_TRUE(ids.insert(row.id).second) << row.id;
    EXPECT_TRUE(names.insert(row.name).second) << row.name;
    EXPECT_EQ(FindMainCommand(row.id), &row);
    if (!row.accelerator.empty()) accelerators[row.accelerator] = row.id;
    // In the menu with its own text, or reached by its accelerator.
    const ContextEntry* entry = Find(entries, row.id);
    if (entry != nullptr) {
      EXPECT_EQ(entry->text.substr(0, row.text.size()), row.text);
    } else {
      EXPECT_FALSE(row.accelerator.empty()) << row.name;
    }
  }
  const std::map<std::string_view, int> expected = {{"Ctrl+F", 151},  {"Ctrl+G", 1008},
                                                    {"Ctrl+L", 1152}, {"Ctrl+M", 145},
                                                    {"Ctrl+P", 1066}, {"Ctrl+T", 1024}};
  EXPECT_EQ(accelerators, expected);
  EXPECT_EQ(FindMainCommand(1013), nullptr);  // the panel button is a control, not a command
}

TEST(CommandTable, EveryMenuRowRunsAndNamesAndAcceleratorsAreUniquePerWindow) {
  std::set<std::string_view> names;
  std::map<std::pair<CommandWindow, std::string_view>, std::string_view> accelerators;
  for (const CommandRow& row : Commands()) {
    EXPECT_TRUE(names.insert(row.name).second) << row.name;
    // A menu item or an accelerator needs its function; only the command line's own verbs run
    // elsewhere.
    if (!row.text.empty() || !row.accelerator.empty()) {
      EXPECT_TRUE(row.run) << row.name;
      EXPECT_TRUE(row.window != CommandWindow::Main || row.id != 0) << row.name;
    } else {
      EXPECT_TRUE(row.run || row.cli.form == CliForm::Verb) << row.name;
    }
    if (!row.accelerator.empty()) {
      EXPECT_TRUE(accelerators.emplace(std::pair(row.window, row.accelerator), row.name).second)
          << row.accelerator << " " << row.name;
    }
    EXPECT_EQ(FindCommandByName(row.name), &row);
    if (row.cli.form != CliForm::None) {
      EXPECT_EQ(FindCliCommand(row.cli.form, row.cli.word), &row);
    }
  }
}

class RecordingView : public CommandView {
 public:
  void OpenSettingsSheet() override { ++sheets; }
  void TakeWordFromClipboard() override { ++gets; }
  void ShowTransparency(int percent) override { shown.push_back(percent); }
  std::optional<HtmlOptions> AskHtmlOptions() override { return html; }
  void ShowInformation(const std::string& text) override { information.push_back(text); }
  void ShowSystemInfo() override { windows.push_back("system"); }
  void ShowBitmapPatternList() override { windows.push_back("bitmaps"); }
  void ShowVersion() override { windows.push_back("version"); }
  void RunGrepMenu() override { windows.push_back("grep"); }
  void RunCommentSearch() override { windows.push_back("comment-search"); }
  std::optional<HtmlOptions> html;
  std::vector<std::string> information, windows;
  void OpenTreeViewer() override { ++viewers; }
  void OpenTreeViewerOn(const std::string& file) override { tree_files.push_back(file); }
  std::vector<std::string> tree_files;
  int viewers = 0;
  int sheets = 0;
  int gets = 0;
  std::vector<int> shown;
};

TEST(CommandTable, DispatchRunsTheRowsFunctionOverTheState) {
  testing::TempDir dir;
  SettingsStore store(dir.str() + "/Kelvora.ini", dir.str() + "/registry.ini");
  Settings settings;
  RegexService regex;
  RegisteredData data;
  RecordingView view;
  ScriptedUi ui;
  CommandState state{data, store, settings, regex, view, {}, nullptr, nullptr, nullptr};
  for (const char* name : {"b", "A", "c"}) AddRow(data.functions(), name);

  EXPECT_EQ(RunMainCommand(cmd::kSortFirstList, state, ui).outcome, Dispatch::RanListsChanged);
  EXPECT_EQ(data.functions().Cell(0, col::kName), "A");
  const Dispatch empty_sort = RunMainCommand(cmd::kSortFirstList + 1, state, ui);
  EXPECT_EQ(empty_sort.outcome, Dispatch::RanListsChanged);
  EXPECT_EQ(empty_sort.result, CommandStatus::Failed);
  EXPECT_EQ(empty_sort.result.message, "登録データがありません！　");
  EXPECT_EQ(ui.messages(), std::vector<std::string>{"登録データがありません！　"});

  EXPECT_EQ(RunMainCommand(cmd::kTransparency0 + 5, state, ui).outcome, Dispatch::Ran);
  EXPECT_EQ(settings.raruviz_par, 50);
  EXPECT_EQ(store.ReadInt("TransparentWindow", "RarUviz_Par", 0), 50);
  EXPECT_EQ(RunMainCommand(cmd::kTransparency0, state, ui).outcome, Dispatch::Ran);
  EXPECT_EQ(view.shown, (std::vector<int>{50, 0}));

  // Tool windows come from the view; the HTML site only after its settings dialog said OK.
  for (int id : {cmd::kSystemInfo, cmd::kBitmapList, cmd::kVersion, cmd::kAsciiTable})
    EXPECT_EQ(RunMainCommand(id, state, ui).outcome, Dispatch::Ran) << id;
  EXPECT_EQ(view.windows, (std::vector<std::string>{"system", "bitmaps", "version"}));
  ASSERT_EQ(view.information.size(), 1u);
  EXPECT_EQ(view.information[0].rfind("≪ ASCIIコード表 ≫", 0), 0u);
  const std::size_t shown_before = ui.shown().size();
  EXPECT_EQ(RunMainCommand(cmd::kHtmlSite, state, ui).result, CommandStatus::Cancelled);
  EXPECT_EQ(ui.shown().size(), shown_before);

  EXPECT_EQ(RunMainCommand(cmd::kProperties, state, ui).outcome, Dispatch::Ran);
  EXPECT_EQ(RunMainCommand(cmd::kGet, state, ui).outcome, Dispatch::Ran);
  EXPECT_EQ(view.sheets, 1);
  EXPECT_EQ(view.gets, 1);
  EXPECT_EQ(RunMainCommand(cmd::kTreeViewer, state, ui).outcome, Dispatch::Ran);
  EXPECT_EQ(view.viewers, 1);

  ui.AnswerYes();
  EXPECT_EQ(RunMainCommand(cmd::kDeleteAll, state, ui).outcome, Dispatch::RanListsChanged);
  EXPECT_TRUE(data.AllEmpty());

  // The function tree asks for its file, then offers the comment file.
  dir.Write("a.c", "void a(void)\n{\n  b();\n}\n");
  data.roots().Append(dir.str());
  AddRow(data.files(), "a.c");
  data.files().SetCell(0, col::kPosition, dir.str() + "/a.c(1)");
  AddRow(data.functions(), "a");
  ui.ChooseSaveAnswer(dir.str() + "/f.tree").Answer(kAskWriteCommentFile, false);
  EXPECT_EQ(RunMainCommand(cmd::kFunctionTree, state, ui).outcome, Dispatch::Ran);
  EXPECT_EQ(testing::TempDir::Read(dir.path() / "f.tree").substr(0, 14), "//Data1:\r\n\r\na,");
  EXPECT_EQ(ui.question_ids().back(), kAskWriteCommentFile.key);
  EXPECT_EQ(view.tree_files, std::vector<std::string>{dir.str() + "/f.tree"});

  EXPECT_EQ(RunMainCommand(12345, state, ui).outcome, Dispatch::NotFound);
  EXPECT_EQ(RunMainCommand(1013, state, ui).outcome, Dispatch::NotFound);
}

}  // namespace
}  // namespace kelvora
