#include <gtest/gtest.h>

#include "data/registration_lists.h"
#include "output/tree_output.h"
#include "platform/byte_sink.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/rows.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"

namespace kelvora {
namespace {

using testing::TempDir;

class TreeCommand : public ::testing::Test {
 protected:
  TreeCommand() { data.roots().Append(dir.str()); }

  void AddFile(const std::string& rel, const std::string& text) {
    const std::string path = text.empty() ? dir.str() + "/" + rel : dir.Write(rel, text);
    RegistrationList& files = data.files();
    const std::size_t r = files.AppendRow();
    files.SetCell(r, col::kName, rel);
    files.SetCell(r, col::kPosition, path + "(1)");
  }
  void AddRow(ListKind kind, const std::string& name, const std::string& position) {
    testing::AddRow(data.List(kind), name, position);
  }
  int Run(int kind) {
    OutputContext ctx{data, settings, regex, ui};
    return TreeOutputCommand(ctx, kind);
  }
  std::string Out(const char* name) const { return dir.str() + "/" + name; }
  std::string Read(const char* name) const { return TempDir::Read(Out(name)); }

  TempDir dir;
  RegisteredData data;
  Settings settings;
  RegexService regex;
  ScriptedUi ui;
};

// An unreadable source file is skipped: the files after it are still read, the end marker is
// written and the completion message names the number of unreadable files.
TEST_F(TreeCommand, FunctionTreeSkipsAnUnreadableFile) {
  AddRow(ListKind::Function, "a", "%1/a.c(1)");
  AddFile("a.c", "void a(void)\n{\n  b();\n}\n");
  AddFile("gone.c", "");
  AddFile("c.c", "void c(void)\n{\n  a();\n}\n");
  ui.ChooseSaveAnswer(Out("f.tree")).Answer(kAskWriteCommentFile, false);
  EXPECT_EQ(1, Run(kTreeOfFunctions));
  EXPECT_EQ("//Data1:\r\n\r\na,,,0," + dir.str() +
                "/a.c(1)\r\n\x81\x45 b,\r\n\r\nc,\r\n\x81\x45 a,,,0," + dir.str() +
                "/a.c(1)\r\n\r\n// ---------- [End Of File] ---------- //\r\n",
            Read("f.tree"));
  ASSERT_EQ(1u, ui.messages().size());
  EXPECT_NE(std::string::npos,
            ui.messages()[0].find("■解析ﾌｧｲﾙ数：2\n■再帰処理数：0\n■読込不可ﾌｧｲﾙ数：1\n"));
  EXPECT_EQ((std::vector<std::string_view>{kAskWriteCommentFile.key}), ui.question_ids());
}

TEST_F(TreeCommand, FunctionTreeWithoutAReadableFile) {
  AddRow(ListKind::Function, "a", "%1/a.c(1)");
  AddFile("gone.c", "");
  ui.ChooseSaveAnswer(Out("f.tree")).Answer(kAskWriteCommentFile, false);
  EXPECT_EQ(1, Run(kTreeOfFunctions));
  EXPECT_EQ("//Data1:\r\n", Read("f.tree"));
  EXPECT_EQ((std::vector<std::string>{"Tags情報がありません！　"}), ui.messages());
}

// A row whose position has no parentheses is skipped; the other rows' files are still read.
TEST_F(TreeCommand, RecordTreesSkipARowWithoutParentheses) {
  AddFile("t.h", "struct s {\n  int x;\n};\nint v[] = {\n  1, 2,\n};\n");
  AddRow(ListKind::Struct, "bad", "%1/t.h");
  AddRow(ListKind::Struct, "s", "%1/t.h(1):  ");
  AddRow(ListKind::Table, "bad", "no position");
  AddRow(ListKind::Table, "v", "%1/t.h(4):  ");
  ui.ChooseSaveAnswer(Out("s.tree")).ChooseSaveAnswer(Out("t.tree"));
  EXPECT_EQ(1, Run(kTreeOfStructs));
  EXPECT_EQ(1, Run(kTreeOfTables));
  const std::string path = dir.str() + "/t.h";
  EXPECT_EQ(
      Utf8ToCp932("構造体\r\n\r\n//Data1:\r\ns,0,0,0," + path + "(1)\r\n・ int    x    \r\n\r\n"),
      Read("s.tree"));
  EXPECT_EQ(
      Utf8ToCp932("テーブル\r\n\r\n//Data1:\r\nv,0,0,0," + path + "(4)\r\n・ 1\r\n・ 2\r\n\r\n"),
      Read("t.tree"));
}

TEST_F(TreeCommand, DialogCancelFailuresAndEmptyLists) {
  EXPECT_EQ(-1, Run(kTreeOfFunctions));  // every list empty: nothing at all
  EXPECT_TRUE(ui.shown().empty());

  AddFile("a.c", "void a(void)\n{\n  b();\n}\n");
  EXPECT_EQ(-1, Run(kTreeOfStructs));
  AddRow(ListKind::Function, "a", "%1/a.c(1)");
  ui.ChooseSaveAnswer(std::nullopt);
  EXPECT_EQ(0, Run(kTreeOfFunctions));
  ui.ChooseSaveAnswer(dir.str());  // a folder cannot be created as a file
  EXPECT_EQ(0, Run(kTreeOfFunctions));
  ui.ChooseSaveAnswer("/dev/full");  // created, but nothing can be written
  EXPECT_EQ(0, Run(kTreeOfFunctions));
  // Open and write errors name the path and the system's reason; /dev/full, a device, is
  // written through and never replaced.
  EXPECT_EQ((std::vector<std::string>{
                "構造体の登録データがないのでTREE用ファイルは出力できません。　\n"
                "出力する場合は、構造体データを取得してから再度実行して下さい。",
                "キャンセルします！　", "出力ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ！　\n" + dir.str() + "\nIs a directory",
                "出力ﾌｧｲﾙ書込みエラー！　\n/dev/full\nNo space left on device"}),
            ui.messages());
  EXPECT_TRUE(ui.question_ids().empty());  // the comment file is offered only after a tree
  EXPECT_TRUE(ui.AllAnswersUsed());
}

// The comment question's Yes writes the comment file; its dialog has its own title and name.
TEST_F(TreeCommand, CommentFileAfterTheFunctionTree) {
  AddFile("a.c", "void a(void)\n{\n  b();\n}\n");
  AddRow(ListKind::Function, "a", "%1/a.c(1)");
  data.functions().SetCell(0, col::kComment, Utf8ToCp932("// 表示"));
  AddRow(ListKind::Function, "*b", "%1/a.c(9)");
  ui.ChooseSaveAnswer(Out("f.tree"))
      .Answer(kAskWriteCommentFile, true)
      .ChooseSaveAnswer(Out("c.txt"));
  EXPECT_EQ(1, Run(kTreeOfFunctions));
  EXPECT_EQ("TREE用ファイル出力：" + Out("f.tree"), ui.status(3));  // where the viewer will open
  EXPECT_EQ(Utf8ToCp932("1\ta()\t\t// 表示\r\n2\t*b()\t\t//\r\n"), Read("c.txt"));
  // The callee b is looked up without the "*" the registered name carries.
  EXPECT_NE(std::string::npos, Read("f.tree").find(",,,0," + dir.str() + "/a.c(9)\r\n"));
  const auto& shown = ui.shown();
  ASSERT_GE(shown.size(), 4u);
  EXPECT_EQ("■■ 関数 treeファイル出力先を指定 ■■", shown[0].text);
  EXPECT_EQ("■■ コメント取得用ファイル出力先を指定 ■■", shown[3].text);
  EXPECT_EQ("出力完了しました。　\n　" + Out("c.txt") +
                "　\n　・コメントあり ： 1　\n　・コメントなし ： 1　\n"
                "　----------------------\n　　　　　合計　　2　\n",
            ui.messages().back());
}

}  // namespace
}  // namespace kelvora
