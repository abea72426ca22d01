// The questions of the analysis run, their order and texts, and what each answer does.
#include "analysis/confirm_text.h"
#include "analysis_run_fixture.h"

namespace kelvora::testing {
namespace {

const std::string kNotice =
    "\n\n・解析中、「ESCキー」押下で解析キャンセル可　\n　（登録データは全て削除されます。）\n"
    "・ｺﾒﾝﾄ、#if 0 ﾃﾞｨﾚｸﾃｨﾌﾞ範囲は解析対象から除外されます　\n\n解析を実施しますか？\n"
    "（ファイルが多い場合、時間がかかります）\n\n";
const std::string kLossWarning =
    "注意：「いいえ」押下でキャンセルできますが、\n登録データは全て削除されます。";
const std::string kDefaultSummary =
    "　・「関数」を取得する        「関数」、「関数マクロ」、両方　\n"
    "　・「構造体」を取得する     「タグ名」、「typedef」、両方　\n"
    "　・「#define」を取得する\n"
    "　・「ﾃｰﾌﾞﾙ」を取得する\n"
    "\n　・関数ヘッダ内からコメントを取得する\n　　（ 取得条件文字：関数名|処理名|機能名 ）\n"
    "　　（ 取得範囲　　　：10 ）\n";

std::string SubfolderText(const std::string& root) {
  return root +
         "\n\nサブフォルダのファイルも解析しますか？　\n「はい」　：サブフォルダを含める\n"
         "「いいえ」：サブフォルダを含めない\n";
}

TEST_F(AnalysisRunTest, FreshRunAsksSubfoldersThenTheConfirmationWithTheSettings) {
  WriteSampleTree();
  ASSERT_EQ(RunSample(), 0);
  std::vector<std::string> q = ui.questions();
  ASSERT_EQ(q.size(), 2u);
  EXPECT_EQ(q[0], SubfolderText(Root()));
  EXPECT_EQ(q[1], "■■ 解析ルートディレクトリ ■■\n " + Root() +
                      "　\n\n■■ 取得ファイル ■■\n ソースファイル数：1\n( *.c;*.cpp )\n\n"
                      " ヘッダファイル数：1\n( *.h )\n\n■■ 解析内容設定 ■■\n" +
                      kDefaultSummary + "\n　・プリプロセッサ定義\n　　　　なし" + kNotice);
  EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST_F(AnalysisRunTest, SummaryFollowsTheAnalysisSettings) {
  Settings s;
  s.func_prop = 1;
  s.struct_prop = 2;
  s.define = 0;
  s.table = 0;
  s.func_header_line = 0;
  s.preprocessor = "WIN32,_DEBUG";
  EXPECT_EQ(SettingsSummary(s, true),
            "　・「関数」を取得する        「関数」のみ　\n"
            "　・「構造体」を取得する     「typedef」のみ　\n"
            "\n　・関数ヘッダ内からコメントを取得しない"
            "\n　・プリプロセッサ定義\n　　　　WIN32,_DEBUG　\n");
  s.func = 0;
  s.structs = 0;
  s.func_header_line = 3;
  s.func_header_str.clear();
  EXPECT_EQ(SettingsSummary(s, false), "\n　・関数ヘッダ内からコメントを取得しない");
  s.func = 1;
  s.func_prop = 2;
  s.structs = 1;
  s.struct_prop = 1;
  EXPECT_EQ(SettingsSummary(s, false),
            "　・「関数」を取得する        「関数マクロ」のみ　\n"
            "　・「構造体」を取得する     「タグ名」のみ　\n"
            "\n　・関数ヘッダ内からコメントを取得しない");
}

TEST_F(AnalysisRunTest, AddingToExistingDataAsksFirstAndWarnsInTheConfirmation) {
  WriteSampleTree();
  ASSERT_EQ(RunSample(), 0);
  dir.Write("second/extra.c", "int extra(int v)\n{\n  return v;\n}\n");
  ui.AnswerYes().AnswerYes().AnswerYes();
  ASSERT_EQ(StartAnalysisAt(ctx, dir.str() + "/second"), 0);
  std::vector<std::string> q = ui.questions();
  ASSERT_EQ(q.size(), 5u);
  EXPECT_EQ(q[2],
            "既にデータが存在します\n(File登録数  ソースファイル：1  ヘッダファイル：1)　\n\n"
            "「はい」　：現在の登録データに追加する\n「いいえ」：現在の登録データを削除して新規登録"
            "する　");
  EXPECT_EQ(q[3], SubfolderText(dir.str() + "/second"));
  EXPECT_TRUE(q[4].ends_with(kNotice + kLossWarning));
  EXPECT_NE(q[4].find(" ソースファイル数：1\n"), std::string::npos);
  EXPECT_NE(q[4].find(" ヘッダファイル数：0\n"), std::string::npos);

  // Both runs' rows are kept; each refers to its own root.
  EXPECT_EQ(data.Count(ListKind::File), 3u);
  ASSERT_EQ(data.roots().Count(), 2u);
  long main_row = RowOf(ListKind::Function, "main");
  long extra_row = RowOf(ListKind::Function, "extra");
  ASSERT_GE(main_row, 0);
  ASSERT_GE(extra_row, 0);
  std::string main_pos = data.functions().Cell(main_row, col::kPosition);
  std::string extra_pos = data.functions().Cell(extra_row, col::kPosition);
  EXPECT_EQ(main_pos, "%1/src/main.c(13)");
  EXPECT_EQ(extra_pos, "%2/extra.c(1)");
  EXPECT_EQ(data.ExpandPosition(main_pos), Root() + "/src/main.c(13)");
  EXPECT_EQ(data.ExpandPosition(extra_pos), dir.str() + "/second/extra.c(1)");
}

TEST_F(AnalysisRunTest, AnalysingTheSameRootTwiceWithYesRegistersItsFilesTwice) {
  WriteSampleTree();
  ASSERT_EQ(RunSample(), 0);
  ui.AnswerYes().AnswerYes().AnswerYes();
  ASSERT_EQ(StartAnalysisAt(ctx, Root()), 0);
  EXPECT_EQ(data.Count(ListKind::File), 4u);
  EXPECT_EQ(Names(ListKind::Function),
            (std::vector<std::string>{"helper", "helper", "main", "main"}));
}

TEST_F(AnalysisRunTest, ReplacingExistingDataStartsTheListsAfresh) {
  WriteSampleTree();
  ASSERT_EQ(RunSample(), 0);
  dir.Write("second/extra.c", "int extra(int v)\n{\n  return v;\n}\n");
  ui.AnswerNo().AnswerYes().AnswerYes();
  ASSERT_EQ(StartAnalysisAt(ctx, dir.str() + "/second"), 0);
  std::vector<std::string> q = ui.questions();
  ASSERT_EQ(q.size(), 5u);
  EXPECT_TRUE(q[4].ends_with(kNotice));  // no earlier data, no warning
  EXPECT_EQ(Names(ListKind::File), (std::vector<std::string>{"extra.c"}));
  EXPECT_EQ(Names(ListKind::Function), (std::vector<std::string>{"extra"}));
  EXPECT_TRUE(data.structs().empty());
  EXPECT_EQ(data.ExpandPosition(data.functions().Cell(0, col::kPosition)),
            dir.str() + "/second/extra.c(1)");
}

TEST_F(AnalysisRunTest, SubfoldersAreWalkedOnlyWhenAskedFor) {
  Tree("top.c", "int top(void)\n{\n  return 1;\n}\n");
  Tree("sub/low.c", "int low(void)\n{\n  return 2;\n}\n");
  ui.AnswerNo().AnswerYes();
  ASSERT_EQ(StartAnalysisAt(ctx, Root()), 0);
  EXPECT_EQ(Names(ListKind::File), (std::vector<std::string>{"top.c"}));
  EXPECT_EQ(Names(ListKind::Function), (std::vector<std::string>{"top"}));
}

TEST_F(AnalysisRunTest, HeaderExtensionsAreWalkedInListOrder) {
  Set("Extention", "header", "*.h;*.hpp");
  Tree("a.hpp", "#define FROM_HPP 1\n");
  Tree("b.h", "#define FROM_H 1\n");
  Tree("c.c", "int c;\n");
  ASSERT_EQ(RunSample(), 0);
  EXPECT_NE(ui.questions()[1].find(" ヘッダファイル数：2\n( *.h;*.hpp )"), std::string::npos);
  EXPECT_EQ(WorkFile(kHeaderListFileName),
            "\r\n" + Root() + "/b.h(1)\r\n" + Root() + "/a.hpp(1)\r\n");
  EXPECT_EQ(Names(ListKind::Define), (std::vector<std::string>{"FROM_H", "FROM_HPP"}));
  for (std::size_t r = 0; r < data.files().RowCount(); ++r)
    EXPECT_EQ(data.files().Cell(r, col::kMarker),
              data.files().Cell(r, col::kName) == "c.c" ? "" : ".h");
}

TEST_F(AnalysisRunTest, EmptyHeaderListRegistersNoHeaders) {
  Set("Extention", "header", ";");
  Tree("a.h", "#define A 1\n");
  Tree("b.c", "int b;\n");
  ASSERT_EQ(RunSample(), 0);
  EXPECT_EQ(Names(ListKind::File), (std::vector<std::string>{"b.c"}));
  EXPECT_TRUE(data.defines().empty());
}

TEST_F(AnalysisRunTest, NoMatchingFilesEndsBeforeTheConfirmationAndKeepsTheLists) {
  WriteSampleTree();
  ASSERT_EQ(RunSample(), 0);
  std::size_t functions = data.Count(ListKind::Function);
  dir.Write("empty/readme.txt", "nothing\n");
  ui.AnswerYes().AnswerYes();
  EXPECT_EQ(StartAnalysisAt(ctx, dir.str() + "/empty"), -1);
  EXPECT_EQ(ui.questions().size(), 4u);
  EXPECT_EQ(ui.messages().back(), "該当ファイルがありません！　");
  EXPECT_EQ(data.Count(ListKind::Function), functions);
  EXPECT_EQ(data.Count(ListKind::File), 2u);
  EXPECT_EQ(data.roots().Count(), 1u);
}

TEST_F(AnalysisRunTest, RefusedConfirmationLeavesNoDataAtAll) {
  WriteSampleTree();
  ASSERT_EQ(RunSample(), 0);
  ui.AnswerYes().AnswerYes().AnswerNo();
  EXPECT_EQ(StartAnalysisAt(ctx, Root()), -1);
  EXPECT_TRUE(data.AllEmpty());
  EXPECT_EQ(data.roots().Count(), 0u);
  EXPECT_EQ(ui.layouts().back(), WindowLayout::NoData);
  EXPECT_EQ(ui.count_label(static_cast<int>(ListKind::Function)), "");
}

TEST_F(AnalysisRunTest, CancelledFolderChooserSaysSoAndRunsNothing) {
  ui.ChooseFolderAnswer(std::nullopt);
  EXPECT_EQ(StartAnalysis(ctx), -1);
  EXPECT_EQ(ui.shown().front().text, "■■解析するルートディレクトリ指定■■");
  EXPECT_EQ(ui.messages(), (std::vector<std::string>{"キャンセルします！　"}));
  EXPECT_TRUE(data.AllEmpty());
}

TEST_F(AnalysisRunTest, ChosenFolderIsAnalysed) {
  WriteSampleTree();
  ui.ChooseFolderAnswer(Root() + "/").AnswerYes().AnswerYes();
  EXPECT_EQ(StartAnalysis(ctx), 0);
  EXPECT_EQ(ui.questions()[1], SubfolderText(Root()));
  EXPECT_EQ(data.roots().Entry(1), Root());
}

TEST(ConfirmTextTest, FileSystemRootIsShownAsSlash) {
  EXPECT_EQ(DisplayRoot(""), "/");
  EXPECT_EQ(DisplayRoot("/home/ユーザー"), "/home/ユーザー");
  EXPECT_EQ(DisplayRoot("/src/\x93\xfa\x96\x7b"), "/src/日本");
}

}  // namespace
}  // namespace kelvora::testing
