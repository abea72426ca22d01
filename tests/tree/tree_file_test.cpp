// Reading tree files: kinds, entry and callee texts with their item data, the recursion list,
// the entry limit and the messages of the open command.
#include <gtest/gtest.h>

#include "settings/settings.h"
#include "tree/tree_fixture.h"

namespace kelvora {
namespace {

using testing::ReadTree;
using testing::TempDir;

// Entry text, entry data, then callee text and data pairs, all UTF-8.
std::vector<std::string> Dump(const ReadTree& t, std::size_t e) {
  std::vector<std::string> out{t.U(t.page.EntryText(e)), t.U(t.page.Text(t.page.entries[e].data))};
  for (const TreeCallee* c = t.page.CalleesBegin(e); c != t.page.CalleesEnd(e); ++c) {
    out.push_back(t.U(t.page.Text(c->text)));
    out.push_back(t.U(t.page.Text(c->data)));
  }
  return out;
}

TEST(TreeFileReader, FunctionEntriesCalleesAndItemData) {
  ReadTree t({"//Data1:WIN32;_DEBUG=1", "", "*main,12,20,0,/src/a,b/main.c(30)",
              "・ init,5,8,0,/src/init.c(10)", "・ main  ※再起処理,12,20,0,/src/a,b/main.c(30)",
              "・ printf,", "・ loop   ※再帰処理,1,1,0,/l.c(1)", "", "構造体",
              "init,5,8,0,/src/init.c(10)", "・ ＊wide,", ""});
  EXPECT_EQ(t.result, ReadResult::Complete);
  EXPECT_EQ(t.page.kind, TreeKind::Function);  // "構造体" after the first entry changes nothing
  EXPECT_EQ(t.page.data1, "WIN32;_DEBUG=1");
  EXPECT_EQ(t.page.tab_label, "tree file (1)");
  EXPECT_EQ(t.U(t.page.root_text).substr(0, 15), "項目一覧（");
  ASSERT_EQ(t.page.entry_count(), 2u);
  // The callee pattern is searched after "・ ", not anchored: a full-width asterisk is skipped
  // and the data text is the whole line.
  EXPECT_EQ(Dump(t, 0),
            (std::vector<std::string>{"init", "5,8,0,/src/init.c(10)", "wide", "・ ＊wide,"}));
  EXPECT_EQ(Dump(t, 1), (std::vector<std::string>{
                            "main", "12,20,0,/src/a,b/main.c(30)", "init", "5,8,0,/src/init.c(10)",
                            "main  ※再帰処理", "12,20,0,/src/a,b/main.c(30)", "printf", "",
                            // the new spelling is no mark: the name alone, whole line
                            "loop", "・ loop   ※再帰処理,1,1,0,/l.c(1)"}));
  EXPECT_EQ(t.page.recursions, std::vector<std::string>{"main"});
}

// The function tree writes a function returning a pointer to a pointer with all its asterisks;
// such an entry is read like any other, its text without them.
TEST(TreeFileReader, EntriesWithSeveralAsterisks) {
  ReadTree t({"//Data1:", "", "**argv_split,28,32,0,/lib/argv_split.c(60)", "・ kfree,", "",
              "***debug_areas_alloc,31,34,0,/d.c(179)", ""});
  ASSERT_EQ(t.page.entry_count(), 2u);
  EXPECT_EQ(Dump(t, 0),
            (std::vector<std::string>{"argv_split", "28,32,0,/lib/argv_split.c(60)", "kfree", ""}));
  EXPECT_EQ(Dump(t, 1), (std::vector<std::string>{"debug_areas_alloc", "31,34,0,/d.c(179)"}));
}

TEST(TreeFileReader, KindLinesAndPadding) {
  TreeSettings s;
  s.struct_space = 20;
  s.table_space = 12;
  ReadTree st({"構造体", "", "//Data1:X", "s_t,0,0,0,/s.h(3),1", "・ int    a    // c", ""}, s);
  EXPECT_EQ(st.page.kind, TreeKind::Struct);
  EXPECT_EQ(st.page.data1, "X");
  EXPECT_EQ(Dump(st, 0),
            (std::vector<std::string>{"s_t", "0,0,0,/s.h(3),1", "int    a            // c",
                                      "・ int    a    // c"}));
  ReadTree tb({"テーブル", "", "//Data1:", "tab,0,0,0,/t.c(4)", "・ verylongelement_name    // x",
               "・ 0", ""},
              s);
  EXPECT_EQ(tb.page.kind, TreeKind::Table);
  EXPECT_EQ(Dump(tb, 0)[2], "verylongelement_name // x");  // past the column: one blank
  EXPECT_EQ(Dump(tb, 0)[4], "0");
}

TEST(TreeFileReader, RecursionListKeepsAtMostHundredShortNames) {
  std::vector<std::string> lines{"//Data1:"};
  for (int i = 0; i < 105; ++i) {
    const std::string name = i == 3 ? std::string(100, 'r') : "r" + std::to_string(i);
    lines.insert(lines.end(), {name + ",", "・ " + name + "  ※再起処理,", ""});
  }
  ReadTree t(lines);
  ASSERT_EQ(t.page.recursions.size(), 100u);
  EXPECT_EQ(t.page.recursions[3], "r4");  // the 100-byte name is skipped
  EXPECT_EQ(t.page.recursions.back(), "r100");
}

TEST(TreeFileReader, OpenCommandMessages) {
  RegexService regex;
  TreePage page;
  ScriptedUi ui;
  TreeSettings s;
  EXPECT_FALSE(OpenTreeFile("", page, s, regex, ui));
  EXPECT_FALSE(OpenTreeFile("/nonexistent/関数.tree", page, s, regex, ui));
  TempDir dir;
  const std::string unreadable = dir.Write("locked.tree", "x,\r\n");
  std::filesystem::permissions(unreadable, std::filesystem::perms::none);
  const bool root_user = ::geteuid() == 0;
  if (!root_user) {
    EXPECT_FALSE(OpenTreeFile(unreadable, page, s, regex, ui));
  }
  std::vector<std::string> expected{"キャンセルします！　",
                                    "指定されたファイルがありません。　\n/nonexistent/関数.tree"};
  if (!root_user)
    expected.push_back("TREEデータがありません！　\n" + unreadable + "\nPermission denied");
  EXPECT_EQ(ui.messages(), expected);

  s.data_max = 2;
  ScriptedUi ui2;
  const std::string path =
      dir.Write("two.tree", testing::TreeFileBytes({"a,", "・ b,", "", "b,", "・ c,", "", "c,"}));
  EXPECT_TRUE(OpenTreeFile(path, page, s, regex, ui2));
  EXPECT_EQ(page.entry_count(), 2u);
  EXPECT_EQ(ui2.messages(),
            std::vector<std::string>{"項目数が多い為、2以降は登録していません。　"});
  EXPECT_EQ(ui2.status(1), "選択Win項目数：2");
  EXPECT_EQ(ui2.status(2), "選択Win再帰処理：0");
}

TEST(TreeFileReader, SettingsColumnsOfZeroAreRepairedAndWrittenBack) {
  TempDir dir;
  const std::string ini =
      dir.Write("Kelvora.ini", "[Tree]\r\nDataMax=50000\r\nStructSpace=0\r\nTableSpace=25\r\n");
  SettingsStore store(ini, (dir.path() / "registry.ini").string());
  const TreeSettings s = LoadTreeSettings(store);
  EXPECT_EQ(s.data_max, 50000);
  EXPECT_EQ(s.struct_space, 40);
  EXPECT_EQ(s.table_space, 25);
  EXPECT_EQ(s.node_budget, 1000000);
  EXPECT_EQ(store.ReadInt("Tree", "StructSpace", -1), 40);
}

}  // namespace
}  // namespace kelvora
