// The viewer window's rules without a window: layout, sliders, saved rectangle, settings bounds,
// colour scheme, graph angle and scale, the scrolling help line, the selection window's collapse
// rule, clearing a page and the nest-level buttons.
#include <gtest/gtest.h>

#include "settings/settings.h"
#include "tree/tree_fixture.h"
#include "tree/tree_ops.h"
#include "tree/tree_viewer.h"
#include "tree/tree_window_rules.h"

namespace kelvora {
namespace {

using testing::ReadTree;
using testing::TempDir;

struct Store {
  TempDir dir;
  SettingsStore store{dir.Write("Kelvora.ini", ""), (dir.path() / "registry.ini").string()};
};

TEST(TreeWindowRules, LayoutFollowsTheBarsAndPercentages) {
  // W 1000, H 700, TreeRect% 20, GraphRect% 65: the rule's arithmetic written out by hand.
  struct Case {
    bool tool_bar, status_bar, sliders;
    int top, bottom;
  };
  for (const Case c : {Case{true, true, true, 102, 66}, Case{false, true, true, 76, 66},
                       Case{true, false, true, 102, 40}, Case{true, true, false, 102, 31},
                       Case{false, false, false, 76, 5}}) {
    const TreeLayout l = LayOutTreeViewer({1000, 700, 20, 65, c.tool_bar, c.status_bar, c.sliders});
    const int t = c.top, b = c.bottom;
    EXPECT_EQ(l.top, t);
    EXPECT_EQ(l.bottom, b);
    EXPECT_EQ(l.selection, (TreeRect{5, t, 195, 455 - 4 - t}));
    EXPECT_EQ(l.info, (TreeRect{5, 455, 195, 245 - b - 1}));
    EXPECT_EQ(l.output, (TreeRect{204, t, 450, 700 - b - t - 1}));
    EXPECT_EQ(l.side, (TreeRect{654, t, 975 - 654, 700 - b - t - 1}));
    EXPECT_EQ(l.scroll_bar, (TreeRect{975, t, 15, 700 - b - t - 1}));
    EXPECT_EQ(l.left_slider, (TreeRect{42, 700 - b + 1, 366, 16}));
    EXPECT_EQ(l.right_slider, (TreeRect{192, 700 - b + 20, 666, 16}));
  }
  // The smallest window still gives every part a place inside it.
  const TreeLayout small = LayOutTreeViewer({kTreeViewerMinWidth, kTreeViewerMinHeight, 40, 85});
  EXPECT_GT(small.selection.h, 0);
  EXPECT_GT(small.side.w, 0);
  EXPECT_LE(small.right_slider.right(), kTreeViewerMinWidth);
}

TEST(TreeWindowRules, SlidersSavedRectangleAndSettingBounds) {
  Store s;
  TreeViewSettings v;
  v.graph_rect = 35;
  ReleaseTreeRectSlider(v, 40, s.store);
  EXPECT_EQ(v.graph_rect, 40);  // the right slider's range now starts at 40
  EXPECT_EQ(LayOutTreeViewer({1000, 700, v.tree_rect, v.graph_rect}).right_slider_min, 40);
  EXPECT_EQ(s.store.ReadInt("Tree_Dialog", "TreeRect%", 0), 40);
  EXPECT_EQ(s.store.ReadInt("Tree_Dialog", "GraphRect%", 0), 40);
  ReleaseGraphRectSlider(v, 30, s.store);
  EXPECT_EQ(v.graph_rect, 40);

  EXPECT_FALSE(SavedTreeRectUsable(100, 100, 600, 700));  // 500 wide
  EXPECT_FALSE(SavedTreeRectUsable(0, 100, 800, 700));
  EXPECT_FALSE(SavedTreeRectUsable(100, 100, 800, 529));
  EXPECT_TRUE(SavedTreeRectUsable(100, 100, 620, 530));

  Store bad;
  for (const auto& [section, key, value] : {std::tuple{"Tree_Dialog", "TreeRect%", 3},
                                            {"Tree_Dialog", "GraphRect%", 90},
                                            {"Tree_Dialog", "ColorType", 12},
                                            {"Tree", "GraphHeight", 9},
                                            {"Tree", "toolbar", 7},
                                            {"StatusBar", "BkColor", 0x1a0b0c0d}})
    bad.store.WriteInt(section, key, value);
  const TreeViewSettings loaded = LoadTreeViewSettings(bad.store);
  EXPECT_EQ(loaded.tree_rect, 20);
  EXPECT_EQ(loaded.graph_rect, 65);
  EXPECT_EQ(loaded.color_type, 9);
  EXPECT_EQ(loaded.graph_height, 7);
  EXPECT_EQ(loaded.toolbar, 1);
  EXPECT_EQ(loaded.status_back, 0x0b0c0du);  // 0xBBGGRR, the byte above it dropped
  EXPECT_EQ(bad.store.ReadInt("Tree_Dialog", "TreeRect%", 0), 20);
  EXPECT_EQ(bad.store.ReadInt("Tree_Dialog", "ColorType", 0), 9);

  EXPECT_TRUE(ToolbarVariantOf(1).full_set);
  EXPECT_FALSE(ToolbarVariantOf(1).old_style);
  EXPECT_FALSE(ToolbarVariantOf(2).full_set);
  EXPECT_TRUE(ToolbarVariantOf(3).old_style);
  EXPECT_FALSE(ToolbarVariantOf(4).full_set);
  EXPECT_TRUE(ToolbarVariantOf(4).old_style);
  EXPECT_FALSE(ToolbarVariantOf(0).old_style);
}

// Loading the viewer's settings: what a stored value reads as, and what the file holds after
// loading (out-of-bounds TreeRect%, GraphRect% and ColorType are written back, the others not).
TEST(TreeWindowRules, LoadingReadsAndWritesBackEachStoredValue) {
  constexpr long long kMissing = -999999;
  using Get = long long (*)(const TreeViewSettings&);
  const Get tree_rect = [](const TreeViewSettings& v) -> long long { return v.tree_rect; };
  const Get graph_rect = [](const TreeViewSettings& v) -> long long { return v.graph_rect; };
  const Get color_type = [](const TreeViewSettings& v) -> long long { return v.color_type; };
  const Get bright = [](const TreeViewSettings& v) -> long long { return v.color_bright; };
  const Get height = [](const TreeViewSettings& v) -> long long { return v.graph_height; };
  const Get toolbar = [](const TreeViewSettings& v) -> long long { return v.toolbar; };
  const Get sel_text = [](const TreeViewSettings& v) -> long long { return v.sel_text; };
  const Get out_back = [](const TreeViewSettings& v) -> long long { return v.out_back; };
  const Get status = [](const TreeViewSettings& v) -> long long { return v.status_back; };
  struct Case {
    const char* section;
    const char* key;
    long long stored;  // kMissing: not in the file
    Get get;
    long long read;
    long long written;               // the file after loading
    long long tree_rect = kMissing;  // TreeRect% stored beside it
  };
  const Case cases[] = {
      {"Tree_Dialog", "TreeRect%", kMissing, tree_rect, 20, kMissing},
      {"Tree_Dialog", "TreeRect%", 4, tree_rect, 20, 20},
      {"Tree_Dialog", "TreeRect%", 5, tree_rect, 5, 5},
      {"Tree_Dialog", "TreeRect%", 40, tree_rect, 40, 40},
      {"Tree_Dialog", "TreeRect%", 41, tree_rect, 20, 20},
      {"Tree_Dialog", "TreeRect%", -1, tree_rect, 20, 20},
      {"Tree_Dialog", "TreeRect%", 5000000000LL, tree_rect, 20, 20},
      {"Tree_Dialog", "GraphRect%", kMissing, graph_rect, 65, kMissing},
      {"Tree_Dialog", "GraphRect%", 19, graph_rect, 65, 65},
      {"Tree_Dialog", "GraphRect%", 20, graph_rect, 20, 20},
      {"Tree_Dialog", "GraphRect%", 29, graph_rect, 65, 65, 30},  // below TreeRect%
      {"Tree_Dialog", "GraphRect%", 30, graph_rect, 30, 30, 30},
      {"Tree_Dialog", "GraphRect%", 25, graph_rect, 25, 25, 41},  // TreeRect% fell back to 20
      {"Tree_Dialog", "GraphRect%", 85, graph_rect, 85, 85},
      {"Tree_Dialog", "GraphRect%", 86, graph_rect, 65, 65},
      {"Tree_Dialog", "ColorType", -1, color_type, 9, 9},
      {"Tree_Dialog", "ColorType", 0, color_type, 0, 0},
      {"Tree_Dialog", "ColorType", 10, color_type, 9, 9},
      {"Tree_Dialog", "ColorBright", 1, bright, 1, 1},
      {"Tree_Dialog", "ColorBright", 2, bright, 0, 2},
      {"Tree", "GraphHeight", kMissing, height, 4, kMissing},
      {"Tree", "GraphHeight", -3, height, 0, -3},
      {"Tree", "GraphHeight", 8, height, 7, 8},
      {"Tree", "GraphHeight", 5, height, 5, 5},
      {"Tree", "toolbar", 0, toolbar, 1, 0},
      {"Tree", "toolbar", 4, toolbar, 4, 4},
      {"Tree", "toolbar", 5, toolbar, 1, 5},
      {"Tree", "Sel_TextColor", kMissing, sel_text, 0xffffff, kMissing},
      {"Tree", "Sel_TextColor", 0x12345678, sel_text, 0x345678, 0x12345678},
      {"Tree", "Out_BackColor", -1, out_back, 0xffffff, -1},
      {"StatusBar", "BkColor", kMissing, status, 0, kMissing},
      {"StatusBar", "BkColor", 0x1a0b0c0d, status, 0x0b0c0d, 0x1a0b0c0d},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.stored));
    Store s;
    if (c.stored != kMissing) s.store.WriteInt(c.section, c.key, c.stored);
    if (c.tree_rect != kMissing) s.store.WriteInt("Tree_Dialog", "TreeRect%", c.tree_rect);
    EXPECT_EQ(c.get(LoadTreeViewSettings(s.store)), c.read);
    EXPECT_EQ(s.store.ReadInt(c.section, c.key, kMissing), c.written);
  }
}

// The placement written when the viewer closes reads back as it was.
TEST(TreeWindowRules, PlacementRoundTrip) {
  Store s;
  EXPECT_EQ(ReadTreePlacement(s.store).right, 0);
  SaveTreePlacement(s.store, {10, 20, 810, 620, true}, 6);
  const TreePlacement p = ReadTreePlacement(s.store);
  EXPECT_EQ(std::tuple(p.left, p.top, p.right, p.bottom, p.maximized),
            std::tuple(10LL, 20LL, 810LL, 620LL, true));
  EXPECT_EQ(s.store.ReadInt("Window", "tree_show", 0), 3);
  EXPECT_EQ(s.store.ReadInt("Tree", "GraphHeight", 0), 6);
  SaveTreePlacement(s.store, {10, 20, 810, 620, false}, 6);
  EXPECT_EQ(s.store.ReadInt("Window", "tree_show", 0), 1);
  EXPECT_FALSE(ReadTreePlacement(s.store).maximized);
  WriteTreeWindowColor(s.store, true, false, 0x123456);
  EXPECT_EQ(LoadTreeViewSettings(s.store).out_text, 0x123456u);
}

TEST(TreeWindowRules, ColourSchemeGraphAngleAndScale) {
  Store s;
  ScriptedUi ui;
  TreeViewSettings v;
  EXPECT_TRUE(ChooseColorType(v, 3, s.store, ui));
  EXPECT_FALSE(ChooseColorType(v, 10, s.store, ui));
  EXPECT_EQ(v.color_type, 3);
  EXPECT_EQ(s.store.ReadInt("Tree_Dialog", "ColorType", 0), 3);
  EXPECT_EQ(ui.messages(), std::vector<std::string>{"指定された色の定義はありません！　"});
  ToggleColorBright(v, s.store);
  EXPECT_EQ(s.store.ReadInt("Tree_Dialog", "ColorBright", 0), 1);
  ToggleColorBright(v, s.store);
  EXPECT_EQ(v.color_bright, 0);

  std::vector<int> angles;
  for (int i = 0, a = 0; i < 7; ++i) angles.push_back(a = NextGraphAngle(a, true, ui));
  EXPECT_EQ(angles, (std::vector<int>{15, 30, 45, 60, 75, 90, 0}));
  EXPECT_EQ(NextGraphAngle(45, false, ui), 45);
  EXPECT_EQ(ui.messages().back(), "GRAPH Windowのバーが、横描画の場合は変更できません。　");

  v.graph_height = 6;
  EXPECT_EQ(StepGraphHeight(v, +1, s.store), 7);
  EXPECT_EQ(StepGraphHeight(v, +1, s.store), 7);
  v.graph_height = 0;
  EXPECT_EQ(StepGraphHeight(v, -1, s.store), 0);
  EXPECT_EQ(s.store.ReadInt("Tree", "GraphHeight", 4), 0);
}

TEST(TreeWindowRules, HelpLineScrollsTwoBytesAtATimeAndClears) {
  ScriptedUi ui;
  HelpLineScroller help;
  help.Start("ab［c");  // 1 + 1 + 2 + 1 bytes
  while (help.Tick(ui)) {
  }
  EXPECT_EQ(ui.status_history(3), (std::vector<std::string>{"ab［c", "［c", "c", ""}));
  EXPECT_FALSE(help.running());
  // A half-width character before double-byte ones: the offset moves to the next character.
  ScriptedUi ui2;
  help.Start("x日本語");
  while (help.Tick(ui2)) {
  }
  EXPECT_EQ(ui2.status_history(3), (std::vector<std::string>{"x日本語", "本語", "語", ""}));
  help.Start(HelpLineScroller::GraphHelpLine());
  int ticks = 0;
  while (help.Tick(ui2)) ++ticks;
  EXPECT_GT(ticks, 80);
  EXPECT_EQ(ui2.status(3), "");
}

TEST(TreeWindowRules, SelectionWindowCollapseRuleTypingAndClearingThePage) {
  EXPECT_FALSE(CollapseSelectedAfterExpansion(SelectionItemKind::None));
  EXPECT_FALSE(CollapseSelectedAfterExpansion(SelectionItemKind::Root));
  EXPECT_TRUE(CollapseSelectedAfterExpansion(SelectionItemKind::Entry));
  EXPECT_TRUE(CollapseSelectedAfterExpansion(SelectionItemKind::Callee));

  ReadTree t({"main,", "・ init,", "", "init,", "・ leaf,", ""});
  // Typing in the selection window finds entries by prefix in its order ("_" before letters).
  ReadTree typed(
      {"Zeta,", "", "main,", "", "_helper,", "", "init,", "", "initial,", "", "mai,", ""});
  struct Typed {
    std::string prefix, entry;
  };
  for (const Typed& c :
       {Typed{"ze", "Zeta"}, Typed{"MAI", "mai"}, Typed{"main", "main"}, Typed{"_", "_helper"},
        Typed{"initi", "initial"}, Typed{"x", ""}, Typed{"mainx", ""}, Typed{"", ""}}) {
    const std::int32_t e = FindEntryByPrefix(typed.page, c.prefix);
    EXPECT_EQ(e < 0 ? "" : std::string(typed.page.EntryText(static_cast<std::size_t>(e))), c.entry)
        << c.prefix;
  }
  TreeViewerPage page;
  page.file = std::move(t.page);
  page.file.tab_label = "f";
  ScriptedUi ui;
  ExpandIntoOutput(page.file, page.file.FindEntry("main"), page.output, t.settings, ui);
  ui.Answer(kAskClearPageTrees, false).Answer(kAskClearPageTrees, true);
  EXPECT_FALSE(ClearPageTrees(page, ui));
  EXPECT_EQ(page.file.entry_count(), 2u);
  EXPECT_TRUE(ClearPageTrees(page, ui));
  EXPECT_TRUE(page.output.empty());
  EXPECT_EQ(page.file.entry_count(), 0u);
  EXPECT_TRUE(page.file.root_text.empty());
  EXPECT_EQ(page.file.tab_label, "f");
}

// Nest-level button k: everything down to level k shows, items at level k and deeper are closed,
// also ones that an earlier button opened.
TEST(TreeWindowRules, NestLevelButtonsExpandDownToTheirLevel) {
  ReadTree t({"a,", "・ b,", "・ c,", "", "b,", "・ d,", "", "d,", "・ e,", "", "e,", "・ f,", ""});
  CallTree tree;
  ScriptedUi ui;
  ExpandIntoOutput(t.page, t.Entry("a"), tree, t.settings, ui);
  auto visible = [&] {
    std::string out;
    for (std::int32_t n = tree.root(); n != CallTree::kNone; n = tree.NextVisible(n))
      out += t.U(tree.Text(n)) + std::to_string(tree.NestLevel(n)) + " ";
    return out;
  };
  struct Case {
    int level;
    std::string shown;
  };
  for (const Case& c : {Case{3, "a1 b1 d2 e3 c1 "}, Case{1, "a1 b1 c1 "}, Case{2, "a1 b1 d2 c1 "},
                        Case{8, "a1 b1 d2 e3 f4 c1 "}, Case{3, "a1 b1 d2 e3 c1 "}}) {
    EXPECT_EQ(ExpandToLevel(tree, c.level, t.settings, ui), WalkStop::Done);
    EXPECT_EQ(visible(), c.shown) << "level " << c.level;
  }
  EXPECT_TRUE(ui.messages().empty());
}

}  // namespace
}  // namespace kelvora
