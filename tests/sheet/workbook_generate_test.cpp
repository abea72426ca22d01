#include "sheet/workbook_generate.h"

#include <gtest/gtest.h>

#include "cli/run_process.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "sheet/sheet_list.h"
#include "sheet/sheet_names.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using testing::TempDir;
using Names = std::vector<std::string>;

std::string Repeat(std::string_view s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(PlanSheetNames, OrderLimitsAndRepeats) {
  struct Case {
    const char* what;
    Names in;
    SheetOrder order;
    Names out;
    int renamed;
  } cases[] = {
      {"ascending drops repeats", {"b", "a", "b"}, SheetOrder::Ascending, {"a", "b"}, 0},
      {"descending", {"b", "a", "b"}, SheetOrder::Descending, {"b", "a"}, 0},
      {"unsorted repeat made unique",
       {"b", "a", "b", "b"},
       SheetOrder::AsGiven,
       {"b", "a", "b (2)", "b (3)"},
       2},
      {"repeats ignore ASCII case", {"Data", "DATA"}, SheetOrder::AsGiven, {"Data", "DATA (2)"}, 1},
      {"sorted names that differ only in case",
       {"a", "A"},
       SheetOrder::Ascending,
       {"A", "a (2)"},
       1},
      {"31 bytes kept, 32 replaced",
       {Repeat("x", 31), Repeat("y", 32)},
       SheetOrder::AsGiven,
       {Repeat("x", 31), "文字数オーバー2"},
       0},
      {"CP932 bytes count: 15 kanji kept, 16 replaced",
       {Repeat("漢", 15), Repeat("字", 16)},
       SheetOrder::AsGiven,
       {Repeat("漢", 15), "文字数オーバー2"},
       0},
      {"a long repeat is shortened to stay under 32 bytes",
       {Repeat("x", 31), Repeat("x", 31)},
       SheetOrder::AsGiven,
       {Repeat("x", 31), Repeat("x", 27) + " (2)"},
       1},
      {"shortening never splits a character",
       {Repeat("あ", 15), Repeat("あ", 15)},
       SheetOrder::AsGiven,
       {Repeat("あ", 15), Repeat("あ", 13) + " (2)"},
       1},
      {"shortening drops one character at a time",
       {Repeat("a", 25) + "あb", Repeat("a", 25) + "あb"},
       SheetOrder::AsGiven,
       {Repeat("a", 25) + "あb", Repeat("a", 25) + "あ (2)"},
       1},
      {"a given name meeting a replacement",
       {Repeat("z", 40), "文字数オーバー1"},
       SheetOrder::AsGiven,
       {"文字数オーバー1", "文字数オーバー1 (2)"},
       1},
      {"CP932 byte order, not UTF-8 order",
       {"①", "ソ", "ア", "ｱ", "A"},
       SheetOrder::Ascending,
       {"A", "ア", "ソ", "①", "ｱ"},
       0},
  };
  for (const Case& c : cases) {
    SheetPlan plan = PlanSheetNames(c.in, c.order);
    EXPECT_EQ(c.out, plan.names) << c.what;
    EXPECT_EQ(c.renamed, plan.renamed) << c.what;
    for (const std::string& n : plan.names) EXPECT_LT(Utf8ToCp932(n).size(), 32u) << c.what;
  }
  Names many;
  for (int i = 0; i < 300; ++i) many.push_back("n" + std::to_string(i));
  SheetPlan plan = PlanSheetNames(many, SheetOrder::AsGiven);
  ASSERT_EQ(255u, plan.names.size());
  EXPECT_EQ("n254", plan.names.back());
}

TEST(GenerationLine, FieldsAndForbiddenCharacters) {
  GenerationLine line = SplitGenerationLine(" \tbook , a,,\tb ,");
  EXPECT_EQ("book ", line.file);
  EXPECT_EQ((Names{"a", "b "}), line.sheets);
  line = SplitGenerationLine(Utf8ToCp932("表,ソート,能力"));  // trail bytes 0x5C
  EXPECT_EQ("表", line.file);
  EXPECT_EQ((Names{"ソート", "能力"}), line.sheets);
  EXPECT_EQ("", FindForbiddenSheetName(line.sheets));
  for (const char* bad : {"a:b", "a\\b", "a?b", "[x]", "a/b", "*", "'x", "x'"})
    EXPECT_EQ(bad, FindForbiddenSheetName({"ok", bad, "c:d"})) << bad;
}

class GenerateCommand : public ::testing::Test {
 protected:
  std::string Csv(std::string_view utf8) { return dir_.Write("in.csv", Utf8ToCp932(utf8)); }
  std::string Out(const char* name) { return (out_ / name).string(); }
  Names SheetsOf(const char* name) { return ReadSheetNames(Out(name)).names; }
  void SetUp() override { std::filesystem::create_directories(out_); }

  TempDir dir_;
  std::filesystem::path out_ = dir_.path() / "出力 先";
};

TEST_F(GenerateCommand, JapaneseNamesSortedForbiddenAndEmptyLines) {
  ScriptedUi ui;
  ui.ChooseOpenAnswer(Csv("日本語ブック,シート１,ソート\r\nbad,ok,a/b\r\n\r\n,orphan\r\n"
                          "book, b,a,b\r\n"))
      .ChooseFolderAnswer(out_.string());
  GenerateWorkbooks(ui, SheetOrder::Ascending);

  EXPECT_EQ((Names{"シート１", "ソート"}), SheetsOf("日本語ブック.xlsx"));
  EXPECT_EQ((Names{"a", "b"}), SheetsOf("book.xlsx"));
  EXPECT_FALSE(std::filesystem::exists(Out("bad.xlsx")));
  Names messages = ui.messages();
  ASSERT_EQ(3u, messages.size());
  EXPECT_NE(std::string::npos, messages[0].find("※シート名昇順ソート"));
  EXPECT_NE(std::string::npos,
            messages[1].find("出力指定ファイル名：bad\n出力指定シート名：a/b\n"));
  EXPECT_EQ(0u, messages[2].find("完了しました！  所要時間："));
  EXPECT_EQ(std::string::npos, messages[2].find("重複"));
  EXPECT_EQ("ファイル作成中  (5)", ui.status(2));
  EXPECT_EQ("book.xlsx", ui.status(1));
  EXPECT_FALSE(ui.wait_cursor());

  // The independent reader sees the same names, in UTF-8, the first sheet active.
  testing::ProcessResult py = testing::RunProcess(
      {"/usr/bin/python3", KELVORA_SHEET_TESTS "/read_with_openpyxl.py", Out("日本語ブック.xlsx")},
      dir_.str());
  ASSERT_EQ(0, py.status) << py.err;
  EXPECT_EQ("sheet シート１ active\nsheet ソート\n", py.out);
}

TEST_F(GenerateCommand, UnsortedRepeatsAreRenamedAndSaid) {
  // 300 names make a line of about 5 000 bytes: it is read whole, never split in two.
  std::string csv = "dup,x,y,x\nmany";
  for (int i = 0; i < 300; ++i) csv += ",sheet_name_" + std::to_string(i);
  ScriptedUi ui;
  GenerationRun run = GenerateWorkbooksFromCsv(Csv(csv), out_.string(), SheetOrder::AsGiven, ui);
  EXPECT_EQ((Names{"x", "y", "x (2)"}), SheetsOf("dup.xlsx"));
  Names many = SheetsOf("many.xlsx");
  ASSERT_EQ(255u, many.size());
  EXPECT_EQ("sheet_name_254", many.back());
  EXPECT_EQ(2, run.lines);
  EXPECT_EQ(2, run.written);
  EXPECT_EQ(1, run.renamed);
  EXPECT_NE(std::string::npos,
            GenerationDoneMessage(1234, run).find("1.234秒  \n\n重複したシート名 1 件"));
}

TEST_F(GenerateCommand, SaveFailureEscapeAndBadFileNames) {
  std::filesystem::create_directories(out_ / "taken.xlsx");  // a folder where the file goes
  ScriptedUi ui;
  ui.EscapeAtPoll(3).Answer(kAskCancelOnEscape, true);
  GenerationRun run = GenerateWorkbooksFromCsv(Csv("taken,a\n../escape,a\nfirst,a\nnever,a\n"),
                                               out_.string(), SheetOrder::AsGiven, ui);
  EXPECT_TRUE(run.cancelled);
  EXPECT_EQ(1, run.written);
  EXPECT_EQ(2, run.failed);
  EXPECT_EQ((Names{"a"}), SheetsOf("first.xlsx"));
  EXPECT_FALSE(std::filesystem::exists(Out("never.xlsx")));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "escape.xlsx"));
  Names messages = ui.messages();
  ASSERT_EQ(2u, messages.size());
  EXPECT_EQ(0u,
            messages[0].find("出力先に指定したファイルは現在開かれてるため、保存できません。　\n"));
  EXPECT_NE(std::string::npos, messages[1].find("../escape"));
  EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST_F(GenerateCommand, MissingCsvAndCancelledFolder) {
  ScriptedUi missing;
  missing.ChooseOpenAnswer((dir_.path() / "none.csv").string());
  GenerateWorkbooks(missing, SheetOrder::AsGiven);
  EXPECT_EQ(std::string(kMissingFileMessage), missing.messages().back());
  ScriptedUi folder;  // a folder is no CSV
  EXPECT_TRUE(
      GenerateWorkbooksFromCsv(dir_.str(), out_.string(), SheetOrder::AsGiven, folder).missing_csv);

  ScriptedUi cancel;
  cancel.ChooseOpenAnswer(Csv("a,b\n")).ChooseFolderAnswer(std::nullopt);
  GenerateWorkbooks(cancel, SheetOrder::Descending);
  EXPECT_EQ(std::string(kCancelMessage), cancel.messages().back());
}

}  // namespace
}  // namespace kelvora
