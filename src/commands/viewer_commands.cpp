// The TREE viewer's rows and where they appear.
#include "commands/viewer_commands.h"

#include <algorithm>

#include "data/registration_lists.h"
#include "platform/cp932.h"
#include "platform/user_folder.h"
#include "settings/property_pages.h"
#include "settings/settings.h"
#include "tools/readme.h"
#include "tree/tree_comments.h"
#include "tree/tree_export.h"
#include "tree/tree_text.h"
#include "tree/tree_viewer.h"
#include "tree/tree_window_rules.h"

namespace kelvora {
namespace {

using Place = ViewerPlace;
using T = ViewerPlace::Type;

// The viewer's function of a row: its state, its window and the port.
using ViewerFunction = CommandResult (*)(TreeViewerState&, TreeViewerView&, CommandState&, Ui&);

template <ViewerFunction F>
CommandResult OnViewer(CommandState& s, Ui& ui) {
  if (s.tree == nullptr || s.tree_view == nullptr) return CommandResult::Failed("no TREE viewer");
  return F(*s.tree, *s.tree_view, s, ui);
}

CallTree& Output(TreeViewerState& t) {
  return t.page().output;
}

template <bool Show>
CommandResult CallGraph(TreeViewerState&, TreeViewerView& v, CommandState&, Ui&) {
  if (Show)
    v.ShowCallGraph();
  else
    v.ExportCallGraph();
  return CommandResult::Done();
}

CommandResult Open(TreeViewerState&, TreeViewerView& v, CommandState&, Ui& ui) {
  const auto path =
      ui.ChooseOpenFile("■■ treeファイルを指定 ■■", "treeファイル（*.tree） (*.tree)", {});
  v.ReadTreeFile(path.value_or(std::string()));
  return path ? CommandResult::Done() : CommandResult::Cancelled();
}

CommandResult ExpandAll(TreeViewerState& t, TreeViewerView& v, CommandState&, Ui& ui) {
  if (Output(t).empty()) return CommandResult::Cancelled();
  v.FreezeOutput(true);
  ToggleExpandAll(Output(t), t.settings, ui);
  v.FreezeOutput(false);
  v.SyncOutput();
  return CommandResult::Done();
}

template <int Level>
CommandResult ExpandLevel(TreeViewerState& t, TreeViewerView& v, CommandState&, Ui& ui) {
  if (Output(t).empty()) return CommandResult::Cancelled();
  ExpandToLevel(Output(t), Level, t.settings, ui);
  v.SyncOutput();
  v.ScrollOutputToTop();
  return CommandResult::Done();
}

CommandResult Info(std::optional<std::string> text, TreeViewerView& v) {
  if (!text) return CommandResult::Cancelled();
  v.ShowInfo(*text);
  return CommandResult::Done();
}

CommandResult Callers(TreeViewerState& t, TreeViewerView& v, CommandState&, Ui& ui) {
  return Info(ShowCallers(t.page().file, Output(t), ui), v);
}

CommandResult Roots(TreeViewerState& t, TreeViewerView& v, CommandState&, Ui& ui) {
  return Info(RootCandidates(t.page().file, ui), v);
}

CommandResult Recursions(TreeViewerState& t, TreeViewerView& v, CommandState&, Ui&) {
  return Info(RecursionListText(t.page().file), v);
}

CommandResult CopyName(TreeViewerState& t, TreeViewerView& v, CommandState&, Ui& ui) {
  const auto name = SelectedItemName(Output(t), ui);
  if (!name) return CommandResult::Cancelled();
  v.CopyText(ToDisplay(*name));
  return CommandResult::Done();
}

CommandResult RegisterExcluded(TreeViewerState& t, TreeViewerView&, CommandState& s, Ui& ui) {
  return RegisterExcludedFunction(Output(t), s.store, ui) == 1 ? CommandResult::Done()
                                                               : CommandResult::Cancelled();
}

CommandResult Delete(TreeViewerState& t, TreeViewerView& v, CommandState&, Ui& ui) {
  CallTree& tree = Output(t);
  if (!RequireSelection(tree, ui)) return CommandResult::Cancelled();
  const std::int32_t node = AskDeleteSelected(tree, ui);
  if (node == CallTree::kNone) return CommandResult::Cancelled();
  v.RemoveOutputItem(node);
  tree.selected = CallTree::kNone;
  return CommandResult::Done();
}

CommandResult Search(TreeViewerState& t, TreeViewerView& v, CommandState& s, Ui& ui) {
  if (Output(t).empty()) {
    ui.Message("「TREE出力Window」にデータがありません！　", Ui::kTreeCaption, MsgIcon::Warning);
    return CommandResult::Failed("「TREE出力Window」にデータがありません！　");
  }
  t.history.Load(s.store);
  const auto asked = v.AskSearch();
  if (!asked) return CommandResult::Cancelled();
  const std::string word = SubmitSearchWord(asked->word, t.history, s.store, ui);
  if (word.empty()) return CommandResult::Cancelled();
  t.search_word = word;
  return ViewerSearchAgain(t, v, ui, asked->direction);
}

CommandResult OpenInEditor(TreeViewerState& t, TreeViewerView& v, CommandState&, Ui& ui) {
  return OpenSelectedInEditor(Output(t), v.Editor(), ui) ? CommandResult::Done()
                                                         : CommandResult::Cancelled();
}

CommandResult ClearPage(TreeViewerState& t, TreeViewerView& v, CommandState&, Ui& ui) {
  if (!ClearPageTrees(t.page(), ui, [&v] { v.DetachPage(); })) return CommandResult::Cancelled();
  v.PageCleared();
  return CommandResult::Done();
}

CommandResult Written(bool written) {
  return written ? CommandResult::Done() : CommandResult::Cancelled();
}

CommandResult ExportText(TreeViewerState& t, TreeViewerView& v, CommandState&, Ui& ui) {
  const bool written = ExportTreeText(Output(t), t.settings, v.Editor(), ui);
  v.SyncOutput();
  return Written(written);
}

CommandResult ExportWorkbook(TreeViewerState& t, TreeViewerView& v, CommandState&, Ui& ui) {
  const bool written = ExportTreeWorkbook(Output(t), t.settings, ui);
  v.SyncOutput();
  return Written(written);
}

CommandResult ExportMany(TreeViewerState& t, TreeViewerView&, CommandState& s, Ui& ui) {
  return Written(ExportManyTrees(t.page().file, t.settings, s.regex, ui));
}

CommandResult EntryList(TreeViewerState& t, TreeViewerView& v, CommandState&, Ui& ui) {
  return Written(ExportEntryList(t.page().file, v.Editor(), ui));
}

CommandResult AttachComments(TreeViewerState& t, TreeViewerView& v, CommandState& s, Ui& ui) {
  v.FreezeOutput(true);
  const bool attached =
      AttachCommentsFromFile(Output(t), t.page().file.entry_count(), t.settings.space, s.regex, ui);
  if (attached) {
    v.ReloadOutputTexts();  // item texts changed
    v.SyncOutput();
    v.ScrollOutputToTop();
  }
  v.FreezeOutput(false);
  return Written(attached);
}

// The colour of the selection window's or the output window's text or background: the colour
// dialog over the custom colours of "Color", then "Tree" and "Color" written back.
template <bool OutputWindow, bool Background>
CommandResult Colour(TreeViewerState&, TreeViewerView& v, CommandState& s, Ui&) {
  TreeViewSettings& view = v.ViewSettings();
  unsigned& value = OutputWindow ? (Background ? view.out_back : view.out_text)
                                 : (Background ? view.sel_back : view.sel_text);
  std::array<std::uint32_t, kCustomColors> custom = ReadCustomColors(s.store);
  const std::optional<unsigned> chosen = v.AskColour(value, custom);
  if (!chosen) return CommandResult::Cancelled();
  value = *chosen;
  WriteTreeWindowColor(s.store, OutputWindow, Background, value);
  WriteCustomColors(custom, s.store);
  v.ApplyColours();
  return CommandResult::Done();
}

template <ViewerBar Bar>
CommandResult Toggle(TreeViewerState&, TreeViewerView& v, CommandState&, Ui&) {
  v.ToggleBar(Bar);
  return CommandResult::Done();
}

template <int Percent>
CommandResult Opacity(TreeViewerState&, TreeViewerView& v, CommandState&, Ui&) {
  v.SetOpacityPercent(Percent);
  return CommandResult::Done();
}

CommandResult GraphAngle(TreeViewerState&, TreeViewerView& v, CommandState&, Ui& ui) {
  v.SetGraphAngle(NextGraphAngle(v.GraphAngle(), v.GraphVertical(), ui));
  return CommandResult::Done();
}

CommandResult GraphWeight(TreeViewerState&, TreeViewerView& v, CommandState&, Ui&) {
  v.ToggleGraphWeight();
  return CommandResult::Done();
}

CommandResult GraphDirection(TreeViewerState&, TreeViewerView& v, CommandState&, Ui&) {
  v.ToggleGraphDirection();
  return CommandResult::Done();
}

CommandResult Invert(TreeViewerState&, TreeViewerView& v, CommandState&, Ui&) {
  v.ToggleBackgroundInverted();
  return CommandResult::Done();
}

template <int Delta>
CommandResult GraphScale(TreeViewerState&, TreeViewerView& v, CommandState& s, Ui&) {
  v.SetGraphScale(StepGraphHeight(v.ViewSettings(), Delta, s.store));
  return CommandResult::Done();
}

CommandResult GraphHelp(TreeViewerState&, TreeViewerView& v, CommandState&, Ui&) {
  v.StartGraphHelp();
  return CommandResult::Done();
}

CommandResult Bright(TreeViewerState&, TreeViewerView& v, CommandState& s, Ui&) {
  ToggleColorBright(v.ViewSettings(), s.store);
  v.ApplyScheme();
  return CommandResult::Done();
}

CommandResult Help(TreeViewerState&, TreeViewerView&, CommandState&, Ui& ui) {
  return ShowManual(ProgramDirectory(), ui) ? CommandResult::Done() : CommandResult::Failed({});
}

CommandResult Shortcuts(TreeViewerState&, TreeViewerView& v, CommandState&, Ui&) {
  v.ShowShortcutList(
      "≪ショートカット・キー　一覧≫\n\n　TREE用ファイルOPEN　　　　「Ctrl + "
      "O」\n　TREE出力Window内検索　 「Ctrl + F」\n　ページタブ移動　左　　　　　  「Ctrl + Page "
      "Up」\n　ページタブ移動　右　　　　　  「Ctrl + Page "
      "Down」　\n　関数TREE　コメント取得　　 「Ctrl + G」\n");
  return CommandResult::Done();
}

CommandRow Row(std::string_view name, std::string_view text, CommandFunction run,
               std::string_view accelerator = {}) {
  CommandRow row;
  row.name = name;
  row.text = text;
  row.accelerator = accelerator;
  row.run = std::move(run);
  row.window = CommandWindow::TreeViewer;
  return row;
}

std::vector<CommandRow> BuildRows() {
  std::vector<CommandRow> t = {
      Row("viewer.open", "開く(&O)\tCtrl+O", OnViewer<Open>, "Ctrl+O"),
      Row("viewer.expand-all", "全展開／閉じる(&E)", OnViewer<ExpandAll>),
      Row("viewer.callers", "上位関数取得  - 出力Window - (&U)", OnViewer<Callers>),
      Row("viewer.copy-name", "選択項目 ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ(&C)", OnViewer<CopyName>),
      Row("viewer.register-excluded", "選択項目 排除関数に登録(&S)", OnViewer<RegisterExcluded>),
      Row("viewer.delete", "選択項目以下を削除(&D)", OnViewer<Delete>),
      Row("viewer.roots", "ルート関数候補の検索  - 選択Window - (&R)", OnViewer<Roots>),
      Row("viewer.recursions", "再起処理の検索         - 選択Window - (&E)", OnViewer<Recursions>),
      Row("viewer.search", "TREE内検索    - 出力Window - (&S)\tCtrl+F", OnViewer<Search>, "Ctrl+F"),
      Row("viewer.clear-page", "選択Window・TREE出力Window 全削除(&L)", OnViewer<ClearPage>),
      Row("viewer.export-text", "TREE テキスト出力(&T)", OnViewer<ExportText>),
      Row("viewer.call-graph.export", "コールグラフ画像出力(&P)", OnViewer<CallGraph<false>>),
      Row("viewer.call-graph.show", "コールグラフ表示(&G)", OnViewer<CallGraph<true>>),
      Row("viewer.export-workbook", "TREE出力Windowから出力", OnViewer<ExportWorkbook>),
      Row("viewer.export-many", "選択Windowから複数出力（ファイル指定）", OnViewer<ExportMany>),
      Row("viewer.attach-comments", "関数TREE　コメント取得\tCtrl+G", OnViewer<AttachComments>,
          "Ctrl+G"),
      Row("viewer.status-bar", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", OnViewer<Toggle<ViewerBar::Status>>),
      Row("viewer.tool-bar", "ﾂｰﾙ ﾊﾞｰ(&T)", OnViewer<Toggle<ViewerBar::Tool>>),
      Row("viewer.sliders", "ｽﾗｲﾀﾞｰ ｺﾝﾄﾛｰﾙ", OnViewer<Toggle<ViewerBar::Sliders>>),
      Row("viewer.colour.selection-text", "テキスト色設定(&T)", OnViewer<Colour<false, false>>),
      Row("viewer.colour.selection-back", "背景色設定(&B)", OnViewer<Colour<false, true>>),
      Row("viewer.colour.output-text", "テキスト色設定(&T)", OnViewer<Colour<true, false>>),
      Row("viewer.colour.output-back", "背景色設定(&B)", OnViewer<Colour<true, true>>),
      Row("viewer.graph.angle", "フォント角度変更(&E)", OnViewer<GraphAngle>),
      Row("viewer.graph.weight", "フォント太さ変更(&W)", OnViewer<GraphWeight>),
      Row("viewer.graph.direction", "バー縦・横変更(&T)", OnViewer<GraphDirection>),
      Row("viewer.opacity.0", "透明にしない", OnViewer<Opacity<0>>),
      Row("viewer.opacity.10", "10％　透明", OnViewer<Opacity<10>>),
      Row("viewer.opacity.20", "20％　透明", OnViewer<Opacity<20>>),
      Row("viewer.opacity.30", "30％　透明", OnViewer<Opacity<30>>),
      Row("viewer.opacity.40", "40％　透明", OnViewer<Opacity<40>>),
      Row("viewer.opacity.50", "50％　透明", OnViewer<Opacity<50>>),
      Row("viewer.opacity.60", "60％　透明", OnViewer<Opacity<60>>),
      Row("viewer.opacity.70", "70％　透明", OnViewer<Opacity<70>>),
      Row("viewer.opacity.80", "80％　透明", OnViewer<Opacity<80>>),
      Row("viewer.opacity.90", "90％　透明", OnViewer<Opacity<90>>),
      Row("viewer.help", "ヘルプ(&H)", OnViewer<Help>),
      Row("viewer.shortcuts", "ショートカット一覧（&S）", OnViewer<Shortcuts>),
      // The tool bar's, the context menu's and the painted buttons' own commands.
      Row("viewer.open-in-editor", "選択している項目をエディタで開く (&O)  F5",
          OnViewer<OpenInEditor>),
      Row("viewer.invert-background", "", OnViewer<Invert>),
      Row("viewer.entry-list", "", OnViewer<EntryList>),
      Row("viewer.bright", "", OnViewer<Bright>),
      Row("viewer.graph.smaller", "", OnViewer<GraphScale<-1>>),
      Row("viewer.graph.larger", "", OnViewer<GraphScale<+1>>),
      Row("viewer.graph.help", "", OnViewer<GraphHelp>),
      Row("viewer.level.1", "", OnViewer<ExpandLevel<1>>),
      Row("viewer.level.2", "", OnViewer<ExpandLevel<2>>),
      Row("viewer.level.3", "", OnViewer<ExpandLevel<3>>),
      Row("viewer.level.4", "", OnViewer<ExpandLevel<4>>),
      Row("viewer.level.5", "", OnViewer<ExpandLevel<5>>),
      Row("viewer.level.6", "", OnViewer<ExpandLevel<6>>),
      Row("viewer.level.7", "", OnViewer<ExpandLevel<7>>),
      Row("viewer.level.8", "", OnViewer<ExpandLevel<8>>),
  };
  return t;
}

constexpr Place Item(std::string_view name, std::string_view text = {}, char icon = 0) {
  return {T::Item, name, text, icon, false, false};
}
// A context item that runs without a selected item (it chooses its item itself).
constexpr Place OwnChoice(std::string_view name, std::string_view text, char icon) {
  return {T::Item, name, text, icon, false, false, true};
}
constexpr Place Check(std::string_view name) {
  return {T::Item, name, {}, 0, true, false};
}
constexpr Place Tool(char icon, std::string_view name, std::string_view tip) {
  return {T::Item, name, tip, icon, false, false};
}
constexpr Place FullTool(char icon, std::string_view name, std::string_view tip) {
  return {T::Item, name, tip, icon, false, true};
}
constexpr Place Rule(bool full_tool_bar = false) {
  return {T::Rule, {}, {}, 0, false, full_tool_bar};
}
constexpr Place Menu(std::string_view title) {
  return {T::Menu, title, {}, 0, false, false};
}
constexpr Place End() {
  return {T::End, {}, {}, 0, false, false};
}

constexpr Place kMenuBar[] = {
    Menu("解析(&A)"),
    Item("viewer.open"),
    Rule(),
    Item("viewer.expand-all"),
    Item("viewer.callers"),
    Item("viewer.copy-name"),
    Item("viewer.register-excluded"),
    Item("viewer.delete"),
    Rule(),
    Item("viewer.roots"),
    Item("viewer.recursions"),
    Item("viewer.search"),
    Rule(),
    Item("viewer.clear-page"),
    Rule(),
    Item("viewer.export-text"),
    Item("viewer.call-graph.export", {}, 'g'),
    Item("viewer.call-graph.show", {}, 'g'),
    Menu("TREE EXCEL出力"),
    Item("viewer.export-workbook"),
    Item("viewer.export-many"),
    End(),
    Item("viewer.attach-comments"),
    End(),
    Menu("表示(&V)"),
    Check("viewer.status-bar"),
    Check("viewer.tool-bar"),
    Check("viewer.sliders"),
    Menu("選択Window設定"),
    Item("viewer.colour.selection-text"),
    Item("viewer.colour.selection-back"),
    End(),
    Menu("TREE出力Window設定"),
    Item("viewer.colour.output-text"),
    Item("viewer.colour.output-back"),
    End(),
    Menu("GRAPH Window設定"),
    Item("viewer.graph.angle"),
    Item("viewer.graph.weight"),
    Item("viewer.graph.direction"),
    End(),
    Menu("半透明表示"),
    Item("viewer.opacity.0"),
    Item("viewer.opacity.10"),
    Item("viewer.opacity.20"),
    Item("viewer.opacity.30"),
    Item("viewer.opacity.40"),
    Item("viewer.opacity.50"),
    Item("viewer.opacity.60"),
    Item("viewer.opacity.70"),
    Item("viewer.opacity.80"),
    Item("viewer.opacity.90"),
    End(),
    End(),
    Menu("その他(&O)"),
    Item("viewer.help"),
    Item("viewer.shortcuts"),
    End(),
};

constexpr Place kToolBar[] = {
    Tool('o', "viewer.open", "TREEファイルを開く"),
    Tool('t', "viewer.export-text", "TREEをテキスト出力する"),
    Tool('g', "viewer.call-graph.export", "コールグラフを画像出力する"),
    Tool('g', "viewer.call-graph.show", "コールグラフを表示する"),
    Tool('m', "viewer.attach-comments", "指定ファイルよりコメントを取得して付加する"),
    Rule(),
    Tool('e', "viewer.expand-all", "選択されている項目を展開or閉じる"),
    Tool('u', "viewer.callers", "選択関数の上位関数取得"),
    Tool('c', "viewer.copy-name", "選択している項目名をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"),
    Tool('d', "viewer.delete", "選択している項目を削除"),
    Rule(),
    FullTool('1', "viewer.colour.selection-text", "選択Windowのテキスト色を設定する"),
    FullTool('2', "viewer.colour.selection-back", "選択Windowの背景色を設定する"),
    FullTool('3', "viewer.colour.output-text", "TREE出力Windowのテキスト色を設定する"),
    FullTool('4', "viewer.colour.output-back", "TREE出力Windowの背景色を設定する"),
    Rule(true),
    Tool('a', "viewer.graph.angle",
         "GRAPH Windowの文字の角度を変更する\n（バー描画方向が縦の場合のみ）"),
    Tool('w', "viewer.graph.weight", "GRAPH Windowの文字の太さを変更する"),
    Tool('r', "viewer.graph.direction", "GRAPH Windowのバー描画方向（縦・横）を変更する"),
    Tool('i', "viewer.invert-background", "GRAPH・情報表示Windowの背景色を変更する"),
    Rule(),
    Tool('x', "viewer.export-workbook", "TREEをEXCEL出力する"),
};

constexpr Place kContextMenu[] = {
    Item("viewer.expand-all", "全展開／閉じる (&E)", 'e'),
    Item("viewer.open-in-editor"),
    Rule(),
    Item("viewer.callers", "選択している関数の上位関数取得  (&I)", 'u'),
    Item("viewer.copy-name", "選択している項目名をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ (&C)", 'c'),
    Item("viewer.register-excluded", "選択している項目名を排除関数に登録 (&S)"),
    Rule(),
    Item("viewer.delete", "選択している項目削除  (&D)", 'd'),
    Rule(),
    OwnChoice("viewer.call-graph.export", "コールグラフ画像出力", 'g'),
    OwnChoice("viewer.call-graph.show", "コールグラフ表示", 'g'),
};

}  // namespace

std::vector<CommandRow> TreeViewerRows() {
  return BuildRows();
}

const CommandRow* FindViewerCommand(std::string_view name) {
  const CommandRow* row = FindCommandByName(name);
  return row != nullptr && row->window == CommandWindow::TreeViewer ? row : nullptr;
}

CommandResult ViewerSearchAgain(TreeViewerState& t, TreeViewerView& v, Ui& ui,
                                SearchDirection direction) {
  CallTree& tree = Output(t);
  if (t.search_word.empty() || tree.empty()) return CommandResult::Cancelled();
  v.FreezeOutput(true);
  bool found = false;
  if (direction == SearchDirection::Up) found = SearchUp(tree, t.search_word, ui);
  if (direction == SearchDirection::Down) found = SearchDown(tree, t.search_word, t.settings, ui);
  v.FreezeOutput(false);
  v.SyncOutput();
  return found ? CommandResult::Done() : CommandResult::Cancelled();
}

std::span<const ViewerPlace> ViewerMenuBar() {
  return kMenuBar;
}
std::span<const ViewerPlace> ViewerToolBar() {
  return kToolBar;
}
std::span<const ViewerPlace> ViewerContextMenu() {
  return kContextMenu;
}

struct ViewerCommandContext::StandIns {
  RegisteredData data;
  Settings settings;
  WindowlessView view;  // the main window's commands are not reachable from the viewer
};

ViewerCommandContext::ViewerCommandContext() : stand_ins_(std::make_unique<StandIns>()) {}
ViewerCommandContext::~ViewerCommandContext() = default;

CommandState ViewerCommandContext::State(SettingsStore& store, const RegexService& regex,
                                         TreeViewerState& tree, TreeViewerView& view) {
  StandIns& m = *stand_ins_;
  return {m.data, store, m.settings, regex, m.view, {}, nullptr, &tree, &view};
}

CommandResult RunViewerCommand(const CommandRow& row, CommandState& state, Ui& ui) {
  if (!row.run) return CommandResult::Failed("not built");
  return row.run(state, ui);
}

CommandResult RunViewerContextCommand(const CommandRow& row, CommandState& state, Ui& ui) {
  if (state.tree == nullptr || !RequireSelection(state.tree->page().output, ui))
    return CommandResult::Cancelled();
  return RunViewerCommand(row, state, ui);
}

}  // namespace kelvora
