// Step counts of single functions and the step-count pass over FunctionList.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/definitions.h"
#include "analysis/extract_env.h"
#include "support/rows.h"
#include "support/temp_dir.h"

namespace kelvora::testing {
namespace {

class StepCount : public ::testing::Test, public ExtractEnvFixture {
 protected:
  StepCounts Count(std::string_view utf8, long line) {
    StringLineSource reader(Utf8ToCp932(utf8));
    return CountSteps(reader, line, macros, cleaning, PatternsOf(env));
  }
};

TEST_F(StepCount, NestedBracesBlankAndCommentLines) {
  StepCounts c = Count(
      "int f(void)\n"
      "{\n"
      "    int a = 0;\n"
      "    if (a) {\n"
      "        a++;\n"
      "    }\n"
      "\n"
      "    /* a block\n"
      "       comment */\n"
      "    return a; // done\n"
      "}\n"
      "int g(void)\n",
      1);
  EXPECT_EQ(c.total, 8);
  EXPECT_EQ(c.real, 5);
}

// Comment lines are never real steps: not after a comment line that ends in a cut character
// (a UTF-8 closing quote, whose last byte is a CP932 lead byte; EUC-JP read raw), nor after a
// URL inside the comment.
TEST_F(StepCount, CommentLinesStayCommentsWhateverTheirBytes) {
  const std::vector<std::string> openers = {
      "    /* Clear the bit by writing a \xE2\x80\x9C"
      "1\xE2\x80\x9D",
      "    /* \xBE\xF5\xC2\xD6\xA4\xF2\xBE\xC3\xB5\xEE\xA4\xB9\xA4\xEB\xA1\xA3\xB0\xEC",
      "    /* see http://example.com/page",
  };
  for (const std::string& opener : openers) {
    StringLineSource reader("static int ack(int dev)\n{\n    int ret = rd(dev);\n\n" + opener +
                            "\n     * to the clear register\n     */\n    return ret;\n}\n");
    StepCounts c = CountSteps(reader, 1, macros, cleaning, PatternsOf(env));
    EXPECT_EQ(c.total, 6) << opener;
    EXPECT_EQ(c.real, 2) << opener;
  }
}

TEST_F(StepCount, FalseRegionsCountInTotalOnly) {
  macros = MacroList("WIN32");
  StepCounts c = Count(
      "void f(void)\n"
      "{\n"
      "#if 0\n"
      "    dead();\n"
      "#endif\n"
      "#ifdef WIN32\n"
      "    win();\n"
      "#else\n"
      "    other();\n"
      "#endif\n"
      "    live();\n"
      "}\n",
      1);
  EXPECT_EQ(c.total, 9);
  // "#ifdef WIN32", win() and live(); the #endif after #else belongs to the dropped branch.
  EXPECT_EQ(c.real, 3);
}

TEST_F(StepCount, EmptyBodyAndMissingBraceGiveZero) {
  EXPECT_EQ(Count("void f(void)\n{\n}\n", 1).total, 0);
  EXPECT_EQ(Count("void f(void) {\n}\n", 1).total, 0);
  EXPECT_EQ(Count("int f(int a);\nint x;\n", 1).total, 0);
  EXPECT_EQ(Count("void f(void)\n{\n}\n", 9).total, 0);
}

TEST_F(StepCount, UnclosedBodyStopsAtTheNextHead) {
  StepCounts c = Count(
      "void f(void)\n"
      "{\n"
      "    one();\n"
      "    two();\n"
      "void g(int a)\n"
      "{\n"
      "}\n",
      1);
  EXPECT_EQ(c.total, 3);
  EXPECT_EQ(c.real, 2);
}

TEST_F(StepCount, BracesAreCountedAsCharactersNotBytes) {
  // The second byte of ボ is 0x7B and of マ 0x7D: neither opens or closes anything.
  StepCounts c = Count(
      "void f(void) // ボタン\n"
      "{\n"
      "    a(); // マ\n"
      "    c = 'ボ';\n"
      "}\n",
      1);
  EXPECT_EQ(c.total, 2);
  EXPECT_EQ(c.real, 2);
}

TEST_F(StepCount, HostileLinesInsideABody) {
  std::string src = "void f(void)\n{\n";
  src += "    " + std::string(2u << 20, 'x') + "{\n";  // the brace lies beyond the first 512 bytes
  src += std::string("    a\0b();\n", 11);
  src += "    \x81\xFF\xFE\x80 = 1;\n";
  src += "}\n";
  StringLineSource reader(src);
  StepCounts c = CountSteps(reader, 1, macros, cleaning, PatternsOf(env));
  EXPECT_EQ(c.total, 3);
  EXPECT_EQ(c.real, 3);
}

TEST_F(StepCount, OneReadGivesTheSameCountsAsOneReadPerFunction) {
  const std::string src = Utf8ToCp932(
      "/* header */\n"
      "int a(void)\n"
      "{\n"
      "    x();\n"
      "}\n"
      "void b(int n) {\n"
      "    if (n) {\n"
      "        /* open\n"
      "        } still comment */\n"
      "    }\n"
      "#if 0\n"
      "}\n"
      "#endif\n"
      "}\n"
      "Cls::Cls()\n"
      "{\n"
      "    for (;;) { }\n"
      "\n"
      "static void c(void)\n"
      "{\n"
      "    y();\n"
      "    }\n"
      "}\n");
  StringLineSource all(src);
  StepCountLines lines(all);
  const DefinitionPatterns& defs = PatternsOf(env);
  for (long line = 0; line <= 26; ++line) {
    StringLineSource single(src);
    StepCounts expected = CountSteps(single, line, macros, cleaning, defs);
    StepCounts got = lines.Count(line, macros, cleaning, defs);
    EXPECT_EQ(got.total, expected.total) << "line " << line;
    EXPECT_EQ(got.real, expected.real) << "line " << line;
  }
  StringLineSource again(src);
  EXPECT_EQ(CountSteps(again, 6, macros, cleaning).total,
            lines.Count(6, macros, cleaning, defs).total);
}

class StepPass : public ::testing::Test, public ExtractEnvFixture {
 protected:
  TempDir dir;

  void SetUp() override {
    data.roots().Clear();
    data.roots().Append(dir.str());
  }
  void AddRow(std::string_view name, std::string_view position, std::string_view marker = "") {
    testing::AddRow(data.functions(), name, position, marker);
  }
};

TEST_F(StepPass, FillsCountsDeletesEmptyBodiesAndKeepsUnreadableRows) {
  dir.Write("a.c",
            "int a(void)\n{\n    x();\n    y();\n}\n"
            "void empty(void)\n{\n}\n"
            "int b(void)\n{\n    z();\n}\n");
  dir.Write("sub dir/b%.c", "int c(void)\n{\n    w();\n}\n");
  // Rows of the two files interleave as they do after a sort.
  AddRow("b", "%1/a.c(9)");
  AddRow("c", "%1/sub dir/b%.c(1)");
  AddRow("MAX", "%1/a.c(20)", "#define");
  AddRow("empty", "%1/a.c(6)");
  AddRow("gone", "%1/missing.c(1)");
  AddRow("a", "%1/a.c(1)");
  AddRow("nowhere", "no position");

  EXPECT_EQ(StepCountPass(env), 0);
  RegistrationList& list = data.functions();
  ASSERT_EQ(list.RowCount(), 6u);
  auto row = [&](std::size_t r) {
    return std::vector<std::string>{list.Cell(r, col::kName), list.Cell(r, col::kTotalSteps),
                                    list.Cell(r, col::kRealSteps)};
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(row(0), (V{"b", "1", "1"}));
  EXPECT_EQ(row(1), (V{"c", "1", "1"}));
  EXPECT_EQ(row(2), (V{"MAX", "1", "1"}));
  EXPECT_EQ(row(3), (V{"gone", "", ""}));
  EXPECT_EQ(row(4), (V{"a", "2", "2"}));
  EXPECT_EQ(row(5), (V{"nowhere", "", ""}));
  EXPECT_FALSE(ui.list_redraw());
  EXPECT_EQ(ui.status_history(2).front(), "ステップ数…0");
}

// "FuncHeadWords" 1: an empty body is still a definition (0 steps, kept), and a body closed on
// its brace line is one line, a real step when it holds code; 0 deletes both as described (the
// one-line body counts the lines below it and is kept).
TEST_F(StepPass, HeadWordsKeepEmptyAndOneLineBodies) {
  dir.Write("a.c",
            "void empty(void)\n{\n}\n"
            "static int one(void) { return 0; }\n"
            "static void none(void) { }\n"
            "int b(void)\n{\n    z();\n}\n"
            "int proto(void)\n");
  using V = std::vector<std::string>;
  for (int words : {0, 1}) {
    SCOPED_TRACE(words);
    data.functions().Clear();
    AddRow("empty", "%1/a.c(1)");
    AddRow("one", "%1/a.c(4)");
    AddRow("none", "%1/a.c(5)");
    AddRow("b", "%1/a.c(6)");
    AddRow("proto", "%1/a.c(10)");
    settings.func_head_words = words;
    EXPECT_EQ(StepCountPass(env), 0);
    std::vector<V> rows;
    const RegistrationList& list = data.functions();
    for (std::size_t r = 0; r < list.RowCount(); ++r) {
      rows.push_back({list.Cell(r, col::kName), list.Cell(r, col::kTotalSteps),
                      list.Cell(r, col::kRealSteps)});
    }
    if (words == 0) {
      EXPECT_EQ(rows, (std::vector<V>{{"one", "1", "0"}, {"none", "1", "0"}, {"b", "1", "1"}}));
    } else {
      EXPECT_EQ(rows,
                (std::vector<V>{
                    {"empty", "0", "0"}, {"one", "1", "1"}, {"none", "0", "0"}, {"b", "1", "1"}}));
    }
  }
}

TEST_F(StepPass, EscapeCancels) {
  dir.Write("a.c", "int a(void)\n{\n    x();\n}\n");
  AddRow("a", "%1/a.c(1)");
  AddRow("a2", "%1/a.c(1)");
  ui.EscapeAtPoll(1).AnswerYes();
  EXPECT_EQ(StepCountPass(env), -1);
  EXPECT_EQ(data.functions().Cell(1, col::kTotalSteps), "");
}

}  // namespace
}  // namespace kelvora::testing
