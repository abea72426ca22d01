// The call index the analysis keeps: its contents on a small tree, the columns of calls after
// removed literals and comments, the function tree written from it against the one read again
// (the golden cases' trees), and files changed since the analysis read again.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <tuple>

#include "analysis/analysis_run_fixture.h"
#include "analysis/call_index.h"
#include "output/call_gather.h"
#include "output/source_pass.h"
#include "output/tree_output.h"
#include "platform/byte_sink.h"
#include "settings/settings.h"
#include "support/golden.h"

namespace fs = std::filesystem;

namespace kelvora {
namespace {

using testing::AnalysisRunTest;

class CallIndexTest : public AnalysisRunTest {
 protected:
  CallIndexTest() { KeepCallIndex(ctx, index); }

  // "name@line:column" of every call of the definition named name (the first one).
  std::vector<std::string> Calls(std::string_view name) const {
    std::vector<std::string> out;
    const auto defs = index.DefinitionsNamed(index.Find(name));
    if (defs.empty()) return out;
    for (const CallIndex::Site& s : index.CallsOf(defs.front()))
      out.push_back(std::string(index.Name(s.callee())) + "@" + std::to_string(s.line()) + ":" +
                    std::to_string(s.column()) + (s.listed() ? "" : "=") +
                    (s.recursive() ? "R" : ""));
    return out;
  }

  std::string FunctionTree(const CallIndex* calls) {
    Settings settings;
    LoadSettings(store, settings, ui);
    OutputContext out{data, settings, regex, ui, calls};
    StringSink sink;
    WriteFunctionTreeTo(sink, out);
    return sink.text();
  }

  CallIndex index;
};

TEST_F(CallIndexTest, HoldsEveryCallWithItsRawColumn) {
  Set("Analysis", "Preprocessor", "ON");
  Set("UnMatch_Func", "Func1", "skipped");
  Set("UnMatch_Func", "Flag_Func1", "1");
  Tree("a.c",
       "int walk(int n)\n"                                  // 1
       "{\n"                                                // 2
       "  log(\"walk(\"); /* walk( */ step(n); step(1);\n"  // 3
       "  if (n) walk(n - 1);\n"                            // 4
       "#if 0\n"                                            // 5
       "  hidden();\n"                                      // 6
       "#endif\n"                                           // 7
       "  skipped(); *get(p) = 1; // late(\n"               // 8
       "}\n"                                                // 9
       "/* base(1); */\n"                                   // 10
       "int two(void)\n"                                    // 11
       "{ /* a */ x(\"(\" ); }\n"                           // 12
       "int three(void)\n"                                  // 13
       "{\n"                                                // 14
       "  /* step( */ step(\"x\", step(2));\n"              // 15
       "}\n");                                              // 16
  Tree("b.c",
       "void step(int k)\n"
       "{\n"
       "  walk(k);\n"
       "}\n");
  ASSERT_EQ(RunSample(), 0);

  ASSERT_EQ(index.FileCount(), 2u);
  EXPECT_EQ(Calls("walk"), (std::vector<std::string>{"log@3:2", "step@3:28",
                                                     "step@3:37=", "walk@4:9R", "*get@8:13"}));
  EXPECT_EQ(Calls("two"), (std::vector<std::string>{"x@12:10"}));
  EXPECT_EQ(Calls("three"), (std::vector<std::string>{"step@15:14", "step@15:24="}));

  // Definitions by file in line order, with their body's last line.
  const CallIndex::FileId a = index.FindFile(Root() + "/a.c");
  ASSERT_LT(a, index.FileCount());
  std::vector<std::string> heads;
  for (const CallIndex::Definition& d : index.DefinitionsOf(a))
    heads.push_back(std::string(index.Name(d.name)) + ":" + std::to_string(d.line) + "-" +
                    std::to_string(d.end_line));
  EXPECT_EQ(heads, (std::vector<std::string>{"walk:1-9", "two:11-12", "three:13-16"}));

  // Callers with every site of the name in their bodies.
  std::map<std::string, std::vector<std::uint32_t>> callers;
  for (const CallIndex::Caller& c : index.CallersOf(index.Find("step")))
    for (const CallIndex::Site& s : c.sites)
      callers[std::string(index.Name(index.GetDefinition(c.definition).name))].push_back(s.line());
  EXPECT_EQ(callers, (std::map<std::string, std::vector<std::uint32_t>>{{"walk", {3, 3}},
                                                                        {"three", {15, 15}}}));
  ASSERT_EQ(index.CallersOf(index.Find("walk")).size(), 2u);  // itself and step in b.c
  EXPECT_EQ(index.Find("hidden"), CallIndex::kNoName);
  EXPECT_EQ(index.Find("skipped"), CallIndex::kNoName);
  EXPECT_TRUE(index.CallersOf(index.Find("late")).empty());

  // Packed: two words a call.
  EXPECT_EQ(sizeof(CallIndex::Site), 8u);
}

TEST_F(CallIndexTest, EmptiedByARunThatReplacesAndKeptByOneThatAdds) {
  Tree("one/a.c", "int f(void)\n{\n  g();\n}\n");
  Tree("two/b.c", "int g(void)\n{\n  h();\n}\n");
  ui.AnswerYes().AnswerYes();
  ASSERT_EQ(StartAnalysisAt(ctx, Root() + "/one"), 0);
  ASSERT_EQ(index.FileCount(), 1u);
  ui.Answer(kAskAddToExisting, true).AnswerYes().AnswerYes();
  ASSERT_EQ(StartAnalysisAt(ctx, Root() + "/two"), 0);
  ASSERT_EQ(index.FileCount(), 2u);
  ASSERT_EQ(index.CallersOf(index.Find("g")).size(), 1u);
  ui.Answer(kAskAddToExisting, false).AnswerYes().AnswerYes();
  ASSERT_EQ(StartAnalysisAt(ctx, Root() + "/two"), 0);
  EXPECT_EQ(index.FileCount(), 1u);
  EXPECT_TRUE(index.CallersOf(index.Find("g")).empty());
}

// The function tree from the index equals the one read again, byte for byte, on the trees of
// the golden cases; a file changed after the analysis, or other settings, are read again.
TEST_F(CallIndexTest, FunctionTreeFromMemoryEqualsTheOneReadAgain) {
  std::size_t sites = 0;
  for (const std::string& name : testing::GoldenCases(fs::path(KELVORA_GOLDEN) / "output")) {
    SCOPED_TRACE(name);
    const fs::path case_dir = fs::path(KELVORA_GOLDEN) / "output" / name;
    fs::remove_all(dir.path() / "tree");
    fs::copy(case_dir / "tree", dir.path() / "tree", fs::copy_options::recursive);
    if (fs::exists(case_dir / "settings.ini")) {
      fs::copy(case_dir / "settings.ini", dir.path() / "Kelvora.ini",
               fs::copy_options::overwrite_existing);
      store = SettingsStore(dir.str() + "/Kelvora.ini", dir.str() + "/registry.ini");
    }
    if (!data.files().empty()) ui.Answer(kAskAddToExisting, false);
    ui.AnswerYes().AnswerYes();
    ASSERT_EQ(StartAnalysisAt(ctx, Root()), 0);
    sites += index.SiteCount();
    const std::string again = FunctionTree(nullptr);
    EXPECT_EQ(FunctionTree(&index), again);
  }
  EXPECT_GT(sites, 0u);
}

TEST_F(CallIndexTest, ChangedFilesAndSettingsAreReadAgain) {
  const std::string a = Tree("a.c", "int f(void)\n{\n  g();\n}\n");
  Tree("b.c", "int k(void)\n{\n  m();\n}\n");
  ASSERT_EQ(RunSample(), 0);
  const std::string before = FunctionTree(&index);
  EXPECT_NE(before.find("g,"), std::string::npos);
  // Same size, later time: the changed call shows.
  Tree("a.c", "int f(void)\n{\n  q();\n}\n");
  fs::last_write_time(a, fs::last_write_time(a) + std::chrono::seconds(5));
  const std::string after = FunctionTree(&index);
  EXPECT_NE(after.find("q,"), std::string::npos);
  EXPECT_EQ(after, FunctionTree(nullptr));
  // An excluded function the analysis did not know: the index is not used.
  Set("UnMatch_Func", "Func1", "m");
  Set("UnMatch_Func", "Flag_Func1", "1");
  EXPECT_EQ(FunctionTree(&index).find("m,"), std::string::npos);
}

// Files whose sites fill the store's chunks past their ends (a file larger than a chunk, files
// that no longer fit in the open one, files without calls) read back the same as a plain list.
TEST(CallIndexStore, SitesAcrossChunksReadBackInOrder) {
  Settings settings;
  CallIndex index;
  index.Clear(settings);
  const std::size_t sizes[] = {40000, 30000, 0, 70000, 1, 65535, 3};
  // Reference: every (caller, callee, line) in position order.
  std::vector<std::tuple<std::string, std::string, std::uint32_t>> expected;
  for (std::size_t f = 0; f < std::size(sizes); ++f) {
    FileCalls calls;
    calls.names = {"def" + std::to_string(f), "a", "b" + std::to_string(f % 2)};
    calls.complete = true;
    // Two definitions share the sites: the second takes the last third.
    const auto n = static_cast<std::uint32_t>(sizes[f]);
    calls.definitions.push_back({0, 1, 1, 0, n - n / 3});
    calls.definitions.push_back({0, 2, 2, n - n / 3, n / 3});
    for (std::uint32_t i = 0; i < n; ++i) {
      calls.sites.push_back({1 + i % 2, i + 1, static_cast<std::uint16_t>(i % 600), i < 2, false});
      expected.emplace_back(calls.names[0], calls.names[1 + i % 2], i + 1);
    }
    ASSERT_TRUE(index.AddFile("f" + std::to_string(f), calls));
  }
  index.Finish();
  ASSERT_EQ(index.SiteCount(), expected.size());
  std::size_t k = 0;
  for (CallIndex::DefinitionId d = 0; d < index.DefinitionCount(); ++d) {
    for (const CallIndex::Site& s : index.CallsOf(d)) {
      ASSERT_LT(k, expected.size());
      EXPECT_EQ(index.Name(index.GetDefinition(d).name), std::get<0>(expected[k])) << k;
      EXPECT_EQ(index.Name(s.callee()), std::get<1>(expected[k])) << k;
      EXPECT_EQ(s.line(), std::get<2>(expected[k])) << k;
      EXPECT_EQ(s.column(), std::min<std::uint32_t>((s.line() - 1) % 600, 511)) << k;
      ++k;
    }
  }
  EXPECT_EQ(k, expected.size());
  // Callers of "b1": files 1, 3 (70000 sites) and 5, each site once, in order.
  std::size_t b1 = 0;
  std::uint32_t last_def = 0;
  for (const CallIndex::Caller& c : index.CallersOf(index.Find("b1"))) {
    EXPECT_GE(c.definition, last_def);
    last_def = c.definition;
    for (const CallIndex::Site& s : c.sites) {
      EXPECT_EQ(index.Name(s.callee()), "b1");
      ++b1;
    }
  }
  EXPECT_EQ(b1, 30000u / 2 + 70000u / 2 + 65535u / 2);
}

TEST(CallColumns, MapTheCleanedLineBackToTheRawLine) {
  RegexService regex;
  CleaningPatterns pats(regex);
  ASSERT_TRUE(pats.ok());
  // Each raw line with the callee whose column is checked and its expected column.
  struct Case {
    std::string_view raw;
    std::string_view name;
    std::size_t column;
    bool in_block = false;
  };
  const Case cases[] = {
      {"a(\"b(\") b(1);", "b", 8},
      {"/* g( */ g(x);", "g", 9},
      {"/* a b c */ abc();", "abc", 12},
      {"x = y / z; f(\"/\");", "f", 11},
      {"p(\"\\\"\") ; q();", "q", 10},
      {"still */ h(2);", "h", 9, true},
      {"t(\"\x82\xa0\") /* \x82\xa0( */ u();", "u", 18},
      {"v(1); // w(", "v", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.raw);
    CommentState comments{c.in_block};
    std::string cleaned;
    ASSERT_TRUE(CleanLine(c.raw, comments, pats, cleaned));
    std::vector<std::uint16_t> columns;
    MapCleanedColumns(c.raw, cleaned, columns);
    ASSERT_EQ(columns.size(), cleaned.size() + 1);
    // Every byte maps to the same byte, in order.
    for (std::size_t i = 0; i < cleaned.size(); ++i) {
      EXPECT_EQ(c.raw[columns[i]], cleaned[i]) << i;
      if (i > 0) {
        EXPECT_LT(columns[i - 1], columns[i]);
      }
    }
    std::string_view rest = cleaned;
    CallMatch m;
    bool found = false;
    while (FindCall(rest, m)) {
      if (m.name == c.name) {
        EXPECT_EQ(columns[static_cast<std::size_t>(m.name.data() - cleaned.data())], c.column);
        found = true;
      }
      rest.remove_prefix(m.end);
    }
    EXPECT_TRUE(found);
  }
}

}  // namespace
}  // namespace kelvora
