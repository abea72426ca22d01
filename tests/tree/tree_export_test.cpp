// The tree outputs: golden text and workbook outputs of small trees, the workbook writer's rows
// and outline levels, the row and sheet limits, and the comment attach.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "cli/run_process.h"
#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/scripted_ui.h"
#include "sheet/sheet_names.h"
#include "sheet/workbook.h"
#include "sheet/workbook_stream.h"
#include "support/golden.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"
#include "tree/tree_comments.h"
#include "tree/tree_export.h"
#include "tree/tree_fixture.h"
#include "tree/tree_ops.h"
#include "tree/tree_workbook.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// UTF-8 text with LF lines as CP932 with CR LF, the way the program's files are written.
std::string Cp932Lines(std::string_view utf8) {
  std::string out;
  for (char c : Utf8ToCp932(utf8)) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string ReadWorkbook(const std::string& script, const std::string& path) {
  testing::ProcessResult py = testing::RunProcess({"/usr/bin/python3", script, path}, "/");
  EXPECT_EQ(0, py.status) << py.err;
  return py.out;
}

const EditorLauncher kNoEditor("", "", [](const std::vector<std::string>&) { return true; });

// A node of the tree whose text is the given one, in pre-order; kNone when none.
std::int32_t FindItem(CallTree& tree, const std::string& utf8) {
  bool limited = false;
  for (std::int32_t n = tree.root(); n != CallTree::kNone; n = tree.NextPreOrder(n, limited))
    if (Cp932ToUtf8(tree.Text(n)) == utf8) return n;
  return CallTree::kNone;
}

// tests/golden/tree_export/<case>/: input.tree (UTF-8), args.txt (entry=, select=, mask=,
// comments=), expected.txt (the text output as UTF-8 with LF) and expected_sheet.txt (what
// openpyxl reads from the workbook output).
class TreeExportGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(TreeExportGolden, TextAndWorkbook) {
  const fs::path dir = fs::path(KELVORA_GOLDEN) / "tree_export" / GetParam();
  std::map<std::string, std::string> args;
  std::istringstream arg_lines(TempDir::Read(dir / "args.txt"));
  for (std::string line; std::getline(arg_lines, line);)
    if (auto eq = line.find('='); eq != std::string::npos)
      args[line.substr(0, eq)] = line.substr(eq + 1);

  TempDir tmp;
  RegexService regex;
  ScriptedUi ui;
  TreeSettings settings;
  settings.nest_level_text =
      static_cast<unsigned>(std::stoul(args["mask"].empty() ? "0" : args["mask"]));
  TreePage page;
  ASSERT_EQ(ReadResult::Complete,
            TreeFileReader(tmp.Write("in.tree", Cp932Lines(TempDir::Read(dir / "input.tree"))),
                           page, settings, regex, ui));
  CallTree tree;
  ExpandIntoOutput(page, page.FindEntry(args["entry"]), tree, settings, ui);
  if (!args["comments"].empty()) {
    ui.ChooseOpenAnswer(
        tmp.Write("comments.txt", Cp932Lines(TempDir::Read(dir / args["comments"]))));
    ASSERT_TRUE(AttachCommentsFromFile(tree, page.entry_count(), 30, regex, ui));
    tree.selected = CallTree::kNone;
  }
  if (!args["select"].empty()) tree.selected = FindItem(tree, args["select"]);

  const std::string text_path = (tmp.path() / "out.txt").string();
  ui.Answer(kAskExportTreeText, true).ChooseSaveAnswer(text_path).Answer(kAskOpenTreeText, false);
  ASSERT_TRUE(ExportTreeText(tree, settings, kNoEditor, ui));
  std::string bytes = TempDir::Read(text_path), text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "line feed without CR";
    }
    if (bytes[i] != '\r') text += bytes[i];
  }
  testing::CompareOrUpdate(dir / "expected.txt", Cp932ToUtf8(text));

  const std::string book_path = (tmp.path() / "out.xlsx").string();
  ui.Answer(kAskExportTreeWorkbook, true)
      .ChooseSaveAnswer(book_path)
      .Answer(kAskOpenTreeWorkbook, false);
  ASSERT_TRUE(ExportTreeWorkbook(tree, settings, ui));
  testing::CompareOrUpdate(dir / "expected_sheet.txt",
                           ReadWorkbook(KELVORA_SHEET_TESTS "/read_with_openpyxl.py", book_path));
  EXPECT_TRUE(ui.messages().empty()) << ui.messages().front();
}

INSTANTIATE_TEST_SUITE_P(Cases, TreeExportGolden,
                         ::testing::ValuesIn(testing::GoldenCases(fs::path(KELVORA_GOLDEN) /
                                                                  "tree_export")));

// Writes a hand-written table (UTF-8 lines) into a workbook and reads it back.
std::string SheetOfTable(const std::vector<std::string>& lines, ScriptedUi& ui) {
  std::string table;
  for (const std::string& line : lines) table += Utf8ToCp932(line) + "\n";
  std::istringstream in(table);
  TempDir dir;
  const std::string path = (dir.path() / "t.xlsx").string();
  StreamedWorkbook book(path);
  EXPECT_EQ(TreeSheetResult::Written,
            WriteTreeSheet(book, in, static_cast<long long>(lines.size()), ui));
  EXPECT_EQ(SaveResult::Saved, book.Close());
  return ReadWorkbook(KELVORA_SHEET_TESTS "/read_with_openpyxl.py", path);
}

// Rows of hand-written tables: the outline level of every row, and cell values.
TEST(TreeWorkbook, RowsAndOutlineLevels) {
  struct Case {
    const char* name;
    std::vector<std::string> table;  // UTF-8
    std::vector<int> levels;         // rows 1..n
  };
  const Case cases[] = {
      // The last subtree's groups are closed after the last row, so it folds like the others.
      {"last subtree folds", {",root", "k,┣ a", "k,┃  ┗ b", "k,┗ c", "k,    ┗ d"}, {0, 1, 2, 1, 2}},
      {"separators share their item's depth",
       {",root", "0,┃≪=== 階層レベル1 ===≫", "k,┣ a", "0,┃  ┃≪=== 階層レベル2 ===≫", "k,┃  ┗ b",
        "k,┗ c"},
       {0, 1, 1, 2, 2, 1}},
      // Past the deepest outline level the rows stay at 7 and the shallower groups still hold.
      {"nine depths",
       {",r", "k,┗ 1", "k,    ┗ 2", "k,        ┗ 3", "k,            ┗ 4", "k,                ┗ 5",
        "k,                    ┗ 6", "k,                        ┗ 7",
        "k,                            ┗ 8", "k,                                ┗ 9", "k,┗ x"},
       {0, 1, 2, 3, 4, 5, 6, 7, 7, 7, 1}},
      // Only the leading tree drawing gives the depth: "┗" and "≪" in a comment do not.
      {"drawing in a comment", {",r", "k,┣ a    //≪ ┗", "k,┗ b"}, {0, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedUi ui;
    std::istringstream dump(SheetOfTable(c.table, ui));
    std::vector<int> levels(c.table.size(), 0);
    for (std::string line; std::getline(dump, line);) {
      int row = 0, level = 0;
      if (std::sscanf(line.c_str(), "level %d %d", &row, &level) == 2 && row >= 1 &&
          row <= static_cast<int>(levels.size()))
        levels[static_cast<std::size_t>(row - 1)] = level;
    }
    EXPECT_EQ(c.levels, levels);
  }

  // Cell values: the quoted key, the comment split off, the long-text mark at 2048 bytes ("┣ "
  // is 3 bytes in CP932), " //" that is no comment, a lone row 1 keeping its row rule only.
  const std::string x(2048, 'x');
  ScriptedUi ui;
  const std::string dump = SheetOfTable({",root  /* c */", "\"a,\"\"b\"\".c(1)\",┣ x   // 注釈",
                                         "k,┣ " + x.substr(3), "k,┗ " + x.substr(7) + " //"},
                                        ui);
  EXPECT_NE(std::string::npos, dump.find("sheet root active\n")) << dump;
  EXPECT_NE(std::string::npos, dump.find("cell C1 '/* c */'")) << dump;
  EXPECT_NE(std::string::npos, dump.find("cell A2 'a,\"b\".c(1)'")) << dump;
  EXPECT_NE(std::string::npos, dump.find("cell B2 '┣ x' ")) << dump;
  EXPECT_NE(std::string::npos, dump.find("cell C2 '// 注釈'")) << dump;
  EXPECT_NE(std::string::npos, dump.find("cell B3 '※文字列が長すぎます。'")) << dump;
  EXPECT_NE(std::string::npos, dump.find("cell B4 '┗ " + x.substr(7) + " //'")) << dump;
  EXPECT_EQ("EXCEL出力中・・・　4 / 4", ui.status_history(3).at(1));
}

// A tree file of one entry calling `callees` functions, and entries e001.. calling "leaf".
std::vector<std::string> WideTree(int callees, int entries, const std::string& extra_entry = {}) {
  std::vector<std::string> lines{"//Data1:", ""};
  if (callees > 0) {
    lines.push_back("wide,1,1,0,/src/w.c(1)");
    for (int i = 0; i < callees; ++i)
      lines.push_back("・ f" + std::to_string(i) + ",1,1,0,/src/f.c(" + std::to_string(i) + ")");
    lines.push_back("");
  }
  for (int i = 1; i <= entries; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "e%03d", i);
    lines.push_back(std::string(name) + ",1,1,0,/src/e.c(" + std::to_string(i) + ")");
    lines.push_back("・ leaf,1,1,0,/src/l.c(1)");
    lines.push_back("");
  }
  if (!extra_entry.empty()) {
    lines.push_back(extra_entry + ",1,1,0,/src/x.c(1)");
    lines.push_back("・ leaf,1,1,0,/src/l.c(1)");
    lines.push_back("");
  }
  lines.push_back("// ---------- [End Of File] ---------- //");
  return lines;
}

// 70 000 callees with a separator before each: 140 001 lines, cut after row 65536; the question
// says so. Escape during the writing keeps the rows written so far.
TEST(TreeWorkbook, RowLimitAndEscape) {
  TreeSettings settings;
  settings.data_max = 100000;
  testing::ReadTree t(WideTree(70000, 0), settings);
  settings.nest_level_text = 1;
  CallTree tree;
  ExpandIntoOutput(t.page, t.Entry("wide"), tree, settings, t.ui);
  const std::string path = (t.dir.path() / "wide.xlsx").string();
  ScriptedUi ui;
  ui.Answer(kAskExportTreeWorkbook, true)
      .ChooseSaveAnswer(path)
      .Answer(kAskOpenTreeWorkbook, false);
  ASSERT_TRUE(ExportTreeWorkbook(tree, settings, ui));
  ASSERT_FALSE(ui.questions().empty());
  EXPECT_EQ(
      "■■現在の選択項目以下を出力■■　\n\n【 wide 】以下のTREEを出力しますか？　\n"
      "TREE出力項目数：140001\n\n（※出力完了時にはメッセージが表示されます。）　\n"
      "\n--------------- 注意！！ --------------\nEXCEL出力は、最大65536行です。\n"
      "超過分は出力されません。\n(階層レベル区切りテキスト出力設定あり。\n "
      "この出力も含まれています。)\n",
      ui.questions().front());
  EXPECT_EQ(
      "sheet wide rows=65536 levels=[(1, 65535)]\n"
      "  row 1: None | 'wide' | None\n"
      "  row 2: '0' | '┃≪==================== 階層レベル1 ====================≫' | None\n"
      "  row 65536: '0' | '┃≪==================== 階層レベル1 ====================≫' | None\n",
      ReadWorkbook(KELVORA_TREE_TESTS "/read_tree_workbook.py", path));

  // A small tree, so no poll of the walk comes before the rows' polls.
  testing::ReadTree small(WideTree(10, 0), settings);
  ExpandIntoOutput(small.page, small.Entry("wide"), tree, settings, small.ui);
  ScriptedUi esc;
  esc.Answer(kAskExportTreeWorkbook, true)
      .ChooseSaveAnswer(path)
      .EscapeAtPoll(3)
      .Answer(kAskStopTreeWorkbook, true)
      .Answer(kAskOpenTreeWorkbook, false);
  ASSERT_TRUE(ExportTreeWorkbook(tree, settings, esc));
  EXPECT_EQ((std::vector<std::string_view>{kAskExportTreeWorkbook.key, kAskStopTreeWorkbook.key,
                                           kAskOpenTreeWorkbook.key}),
            esc.question_ids());
  EXPECT_EQ(
      "sheet wide rows=3 levels=[(1, 2)]\n"
      "  row 1: None | 'wide' | None\n"
      "  row 2: '0' | '┃≪==================== 階層レベル1 ====================≫' | None\n"
      "  row 3: '/src/f.c(0)' | '┣ f0' | None\n",
      ReadWorkbook(KELVORA_TREE_TESTS "/read_tree_workbook.py", path));
}

// The entry list of 301 entries, with lines naming nothing added, given back as the list file:
// adding sheets stops at 255, once; the sheets keep the list's order and the 32-byte entry's
// sheet is named "シートNo_%d".
TEST(TreeWorkbook, ManyTreesStopAt255Sheets) {
  const std::string long_name(32, 'A');
  testing::ReadTree t(WideTree(0, 300, long_name));
  const std::string list_path = (t.dir.path() / "一覧 (1).txt").string();
  ScriptedUi list_ui;
  list_ui.ChooseSaveAnswer(list_path).Answer(kAskOpenEntryList, false);
  ASSERT_TRUE(ExportEntryList(t.page, kNoEditor, list_ui));
  std::string list = TempDir::Read(list_path);
  EXPECT_EQ(long_name + "\r\ne001\r\ne002\r\n", list.substr(0, 46));
  std::ofstream(list_path, std::ios::app) << "\r\nnothing\r\n";
  const std::string comments = t.dir.Write("c.txt", Cp932Lines("1\tleaf()\t// 葉\n"));
  const std::string path = (t.dir.path() / "many.xlsx").string();
  ScriptedUi ui;
  ui.Answer(kAskExportManyTrees, true)
      .ChooseOpenAnswer(list_path)
      .Answer(kAskManyTreesComments, true)
      .ChooseOpenAnswer(comments)
      .ChooseSaveAnswer(path)
      .Answer(kAskOpenTreeWorkbook, false);
  ASSERT_TRUE(ExportManyTrees(t.page, t.settings, t.regex, ui));
  EXPECT_EQ((std::vector<std::string>{"シート数が最大に達しました"}), ui.messages());
  EXPECT_EQ("TREE出力指定数：301", ui.status_history(1).front());
  const std::vector<std::string> names = ReadSheetNames(path).names;
  ASSERT_EQ(255u, names.size());
  EXPECT_EQ("シートNo_1", names[0]);
  EXPECT_EQ("e001", names[1]);
  EXPECT_EQ("e254", names[254]);
  const std::string facts = ReadWorkbook(KELVORA_TREE_TESTS "/read_tree_workbook.py", path);
  EXPECT_NE(std::string::npos, facts.find("sheet e001 rows=2 levels=[(1, 1)]\n"
                                          "  row 1: None | 'e001' | None\n"
                                          "  row 2: '/src/l.c(1)' | '┗ leaf' | '// 葉'\n"))
      << facts;
}

// Comment attach: the root-only rule (ignoring case), padding to Space, a bare "//" changing
// nothing, recursion items keeping their text, items made after the attach taking the comment.
TEST(TreeComments, AttachRules) {
  testing::ReadTree t({"//Data1:", "", "main,1,1,0,/m.c(1)", "・ init,1,1,0,/i.c(1)",
                       "・ main  ※再帰処理,1,1,0,/m.c(1)", "・ run,1,1,0,/r.c(1)", "",
                       "init,1,1,0,/i.c(1)", "・ run,1,1,0,/r.c(1)", "", "run,1,1,0,/r.c(1)",
                       "・ setup,", ""});
  struct Case {
    const char* comments;  // UTF-8 lines
    int space;
    std::vector<std::string> texts;  // pre-order after the attach
  };
  const Case cases[] = {
      {"1\tMAIN()\t// 入口\n2\tinit()\t//\n",
       8,
       {"MAIN    // 入口", "init", "run", "setup", "main", "init", "run", "setup",
        "main  ※再帰処理", "run", "setup", "run", "setup"}},
      {"run (int)\t/* 走る */\nsetup()\t\t//\tx\ty\n",
       4,
       {"main", "init", "run /* 走る */", "setup//xy", "main", "init", "run /* 走る */",
        "setup//xy", "main  ※再帰処理", "run /* 走る */", "setup//xy", "run /* 走る */",
        "setup//xy"}},
      // A second line for the root's name reaches the items below once the root is commented;
      // a second line for a name already commented changes nothing.
      {"main()  // a\nmain()  // b\ninit()  // i\ninit()  // j\n",
       1,
       {"main// a", "init// i", "run", "setup", "main// b", "init// i", "run", "setup",
        "main  ※再帰処理", "run", "setup", "run", "setup"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.comments);
    CallTree tree;
    ExpandIntoOutput(t.page, t.Entry("main"), tree, t.settings, t.ui);
    ScriptedUi ui;
    ui.ChooseOpenAnswer(t.dir.Write("c.txt", Cp932Lines(c.comments)));
    ASSERT_TRUE(AttachCommentsFromFile(tree, t.page.entry_count(), c.space, t.regex, ui));
    EXPECT_EQ("選択Win項目数：3", ui.status(1));
    std::vector<std::string> texts;
    bool limited = false;
    for (std::int32_t n = tree.root(); n != CallTree::kNone; n = tree.NextPreOrder(n, limited))
      texts.push_back(Cp932ToUtf8(tree.Text(n)));
    EXPECT_EQ(c.texts, texts);
  }

  CallTree tree;
  ExpandIntoOutput(t.page, t.Entry("main"), tree, t.settings, t.ui);
  ScriptedUi ui;
  RegexService missing(false);
  ui.ChooseOpenAnswer(t.dir.Write("c.txt", "init() // x\n"));
  EXPECT_FALSE(AttachCommentsFromFile(tree, 3, 30, missing, ui));
  ui.ChooseOpenAnswer(std::nullopt);
  EXPECT_FALSE(AttachCommentsFromFile(tree, 3, 30, t.regex, ui));
  ui.ChooseOpenAnswer((t.dir.path() / "none.txt").string());
  EXPECT_FALSE(AttachCommentsFromFile(tree, 3, 30, t.regex, ui));
  EXPECT_EQ((std::vector<std::string>{"関数名・コメント取得処理 異常終了　", "キャンセルします！　",
                                      "ファイルが存在しません！　\n" +
                                          (t.dir.path() / "none.txt").string() +
                                          "\nNo such file or directory"}),
            ui.messages());
  EXPECT_EQ("init", Cp932ToUtf8(tree.Text(tree.FirstChild(tree.root()))));
}

}  // namespace
}  // namespace kelvora
