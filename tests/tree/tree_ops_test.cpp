// Tree operations through the scripted port: expanding, callers and roots, deleting, the
// excluded-function slots, the editor jump, searching and the search history.
#include <gtest/gtest.h>

#include "platform/editor_launch.h"
#include "settings/settings.h"
#include "tree/tree_fixture.h"
#include "tree/tree_lines.h"
#include "tree/tree_ops.h"

namespace kelvora {
namespace {

using testing::ReadTree;
using testing::TempDir;

const std::vector<std::string> kFunctions = {"//Data1:",
                                             "",
                                             "main,12,20,0,/src/main.c(30)",
                                             "・ init,5,8,0,/src/init.c(10)",
                                             "・ main  ※再起処理,12,20,0,/src/main.c(30)",
                                             "・ printf,",
                                             "・ run,3,4,0,/src/run.c(5)",
                                             "",
                                             "init,5,8,0,/src/init.c(10)",
                                             "・ setup,1,1,0,/src/init.c(20)",
                                             "・ run,3,4,0,/src/run.c(5)",
                                             "",
                                             "run,3,4,0,/src/run.c(5)",
                                             "・ init,5,8,0,/src/init.c(10)",
                                             "・ leaf,",
                                             "",
                                             "Zeta,1,1,0,/src/z.c(1)",
                                             "・ run,3,4,0,/src/run.c(5)",
                                             "",
                                             "_helper,1,1,0,/src/h.c(1)",
                                             "・ init,5,8,0,/src/init.c(10)",
                                             ""};

struct Fixture {
  ReadTree t{kFunctions};
  CallTree tree;
  ScriptedUi ui;
  explicit Fixture(const std::string& entry = "main") {
    ExpandIntoOutput(t.page, t.Entry(entry), tree, t.settings, ui);
  }
  // Visible items below the root as "depth:text".
  std::vector<std::string> Visible() {
    std::vector<std::string> out;
    for (std::int32_t n = tree.NextVisible(tree.root()); n != CallTree::kNone;
         n = tree.NextVisible(n))
      out.push_back(std::to_string(tree.node(n).depth) + ":" + t.U(tree.Text(n)));
    return out;
  }
  // The item reached by child positions from the root.
  std::int32_t At(std::initializer_list<int> path) {
    std::int32_t n = tree.root();
    for (int i : path) n = tree.Children(n)[static_cast<std::size_t>(i)];
    return n;
  }
};

TEST(TreeOps, ExpandAllTogglesTheSelectionAndExpandsEverythingAfterIt) {
  Fixture f;
  EXPECT_EQ(f.Visible(),
            (std::vector<std::string>{"1:init", "1:main  ※再帰処理", "1:printf", "1:run"}));
  EXPECT_EQ(f.ui.status(2), "TREE内検索：Ctrl+F");
  f.tree.selected = f.At({2});  // printf: collapsed leaf; everything after it opens
  EXPECT_EQ(ToggleExpandAll(f.tree, f.t.settings, f.ui), WalkStop::Done);
  EXPECT_EQ(f.Visible(),
            (std::vector<std::string>{"1:init", "1:main  ※再帰処理", "1:printf", "1:run", "2:init",
                                      "3:setup", "3:run  ※再帰処理", "2:leaf"}));
  f.tree.selected = f.At({3});  // run is expanded now: it collapses, nothing after it is left
  ToggleExpandAll(f.tree, f.t.settings, f.ui);
  EXPECT_EQ(f.Visible().back(), "1:run");
  f.tree.selected = CallTree::kNone;  // the root: collapses
  ToggleExpandAll(f.tree, f.t.settings, f.ui);
  EXPECT_TRUE(f.Visible().empty());
  EXPECT_TRUE(f.ui.messages().empty());
}

TEST(TreeOps, WalksStopAtTheNodeBudgetAndOnEscape) {
  Fixture f;
  f.t.settings.node_budget = 6;
  f.tree.selected = f.At({0});
  EXPECT_EQ(ToggleExpandAll(f.tree, f.t.settings, f.ui), WalkStop::Budget);
  EXPECT_EQ(f.ui.messages().back(),
            "TREE出力Windowの項目数が上限の6個に達しましたので、展開を中断しました。　");

  // A tree of 3^9 items: Escape at the first poll, confirmed by id.
  std::vector<std::string> wide{"//Data1:"};
  for (int i = 0; i < 9; ++i) {
    const std::string next = "w" + std::to_string(i + 1);
    wide.insert(wide.end(), {"w" + std::to_string(i) + ",", "・ " + next + ",", "・ " + next + ",",
                             "・ " + next + ",", ""});
  }
  ReadTree big(wide);
  CallTree tree;
  ScriptedUi ui;
  ui.EscapeAtPoll(1).Answer(kAskCancelTreeWalk, true);
  ExpandIntoOutput(big.page, big.Entry("w0"), tree, big.settings, ui);
  ui.SetStatus(3, "");
  EXPECT_FALSE(SearchDown(tree, "nothing", big.settings, ui));
  EXPECT_EQ(ui.question_ids(), std::vector<std::string_view>{kAskCancelTreeWalk.key});
  EXPECT_LT(tree.made_count(), 19683u);
  EXPECT_EQ(tree.selected, tree.root());
}

TEST(TreeOps, CallersRootsAndRecursions) {
  Fixture f;
  const Callers run = CallersOf(f.t.page, "run");
  EXPECT_EQ(run.count, 3);
  EXPECT_EQ(run.text, "≪ run ≫\r\n  上位関数：3\r\n\r\n  init\r\n  main\r\n  Zeta\r\n");
  EXPECT_EQ(CallersOf(f.t.page, "main").count, 0);  // its own call carries the mark

  EXPECT_FALSE(ShowCallers(f.t.page, f.tree, f.ui));
  f.tree.selected = f.At({1});  // "main  ※再帰処理": the item name is main, which has no caller
  EXPECT_FALSE(ShowCallers(f.t.page, f.tree, f.ui));
  f.tree.selected = f.At({3, 0});
  EXPECT_EQ(ShowCallers(f.t.page, f.tree, f.ui).value_or(""),
            "≪ init ≫\r\n  上位関数：3\r\n\r\n  _helper\r\n  main\r\n  run\r\n");
  EXPECT_EQ(f.ui.messages(),
            (std::vector<std::string>{
                "関数が選択されていません！　",
                "上位関数は検出されませんでした。\n\n※本機能は関数TREE用ファイルのみ有効　"}));

  EXPECT_EQ(RootCandidates(f.t.page, f.ui).value_or(""),
            "選択Window内\r\nルート関数候補：3\r\n(上位関数がないもの)\r\n\r\n  _helper\r\n  "
            "main\r\n  Zeta\r\n");
  EXPECT_EQ(f.ui.status(1), "選択Win項目数：5");
  ReadTree cycle({"a,", "・ b,", "", "b,", "・ a,", ""});
  EXPECT_FALSE(RootCandidates(cycle.page, f.ui));  // every entry has a caller: unchanged

  EXPECT_EQ(RecursionListText(f.t.page),
            "選択Window内\r\n  再帰処理：1\r\n（以下、出力最大100個まで）\r\n\r\n  main\r\n");
}

TEST(TreeOps, DeleteCopyAndContextMenuNeedASelection) {
  Fixture f;
  EXPECT_FALSE(RequireSelection(f.tree, f.ui));
  EXPECT_FALSE(DeleteSelectedSubtree(f.tree, f.ui));
  EXPECT_FALSE(SelectedItemName(f.tree, f.ui));
  f.tree.selected = f.At({1});
  EXPECT_EQ(SelectedItemName(f.tree, f.ui).value_or(""), "main");
  f.ui.Answer(kAskDeleteSubtree, false).Answer(kAskDeleteSubtree, true);
  EXPECT_FALSE(DeleteSelectedSubtree(f.tree, f.ui));
  EXPECT_TRUE(DeleteSelectedSubtree(f.tree, f.ui));
  EXPECT_EQ(f.Visible(), (std::vector<std::string>{"1:init", "1:printf", "1:run"}));
  EXPECT_EQ(f.ui.questions().back(),
            "【 main  ※再帰処理 】が選択されています。\n選択項目を削除しますか？　");
  EXPECT_EQ(f.ui.messages(), (std::vector<std::string>{"項目が選択されていません！　",
                                                       "項目が選択されていません！　",
                                                       "項目名取得できませんでした。　"}));
  std::ostringstream out;
  WalkGuard guard(f.ui, 100, f.tree.made_count());
  bool limited = false;
  WriteTreeLines(f.tree, f.tree.root(), out, TreeLineOptions{true, "\n", 0b10}, guard, limited);
  EXPECT_EQ(out.str().substr(0, out.str().find("┗ run\n") + 8),
            "main\n┣ init\n┃  ┃≪==================== 階層レベル2 ====================≫\n"
            "┃  ┣ setup\n┃  ┃≪==================== 階層レベル2 ====================≫\n┃  ┗ run\n");
}

TEST(TreeOps, RegisterExcludedFunctionUsesTheFirstFreeSlot) {
  TempDir dir;
  SettingsStore store(
      dir.Write("Kelvora.ini", "[UnMatch_Func]\r\nFunc1=a\r\nFunc2=b\r\nFunc7=init\r\n"),
      (dir.path() / "registry.ini").string());
  Fixture f;
  f.tree.selected = f.At({0});  // init: already in slot 7, no question
  EXPECT_EQ(RegisterExcludedFunction(f.tree, store, f.ui), 0);
  EXPECT_EQ(f.ui.messages().back(), "【 init 】\n\n既に排除関数に登録されています。　\n登録済No.7");
  f.tree.selected = f.At({3});
  f.ui.Answer(kAskRegisterExcluded, false).Answer(kAskRegisterExcluded, true);
  EXPECT_EQ(RegisterExcludedFunction(f.tree, store, f.ui), 0);
  EXPECT_EQ(RegisterExcludedFunction(f.tree, store, f.ui), 3);
  EXPECT_EQ(store.ReadString("UnMatch_Func", "Func3"), "run");
  EXPECT_EQ(store.ReadInt("UnMatch_Func", "Flag_Func3", 0), 1);
  EXPECT_EQ(f.ui.messages().back(), "排除関数に登録しました。　\n登録No.3 ： run　");

  for (int slot = 1; slot <= 60; ++slot)
    store.WriteString("UnMatch_Func", "Func" + std::to_string(slot), "x" + std::to_string(slot));
  f.tree.selected = f.At({2});
  f.ui.Answer(kAskRegisterExcluded, true);
  EXPECT_EQ(RegisterExcludedFunction(f.tree, store, f.ui), 0);
  EXPECT_EQ(f.ui.messages().back(), "排除関数登録の空きがありませんでした。　");
}

TEST(TreeOps, OpenInEditorHandsTheItemPositionToTheLauncher) {
  EXPECT_EQ(ItemPosition("2,5,8,0,/src/a,b (1)/x.c(10)"), "/src/a,b (1)/x.c(10)");
  EXPECT_EQ(ItemPosition("1,0,0,0,/s.h(12),8"), "/s.h(12)");
  EXPECT_EQ(ItemPosition("1,"), "");
  EXPECT_EQ(ItemPosition("2,・ int a"), "");

  TempDir dir;
  const std::string source = dir.Write("src dir (1)/init.c", "int init(void) {}\n");
  std::vector<std::string> lines = kFunctions;
  lines[3] = "・ init,5,8,0," + source + "(10)";
  ReadTree t(lines);
  CallTree tree;
  ScriptedUi ui;
  ExpandIntoOutput(t.page, t.Entry("main"), tree, t.settings, ui);
  std::vector<std::vector<std::string>> started;
  EditorLauncher editor("/usr/bin/vim", "+", [&](const std::vector<std::string>& argv) {
    started.push_back(argv);
    return true;
  });
  EXPECT_FALSE(OpenSelectedInEditor(tree, editor, ui));  // nothing selected
  tree.selected = tree.Children(tree.root())[0];
  EXPECT_TRUE(OpenSelectedInEditor(tree, editor, ui));
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0], (std::vector<std::string>{"/usr/bin/vim", "+10", source}));
  tree.selected = tree.Children(tree.root())[3];  // /src/run.c does not exist
  EXPECT_FALSE(OpenSelectedInEditor(tree, editor, ui));
  tree.selected = tree.Children(tree.root())[2];  // printf: no position
  EXPECT_FALSE(OpenSelectedInEditor(tree, editor, ui));
  EXPECT_EQ(ui.messages(), (std::vector<std::string>{"ファイルがありません。　",
                                                     "ファイルが存在しません！\n/src/run.c　",
                                                     "ファイルがありません。　"}));
}

TEST(TreeOps, SearchUpStaysInTheShownTreeAndDownOpensCollapsedOnes) {
  Fixture f;
  EXPECT_FALSE(SearchDown(f.tree, "", f.t.settings, f.ui));  // F4 before any search
  EXPECT_TRUE(f.ui.messages().empty());
  EXPECT_TRUE(SearchDown(f.tree, "leaf", f.t.settings, f.ui));  // first in pre-order
  EXPECT_EQ(f.tree.selected, f.At({0, 1, 1}));
  EXPECT_TRUE(f.tree.node(f.At({0, 1})).expanded);
  EXPECT_TRUE(SearchDown(f.tree, "leaf", f.t.settings, f.ui));
  EXPECT_EQ(f.tree.selected, f.At({1, 0, 1, 1}));
  EXPECT_TRUE(SearchUp(f.tree, "leaf", f.ui));
  EXPECT_EQ(f.tree.selected, f.At({0, 1, 1}));
  EXPECT_FALSE(SearchUp(f.tree, "leaf", f.ui));  // nothing above; the start stays selected
  EXPECT_EQ(f.tree.selected, f.At({0, 1, 1}));
  f.tree.selected = f.At({3});
  EXPECT_FALSE(SearchUp(f.tree, "setup", f.ui) && f.tree.selected == f.At({3, 0, 0}));
  f.tree.selected = f.At({3, 1});
  EXPECT_FALSE(SearchDown(f.tree, "main", f.t.settings, f.ui));
  EXPECT_EQ(f.ui.messages(),
            (std::vector<std::string>{
                "最上段まで検索を終了しました。　\nこれより上には見つかりませんでした。　",
                "最下段まで検索を終了しました。　\nこれより下には見つかりませんでした。　"}));

  // Only the first 49 bytes of an item's text are searched.
  const std::string name(48, 'n');
  ReadTree t({"top,", "・ " + name + "XY,", ""});
  CallTree tree;
  ExpandIntoOutput(t.page, t.Entry("top"), tree, t.settings, f.ui);
  EXPECT_TRUE(SearchDown(tree, "nX", t.settings, f.ui));
  tree.selected = CallTree::kNone;
  EXPECT_FALSE(SearchDown(tree, "XY", t.settings, f.ui));

  // A word matches on character boundaries only: "A" is not found in the second byte of "ア".
  ReadTree st({"構造体", "", "s_t,0,0,0,/s.h(1)", "・ int    x    // ア", ""});
  CallTree members;
  ExpandIntoOutput(st.page, st.Entry("s_t"), members, st.settings, f.ui);
  EXPECT_FALSE(SearchDown(members, "A", st.settings, f.ui));
  members.selected = CallTree::kNone;
  EXPECT_TRUE(SearchDown(members, Utf8ToCp932("ア"), st.settings, f.ui));
}

TEST(TreeOps, SearchHistoryRingPersistsOldestFirst) {
  TempDir dir;
  SettingsStore store(dir.Write("Kelvora.ini", ""), (dir.path() / "registry.ini").string());
  TreeSearchHistory history;
  ScriptedUi ui;
  const std::string fifty(50, 'w');
  EXPECT_EQ(SubmitSearchWord(fifty, history, store, ui), fifty);  // searched, not kept
  EXPECT_EQ(SubmitSearchWord(fifty + "w", history, store, ui), "");
  EXPECT_EQ(ui.messages(), std::vector<std::string>{"検索Wordが長すぎます。（50文字まで）　"});
  EXPECT_TRUE(history.combo().empty());
  for (int i = 1; i <= 21; ++i) SubmitSearchWord("word" + std::to_string(i), history, store, ui);
  SubmitSearchWord("WORD21", history, store, ui);  // held already, without regard to case
  EXPECT_EQ(ui.status(2), "検索Word：WORD21 (F3=上検索 / F4=下検索)");
  EXPECT_EQ(history.combo().size(), 20u);
  EXPECT_EQ(history.combo().front(), "word2");
  EXPECT_EQ(store.ReadString("ComboHistory", "TreeSearchstr1"), "word2");
  EXPECT_EQ(store.ReadString("ComboHistory", "TreeSearchstr20"), "word21");

  store.WriteString("ComboHistory", "TreeSearchstr2", std::string(60, 'x'));
  store.WriteString("ComboHistory", "TreeSearchstr4", "");
  TreeSearchHistory loaded;
  loaded.Load(store);
  EXPECT_EQ(loaded.combo(), (std::vector<std::string>{"word2", "word4"}));

  ui.Answer(kAskClearSearchHistory, false).Answer(kAskClearSearchHistory, true);
  EXPECT_FALSE(ClearSearchHistory(loaded, store, ui));
  EXPECT_TRUE(ClearSearchHistory(loaded, store, ui));
  EXPECT_TRUE(loaded.combo().empty());
  EXPECT_EQ(store.ReadString("ComboHistory", "TreeSearchstr1", "?"), "");
  EXPECT_EQ(ui.messages().back(), "履歴をクリアしました！　");
}

TEST(TreeOps, GraphCountsEverythingBelowEachNamedChild) {
  Fixture f;
  const std::vector<GraphBar> bars = GraphBars(f.tree, f.tree.root(), f.t.settings, f.ui);
  ASSERT_EQ(bars.size(), 4u);
  EXPECT_EQ(bars[0].name, "init");
  EXPECT_EQ(bars[0].value, 4);   // setup, run, init (recursion), leaf
  EXPECT_EQ(bars[1].value, 12);  // main's own expansion one level down
  EXPECT_EQ(bars[2].value, 0);
  EXPECT_EQ(bars[3].value, 4);
  EXPECT_TRUE(GraphBars(f.tree, f.At({2}), f.t.settings, f.ui).empty());
  // Past the budget every named child still gets its bar, marked as not complete.
  Fixture g;
  g.t.settings.node_budget = 9;
  WalkStop stop = WalkStop::Done;
  const std::vector<GraphBar> cut = GraphBars(g.tree, g.tree.root(), g.t.settings, g.ui, &stop);
  EXPECT_EQ(stop, WalkStop::Budget);
  ASSERT_EQ(cut.size(), 4u);
  EXPECT_TRUE(cut[0].complete);
  EXPECT_FALSE(cut[1].complete);
  EXPECT_FALSE(cut[3].complete);
}

}  // namespace
}  // namespace kelvora
