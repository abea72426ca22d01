#include <gtest/gtest.h>

#include <sstream>

#include "data/registration_lists.h"
#include "output/reports.h"
#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/scripted_ui.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

void Add(RegistrationList& list, std::vector<std::string> cells) {
  const std::size_t row = list.AppendRow();
  for (std::size_t c = 0; c < cells.size(); ++c)
    list.SetCell(row, static_cast<int>(c), Utf8ToCp932(cells[c]));
}

RegisteredData Sample() {
  RegisteredData data;
  data.roots().Append("/src");
  Add(data.functions(), {"init", "%1/a.c(12)", "", "/* 初期化, 全部 */", "10", "8"});
  Add(data.functions(), {"MAX2", "%1/a.h(3)", "#define", "// 大きい方 ", "1", "1"});
  Add(data.functions(), {"lost", "broken", "", "", "1", "1"});
  Add(data.structs(), {"tag", "%1/a.h(5):  ", "", ""});
  Add(data.files(), {"a.c", "/src/a.c(1)", ""});
  return data;
}

std::tm Date() {
  std::tm t{};
  t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 6, t.tm_wday = 0, t.tm_hour = 13, t.tm_min = 5;
  return t;
}

TEST(Reports, StepCountCsv) {
  std::ostringstream out;
  RegisteredData data = Sample();
  Add(data.functions(), {"operator,", "%1/x,\"y\"/b.c(7)", "", "/* \"q\", r */", "2", "2"});
  WriteStepCountCsvText(out, data, Date());
  EXPECT_EQ(
      "Kelvora Ver.3.24\r\n【解析実施日付】\r\n2026/12/06(日曜日) 13:05:00\r\n\r\n"
      "総ステップ数,実ステップ数,関数名,関数説明,ファイルパス,関数開始行,備考\r\n"
      "10,8,init,\"初期化, 全部\",/src/a.c,12,\r\n"
      "1,1,MAX2,大きい方,/src/a.h,3,関数マクロ\r\n"
      "1,1,lost,,,,\r\n"
      "2,2,\"operator,\",\"\"\"q\"\", r\",\"/src/x,\"\"y\"\"/b.c\",7,\r\n",
      Cp932ToUtf8(out.str()));
  const std::pair<const char*, const char*> comments[] = {
      {"/* a */", "a"},
      {"// b", "b"},
      {"x */ y */", "x  y"},
      {"  ", ""},
      {"/*1,2*/", "\"1,2\""},
      // A quote anywhere, a comma or not: a leading one opened a field that swallowed rows.
      {"/* \"引用\"で始まる */", "\"\"\"引用\"\"で始まる\""},
      {"// a\"b", "\"a\"\"b\""}};
  for (auto [in, expected] : comments) EXPECT_EQ(expected, CommentField(in)) << in;
}

TEST(Reports, InfoListWithAndWithoutPositions) {
  std::ostringstream with, without;
  const RegisteredData data = Sample();
  WriteInfoListText(with, data, true, Date());
  WriteInfoListText(without, data, false, Date());
  const std::string a = Cp932ToUtf8(with.str()), b = Cp932ToUtf8(without.str());
  EXPECT_EQ(0u, a.find("Kelvora Ver.3.24\r\n【解析実施日付】2026/12/06(日曜日) 13:05:00\r\n\r\n"
                       "・関数一覧     総数：3\r\n・構造体一覧   総数：1\r\n"));
  EXPECT_NE(std::string::npos,
            a.find("\r\n---------------------------------------------------------------\r\n"
                   "≪ 関数一覧      総数：3≫\r\n\r\n/src/a.c(12)\tinit\t\t/* 初期化, 全部 */\r\n"));
  EXPECT_NE(std::string::npos, a.find("/src/a.c(1)\ta.c\r\n"));
  EXPECT_NE(std::string::npos, b.find("\r\n\r\ninit\t\t/* 初期化, 全部 */\r\n"));
  EXPECT_NE(std::string::npos, b.find("≪ ファイル一覧  総数：1≫\r\n\r\na.c\r\n"));
}

TEST(Reports, CommandsAskSaveAndOpen) {
  testing::TempDir dir;
  std::vector<std::vector<std::string>> started;
  EditorLauncher editor("/usr/bin/gvim", "+", [&](const std::vector<std::string>& argv) {
    started.push_back(argv);
    return true;
  });
  ScriptedUi ui;
  RegisteredData empty;
  EXPECT_FALSE(WriteInfoList(empty, editor, ui));
  EXPECT_FALSE(WriteStepCountCsv(empty, ui));
  EXPECT_EQ((std::vector<std::string>{"登録データがありません！　", "登録データがありません！　"}),
            ui.messages());

  const std::string path = dir.str() + "/out (1).txt";
  ui.ChooseSaveAnswer(path).Answer(kAskListPositions, false).Answer(kAskOpenInfoList, true);
  EXPECT_TRUE(WriteInfoList(Sample(), editor, ui));
  ASSERT_EQ(1u, started.size());
  EXPECT_EQ((std::vector<std::string>{"/usr/bin/gvim", "+1", path}), started[0]);

  ui.ChooseSaveAnswer(dir.str() + "/no/such/dir.csv");
  EXPECT_FALSE(WriteStepCountCsv(Sample(), ui));
  EXPECT_EQ("出力ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ！　\n" + dir.str() + "/no/such/dir.csv\nNo such file or directory",
            ui.messages().back());
  ui.ChooseSaveAnswer(std::nullopt);
  EXPECT_FALSE(WriteStepCountCsv(Sample(), ui));
  EXPECT_EQ("キャンセルします！　", ui.messages().back());
  EXPECT_TRUE(ui.AllAnswersUsed());
}

}  // namespace
}  // namespace kelvora
