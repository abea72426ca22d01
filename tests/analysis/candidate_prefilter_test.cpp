// The candidate prefilters against the engine: over generated lines, a collection with the
// prefilters writes exactly what the engine alone writes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "analysis/analysis_passes.h"
#include "platform/line_reader.h"
#include "text/source_clean.h"

namespace kelvora {
namespace {

// Lines made of fragments that sit at the edges of the three patterns and of cleaning: heads
// split over two lines, comments and literals, directives, double-byte text, lines over the
// 2048 bytes that cleaning and joining keep.
std::string GeneratedSource(unsigned seed, int lines) {
  static const char* const kLines[] = {"static int tbl[] =",
                                       "static const u8 t[4] = {",
                                       "{ 1, 2 },",
                                       "int f(int a, char *b);",
                                       "void *g(void) ;",
                                       "\tint h( char *c, int& d ) ;",
                                       "} POINT, *PPOINT;",
                                       "struct s *p;",
                                       "typedef struct tag {",
                                       "x = 0;",
                                       "#if 0",
                                       "#ifdef M",
                                       "#else",
                                       "#endif",
                                       "#endif",
                                       "#define D {"};
  static const char* const kParts[] = {
      " ",  "\t", "int",   "*", "tbl",      "[]",     "=",    "{",    "}",
      ";",  "(",  ")",     ",", "&",        "struct", "x",    "// c", "/* c */",
      "/*", "*/", "\"s\"", "'", "\x82\xa0", "\x81",   " = {", "u8"};
  std::mt19937 rng(seed);
  auto pick = [&rng](const auto& list) { return list[rng() % std::size(list)]; };
  std::string text;
  for (int i = 0; i < lines; ++i) {
    if (rng() % 3 == 0) {
      text += pick(kLines);
    } else {
      for (unsigned k = rng() % 4; k > 0; --k) text += rng() % 2 ? pick(kLines) : pick(kParts);
    }
    if (rng() % 50 == 0) text.append(2040 + rng() % 20, rng() % 2 ? ' ' : 'a');
    if (rng() % 40 == 0) text += "\r";
    text += '\n';
  }
  return text;
}

struct Collected {
  std::string structs, tables, prototypes;
  bool operator==(const Collected&) const = default;
};

TEST(CandidatePrefilters, WriteWhatTheEngineAloneWrites) {
  RegexService rx;
  CleaningPatterns cleaning(rx);
  Regex table, prototype;
  ASSERT_TRUE(rx.Compile(kTableHeadPattern, table));
  ASSERT_TRUE(rx.Compile(kPrototypeDeclarationPattern, prototype));
  const MacroList macros("M");
  int met = 0, two_line_heads = 0;
  for (int struct_prop = 0; struct_prop <= 2; ++struct_prop) {
    Regex structs;
    ASSERT_TRUE(rx.Compile(StructDetectPattern(struct_prop), structs));
    for (unsigned seed = 1; seed <= 12; ++seed) {
      const std::string source = GeneratedSource(seed * 7 + struct_prop, 1500);
      auto collect = [&](bool prefilters) {
        Collected c;
        CandidateTarget targets[] = {{&structs, &c.structs, "/a b/s.c", false, 0, StructMayMatch,
                                      struct_prop, nullptr, StructNeeds(struct_prop)},
                                     {&table, &c.tables, "/a b/s.c", true, 0, TableHeadMayMatch, 0,
                                      TableHeadAcrossMayMatch, kTableHeadNeeds},
                                     {&prototype, &c.prototypes, "", false, 0, PrototypeMayMatch, 0,
                                      nullptr, kPrototypeNeeds}};
        if (!prefilters) {
          for (CandidateTarget& t : targets) {
            t = {.pattern = t.pattern, .out = t.out, .path = t.path, .table_heads = t.table_heads};
          }
        }
        StringLineSource reader(source);
        EXPECT_EQ(CollectCandidates(reader, targets, 3, macros, 0, cleaning), 0);
        return c;
      };
      const Collected engine = collect(false);
      EXPECT_EQ(collect(true), engine) << "seed " << seed << " struct_prop " << struct_prop;
      met += engine.structs.empty() || engine.prototypes.empty() ? 0 : 1;
      two_line_heads += engine.tables.find("tbl[] = { 1, 2 },") != std::string::npos;
    }
  }
}

TEST(CandidatePrefilters, TableHeadOfTwoLinesIsTheJoinedTextsCondition) {
  const std::string_view parts[] = {"",      " ", "a =",   "a = ",  "=\t", "= {", "{",   " {",
                                    "\t{ 1", "x", "b[] =", "= x {", "=",   "}{",  "== {"};
  for (std::string_view first : parts) {
    for (std::string_view second : parts) {
      const std::string joined = std::string(first) + ' ' + std::string(second);
      EXPECT_EQ(TableHeadMayMatch(first, 0) || TableHeadMayMatch(second, 0) ||
                    TableHeadAcrossMayMatch(first, second, 0),
                TableHeadMayMatch(joined, 0))
          << '"' << first << "\" + \"" << second << '"';
    }
  }
}

}  // namespace
}  // namespace kelvora
