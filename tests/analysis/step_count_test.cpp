// The step counter against a plain reference: every line's markers and braces looked at one
// byte at a time, over generated bodies with double-byte text, comments, directives and lines
// of every length around the word size and the 512 bytes a body line keeps.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "analysis/definitions.h"
#include "analysis/definitions_patterns.h"
#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "text/source_clean.h"

namespace kelvora {
namespace {

StepCounts ReferenceCount(const std::vector<std::string>& lines, long definition_line,
                          const MacroList& macros, const CleaningPatterns& cp,
                          const DefinitionPatterns& dp) {
  std::size_t i = definition_line > 1 ? static_cast<std::size_t>(definition_line - 1) : 0;
  while (i < lines.size() && FindCp932Char(lines[i], '{') == std::string::npos) ++i;
  StepCounts counts;
  if (i >= lines.size()) return counts;
  CommentState comments;
  ConditionalState cond;
  long depth = 1;
  std::string cleaned;
  while (++i < lines.size()) {
    const std::string line = lines[i].substr(0, Cp932SafeCut(lines[i], 512));
    ++counts.total;
    if (!CleanLine(line, comments, cp, cleaned) || !FilterLine(cleaned, cond, macros, cp)) continue;
    if (IsAllBlank(cleaned)) continue;
    if (dp.IsDefinitionHead(cleaned)) break;
    const long opened = CountCp932Char(cleaned, '{');
    const long closed = CountCp932Char(cleaned, '}');
    if (depth + opened == closed) {
      --counts.total;
      break;
    }
    ++counts.real;
    depth += opened - closed;
  }
  return counts;
}

TEST(StepCountBodies, CountAsTheByteByByteReference) {
  RegexService rx;
  CleaningPatterns cleaning(rx);
  const DefinitionPatterns defs(rx, {});
  const MacroList macros("M");
  static const char* const kParts[] = {"{",           "}",
                                       "{ x; }",      "if (a) {",
                                       "} else {",    "\t",
                                       "        ",    "x = 1;",
                                       "/* { */",     "/*",
                                       "*/",          "// }",
                                       "\"{\"",       "#if 0",
                                       "#ifdef M",    "#else",
                                       "#endif",      "\x81{",
                                       "\x82\xa0}",   "\x81",
                                       "int f(void)", "static int g(int a)",
                                       "abcdefg"};
  std::mt19937 rng(7);
  long compared = 0, long_bodies = 0;
  for (int file = 0; file < 40; ++file) {
    std::vector<std::string> lines;
    std::string text;
    for (int n = 0; n < 300; ++n) {
      std::string line;
      for (unsigned k = rng() % 4; k > 0; --k) line += kParts[rng() % std::size(kParts)];
      if (rng() % 30 == 0) line.insert(0, 500 + rng() % 20, rng() % 2 ? ' ' : '}');
      lines.push_back(line);
      text += line + "\n";
    }
    StringLineSource source(text);
    const StepCountLines counter(source);
    for (long definition = 1; definition <= 300; definition += 3) {
      const StepCounts expected = ReferenceCount(lines, definition, macros, cleaning, defs);
      const StepCounts got = counter.Count(definition, macros, cleaning, defs);
      ASSERT_EQ(got.total, expected.total) << "file " << file << " line " << definition;
      ASSERT_EQ(got.real, expected.real) << "file " << file << " line " << definition;
      ++compared;
      long_bodies += expected.real > 5;
    }
  }
  EXPECT_EQ(compared, 4000);
  EXPECT_GT(long_bodies, 100);
}

}  // namespace
}  // namespace kelvora
