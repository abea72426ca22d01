// Source line cleaning: literals and comments, the macro list, preprocessor branches and EUC.
#include "text/source_clean.h"

#include <gtest/gtest.h>

#include <random>

#include <sstream>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "platform/line_reader.h"

namespace kelvora {
namespace {

class SourceClean : public ::testing::Test {
 protected:
  RegexService rx;
  CleaningPatterns pats{rx};

  // The cleaned text of every line other than a directive that the cleaning and the line
  // filter let through, as "n:text".
  std::vector<std::string> Used(const std::string& source, const std::string& macros = "") {
    MacroList list(macros);
    StringLineSource reader(source);
    CommentState comments;
    ConditionalState cond;
    std::vector<std::string> used;
    std::string raw, cleaned;
    for (int n = 1; reader.ReadLine(raw); ++n) {
      if (!CleanLine(raw, comments, pats, cleaned)) continue;
      if (!FilterLine(cleaned, cond, list, pats)) continue;
      if (cleaned.find('#') != std::string::npos) continue;
      used.push_back(std::to_string(n) + ":" + cleaned);
    }
    return used;
  }

  std::string Clean(std::string_view line) {
    CommentState comments;
    std::string cleaned;
    EXPECT_TRUE(CleanLine(line, comments, pats, cleaned));
    return cleaned;
  }
};

using Lines = std::vector<std::string>;

TEST_F(SourceClean, LiteralsAndCommentsAreRemoved) {
  EXPECT_EQ(Clean(R"(f("a", "b");)"), "f(, );");
  EXPECT_EQ(Clean(R"(a = "x"; b = "x" "y";)"), "a = ; b =  ;");
  EXPECT_EQ(Clean("int a; /* c */ int b; /* d */"), "int a;  int b; ");
  EXPECT_EQ(Clean("int a; // note /* x */"), "int a; ");
  EXPECT_EQ(Clean("x = a / b * c;"), "x = a / b * c;");
  EXPECT_EQ(Clean("x = a//"), "x = a//");  // "//" needs a character after it
}

TEST_F(SourceClean, LiteralHidesCommentOpener) {
  EXPECT_EQ(Used("char *s = \"/*\";\nint x;\n"), (Lines{"1:char *s = ;", "2:int x;"}));
}

TEST_F(SourceClean, UnclosedBlockCommentSkipsUpToItsEnd) {
  const std::string src =
      "int a; /* start\n"
      " * more (text)\n"
      "end */ int b;\n"
      "int c;\n";
  EXPECT_EQ(Used(src), (Lines{"3: int b;", "4:int c;"}));
  CommentState comments;
  std::string cleaned;
  EXPECT_FALSE(CleanLine("/* open", comments, pats, cleaned));
  EXPECT_TRUE(comments.in_block);
  EXPECT_FALSE(CleanLine("inside", comments, pats, cleaned));
  EXPECT_TRUE(CleanLine("*/", comments, pats, cleaned));
  EXPECT_FALSE(comments.in_block);
  EXPECT_EQ(cleaned, "");
}

// Inside a block comment a URL or a commented-out line comment neither ends the comment nor
// lets the lines after it count as code; the comment ends at its first "*/".
TEST_F(SourceClean, LineCommentMarkersInsideABlockCommentAreCommentText) {
  const std::string src =
      "/*\n"
      " * see http://example.com/a\n"
      " * static int t[] = {\n"
      " *   x = 1; // set\n"
      " */ int after;\n"
      "/* a\n"
      " b /* c */ d\n";
  EXPECT_EQ(Used(src), (Lines{"5: int after;", "7: d"}));
}

TEST_F(SourceClean, LongAndOddLines) {
  std::string long_line(3000, 'a');
  EXPECT_EQ(Clean(long_line).size(), 2048u);
  // A double-byte character across the 2048-byte cut is left out whole.
  std::string cut(2047, 'a');
  cut += Utf8ToCp932("表");
  EXPECT_EQ(Clean(cut), std::string(2047, 'a'));
  EXPECT_EQ(Clean(std::string("int a;\0b // c", 13)), std::string("int a;\0b ", 9));
  EXPECT_EQ(Clean("abc\x82"), "abc\x82");  // a lone lead byte at the end stays
  EXPECT_EQ(Clean(Utf8ToCp932("x = \"表\"; // ソ")), "x = ; ");
}

// Comments that end in a cut character: a CP932 character cut at a byte limit, a UTF-8 "”"
// (its last byte 0x9D is a lead byte), EUC-JP read without conversion. The comment must open
// (and the lines inside it must be skipped) as for any other comment.
TEST_F(SourceClean, CommentEndingInLoneLeadByteIsAComment) {
  const std::string cut = Utf8ToCp932("説明") + "\x82";
  const std::string utf8_quote = "\xE2\x80\x9D";
  const std::string euc = "\xA5\xB3\xA5\xE1\xA5\xF3\xA5\xC8\xB0\xE1";  // コメント以 in EUC-JP
  for (const std::string& tail : {cut, utf8_quote, euc}) {
    SCOPED_TRACE(Cp932ToUtf8(tail));
    EXPECT_EQ(Clean("int a; // " + tail), "int a; ");
    EXPECT_EQ(Clean("int a; /* " + tail + "*/ int b;"), "int a;  int b;");
    EXPECT_EQ(Used("/* " + tail + "\nint inside(void)\n*/\nint after;\n"),
              (Lines{"3:", "4:int after;"}));
    EXPECT_EQ(Used("x; /* a\n" + tail + "*/ y;\n"), (Lines{"2: y;"}));
  }
}

TEST_F(SourceClean, RemoveAllMatchesTakesEveryOccurrenceThenSearchesAgain) {
  Regex re;
  ASSERT_TRUE(re.Compile("ab|cd"));
  std::string text = "ab cd ab x";
  EXPECT_TRUE(RemoveAllMatches(text, re));
  EXPECT_EQ(text, "   x");
  EXPECT_FALSE(RemoveAllMatches(text, re));
  ASSERT_TRUE(re.Compile("x*"));  // an empty match must not loop
  EXPECT_FALSE(RemoveAllMatches(text, re));
}

// In place as ReplaceAll does it with nothing: occurrences on character boundaries only, a
// lead byte with a byte that cannot end its character standing alone.
TEST(EraseAllTest, RemovesWhatReplaceAllRemoves) {
  static const char* const kBytes[] = {"a", "b", "\"", "\x81", "\x82", "\xA0", "@", "\x81\"", "ab"};
  std::mt19937 rng(11);
  for (int k = 0; k < 4000; ++k) {
    std::string text;
    for (int n = static_cast<int>(rng() % 24); n > 0; --n)
      text += kBytes[rng() % std::size(kBytes)];
    const std::size_t from = text.empty() ? 0 : rng() % text.size();
    const std::string what = rng() % 3 ? text.substr(from, 1 + rng() % 4)
                                       : std::string(kBytes[rng() % std::size(kBytes)]);
    std::string erased = text;
    const std::size_t removed = EraseAll(erased, what);
    ASSERT_EQ(erased, ReplaceAll(text, what, "")) << '"' << text << "\" - \"" << what << '"';
    EXPECT_EQ(removed, text.size() - erased.size());
  }
}

TEST_F(SourceClean, UndecodableBytesCannotTrapTheLiteralLoop) {
  // UTF-8 block characters read as CP932: 0x81 before a quote makes the engine and the
  // character walk disagree on where a literal starts. The loop must still end.
  std::string line = "\t\t\"\xE2\x96\x81\",  \"\xE2\x96\x82\", \"\xE2\x96\x83\"";
  std::string cleaned = Clean(line);
  EXPECT_LT(cleaned.size(), line.size());
  std::string collected;
  std::string text = line;
  RemoveAllMatches(text, pats.literal, &collected, " ");
  EXPECT_FALSE(collected.empty());
}

TEST(MacroListTest, ItemsKeepTrailingBlanks) {
  MacroList list(" WIN32,\t_DEBUG ,,X");
  EXPECT_EQ(list.items(), (std::vector<std::string>{"WIN32", "_DEBUG ", "X"}));
  EXPECT_TRUE(list.Contains("WIN32"));
  EXPECT_FALSE(list.Contains("_DEBUG"));
  EXPECT_TRUE(list.Contains("_DEBUG "));
  EXPECT_FALSE(list.Contains("win32"));
  EXPECT_FALSE(list.Contains(""));
  MacroList cut("A," + std::string(512, 'B') + ",C");
  EXPECT_EQ(cut.items(), (std::vector<std::string>{"A"}));
  EXPECT_EQ(MacroList(std::string(511, 'B')).items().size(), 1u);
}

TEST_F(SourceClean, IfZeroAndIfdefBranches) {
  EXPECT_EQ(Used("a\n#if 0\nb\n#endif\nc\n"), (Lines{"1:a", "5:c"}));
  EXPECT_EQ(Used("#ifdef _DEBUG\nd\n#endif\n#ifndef _DEBUG\nn\n#endif\n"), (Lines{"5:n"}));
  EXPECT_EQ(Used("\t #ifdef _DEBUG\nd\n  #else\ne\n#endif\n", "_DEBUG"), (Lines{"2:d"}));
}

TEST_F(SourceClean, ConditionsAgainstMacroList) {
  const std::string macros = "WIN32,_DEBUG";
  EXPECT_EQ(Used("#if defined(_DEBUG) || defined(NDEBUG)\na\n#endif\n", macros), (Lines{"2:a"}));
  EXPECT_EQ(Used("#if !defined(WIN32)\na\n#else\nb\n#endif\n", macros), (Lines{"4:b"}));
  EXPECT_EQ(Used("#if WIN32 || _DEBUG\na\n#endif\n", macros), Lines{});
  EXPECT_EQ(Used("#if _DEBUG||WIN32\na\n#endif\n", macros), (Lines{"2:a"}));
}

TEST_F(SourceClean, ElifBranches) {
  EXPECT_EQ(Used("#if 1\na\n#elif 1\nb\n#endif\nc\n"), (Lines{"2:a", "4:b", "6:c"}));
  EXPECT_EQ(Used("#if 1\na\n#elif 0\nb\n#else\nc\n#endif\n"), (Lines{"2:a", "6:c"}));
}

TEST_F(SourceClean, NestedBranches) {
  EXPECT_EQ(Used("#if 1\n#if 0\nx\n#endif\ny\n#endif\nz\n"), (Lines{"5:y", "7:z"}));
  // An inner branch of a false one is not evaluated and stays dropped.
  EXPECT_EQ(Used("#if 0\n#if 1\nx\n#else\nw\n#endif\ny\n#endif\nz\n"), (Lines{"9:z"}));
}

// Level 32 owns the mask's last bit (1 << 31): its false branch drops its lines, also under a
// deeper level without a bit, and its "#else" brings them back.
TEST_F(SourceClean, LevelThirtyTwoHasTheLastBit) {
  std::string src;
  for (int i = 0; i < 31; ++i) src += "#if 1\n";
  src += "#if 0\nhidden\n#if 1\ndeeper\n#endif\n#else\nshown\n#endif\n";
  for (int i = 0; i < 31; ++i) src += "#endif\n";
  src += "after\n";
  EXPECT_EQ(Used(src), (Lines{"38:shown", "71:after"}));
  ConditionalState state;
  MacroList none;
  for (int i = 0; i < 31; ++i) PreprocessorStep("#if 1", state, none, pats);
  PreprocessorStep("#if 0", state, none, pats);
  EXPECT_EQ(state.depth, 32);
  EXPECT_EQ(state.mask, 0x7FFFFFFFu);
  PreprocessorStep("#else", state, none, pats);
  EXPECT_EQ(state.mask, 0xFFFFFFFFu);
}

TEST_F(SourceClean, StrayEndifAndDeepNesting) {
  EXPECT_EQ(Used("#endif\na\n#endif\nb\n"), (Lines{"2:a", "4:b"}));
  ConditionalState state;
  MacroList none;
  EXPECT_EQ(PreprocessorStep("#endif", state, none, pats), 2);
  EXPECT_EQ(state.depth, 0);
  EXPECT_EQ(state.mask, 0xFFFFFFFFu);

  // 40 open levels: a false branch at level 20 still drops its lines; levels past 32 have no
  // bit of their own and leave the mask alone.
  std::string src;
  for (int i = 0; i < 19; ++i) src += "#if 1\n";
  src += "#if 0\n";
  for (int i = 0; i < 20; ++i) src += "#if 1\n";
  src += "hidden\n";
  for (int i = 0; i < 20; ++i) src += "#endif\n";
  src += "#else\nshown\n";
  for (int i = 0; i < 20; ++i) src += "#endif\n";
  src += "after\n";
  Lines used = Used(src);
  ASSERT_EQ(used.size(), 2u);
  EXPECT_EQ(used[0], "63:shown");
  EXPECT_EQ(used[1].substr(used[1].find(':')), ":after");

  state = ConditionalState{};
  for (int i = 0; i < 32; ++i) PreprocessorStep("#if 1", state, none, pats);
  EXPECT_EQ(PreprocessorStep("#if 0", state, none, pats), 0);
  EXPECT_EQ(PreprocessorStep("#else", state, none, pats), 1);
  EXPECT_EQ(state.mask, 0xFFFFFFFFu);
  EXPECT_EQ(PreprocessorStep("#endif", state, none, pats), 2);
  EXPECT_EQ(state.depth, 32);

  state = ConditionalState{};
  for (int i = 0; i < 300; ++i) PreprocessorStep("#if 0", state, none, pats);
  EXPECT_EQ(state.depth, 255);
  for (int i = 0; i < 300; ++i) PreprocessorStep("#endif", state, none, pats);
  EXPECT_EQ(state.depth, 0);
  EXPECT_EQ(state.mask, 0xFFFFFFFFu);
}

TEST_F(SourceClean, PreprocessorStepResults) {
  ConditionalState state;
  MacroList none;
  EXPECT_EQ(PreprocessorStep("int a;", state, none, pats), 0);
  EXPECT_EQ(PreprocessorStep("#define A 1", state, none, pats), 0);
  EXPECT_EQ(PreprocessorStep("#include <config_if.h>", state, none, pats), 0);
  EXPECT_EQ(PreprocessorStep("#if 0 " + std::string(510, ' '), state, none, pats), -1);
  EXPECT_EQ(state.depth, 0);
  EXPECT_EQ(PreprocessorStep("#if\t0", state, none, pats), 1);
  EXPECT_EQ(state.depth, 1);
  EXPECT_EQ(state.mask, 0xFFFFFFFEu);
  EXPECT_EQ(PreprocessorStep("#else", state, none, pats), 1);
  EXPECT_EQ(state.mask, 0xFFFFFFFFu);
  EXPECT_EQ(PreprocessorStep("#endif", state, none, pats), 2);

  RegexService missing(false);
  CleaningPatterns no_engine(missing);
  EXPECT_FALSE(no_engine.ok());
  ConditionalState s2;
  s2.mask = 0xFFFFFFFEu;
  EXPECT_EQ(PreprocessorStep("#endif", s2, none, no_engine), -1);
  EXPECT_EQ(PreprocessorStep("int a;", s2, none, no_engine), 0);
  EXPECT_FALSE(FilterLine("int a;", s2, none, no_engine));  // the current mask decides
}

TEST(EvaluateConditionTest, Rules) {
  MacroList m("WIN32,_DEBUG");
  EXPECT_EQ(EvaluateCondition("#ifdef", "WIN32", m), 1);
  EXPECT_EQ(EvaluateCondition("#ifdef", "NDEBUG", m), 0);
  EXPECT_EQ(EvaluateCondition("#ifdef", "NDEBUG || WIN32", m), 0);  // the first item decides
  EXPECT_EQ(EvaluateCondition("#ifndef", "WIN32", m), 0);
  EXPECT_EQ(EvaluateCondition("#ifndef", "0", m), 1);
  EXPECT_EQ(EvaluateCondition("#ifndef", "1", m), 0);
  EXPECT_EQ(EvaluateCondition("#ifndef", "OTHER", m), 1);
  EXPECT_EQ(EvaluateCondition("#IF", "defined ( WIN32 )", m), 1);
  EXPECT_EQ(EvaluateCondition("#if", "defined(A) || defined(B)", m), 0);
  EXPECT_EQ(EvaluateCondition("#if", "defined(A) || 1", m), 1);
  EXPECT_EQ(EvaluateCondition("#if", "!defined(A)", m), 1);
  EXPECT_EQ(EvaluateCondition("#elif", "!defined(WIN32)||!defined(_DEBUG)", m), 0);
  EXPECT_EQ(EvaluateCondition("#if", "defined(WIN32) && defined(X)", m), 0);
  EXPECT_EQ(EvaluateCondition("#if", "!WIN32", m), 0);
  EXPECT_EQ(EvaluateCondition("#if", "", m), 1);
  EXPECT_EQ(EvaluateCondition("#if", "0" + std::string(1100, ' '), m), 1);
  EXPECT_EQ(EvaluateCondition("#if", "0", MacroList("A," + std::string(1030, 'x'))), 1);
}

TEST(ConvertEucToSjisTest, StandardMapping) {
  EXPECT_EQ(ConvertEucToSjis("int a; // \xA4\xA2\xB4\xC1"), "int a; // \x82\xA0\x8A\xBF");
  EXPECT_EQ(ConvertEucToSjis("\xCF\xD3\xF4\xA6\xB0\xF3\xA5\xA2\xA3\xB1"),
            "\x98\x72\xEA\xA4\x88\xF1\x83\x41\x82\x50");
  EXPECT_EQ(ConvertEucToSjis("\x8E\xB1"), "\xB1");  // half-width katakana
  // Invalid pairs and cut characters keep their bytes.
  EXPECT_EQ(ConvertEucToSjis("\xA4 a"), "\xA4 a");
  EXPECT_EQ(ConvertEucToSjis("ab\xA4"), "ab\xA4");
  EXPECT_EQ(ConvertEucToSjis("ab\x8E"), "ab\x8E");
  // 0x8E before a byte that is no half-width katakana is no pair: neither byte is lost, and the
  // quote after it is not taken into a CP932 character.
  EXPECT_EQ(ConvertEucToSjis("\x8E"
                             "A"),
            "\x8E"
            "A");
  EXPECT_EQ(ConvertEucToSjis("\x8E\xE0\"x\""), "\x8E\xE0\"x\"");
  EXPECT_EQ(ConvertEucToSjis(std::string("a\0b", 3)), std::string("a\0b", 3));
  std::string long_line(1500, 'x');
  long_line += "\xA4\xA2";
  EXPECT_EQ(ConvertEucToSjis(long_line), std::string(1500, 'x') + "\x82\xA0");
}

// The word-at-a-time marker test against a plain byte search: every length up to three words,
// a marker (or a byte one off from one, or a high byte) at every place.
TEST(CleaningMarker, AgreesWithAByteSearch) {
  const char kBytes[] = {'"',    '/',    '#',    '!',    '$',  '.', '0',
                         '\x80', '\xA2', '\xAF', '\xA3', '\0', ' '};
  for (std::size_t len = 0; len <= 24; ++len) {
    for (std::size_t at = 0; at <= len; ++at) {
      for (char b : kBytes) {
        std::string line(len, 'a');
        if (at < len) line[at] = b;
        const bool expected = line.find_first_of(std::string_view("\"/#")) != std::string::npos;
        EXPECT_EQ(HasCleaningMarker(line), expected) << len << " " << at << " " << int(b);
        line.assign(len, '\xA2');  // the marker's byte plus 0x80 in every other lane
        if (at < len) line[at] = b;
        EXPECT_EQ(HasCleaningMarker(line), expected) << len << " " << at << " " << int(b);
      }
    }
  }
}

}  // namespace
}  // namespace kelvora
