// The grep scan against CollectLines, the reference it must equal byte for byte.
#include "grep/grep_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "grep/grep_search.h"
#include "platform/line_reader.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

namespace kelvora {
namespace {

std::string RandomSource(std::mt19937& rng, int lines) {
  static const char* const kPieces[] = {"#if 0",
                                        "#ifdef A",
                                        "#ifndef B",
                                        "#if defined(A) || X",
                                        "#elif 1",
                                        "#else",
                                        "#endif",
                                        "  #if 1",
                                        "/*",
                                        "*/",
                                        "//",
                                        "\"",
                                        "\"/*\"",
                                        "count = 1;",
                                        "count == 2",
                                        "int f(int a);",
                                        "#define m(a) (a)",
                                        "\t",
                                        " ",
                                        "x",
                                        "\x83\x41",
                                        "\x83\x5C",
                                        "\x83",
                                        "\xA4\xA2",
                                        "\r",
                                        "(12)"};
  std::uniform_int_distribution<int> piece(0, static_cast<int>(std::size(kPieces)) - 1);
  std::uniform_int_distribution<int> count(0, 4);
  std::string text;
  for (int l = 0; l < lines; ++l) {
    for (int n = count(rng); n > 0; --n) text += kPieces[piece(rng)];
    text += '\n';
  }
  // A last line without LF, with or without a final CR (kept: the line reader's rule).
  const unsigned last = rng() % 3;
  if (last == 1) text += "count = 3;";
  if (last == 2) text += "count = 3;\r";
  return text;
}

TEST(GrepScanTest, WritesWhatCollectLinesWrites) {
  RegexService regex;
  CleaningPatterns pats(regex);
  MacroList macros("A,X");
  std::vector<Regex> patterns(5);
  ASSERT_TRUE(regex.Compile(GrepPattern(GrepKind::Assign, "count"), patterns[0]));
  ASSERT_TRUE(regex.Compile(GrepPattern(GrepKind::Prototype), patterns[1]));
  ASSERT_TRUE(regex.Compile(GrepPattern(GrepKind::FunctionMacro), patterns[2]));
  ASSERT_TRUE(regex.Compile(GrepPattern(GrepKind::IfDirective), patterns[3]));
  ASSERT_TRUE(regex.Compile("x", patterns[4]));
  std::mt19937 rng(17);
  long total = 0;
  for (int round = 0; round < 300; ++round) {
    const std::string text = RandomSource(rng, 40);
    for (const Regex& pattern : patterns) {
      for (int char_change : {0, 1}) {
        StringLineSource source(text);
        std::ostringstream expected;
        long n = CollectLines(source, "/p q/f.c", expected, pattern, macros, char_change, pats);
        std::string actual;
        ASSERT_EQ(n, GrepText(text, "/p q/f.c", actual, pattern, macros, char_change, pats));
        ASSERT_EQ(expected.str(), actual) << "round " << round;
        total += n;
      }
    }
  }
  EXPECT_GT(total, 1000);  // the rounds did find lines

  RegexService missing(false);
  CleaningPatterns none(missing);
  std::string out;
  EXPECT_EQ(-1, GrepText("x\n", "f", out, patterns[4], macros, 0, none));
}

}  // namespace
}  // namespace kelvora
