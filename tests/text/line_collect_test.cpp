// Candidate-line collectors: format, conversion, table heads over two lines, bad input.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "text/regex_pattern.h"
#include "text/source_clean.h"

namespace kelvora {
namespace {

const char* const kTable =
    R"([A-Za-z0-9_]+[*]*[ \t]+[*]*[A-Za-z0-9_]+\[?[ \tA-Za-z0-9_&*=-+]*\]?[ \t]*=[ \t]*{)";

class Collect : public ::testing::Test {
 protected:
  RegexService rx;
  CleaningPatterns pats{rx};
  long count = 0;

  std::string Lines(const std::string& source, std::string_view pattern,
                    std::string_view path = "/src/a b.c", const std::string& macros = "",
                    int char_change = 0) {
    Regex re;
    EXPECT_TRUE(rx.Compile(pattern, re));
    StringLineSource reader(source);
    std::ostringstream out;
    count = CollectLines(reader, path, out, re, MacroList(macros), char_change, pats);
    return out.str();
  }

  std::string Tables(const std::string& source, const std::string& macros = "") {
    Regex re;
    EXPECT_TRUE(rx.Compile(kTable, re));
    StringLineSource reader(source);
    std::ostringstream out;
    count = CollectTableLines(reader, "/src/t.c", out, re, MacroList(macros), pats);
    return out.str();
  }
};

TEST_F(Collect, CandidateLinesCarryPathLineAndRawText) {
  const std::string src = "int a;\nstruct s { /* c */\n#if 0\nstruct t {\n#endif\n";
  EXPECT_EQ(Lines(src, "struct"), "/src/a b.c(2):  struct s { /* c */\r\n");
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Lines(src, "struct", ""), "struct s { /* c */\r\n");
  EXPECT_EQ(Lines(src, "nothing"), "");
  EXPECT_EQ(count, 0);
  // The match is made on the cleaned line: a word inside a comment or literal does not count.
  EXPECT_EQ(Lines("x = \"struct\"; // struct\n", "struct"), "");
}

TEST_F(Collect, ConversionFromEuc) {
  const std::string euc = "int f(void); // \xA4\xA2\n";
  EXPECT_EQ(Lines(euc, R"(\;)", "", "", 1), "int f(void); // \x82\xA0\r\n");
  EXPECT_EQ(Lines(euc, R"(\;)", "", "", 0), "int f(void); // \xA4\xA2\r\n");
}

TEST_F(Collect, EngineMissingWritesNothing) {
  RegexService missing(false);
  CleaningPatterns none(missing);
  Regex re;
  StringLineSource reader("struct s {\n");
  std::ostringstream out;
  EXPECT_EQ(CollectLines(reader, "a.c", out, re, MacroList(), 0, none), -1);
  StringLineSource reader2("int t[] = {\n");
  EXPECT_EQ(CollectTableLines(reader2, "a.c", out, re, MacroList(), none), -1);
  EXPECT_EQ(out.str(), "");
}

TEST_F(Collect, TableHeadOnOneLine) {
  EXPECT_EQ(Tables("static int counter = 0;\nstatic const char tbl[] = {\n"),
            "/src/t.c(2):  static const char tbl[] = {\r\n");
  EXPECT_EQ(Tables("int x;\n\nstruct point origin = { 0, 0 };\n"),
            "/src/t.c(3):  struct point origin = { 0, 0 };\r\n");
  EXPECT_EQ(count, 1);
}

TEST_F(Collect, TableHeadOverTwoLines) {
  EXPECT_EQ(Tables("static int tbl[4]\n  = { 1, 2 };\nint y;\n"),
            "/src/t.c(1):  static int tbl[4]   = { 1, 2 };\r\n");
  EXPECT_EQ(Tables("static const char *names[]\n= {\n"),
            "/src/t.c(1):  static const char *names[] = {\r\n");
  // A line dropped by the filter does not join the next one.
  EXPECT_EQ(Tables("#if 0\nint tbl[]\n#endif\n= {\n"), "");
}

// The previous line joins as code: its comment neither hides the next line's head nor runs on
// into it, and a two-line head carries the comment of the line it stands on.
TEST_F(Collect, PreviousLineJoinsAsCodeAndCommentsStayOnTheirLine) {
  EXPECT_EQ(Tables("int x; // note\nstatic const int t[] = {\n"),
            "/src/t.c(2):  static const int t[] = {\r\n");
  EXPECT_EQ(Tables("int x; /* open\n*/ static const int t[] = { // t\n"),
            "/src/t.c(2):  */ static const int t[] = { // t\r\n");
  EXPECT_EQ(Tables("char *s = \"//\";\nstatic int t[] = {\n"),
            "/src/t.c(2):  static int t[] = {\r\n");
  EXPECT_EQ(Tables(Utf8ToCp932("static const int t[] // 表の説明\n  = { 1 };  // 値\n")),
            Utf8ToCp932("/src/t.c(1):  static const int t[]    = { 1 };   // 表の説明\r\n"));
  EXPECT_EQ(Tables("static int t[] /* a */ /* b */\n= {\n"),
            "/src/t.c(1):  static int t[]   = { /* a */\r\n");
  EXPECT_EQ(Tables("static int t[]\n= { // values\n"),
            "/src/t.c(1):  static int t[] = {  // values\r\n");
  EXPECT_EQ(count, 1);
  // A line inside a block comment does not carry a head over it.
  EXPECT_EQ(Tables("static int t[]\n/* x\n*/ = {\n"), "");
}

TEST_F(Collect, TableCandidateIsCutAt300Bytes) {
  std::string head = "int tbl[] = { " + std::string(400, '1') + " };\n";
  std::string out = Tables(head);
  EXPECT_EQ(out, "/src/t.c(1):  " + head.substr(0, 300) + "\r\n");
  // A double-byte character across the cut is left out whole.
  std::string text = "int tbl[] = {" + std::string(286, ' ') + Utf8ToCp932("表") + "};\n";
  EXPECT_EQ(Tables(text), "/src/t.c(1):  " + text.substr(0, 299) + "\r\n");
}

TEST_F(Collect, DirectivesAfterCodeLinesAreSeen) {
  const std::string src =
      "int a;\n"
      "#if 0\n"
      "int hidden[] = {\n"
      "#endif\n"
      "int shown[] = {\n";
  EXPECT_EQ(Tables(src), "/src/t.c(5):  int shown[] = {\r\n");
  // A true branch opened after a code line is stepped once, so its #endif closes it.
  const std::string src2 =
      "int a;\n"
      "#ifdef WIN32\n"
      "int b;\n"
      "#endif\n"
      "#if 0\n"
      "int hidden[] = {\n"
      "#endif\n"
      "int shown[] = {\n";
  EXPECT_EQ(Tables(src2, "WIN32"), "/src/t.c(8):  int shown[] = {\r\n");
}

TEST_F(Collect, TableHeadInsideComment) {
  EXPECT_EQ(Tables("/* int tbl[] = {\n int x[] = {\n*/ int y[] = {\n"),
            "/src/t.c(3):  */ int y[] = {\r\n");
}

TEST_F(Collect, BadInputDoesNotStopTheFile) {
  std::string src;
  src += std::string("int a[] = {\0x\n", 14);
  src += "\x82\n";                                                  // a lone lead byte
  src += "\xFF\xFE int c[] = {\n";                                  // bytes that are no CP932
  src += "int d[] = {" + std::string(3 * 1024 * 1024, 'x') + "\n";  // a multi-megabyte line
  src += "int e[] = {\n";
  std::string out = Tables(src);
  EXPECT_EQ(count, 4);
  EXPECT_NE(out.find("(1):  int a"), std::string::npos);
  EXPECT_NE(out.find("(3):  \xFF\xFE int c[] = {\r\n"), std::string::npos);
  EXPECT_NE(out.find("(5):  int e[] = {\r\n"), std::string::npos);
  EXPECT_EQ(out.find("(4):  int d[] = {" + std::string(300, 'x')), std::string::npos);
  std::string lines = Lines(src, "e");
  EXPECT_NE(lines.find("(5):  int e[] = {"), std::string::npos);
}

using Alternatives = std::vector<std::vector<std::string>>;

Alternatives Required(std::string_view pattern) {
  return RequiredLiterals(RewriteDescendingRanges(pattern)).alternatives;
}

TEST(RequiredLiteralsTest, OnlyWhatEveryMatchHolds) {
  EXPECT_EQ(Required(kTable), (Alternatives{{std::string("=\0{", 3)}}));
  EXPECT_EQ(Required(R"(\".+?\")"), (Alternatives{{"\"", "\""}}));
  EXPECT_EQ(Required(R"(/\*.*?\*/)"), (Alternatives{{"/*", "*/"}}));
  EXPECT_EQ(Required("#if(n)?(def)?"), (Alternatives{{"#if"}}));
  EXPECT_EQ(Required(R"(\(x?\)+\;\t)"), (Alternatives{{"(", ")", ";\t"}}));
  EXPECT_EQ(Required("ab|cd"), (Alternatives{{"ab"}, {"cd"}}));
  EXPECT_EQ(Required("ab|c*"), Alternatives{});
  EXPECT_EQ(Required("(?i)abc"), Alternatives{});
  EXPECT_EQ(Required("a*b?c{0,2}d{2}e+f"), (Alternatives{{"e", "f"}}));
  EXPECT_EQ(Required("[=;]x{"), (Alternatives{{"x{"}}));
  EXPECT_EQ(Required("(a|b)=(c)"), (Alternatives{{"="}}));
  EXPECT_EQ(Required(R"(\d+x\bz)"), (Alternatives{{"x", "z"}}));
  // Escapes with arguments give the filter up instead of taking their argument for text.
  EXPECT_EQ(Required(R"(\x41B)"), Alternatives{});
  EXPECT_EQ(Required(R"(\101B)"), Alternatives{});
  EXPECT_EQ(Required(R"(x|\p{Alpha}B)"), Alternatives{});
  const std::string words = Utf8ToCp932("関数名|処理名|機能名");
  EXPECT_EQ(
      Required(words),
      (Alternatives{{Utf8ToCp932("関数名")}, {Utf8ToCp932("処理名")}, {Utf8ToCp932("機能名")}}));
  // Japanese words in every alternative: an ASCII line is turned away at once, a line with one
  // of them passes however far in it stands.
  const LiteralFilter japanese = RequiredLiterals(words);
  EXPECT_TRUE(japanese.needs_high_byte);
  EXPECT_FALSE(japanese.Passes("/* function name: foo */"));
  EXPECT_TRUE(japanese.Passes(std::string(40, ' ') + Utf8ToCp932("// 処理名：foo")));
  EXPECT_FALSE(japanese.Passes(Utf8ToCp932("// 名前")));
  EXPECT_FALSE(RequiredLiterals(Utf8ToCp932("関数|name")).needs_high_byte);
  LiteralFilter f = RequiredLiterals("struct|};");
  EXPECT_TRUE(f.Passes("typedef struct {"));
  EXPECT_TRUE(f.Passes("int a; };"));
  EXPECT_FALSE(f.Passes("} x;"));
  EXPECT_FALSE(f.Passes("int x;"));
  EXPECT_TRUE(LiteralFilter{}.Passes(""));
}

TEST(RequiredLiteralsTest, BlankGapsBetweenFixedTexts) {
  LiteralFilter f = RequiredLiterals(R"(x=[ \t]*{)");
  EXPECT_TRUE(f.Passes("int x={"));
  EXPECT_TRUE(f.Passes("int x= \t {"));
  EXPECT_TRUE(f.Passes("a x=1; b x=  {"));  // a later occurrence
  EXPECT_FALSE(f.Passes("if (x == y) {"));
  EXPECT_FALSE(f.Passes("x= 1 {"));
  // A gap before a blank is given up, never guessed: "= [ \t]* x" stays findable.
  EXPECT_EQ(Required(R"(=[ \t]* x)"), (Alternatives{{"=", " x"}}));
  // The gap at the end of a run is dropped.
  EXPECT_EQ(Required(R"(a[\t ]*)"), (Alternatives{{"a"}}));
  // The real pattern agrees with the engine on table heads and near misses.
  RegexService rx;
  Regex re;
  ASSERT_TRUE(rx.Compile(kTable, re));
  for (const char* line : {"static int t[] = {", "int a =\t{", "int a = 1; if (b == c) {",
                           "struct s v = { 0 };", "x = y; {"}) {
    if (re.Matches(line)) {
      EXPECT_TRUE(RequiredLiterals(RewriteDescendingRanges(kTable)).Passes(line)) << line;
    }
  }
}

}  // namespace
}  // namespace kelvora
