#include <gtest/gtest.h>

#include <filesystem>

#include "data/registration_lists.h"
#include "grep/grep_results.h"
#include "grep/grep_search.h"
#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"

namespace kelvora {
namespace {

using testing::TempDir;
using Argv = std::vector<std::string>;

class GrepCommandTest : public ::testing::Test {
 protected:
  GrepCommandTest() {
    std::string a = dir.Write("src/a.c", "#if 1\nint v;\n#endif\n");
    std::size_t r = data.files().AppendRow();
    data.files().SetCell(r, col::kPosition, a + "(1)");
  }
  GrepOutcome Run(std::optional<int> kind, std::optional<std::string> name = std::nullopt,
                  bool window_open = false) {
    GrepContext ctx{data, settings, regex, ui, dir.str(), window_open};
    return GrepCommand(ctx, {[&] { return kind; }, [&] { return name; }});
  }

  TempDir dir;
  RegisteredData data;
  Settings settings;
  RegexService regex;
  ScriptedUi ui;
};

TEST_F(GrepCommandTest, EachWayOutSaysWhyAndLeavesNoResult) {
  struct Case {
    std::optional<int> kind;
    std::optional<std::string> name;
    bool window_open;
    GrepResult result;
    std::string message;
  } cases[] = {
      {4,
       {},
       true,
       GrepResult::WindowOpen,
       "既に、Grep結果ダイアログが起動されています。\n\nダイアログを一度閉じてから再度実行して下さ"
       "い。　"},
      {std::nullopt, {}, false, GrepResult::Cancelled, "キャンセルします！　"},
      {7, {}, false, GrepResult::BadChoice, "エラー発生！\n終了します。"},
      {1, std::nullopt, false, GrepResult::Cancelled, "キャンセルします！　"},
      {1, "", false, GrepResult::Cancelled, "入力されていません！　"},
      // The mend: a name that breaks the pattern is reported, nothing is searched.
      {1, "v(", false, GrepResult::BadPattern, "検索パターンが正しくありません！　"},
  };
  for (const Case& c : cases) {
    ui = ScriptedUi();
    GrepOutcome out = Run(c.kind, c.name, c.window_open);
    EXPECT_EQ(c.result, out.result) << c.message;
    ASSERT_EQ(1u, ui.messages().size()) << c.message;
    EXPECT_EQ(0u, ui.messages()[0].find(c.message)) << ui.messages()[0];
    EXPECT_FALSE(std::filesystem::exists(dir.path() / kGrepResultFileName)) << c.message;
  }
}

TEST_F(GrepCommandTest, FoundRunCarriesTheWindowTexts) {
  GrepOutcome out = Run(1, std::string("v"));
  // "int v;" holds no assignment; "#if 1" holds no "v =".
  EXPECT_EQ(GrepResult::NoHits, out.result);
  EXPECT_EQ((std::vector<std::string>{"検出されませんでした！　"}), ui.messages());

  ui = ScriptedUi();
  out = Run(4);
  ASSERT_EQ(GrepResult::Found, out.result);
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(1, out.run.hits);
  EXPECT_EQ("Grep実行File数：1", GrepFilesText(out.run));
  EXPECT_EQ("Grep文字列：", GrepWordText(out.run));
  EXPECT_EQ(dir.str() + "/" + kGrepResultFileName, out.run.result_path);
  EXPECT_EQ(1, ui.progress_max());
}

TEST_F(GrepCommandTest, UnwritableResultFileAndEscape) {
  std::filesystem::create_directory(dir.path() / kGrepResultFileName);  // cannot be created
  EXPECT_EQ(GrepResult::OutputFailed, Run(4).result);
  EXPECT_EQ((std::vector<std::string>{"出力ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ！　\n" + dir.str() + "/" +
                                      kGrepResultFileName + "\nIs a directory"}),
            ui.messages());
  std::filesystem::remove(dir.path() / kGrepResultFileName);

  ui = ScriptedUi();
  ui.EscapeAtPoll(1).Answer(kAskCancelOnEscape, true);
  EXPECT_EQ(GrepResult::Cancelled, Run(4).result);
  EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST(GrepPatternTest, MenuRowsAndPatterns) {
  EXPECT_EQ(
      "　　■■ 関数マクロ　検索 ■■\r\n\r\n　　関数マクロを検索します。\r\n\r\n"
      "　　例）．#define   max(a,b)    (((a) > (b)) ? (a) : (b))\r\n",
      GrepLongDescription(GrepKind::FunctionMacro));
  EXPECT_EQ("^[ \\t]*#if", GrepPattern(GrepKind::IfDirective));
  EXPECT_EQ(0u, GrepPattern(GrepKind::Assign, "a\\[0\\]").find("a\\[0\\][ \\t]*"));
  ScriptedUi ui;
  EXPECT_FALSE(AcceptGrepMenuChoice(std::nullopt, ui));
  EXPECT_TRUE(AcceptGrepMenuChoice(2, ui));
  EXPECT_EQ((std::vector<std::string>{"選択されていません。　"}), ui.messages());
}

TEST(GrepResultListTest, SplitsAtTheLinePositionNotAtNumbersInTheText) {
  struct Case {
    std::string line, position, rest;
  } cases[] = {
      {"/src/a.c(12):  x = f(3);", "/src/a.c(12)", ":  x = f(3);"},
      {"/s (1)/b.c(7):  y\t= 1;", "/s (1)/b.c(7)", ":  y  = 1;"},
      {"/src/c.c(5):  t[(2)] = 0;", "/src/c.c(5)", ":  t[(2)] = 0;"},
  };
  for (const Case& c : cases) {
    std::string position, rest;
    ASSERT_TRUE(SplitGrepLine(c.line, position, rest)) << c.line;
    EXPECT_EQ(c.position, position);
    EXPECT_EQ(c.rest, rest);
  }
  std::string p, r;
  EXPECT_FALSE(SplitGrepLine("no position here", p, r));
}

TEST(GrepResultListTest, SortsFirstTwoColumnsAsTextWithoutCase) {
  std::string text;
  for (int i = 1; i <= 10; ++i)
    text += (i % 2 ? "/B/x.c(" : "/a/y.c(") + std::to_string(i) + "):  v = " + std::to_string(i) +
            ";\r\n";
  GrepResultList list;
  list.LoadText(text);
  ASSERT_EQ(10u, list.size());
  auto numbers = [&] {
    std::string s;
    for (const GrepHit& h : list.rows()) s += h.number + " ";
    return s;
  };
  EXPECT_TRUE(list.SortByColumn(0));
  EXPECT_EQ("1 10 2 3 4 5 6 7 8 9 ", numbers());  // "10" before "2"
  EXPECT_TRUE(list.SortByColumn(0));
  EXPECT_EQ("9 8 7 6 5 4 3 2 10 1 ", numbers());
  EXPECT_FALSE(list.SortByColumn(2));
  EXPECT_TRUE(list.SortByColumn(1));  // a new column starts ascending; "/a" before "/B"
  EXPECT_EQ("/a/y.c(10)", list.at(0).position);
  EXPECT_EQ("/B/x.c(9)", list.at(9).position);
}

TEST(GrepResultListTest, KeepsEveryHitBeyond65535AndCountsThem) {
  TempDir dir;
  std::string text;
  const std::size_t n = 70000;
  for (std::size_t i = 1; i <= n; ++i) text += "/k/f.c(" + std::to_string(i) + "):  #if X\r\n";
  std::string path = dir.Write("Grep結果.txt", text);
  GrepResultList list;
  std::size_t last_progress = 0;
  ASSERT_TRUE(list.Load(path, [&](std::size_t row) { last_progress = row; }));
  EXPECT_EQ(n, list.size());
  EXPECT_EQ(70000u, last_progress);
  EXPECT_EQ("/k/f.c(70000)", list.at(n - 1).position);
  EXPECT_EQ("検出数：70000", GrepCountText(list.size()));
  EXPECT_FALSE(list.Load((dir.path() / "none.txt").string()));
}

TEST(GrepResultListTest, FooterAndJump) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 7;
  t.tm_hour = 9;
  t.tm_min = 5;
  EXPECT_EQ(
      "2026/12/07 09:05 Grep実行\r\n【 #if、#ifdef、#ifndef ﾃﾞｨﾚｸﾃｨﾌﾞ　検索結果 】"
      "　　※ダブルクリック、または「F5」でRarUvizします。　\r\n",
      GrepFooterText(t, GrepKind::IfDirective));
  EXPECT_EQ(0u, GrepFooterText(std::nullopt, GrepKind::Assign).find("\r\n【 指定変数"));

  GrepResultList list;
  list.LoadText("/src/my file.c(12):  x = 1;\n");
  std::vector<Argv> started;
  EditorLauncher editor(
      "/usr/bin/ed", "+", [&](const Argv& a) { return started.push_back(a), true; },
      [](const std::string&) { return true; });
  ScriptedUi ui;
  EXPECT_FALSE(OpenGrepHit(list, std::nullopt, editor, ui).has_value());
  EXPECT_EQ((std::vector<std::string>{"選択されていません。　"}), ui.messages());
  EXPECT_EQ(OpenResult::Started, OpenGrepHit(list, 0, editor, ui));
  ASSERT_EQ(1u, started.size());
  EXPECT_EQ((Argv{"/usr/bin/ed", "+12", "/src/my file.c"}), started[0]);
}

}  // namespace
}  // namespace kelvora
