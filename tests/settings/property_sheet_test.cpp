#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/property_pages.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using testing::TempDir;

class PropertySheetTest : public ::testing::Test {
 protected:
  SettingsStore Store() const {
    return SettingsStore(dir_.str() + "/Kelvora.ini", dir_.str() + "/registry.ini");
  }
  void WriteIni(std::string_view text) { dir_.Write("Kelvora.ini", text); }

  TempDir dir_;
};

TEST_F(PropertySheetTest, ToolbarAndFileDialogStyleOutsideTheirRangesShowAsOne) {
  SettingsStore store = Store();
  struct Case {
    const char* stored;
    int toolbar;
    int file_dlg;
  };
  for (const Case& c : {Case{"0", 1, 1}, Case{"7", 1, 1}, Case{"-2", 1, 1}, Case{"2", 2, 2},
                        Case{"3", 3, 1}, Case{"4", 4, 1}, Case{"5", 1, 1}}) {
    WriteIni(std::string("[Tree]\r\ntoolbar=") + c.stored + "\r\n[Dialog]\r\nfileDLG=" + c.stored +
             "\r\n");
    OtherPage page = ReadOtherPage(store);
    EXPECT_EQ(page.toolbar, c.toolbar) << c.stored;
    EXPECT_EQ(page.file_dlg, c.file_dlg) << c.stored;
  }
  WriteIni("[Tree]\r\ntoolbar=7\r\n");
  WriteOtherPage(ReadOtherPage(store), store);
  EXPECT_EQ(store.ReadInt("Tree", "toolbar", -1), 1);
  EXPECT_EQ(store.ReadInt("Dialog", "fileDLG", -1), 1);
}

TEST_F(PropertySheetTest, EachHistoryIsClearedAfterYesWithItsOwnQuestion) {
  std::string ini = "[ComboHistory]\r\n";
  for (int n = 1; n <= 20; ++n) {
    const std::string v = std::to_string(n);
    ini += "str" + v + "=w" + v + "\r\nCommentSearchstr" + v + "=c" + v + "\r\nTreeSearchstr" + v +
           "=t" + v + "\r\n";
  }
  ini += "[Tree]\r\nInfoWinEmphasis1=e1\r\nInfoWinEmphasis20=e20\r\nSpace=12\r\n";
  WriteIni(ini);
  SettingsStore store = Store();

  ScriptedUi ui;
  ui.AnswerNo();
  EXPECT_FALSE(ClearHistory(History::Word, store, ui));
  EXPECT_EQ(store.ReadString("ComboHistory", "str1"), "w1");
  EXPECT_FALSE(WordHistoryEmpty(store));
  EXPECT_TRUE(ui.messages().empty());

  ui.AnswerYes().AnswerYes().AnswerYes().AnswerYes();
  EXPECT_TRUE(ClearHistory(History::Word, store, ui));
  EXPECT_TRUE(WordHistoryEmpty(store));
  EXPECT_EQ(store.ReadString("ComboHistory", "CommentSearchstr20"), "c20");
  EXPECT_TRUE(ClearHistory(History::CommentSearch, store, ui));
  EXPECT_EQ(store.ReadString("ComboHistory", "CommentSearchstr20", "x"), "");
  EXPECT_EQ(store.ReadString("ComboHistory", "TreeSearchstr1"), "t1");
  EXPECT_TRUE(ClearHistory(History::TreeSearch, store, ui));
  EXPECT_EQ(store.ReadString("ComboHistory", "TreeSearchstr1", "x"), "");
  EXPECT_TRUE(ClearHistory(History::Emphasis, store, ui));
  EXPECT_EQ(store.ReadString("Tree", "InfoWinEmphasis1", "x"), "");
  EXPECT_EQ(store.ReadString("Tree", "InfoWinEmphasis20", "x"), "");
  EXPECT_EQ(store.ReadInt("Tree", "Space", 0), 12);

  EXPECT_EQ(
      ui.questions(),
      (std::vector<std::string>{
          "「指定」コンボボックスの過去入力履歴を　\n全てクリアしてもいいですか？\n",
          "「指定」コンボボックスの過去入力履歴を　\n全てクリアしてもいいですか？\n",
          "「コメント検索」コンボボックスの過去入力履歴を　\n全てクリアしてもいいですか？\n",
          "関数TREE Viewerの「検索Word」コンボボックス　\n過去入力履歴を全てクリアしてもいいで"
          "すか？\n",
          "「情報表示Window 強調表示」コンボボックスの過去入力履歴を　\n全てクリアしてもいい"
          "ですか？\n"}));
  EXPECT_EQ(ui.messages(), std::vector<std::string>(4, "履歴をクリアしました！　"));
}

TEST_F(PropertySheetTest, WordHistoryCountsAsEmptyOnlyWhenAllTwentyKeysAre) {
  SettingsStore store = Store();
  EXPECT_TRUE(WordHistoryEmpty(store));
  WriteIni("[ComboHistory]\r\nstr20=last\r\n");
  EXPECT_FALSE(WordHistoryEmpty(store));
  WriteIni("[ComboHistory]\r\nstr21=beyond\r\nCommentSearchstr1=x\r\n");
  EXPECT_TRUE(WordHistoryEmpty(store));
}

TEST_F(PropertySheetTest, OkWritesEveryPageAndReloadsTheSettings) {
  const std::string editor = dir_.Write("bin/vim", "");
  WriteIni("[Tree]\r\ntoolbar=7\r\n");
  SettingsStore store = Store();
  ScriptedUi ui;
  PropertySheetModel model = ReadPropertySheet(store, ui, 1024, 768);
  EXPECT_TRUE(ui.shown().empty());
  EXPECT_EQ(model.other.toolbar, 1);

  ui.ChooseOpenAnswer(editor);
  ASSERT_TRUE(BrowseEditor(model.editor, ui));
  ASSERT_TRUE(SetEditorOption(model.editor, "+", ui));
  model.analysis.src = "*.c";
  model.analysis.define = 0;
  model.preprocessor.preprocessor = "LINUX";
  model.excluded.names[0] = "memset";
  model.excluded.flags[0] = true;
  model.output.nest_levels[0] = model.output.nest_levels[2] = true;
  model.index.top = 700;
  model.other.file_dlg = 2;

  Settings settings;
  WritePropertySheet(model, store, settings, ui);
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(settings.editor_path, editor);
  EXPECT_EQ(settings.editor_option, "+");
  EXPECT_EQ(settings.ext_src, "*.c");
  EXPECT_EQ(settings.define, 0);
  EXPECT_EQ(settings.preprocessor, "LINUX");
  EXPECT_TRUE(settings.IsExcludedFunction("memset"));
  EXPECT_EQ(settings.file_dlg, 2);
  EXPECT_EQ(store.ReadInt("Tree", "NestLevelText", -1), 5);
  EXPECT_EQ(store.ReadInt("Tree", "toolbar", -1), 1);
  EXPECT_EQ(store.ReadInt("Index", "TopPos", -1), 700);
}

TEST_F(PropertySheetTest, ReloadAfterOkReportsAnOverLongExcludedName) {
  SettingsStore store = Store();
  ScriptedUi ui;
  const std::string editor = dir_.Write("ed", "");
  PropertySheetModel model = ReadPropertySheet(store, ui, 800, 600);
  model.editor.path = editor;
  model.excluded.names[4] = std::string(261, 'f');
  model.excluded.names[5] = std::string(260, 'g');
  Settings settings;
  WritePropertySheet(model, store, settings, ui);
  EXPECT_EQ(ui.messages(), std::vector<std::string>{"排他関数名で指定できる最大文字数は、260です。"
                                                    "\n5番目は無効とします。"});
  EXPECT_EQ(settings.excluded_names[4], "");
  EXPECT_EQ(settings.excluded_names[5], std::string(260, 'g'));
  // The name itself is kept in the file for the user to shorten.
  EXPECT_EQ(store.ReadString("UnMatch_Func", "Func5").size(), 261u);
}

}  // namespace
}  // namespace kelvora
