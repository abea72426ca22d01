// Struct and table rows from real sources: the line collectors write the candidates that the
// registration reads back.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "analysis/analysis_passes.h"
#include "analysis/candidates.h"
#include "analysis/extract_env.h"
#include "support/temp_dir.h"

namespace kelvora::testing {
namespace {

using Names = std::vector<std::string>;

class CollectedCandidates : public ::testing::Test, public ExtractEnvFixture {
 protected:
  TempDir dir;

  std::string CollectStructs(std::string_view utf8, int struct_prop) {
    Regex pattern;
    EXPECT_TRUE(regex.Compile(StructDetectPattern(struct_prop), pattern));
    StringLineSource reader(Utf8ToCp932(utf8));
    std::ostringstream out;
    CollectLines(reader, "/work root/inc/shape.h", out, pattern, macros, 0, cleaning);
    return dir.Write("structs.txt", out.str());
  }
  std::string CollectTables(std::string_view utf8) {
    Regex pattern;
    EXPECT_TRUE(regex.Compile(kTableHeadPattern, pattern));
    StringLineSource reader(Utf8ToCp932(utf8));
    std::ostringstream out;
    CollectTableLines(reader, "/work root/src/data.c", out, pattern, macros, cleaning);
    return dir.Write("tables.txt", out.str());
  }
};

constexpr const char* kHeader =
    "typedef struct tagPOINT {\n"
    "    int x;\n"
    "    int y;\n"
    "} POINT;  // 座標\n"
    "struct point origin = { 0, 0 };\n"
    "extern struct tagPOINT g_pt;\n"
    "struct fwd;\n"
    "struct tagPOINT *p;\n"
    "union u {\n"
    "    int i;\n"
    "} NUM, NUM_ARRAY[2];\n"
    "#if 0\n"
    "typedef struct hidden {\n"
    "} HIDDEN;\n"
    "#endif\n";

TEST_F(CollectedCandidates, StructPropChoosesTheCollectedLines) {
  EXPECT_EQ(RegisterStructs(CollectStructs(kHeader, 0), 1, env), 3);
  EXPECT_EQ(NamesOf(ListKind::Struct), (Names{"tagPOINT", "POINT", "NUM"}));
  EXPECT_EQ(data.structs().Cell(1, col::kPosition), "%1/inc/shape.h(4):  ");
  EXPECT_EQ(Text(ListKind::Struct, 1, col::kComment), "// 座標");

  data.structs().Clear();
  RegisterStructs(CollectStructs(kHeader, 1), 1, env);
  EXPECT_EQ(NamesOf(ListKind::Struct), (Names{"POINT", "NUM"}));

  data.structs().Clear();
  RegisterStructs(CollectStructs(kHeader, 2), 1, env);
  EXPECT_EQ(NamesOf(ListKind::Struct), (Names{"tagPOINT"}));
}

TEST_F(CollectedCandidates, TablesIncludingTwoLineHeads) {
  std::string file = CollectTables(
      "static const char charTable[3][4] = {\n"
      "    \"abc\", \"def\", \"ghi\" };\n"
      "int table[]\n"
      "    = { 1, 2 };  /* 値 */\n"
      "struct point origin = { 0, 0 };\n"
      "int plain = 5;\n"
      "#if 0\n"
      "int hidden[] = { 0 };\n"
      "#endif\n");
  EXPECT_EQ(RegisterTables(file, 1, env), 3);
  EXPECT_EQ(NamesOf(ListKind::Table), (Names{"charTable", "table", "origin"}));
  EXPECT_EQ(data.tables().Cell(1, col::kPosition), "%1/src/data.c(3):  ");
  EXPECT_EQ(Text(ListKind::Table, 1, col::kComment), "/* 値 */");
  EXPECT_EQ(data.tables().Cell(2, col::kMarker), "=");
}

}  // namespace
}  // namespace kelvora::testing
