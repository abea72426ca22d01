// Prototype lines, prototype comments attached to functions, and the keyword list.
#include <gtest/gtest.h>

#include <string>

#include "analysis/definitions.h"
#include "analysis/extract_env.h"
#include "support/temp_dir.h"

namespace kelvora::testing {
namespace {

TEST(ParsePrototype, NameAndComment) {
  RegexService regex;
  std::string name, comment;
  EXPECT_EQ(ParsePrototypeLine("int f(int a); // does f", regex, name, comment), 0);
  EXPECT_EQ(name, "f");
  EXPECT_EQ(comment, "// does f");
  EXPECT_EQ(ParsePrototypeLine("char *dup(const char *s); /* d */ /* e */", regex, name, comment),
            0);
  EXPECT_EQ(name, "*dup");
  EXPECT_EQ(comment, "/* d */");
  EXPECT_EQ(
      ParsePrototypeLine(Utf8ToCp932("  virtual ~Cls ( void );\t// 破棄"), regex, name, comment),
      0);
  EXPECT_EQ(name, "~Cls");
  EXPECT_EQ(Cp932ToUtf8(comment), "// 破棄");
  // A comment before the name is not the prototype's comment.
  EXPECT_EQ(ParsePrototypeLine("/* x */ int g(void);", regex, name, comment), 2);
  EXPECT_EQ(name, "g");
  EXPECT_EQ(ParsePrototypeLine("int value; // no parenthesis", regex, name, comment), 1);
}

TEST(ParsePrototype, LimitsAndMissingEngine) {
  RegexService regex;
  std::string name, comment;
  std::string line = "int f(void); // " + std::string(497, 'c');
  ASSERT_EQ(line.size(), 513u);
  EXPECT_EQ(ParsePrototypeLine(line, regex, name, comment), -2);
  line.pop_back();
  EXPECT_EQ(ParsePrototypeLine(line, regex, name, comment), 0);
  regex.set_available(false);
  EXPECT_EQ(ParsePrototypeLine("int f(void); // c", regex, name, comment), -1);
}

class PrototypeComments : public ::testing::Test, public ExtractEnvFixture {
 protected:
  TempDir dir;
  void AddRow(std::string_view name, std::string_view comment = "") {
    std::size_t r = data.functions().AppendRow();
    data.functions().SetCell(r, col::kName, name);
    data.functions().SetCell(r, col::kComment, comment);
  }
  std::string Comment(std::size_t row) { return Text(ListKind::Function, row, col::kComment); }
};

TEST_F(PrototypeComments, FillsEmptyCommentsOnly) {
  AddRow("init");
  AddRow("*dup");
  AddRow("kept", "// old");
  AddRow("init");  // a second row of the same name is not reached
  std::string file = dir.Write("protos.txt", Utf8ToCp932("void init(void);\t// 初期化\t処理\n"
                                                         "char* dup(const char*); /* copy */\n"
                                                         "int kept(void); // new\n"
                                                         "int unknown(void); // nobody\n"
                                                         "int " +
                                                         std::string(600, 'x') +
                                                         "(void); // long\n"
                                                         "void plain(void);\n"));
  EXPECT_EQ(AttachPrototypeComments(file, false, env), 2);
  EXPECT_EQ(Comment(0), "// 初期化処理");
  EXPECT_EQ(Comment(1), "/* copy */");
  EXPECT_EQ(Comment(2), "// old");
  EXPECT_EQ(Comment(3), "");
  EXPECT_EQ(ui.status(2), "関数ｺﾒﾝﾄ Data Set:2");
  EXPECT_EQ(ui.status(1), "kept");
}

TEST_F(PrototypeComments, OverwriteReplacesAndLongLinesAreSkipped) {
  AddRow("kept", "// old");
  AddRow("later");
  std::string file = dir.Write("c.txt", "int kept(void); // new\n" + std::string(700, 'y') +
                                            "\nint later(void); // after a long line\n");
  EXPECT_EQ(AttachPrototypeComments(file, true, env), 2);
  EXPECT_EQ(Comment(0), "// new");
  EXPECT_EQ(Comment(1), "// after a long line");
}

TEST_F(PrototypeComments, UnreadableFileAndStatusEveryTenth) {
  EXPECT_EQ(AttachPrototypeComments(dir.str() + "/none.txt", false, env), -1);
  std::string protos;
  for (int i = 0; i < 10; ++i) {
    AddRow("f" + std::to_string(i));
    protos += "void f" + std::to_string(i) + "(void); // c\n";
  }
  EXPECT_EQ(AttachPrototypeComments(dir.Write("p.txt", protos), false, env), 10);
  // Shown when the count reaches 10, then once more at the end.
  EXPECT_EQ(ui.status_history(2).back(), "関数ｺﾒﾝﾄ Data Set:10");
  EXPECT_EQ(ui.status_history(2).size(), 2u);
}

TEST(Keywords, TheFortySevenWords) {
  const char* words[] = {"asm",
                         "auto",
                         "bool",
                         "case",
                         "catch",
                         "char",
                         "const",
                         "continue",
                         "default",
                         "delete",
                         "do",
                         "double",
                         "else",
                         "enum",
                         "extern",
                         "false",
                         "float",
                         "for",
                         "goto",
                         "if",
                         "inline",
                         "int",
                         "long",
                         "return",
                         "short",
                         "signed",
                         "sizeof",
                         "static",
                         "struct",
                         "switch",
                         "this",
                         "throw",
                         "try",
                         "true",
                         "typedef",
                         "union",
                         "unsigned",
                         "using",
                         "virtual",
                         "void",
                         "volatile",
                         "while",
                         "word",
                         "BEGIN_MESSAGE_MAP",
                         "END_MESSAGE_MAP",
                         "IMPLEMENT_DYNAMIC",
                         "IMPLEMENT_DYNCREATE"};
  static_assert(sizeof(words) / sizeof(words[0]) == 47);
  for (const char* w : words) EXPECT_TRUE(IsKeyword(w)) << w;
  for (const char* w : {"If", "WHILE", "main", "", "ifx", "word ", "class", "new"}) {
    EXPECT_FALSE(IsKeyword(w)) << w;
  }
}

}  // namespace
}  // namespace kelvora::testing
