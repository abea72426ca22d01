// Struct and table rows made from candidate lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/candidates.h"
#include "analysis/extract_env.h"
#include "support/temp_dir.h"

namespace kelvora::testing {
namespace {

using Names = std::vector<std::string>;

class Candidates : public ::testing::Test, public ExtractEnvFixture {
 protected:
  TempDir dir;
  // Writes candidate lines "path(line):  text" (UTF-8 texts converted to CP932).
  std::string Write(const std::vector<std::pair<int, std::string>>& lines,
                    std::string_view path = "/work root/inc/types.h") {
    std::string text;
    for (const auto& [line, code] : lines) {
      text += std::string(path) + "(" + std::to_string(line) + "):  " + Utf8ToCp932(code) + "\n";
    }
    return dir.Write("candidates.txt", text);
  }
};

TEST_F(Candidates, StructNamesAfterBracesAndTags) {
  std::string file = Write({
      {1, "typedef struct tagPOINT {"},
      {4, "} POINT;\t// 点"},
      {5, "struct point origin = {"},
      {6, "extern struct ext_s {"},
      {7, "struct tag;"},
      {8, "struct tag *p;"},
      {9, "union u {"},
      {12, "} U_T, *PU_T;"},
      {13, "  }  inner ; /* in */"},
  });
  EXPECT_EQ(RegisterStructs(file, 1, env), 4);
  EXPECT_EQ(NamesOf(ListKind::Struct), (Names{"tagPOINT", "POINT", "U_T", "inner"}));
  EXPECT_EQ(data.structs().Cell(0, col::kPosition), "%1/inc/types.h(1):  ");
  EXPECT_EQ(Text(ListKind::Struct, 1, col::kComment), "// 点");
  EXPECT_EQ(Text(ListKind::Struct, 3, col::kComment), "/* in */");
  EXPECT_EQ(data.structs().Cell(1, col::kMarker), "");
}

TEST_F(Candidates, PathWordsDoNotDecideAboutTheLine) {
  std::string file = Write({{3, "} SHARED;"}, {4, "struct cfg {"}}, "/work root/external/a=b.h");
  EXPECT_EQ(RegisterStructs(file, 1, env), 2);
  EXPECT_EQ(NamesOf(ListKind::Struct), (Names{"SHARED", "cfg"}));
  EXPECT_EQ(data.structs().Cell(0, col::kPosition), "%1/external/a=b.h(3):  ");
}

TEST_F(Candidates, NewRowsComeBeforeOldOnesAndDataMaxCuts) {
  data.structs().AppendRow();
  data.structs().SetCell(0, col::kName, "OLD");
  settings.list_data_max = 2;
  std::string file = Write({{1, "} A;"}, {2, "} B;"}, {3, "} C;"}});
  EXPECT_EQ(RegisterStructs(file, 1, env), 2);
  EXPECT_EQ(NamesOf(ListKind::Struct), (Names{"A", "B", "OLD"}));
}

TEST_F(Candidates, ProgressStepsStayWithinTheBound) {
  std::vector<std::pair<int, std::string>> lines;
  for (int i = 0; i < 25; ++i) lines.push_back({i + 1, "} S" + std::to_string(i) + ";"});
  std::string file = Write(lines);
  EXPECT_EQ(RegisterStructs(file, 2, env), 25);
  EXPECT_EQ(ui.progress_pos(), 2);
  EXPECT_EQ(ui.status(1), "S24");
  EXPECT_EQ(ui.status(2), "構造体 Data Set：25");
  EXPECT_EQ(ui.status_history(2).front(), "構造体 Data Set：0");
  EXPECT_EQ(ui.polls(), 25);

  data.tables().Clear();
  ScriptedUi fresh;
  ExtractorEnv env2{regex, cleaning, settings, macros, data, fresh};
  std::vector<std::pair<int, std::string>> tables;
  for (int i = 0; i < 25; ++i) tables.push_back({i + 1, "int t" + std::to_string(i) + "[] = {"});
  EXPECT_EQ(RegisterTables(Write(tables), 10, env2), 25);
  EXPECT_EQ(fresh.progress_pos(), 10);
  EXPECT_EQ(fresh.status(2), "ﾃｰﾌﾞﾙ Data Set：25");
}

TEST_F(Candidates, EscapeAndUnreadableFiles) {
  EXPECT_EQ(RegisterStructs(dir.str() + "/none.txt", 1, env), -1);
  EXPECT_EQ(RegisterTables(dir.str() + "/none.txt", 1, env), -1);
  ui.EscapeAtPoll(2).AnswerYes();
  std::string file = Write({{1, "} A;"}, {2, "} B;"}, {3, "} C;"}});
  EXPECT_EQ(RegisterStructs(file, 1, env), -1);
  EXPECT_EQ(data.structs().RowCount(), 2u);
}

TEST_F(Candidates, EucCommentsAreConverted) {
  settings.char_change = 1;
  std::string text =
      "/work root/a.h(2):  } P; // \xC5\xC0\n"
      "/work root/a.c(3):  int v[2] = { // \xC3\xCD\n";
  std::string file = dir.Write("euc.txt", text);
  EXPECT_EQ(RegisterStructs(file, 1, env), 1);
  EXPECT_EQ(Text(ListKind::Struct, 0, col::kComment), "// 点");
  EXPECT_EQ(RegisterTables(file, 1, env), 2);
  EXPECT_EQ(Text(ListKind::Table, 1, col::kComment), "// 値");
}

TEST_F(Candidates, TableNamesAreTheLastIdentifierBeforeTheInitialiser) {
  std::string file = Write(
      {
          {3, "static const char charTable[3][4] = {"},
          {7, "int table[] = { 1, 2 }; // 値\tです"},
          {9, "struct point origin = {"},
          {11, "unsigned long *ptrs[N + 1] = {"},
          {12, std::string(600, 'z') + " x = {"},
          {13, "TBL idx0 = {"},
      },
      "/work root/src/t=1.c");
  EXPECT_EQ(RegisterTables(file, 1, env), 5);
  EXPECT_EQ(NamesOf(ListKind::Table), (Names{"charTable", "table", "origin", "ptrs", "idx0"}));
  EXPECT_EQ(data.tables().Cell(0, col::kPosition), "%1/src/t=1.c(3):  ");
  EXPECT_EQ(data.tables().Cell(0, col::kMarker), "=");
  EXPECT_EQ(Text(ListKind::Table, 1, col::kComment), "// 値 です");
  EXPECT_EQ(Text(ListKind::Table, 0, col::kComment), "");
}

}  // namespace
}  // namespace kelvora::testing
