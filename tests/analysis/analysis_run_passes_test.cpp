// A whole analysis run: what the passes register, the window state on every way out, progress
// and status texts, cancelling, re-analysis and bad input.
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <regex>

#include "analysis/analysis_passes.h"
#include "analysis_run_fixture.h"
#include "platform/line_reader.h"
#include "platform/process.h"

namespace kelvora::testing {
namespace {

// Points TMPDIR at a folder of the test for its lifetime.
class TmpDirScope {
 public:
  explicit TmpDirScope(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    if (const char* old = std::getenv("TMPDIR")) old_ = old;
    setenv("TMPDIR", dir.c_str(), 1);
  }
  ~TmpDirScope() {
    if (old_.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", old_.c_str(), 1);
  }

 private:
  std::string old_;
};

bool IsEmptyDir(const std::filesystem::path& p) {
  return std::filesystem::is_empty(p);
}

TEST_F(AnalysisRunTest, RunRegistersEveryKindAndEndsSortedInTheDataLayout) {
  WriteSampleTree();
  TmpDirScope tmp(dir.path() / "tmp");
  ASSERT_EQ(RunSample(), 0);

  EXPECT_EQ(Names(ListKind::File), (std::vector<std::string>{"main.c", "types.h"}));
  EXPECT_EQ(Names(ListKind::Function), (std::vector<std::string>{"helper", "main"}));
  EXPECT_EQ(Names(ListKind::Struct), (std::vector<std::string>{"POINT", "tagPOINT"}));
  EXPECT_EQ(Names(ListKind::Define), (std::vector<std::string>{"MAX_COUNT"}));
  EXPECT_EQ(Names(ListKind::Table), (std::vector<std::string>{"charTable", "origin"}));
  EXPECT_EQ(data.functions().Cell(0, col::kPosition), "%1/src/main.c(7)");
  EXPECT_EQ(data.functions().Cell(0, col::kComment), Utf8ToCp932("// ヘルパー関数"));
  EXPECT_FALSE(data.functions().Cell(1, col::kTotalSteps).empty());
  EXPECT_EQ(data.files().Cell(1, col::kPosition), Root() + "/inc/types.h(1)");
  EXPECT_EQ(data.roots().Count(), 1u);

  EXPECT_EQ(ui.count_label(1), "◆関数 登録数：2");
  EXPECT_EQ(ui.count_label(2), "◆構造体 登録数：2");
  EXPECT_EQ(ui.count_label(3), "◆#define 登録数：1");
  EXPECT_EQ(ui.count_label(4), "◆File 登録数：2");
  EXPECT_EQ(ui.count_label(5), "◆ﾃｰﾌﾞﾙ 登録数：2");
  EXPECT_EQ(ui.layouts(), (std::vector<WindowLayout>{WindowLayout::Running, WindowLayout::Data}));
  EXPECT_FALSE(ui.wait_cursor());
  EXPECT_TRUE(ui.list_redraw());
  EXPECT_EQ(ui.status(3), "完：関数 構造体 #define ﾃｰﾌﾞﾙ 関数ｺﾒﾝﾄ ");
  const auto& status3 = ui.status_history(3);
  EXPECT_EQ(status3.front(), "Analysis Start！！");
  EXPECT_NE(std::find(status3.begin(), status3.end(), "登録データソート中…"), status3.end());
  EXPECT_TRUE(
      std::regex_match(ui.status(2), std::regex("取得完了！  所要時間：[0-9]+\\.[0-9]{3}秒  ")))
      << ui.status(2);

  // S = H = 1: functions 3(S+H), structs 2H, defines H, tables 2(S+H); the bar ends full.
  EXPECT_EQ(ui.progress_max(), 13);
  EXPECT_EQ(ui.progress_pos(), 13);

  // The temporary file is gone; the working files stay.
  EXPECT_TRUE(IsEmptyDir(dir.path() / "tmp"));
  EXPECT_EQ(WorkFile(kHeaderListFileName), "\r\n" + Root() + "/inc/types.h(1)\r\n");
  EXPECT_NE(WorkFile(kPrototypeFileName).find("int helper(int a);"), std::string::npos);
}

TEST_F(AnalysisRunTest, SwitchedOffPassesRegisterNothingAndCountNoProgress) {
  WriteSampleTree();
  Set("Analysis", "func", "0");
  Set("Analysis", "table", "0");
  ASSERT_EQ(RunSample(), 0);
  EXPECT_TRUE(data.functions().empty());
  EXPECT_TRUE(data.tables().empty());
  EXPECT_EQ(Names(ListKind::Struct), (std::vector<std::string>{"POINT", "tagPOINT"}));
  EXPECT_EQ(ui.progress_max(), 3);
  EXPECT_EQ(ui.status(3), "完：構造体 #define ");
  EXPECT_EQ(ui.questions()[1].find("「関数」を取得する"), std::string::npos);
}

TEST_F(AnalysisRunTest, TableHeadsWithSeveralBracketGroupsAreFound) {
  Tree("t.c",
       "static const char charTable[3][4] = {\n"
       "int grid [2] [3][4]= {\n"
       "long plain = {\n"
       "char one[8] =\n"
       "{\n");
  ASSERT_EQ(RunSample(), 0);
  EXPECT_EQ(Names(ListKind::Table),
            (std::vector<std::string>{"charTable", "grid", "one", "plain"}));
  Regex table;
  ASSERT_TRUE(regex.Compile(kTableHeadPattern, table));
  EXPECT_TRUE(table.Matches("int a[N+1] = {"));
  EXPECT_TRUE(table.Matches("int x = {"));
  EXPECT_FALSE(table.Matches("int x = 3;"));
  EXPECT_FALSE(table.Matches("x[2] = {"));
}

// "DataMax" keeps its cut, and the completion says per list how many rows it left out; a run
// within the limit says nothing.
TEST_F(AnalysisRunTest, RowsLeftOutByDataMaxAreCountedPerList) {
  Tree("a.h", "} AA;\n} BB;\n} CC;\n} DD;\nint t1[] = {\nint t2[] = {\n");
  Tree("b.c", "int t3[] = {\n");
  Set("List", "DataMax", "2");
  ASSERT_EQ(RunSample(), 0);
  EXPECT_EQ(data.structs().RowCount(), 2u);
  EXPECT_EQ(data.tables().RowCount(), 2u);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0],
            "取得完了！  登録上限を超えたデータは登録されていません。　\n"
            "◆構造体 未登録：2（登録上限 DataMax：2）\n"
            "◆ﾃｰﾌﾞﾙ 未登録：1（登録上限 DataMax：2）");
  Set("List", "DataMax", "3");
  ui.AnswerYes().AnswerYes().AnswerYes();
  ASSERT_EQ(ReanalyseRegisteredFiles(ctx), 0);
  EXPECT_EQ(data.tables().RowCount(), 3u);
  ASSERT_EQ(ui.messages().size(), 2u);
  EXPECT_EQ(ui.messages()[1],
            "取得完了！  登録上限を超えたデータは登録されていません。　\n"
            "◆構造体 未登録：1（登録上限 DataMax：3）");
  Set("List", "DataMax", "4");
  ui.AnswerYes();
  ASSERT_EQ(ReanalyseRegisteredFiles(ctx), 0);
  EXPECT_EQ(ui.messages().size(), 2u);
}

TEST_F(AnalysisRunTest, EscapeConfirmedLeavesNoRegisteredData) {
  WriteSampleTree();
  ASSERT_EQ(RunSample(), 0);
  TmpDirScope tmp(dir.path() / "tmp");
  ui.AnswerYes().AnswerYes().AnswerYes();  // add, subfolders, confirm
  ui.EscapeAtPoll(1).AnswerYes();          // the first poll reports Escape; cancel
  EXPECT_EQ(StartAnalysisAt(ctx, Root()), -1);
  EXPECT_EQ(ui.questions().back(), "「ESCキー」が押されました。\n解析キャンセルしますか？　\n");
  EXPECT_TRUE(data.AllEmpty());
  EXPECT_EQ(data.roots().Count(), 0u);
  EXPECT_EQ(ui.layouts().back(), WindowLayout::NoData);
  for (int kind = 1; kind <= 5; ++kind) EXPECT_EQ(ui.count_label(kind), "");
  EXPECT_FALSE(ui.wait_cursor());
  EXPECT_TRUE(ui.list_redraw());
  EXPECT_TRUE(IsEmptyDir(dir.path() / "tmp"));
}

TEST_F(AnalysisRunTest, EscapeAnsweredNoGoesOn) {
  WriteSampleTree();
  ui.AnswerYes().AnswerYes();
  ui.EscapeAtPoll(1).AnswerNo();
  ASSERT_EQ(StartAnalysisAt(ctx, Root()), 0);
  EXPECT_EQ(Names(ListKind::Function), (std::vector<std::string>{"helper", "main"}));
  EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST_F(AnalysisRunTest, EveryPassPollsForEscapeBetweenFiles) {
  WriteSampleTree();
  ASSERT_EQ(RunSample(), 0);
  int polls_per_run = ui.polls();
  ASSERT_GE(polls_per_run, 2);
  // An Escape at each poll of a run cancels it, wherever the poll is.
  for (int at = 1; at <= polls_per_run; ++at) {
    ui.AnswerYes().AnswerYes().AnswerYes();
    ui.EscapeAtPoll(at).AnswerYes();
    ASSERT_EQ(StartAnalysisAt(ctx, Root()), -1) << "poll " << at;
    EXPECT_TRUE(data.AllEmpty());
    ASSERT_EQ(RunSample(), 0);
  }
}

TEST_F(AnalysisRunTest, ReanalysisKeepsTheFilesAndRefillsTheOtherLists) {
  WriteSampleTree();
  ASSERT_EQ(RunSample(), 0);
  Tree("src/main.c", "int renamed(void)\n{\n  return 0;\n}\n");
  ui.AnswerYes();
  ASSERT_EQ(ReanalyseRegisteredFiles(ctx), 0);
  std::string q = ui.questions().back();
  EXPECT_TRUE(q.starts_with("■■ 解析内容設定 ■■\n　・「関数」を取得する"));
  EXPECT_TRUE(q.ends_with(
      "\n現在の設定は上記の通りです。\n\n\n登録ファイルを再解析（最新の情報に更新）しますか？　"));
  EXPECT_EQ(q.find("プリプロセッサ"), std::string::npos);
  EXPECT_EQ(Names(ListKind::File), (std::vector<std::string>{"main.c", "types.h"}));
  EXPECT_EQ(Names(ListKind::Function), (std::vector<std::string>{"renamed"}));
  EXPECT_EQ(Names(ListKind::Struct), (std::vector<std::string>{"POINT", "tagPOINT"}));
  EXPECT_TRUE(data.tables().empty());
  EXPECT_EQ(data.roots().Count(), 1u);
  EXPECT_EQ(data.functions().Cell(0, col::kPosition), "%1/src/main.c(1)");
  EXPECT_EQ(WorkFile(kHeaderListFileName), Root() + "/inc/types.h(1)\r\n");
  EXPECT_EQ(ui.progress_max(), 13);
  EXPECT_EQ(ui.layouts().back(), WindowLayout::Data);
}

TEST_F(AnalysisRunTest, ReanalysisOverTwoRootsKeepsEveryRowOpenable) {
  Tree("one/a.c", "int alpha(void)\n{\n  return 1;\n}\n");
  Tree("two/b.c", "int beta(void)\n{\n  return 2;\n}\n");
  ui.AnswerYes().AnswerYes();
  ASSERT_EQ(StartAnalysisAt(ctx, Root() + "/one"), 0);
  ui.AnswerYes().AnswerYes().AnswerYes();  // add to the existing data
  ASSERT_EQ(StartAnalysisAt(ctx, Root() + "/two"), 0);
  ui.AnswerYes();
  ASSERT_EQ(ReanalyseRegisteredFiles(ctx), 0);
  ASSERT_EQ(Names(ListKind::Function), (std::vector<std::string>{"alpha", "beta"}));
  EXPECT_EQ(data.ExpandPosition(data.functions().Cell(0, col::kPosition)), Root() + "/one/a.c(1)");
  EXPECT_EQ(data.ExpandPosition(data.functions().Cell(1, col::kPosition)), Root() + "/two/b.c(1)");
}

TEST_F(AnalysisRunTest, DeclinedReanalysisChangesNothing) {
  WriteSampleTree();
  ASSERT_EQ(RunSample(), 0);
  ui.AnswerNo();
  EXPECT_EQ(ReanalyseRegisteredFiles(ctx), -1);
  EXPECT_EQ(Names(ListKind::Function), (std::vector<std::string>{"helper", "main"}));
  ui.AnswerYes();
  RegisteredData empty;
  AnalysisContext none{empty, store, regex, ui, ctx.work_dir};
  EXPECT_EQ(ReanalyseRegisteredFiles(none), -1);
  EXPECT_EQ(ui.messages().back(), "登録データがありません！　");
}

TEST_F(AnalysisRunTest, FileThatCannotBeOpenedIsAskedAbout) {
  WriteSampleTree();
  Tree("src/gone.c", "int gone(void)\n{\n  return 0;\n}\n");
  ASSERT_EQ(RunSample(), 0);
  std::filesystem::remove(dir.path() / "tree" / "src" / "gone.c");

  ui.AnswerYes().AnswerNo();  // re-analyse; skip the missing file
  ASSERT_EQ(ReanalyseRegisteredFiles(ctx), 0);
  std::string q = ui.questions().back();
  EXPECT_TRUE(q.starts_with("<<「関数」取得>>\n\nファイルが開けませんでした。\n"));
  EXPECT_NE(
      q.find("\n" + Root() +
             "/src/gone.c\n\n解析を終了しますか？\n（「いいえ」でこのファイルを飛ばして継続）　"),
      std::string::npos);
  EXPECT_EQ(Names(ListKind::Function), (std::vector<std::string>{"helper", "main"}));

  ui.AnswerYes().AnswerYes();  // re-analyse; end the run at the missing file
  EXPECT_EQ(ReanalyseRegisteredFiles(ctx), -1);
  EXPECT_TRUE(data.AllEmpty());
}

TEST_F(AnalysisRunTest, UnreadableFilesAndFoldersDoNotStopTheRun) {
  WriteSampleTree();
  Tree("locked/secret.c", "int secret(void)\n{\n  return 0;\n}\n");
  Tree("src/private.c", "int hidden(void)\n{\n  return 0;\n}\n");
  OpenUp(dir.path());
  std::filesystem::permissions(dir.path() / "tree" / "locked", std::filesystem::perms::none);
  std::filesystem::permissions(dir.path() / "tree" / "src" / "private.c",
                               std::filesystem::perms::none);
  int rc = RunWithoutRootRights([&] {
    ui.AnswerYes().AnswerYes().AnswerNo();  // subfolders, confirm, skip private.c
    if (StartAnalysisAt(ctx, Root()) != 0) return 1;
    if (Names(ListKind::Function) != std::vector<std::string>{"helper", "main"}) return 2;
    if (Names(ListKind::File) != std::vector<std::string>{"main.c", "private.c", "types.h"})
      return 3;
    return ui.questions().back().starts_with("<<「関数」取得>>") ? 0 : 4;
  });
  EXPECT_EQ(rc, 0);
}

// A file that opens but cannot be read (reading /proc/self/mem from its start fails with EIO)
// is an unreadable file for the function pass, asked about like one that does not open.
TEST_F(AnalysisRunTest, ReadErrorIsNotTheEndOfAFile) {
  WriteSampleTree();
  std::filesystem::create_symlink("/proc/self/mem", dir.path() / "tree" / "src" / "broken.c");
  ui.AnswerYes().AnswerYes().AnswerNo();  // subfolders, confirm, go on without broken.c
  ASSERT_EQ(StartAnalysisAt(ctx, Root()), 0);
  EXPECT_EQ(Names(ListKind::Function), (std::vector<std::string>{"helper", "main"}));
  ASSERT_FALSE(ui.questions().empty());
  EXPECT_TRUE(ui.questions().back().starts_with("<<「関数」取得>>"));
  EXPECT_NE(ui.questions().back().find("broken.c"), std::string::npos);
  // The header list reader tells a read error from a short list.
  std::vector<std::string> paths;
  EXPECT_FALSE(ReadHeaderList("/proc/self/mem", paths));
  EXPECT_FALSE(ReadHeaderList((dir.path() / "missing.txt").string(), paths));
}

TEST_F(AnalysisRunTest, TemporaryFileFailureEndsTheRunAndKeepsTheRows) {
  WriteSampleTree();
  std::filesystem::create_directories(dir.path() / "ro");
  OpenUp(dir.path());
  std::filesystem::permissions(dir.path() / "ro", std::filesystem::perms::owner_read |
                                                      std::filesystem::perms::owner_exec |
                                                      std::filesystem::perms::others_read |
                                                      std::filesystem::perms::others_exec);
  int rc = RunWithoutRootRights([&] {
    setenv("TMPDIR", (dir.path() / "ro").c_str(), 1);
    if (RunSample() != -1) return 1;
    if (ui.messages() != std::vector<std::string>{"テンポラリファイルの作成エラー"}) return 2;
    if (data.Count(ListKind::File) != 2 || data.roots().Count() != 1) return 3;
    if (ui.wait_cursor() || !ui.list_redraw()) return 4;
    return ui.layouts().back() == WindowLayout::Data ? 0 : 5;
  });
  EXPECT_EQ(rc, 0);
}

TEST_F(AnalysisRunTest, BadInputIsAnalysedWithoutCrashOrHang) {
  std::string binary;
  for (int i = 0; i < 65536; ++i) binary.push_back(static_cast<char>((i * 7919) % 256));
  Tree("bin.c", binary);
  Tree("nul.c", std::string("int a\0b(void)\n{\n  return 0;\n}\n", 30));
  Tree("huge.c", "int before(void)\n{\n  return 0;\n}\n" + std::string(4 << 20, 'x') +
                     "\nint after(void)\n{\n  return 1;\n}\n");
  Tree("broken.c", "int bad_\x81(void) /* \x81\x20 \xa4\xff \x8e */\n{\n  return 0;\n}\n");
  Tree("endif.h", "#endif\n#define AFTER_ENDIF 1\n");
  std::string deep;
  for (int i = 0; i < 40; ++i) deep += "#ifdef L" + std::to_string(i) + "\n";
  deep += "#define DEEP 1\n";
  for (int i = 0; i < 40; ++i) deep += "#endif\n";
  deep += "#define SHALLOW 1\n";
  Tree("deep.h", deep);
  Tree("odd names/50% (copy)/日本語 ファイル.c", "int odd(void)\n{\n  return 0;\n}\n");
  Tree("\x93\xfa\x96\x7b.c", "int sjis_named(void)\n{\n  return 0;\n}\n");

  for (int char_change : {0, 1}) {
    Set("Analysis", "CharChange", std::to_string(char_change));
    data.Clear();
    ui.AnswerYes().AnswerYes();
    ASSERT_EQ(StartAnalysisAt(ctx, Root()), 0);
    std::vector<std::string> functions = Names(ListKind::Function);
    for (const char* name : {"before", "after", "odd", "sjis_named"})
      EXPECT_NE(std::find(functions.begin(), functions.end(), name), functions.end()) << name;
    EXPECT_GE(RowOf(ListKind::Define, "SHALLOW"), 0);
    EXPECT_EQ(data.Count(ListKind::File), 8u);
  }
  long odd = RowOf(ListKind::Function, "odd");
  ASSERT_GE(odd, 0);
  EXPECT_EQ(data.ExpandPosition(data.functions().Cell(odd, col::kPosition)),
            Root() + "/odd names/50% (copy)/日本語 ファイル.c(1)");
}

TEST_F(AnalysisRunTest, Utf8StringLiteralsDoNotHangTheRun) {
  // A table of UTF-8 block characters as found in the Linux sources (tools/perf/util/spark.c).
  Tree("spark.c",
       "static const char *ticks[8] = {\n"
       "\t\t\"▁\",  \"▂\", \"▃\", \"▄\", \"▅\", \"▆\", \"▇\", \"█\"\n"
       "};\n"
       "int spark(void)\n{\n  return 0;\n}\n");
  int rc = RunWithTimeLimit(20, [&] {
    ui.AnswerYes().AnswerYes();
    if (StartAnalysisAt(ctx, Root()) != 0) return 1;
    return RowOf(ListKind::Function, "spark") >= 0 ? 0 : 2;
  });
  EXPECT_EQ(rc, 0) << "126: the run did not finish within 20 s";
}

TEST(ElapsedTextTest, WholeSecondsAPointAndThreeDigits) {
  EXPECT_EQ(ElapsedSecondsText(5045), "5.045");
  EXPECT_EQ(ElapsedSecondsText(7), "0.007");
  EXPECT_EQ(ElapsedSecondsText(61000), "61.000");
}

}  // namespace
}  // namespace kelvora::testing
