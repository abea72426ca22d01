#include "text/strip_if.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/editor_launch.h"
#include "platform/line_reader.h"
#include "platform/scripted_ui.h"
#include "support/golden.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

namespace fs = std::filesystem;

namespace kelvora {
namespace {

using testing::GoldenCases;
using testing::TempDir;
using Argv = std::vector<std::string>;

// tests/golden/strip_if/<case>/: input.c, macros.txt (optional, the macro list) and expected.c.
const fs::path kGoldenDir = fs::path(KELVORA_GOLDEN) / "strip_if";

class StripIfGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(StripIfGolden, CopyMatches) {
  const fs::path case_dir = kGoldenDir / GetParam();
  std::string macros_text;
  if (fs::exists(case_dir / "macros.txt")) {
    macros_text = TempDir::Read(case_dir / "macros.txt");
    while (!macros_text.empty() && (macros_text.back() == '\n' || macros_text.back() == '\r'))
      macros_text.pop_back();
  }
  RegexService regex;
  CleaningPatterns pats(regex);
  std::ostringstream out;
  ASSERT_LE(
      0, StripFalseRegionsFile((case_dir / "input.c").string(), out, MacroList(macros_text), pats));
  const fs::path expected_file = case_dir / "expected.c";
  if (std::getenv("UPDATE_GOLDEN")) {
    std::ofstream(expected_file, std::ios::binary) << out.str();
    return;
  }
  const std::string expected = TempDir::Read(expected_file);
  EXPECT_EQ(expected, out.str()) << "golden file " << expected_file
                                 << " differs\n--- expected ---\n"
                                 << expected << "--- actual ---\n"
                                 << out.str();
}

INSTANTIATE_TEST_SUITE_P(Cases, StripIfGolden, ::testing::ValuesIn(GoldenCases(kGoldenDir)),
                         [](const auto& info) { return info.param; });

TEST(StripIfTest, EngineMissingWritesNothing) {
  RegexService regex(false);
  CleaningPatterns pats(regex);
  StringLineSource in("a();\n#if 0\nb();\n#endif\n");
  EXPECT_TRUE(DecideKeptLines(in, MacroList(), pats).empty());
}

class StripIfCommandTest : public ::testing::Test {
 protected:
  StripIfCommandTest()
      : editor(
            "/usr/bin/ed", "+", [this](const Argv& a) { return started.push_back(a), true; },
            [](const std::string&) { return true; }) {
    setenv("TMPDIR", temp.str().c_str(), 1);
    input = dir.Write("in put (1).c", "#if 0\r\na();\r\n#endif\r\nb();\r\n");
  }
  ~StripIfCommandTest() override { unsetenv("TMPDIR"); }
  StripResult Run() { return StripIfCommand(settings, regex, editor, ui); }
  bool TempEmpty() const { return fs::is_empty(temp.path()); }

  TempDir dir, temp;
  std::string input;
  StripIfSettings settings;
  RegexService regex;
  ScriptedUi ui;
  std::vector<Argv> started;
  EditorLauncher editor;
};

TEST_F(StripIfCommandTest, WritesTheCopyAndOpensItAtLineOne) {
  const std::string target = (dir.path() / "out put").string() + ".txt";
  ui.ChooseOpenAnswer(input).ChooseSaveAnswer(target).Answer(kAskOpenStrippedCopy, true);
  EXPECT_EQ(StripResult::Done, Run());
  EXPECT_EQ("b();\r\n", TempDir::Read(target));
  ASSERT_EQ(1u, ui.messages().size());
  EXPECT_EQ(0u, ui.messages()[0].find("[機能説明]\n"));
  EXPECT_EQ((std::vector<Argv>{{"/usr/bin/ed", "+1", target}}), started);
  EXPECT_TRUE(TempEmpty());

  // An existing output file is replaced; No leaves the editor closed.
  ui = ScriptedUi();
  const std::string existing = dir.Write("out put.c", "old text that is longer than the copy\n");
  ui.ChooseOpenAnswer(input).ChooseSaveAnswer(existing).Answer(kAskOpenStrippedCopy, false);
  EXPECT_EQ(StripResult::Done, Run());
  EXPECT_EQ("b();\r\n", TempDir::Read(existing));
  EXPECT_EQ(1u, started.size());
}

TEST_F(StripIfCommandTest, EveryWayOutLeavesNoFile) {
  struct Case {
    std::optional<std::string> in;
    std::optional<std::string> out;
    StripResult result;
    std::string message;
  } cases[] = {
      {std::nullopt, {}, StripResult::Cancelled, "キャンセルします！　"},
      {(dir.path() / "none.c").string(),
       {},
       StripResult::NoFile,
       "指定されたファイルが存在しません。　\n終了します。"},
      {dir.str(), {}, StripResult::Unreadable, "ファイルが開けませんでした。　\n"},
      {input, "", StripResult::Cancelled, "キャンセルします！　"},
  };
  for (const Case& c : cases) {
    ui = ScriptedUi();
    ui.ChooseOpenAnswer(c.in);
    if (c.out) ui.ChooseSaveAnswer(c.out);
    EXPECT_EQ(c.result, Run()) << c.message;
    ASSERT_EQ(2u, ui.messages().size()) << c.message;
    EXPECT_EQ(0u, ui.messages()[1].find(c.message)) << ui.messages()[1];
    EXPECT_TRUE(TempEmpty()) << c.message;
  }
  EXPECT_TRUE(started.empty());
}

}  // namespace
}  // namespace kelvora
