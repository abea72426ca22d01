#include <gtest/gtest.h>

#include <filesystem>

#include "platform/scripted_ui.h"
#include "settings/property_pages.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using testing::TempDir;

class EditorPageTest : public ::testing::Test {
 protected:
  SettingsStore Store() const {
    return SettingsStore(dir_.str() + "/Kelvora.ini", dir_.str() + "/registry.ini");
  }
  void WriteRegistry(std::string_view text) { dir_.Write("registry.ini", text); }
  std::optional<std::string> Stored(std::string_view name) const {
    return Store().user().ReadStringValue(kConfigKey, name);
  }

  TempDir dir_;
};

TEST_F(EditorPageTest, OpenShowsTheStoredEditorAndAnEmptyOptionAsJ) {
  const std::string editor = dir_.Write("bin/my editor", "#!/bin/sh\n");
  WriteRegistry("[Software\\Kelv\\Config]\r\nEditorPath=" + editor + "\r\nEditorOption=\r\n");
  ScriptedUi ui;
  EditorPage page = ReadEditorPage(Store(), ui);
  EXPECT_EQ(page.path, editor);
  EXPECT_EQ(page.option, "/j");
  EXPECT_TRUE(ui.shown().empty());

  WriteRegistry("[Software\\Kelv\\Config]\r\nEditorOption=-Y=\r\n");
  page = ReadEditorPage(Store(), ui);
  EXPECT_EQ(page.path, "");
  EXPECT_EQ(page.option, "-Y=");
}

TEST_F(EditorPageTest, StoredOptionOverFiftyBytesIsReportedAndNotTakenOver) {
  WriteRegistry("[Software\\Kelv\\Config]\r\nEditorOption=" + std::string(51, 'o') + "\r\n");
  ScriptedUi ui;
  EditorPage page = ReadEditorPage(Store(), ui);
  EXPECT_EQ(page.option, "");
  EXPECT_EQ(ui.messages(),
            std::vector<std::string>{"起動オプションの指定文字数(50)オーバーです。　"});

  ScriptedUi quiet;
  WriteRegistry("[Software\\Kelv\\Config]\r\nEditorOption=" + std::string(50, 'o') + "\r\n");
  EXPECT_EQ(ReadEditorPage(Store(), quiet).option, std::string(50, 'o'));
  EXPECT_TRUE(quiet.shown().empty());
}

TEST_F(EditorPageTest, OptionChangesAboveFiftyBytesKeepThePreviousOption) {
  EditorPage page{"", "/j"};
  ScriptedUi ui;
  EXPECT_TRUE(SetEditorOption(page, std::string(50, 'x'), ui));
  EXPECT_EQ(page.option, std::string(50, 'x'));
  EXPECT_FALSE(SetEditorOption(page, std::string(51, 'y'), ui));
  EXPECT_EQ(page.option, std::string(50, 'x'));
  EXPECT_EQ(ui.messages(),
            std::vector<std::string>{"起動オプションの指定文字数(50)オーバーです。　"});
  // An emptied field is held as empty; the launch reads that as "/j".
  EXPECT_TRUE(SetEditorOption(page, "", ui));
  EXPECT_EQ(page.option, "");
}

TEST_F(EditorPageTest, BrowseTakesAnExistingFileAndCancelChangesNothing) {
  const std::string old_editor = dir_.Write("old/vi", "");
  const std::string editor = dir_.Write("新しい (editor)/%code", "");
  EditorPage page{old_editor, "/j"};
  ScriptedUi ui;
  ui.ChooseOpenAnswer(editor);
  EXPECT_TRUE(BrowseEditor(page, ui));
  EXPECT_EQ(page.path, editor);
  EXPECT_TRUE(ui.messages().empty());
  ASSERT_EQ(ui.shown().size(), 1u);
  EXPECT_EQ(ui.shown()[0].text, "■■ 秀丸エディタのEXEを指定 ■■");

  ui.ChooseOpenAnswer(std::nullopt);
  EXPECT_FALSE(BrowseEditor(page, ui));
  EXPECT_EQ(page.path, editor);
  EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST_F(EditorPageTest, BrowseRefusesLongPathsFoldersAndMissingFiles) {
  EditorPage page{"", "/j"};
  ScriptedUi ui;
  // 1000 bytes are allowed (the file does not exist), 1001 are not.
  const std::string missing = dir_.str() + "/" + std::string(1000 - dir_.str().size() - 1, 'a');
  ASSERT_EQ(missing.size(), 1000u);
  ui.ChooseOpenAnswer(missing + "b");
  ui.ChooseOpenAnswer(missing);
  ui.ChooseOpenAnswer(dir_.str());
  EXPECT_FALSE(BrowseEditor(page, ui));
  EXPECT_FALSE(BrowseEditor(page, ui));
  EXPECT_FALSE(BrowseEditor(page, ui));
  EXPECT_EQ(page.path, "");
  EXPECT_EQ(ui.messages(),
            (std::vector<std::string>{"エディタのファイルパスの指定文字数(1000)オーバーです。　",
                                      "ファイルが存在しません！　", "ファイルが存在しません！　"}));
}

TEST_F(EditorPageTest, OkWritesTheOptionAlwaysAndThePathOnlyWhenTheFileExists) {
  const std::string editor = dir_.Write("emacs client", "");
  ScriptedUi ui;
  SettingsStore store = Store();
  WriteEditorPage(EditorPage{editor, "+"}, store, ui);
  EXPECT_EQ(Stored("EditorPath"), editor);
  EXPECT_EQ(Stored("EditorOption"), "+");
  EXPECT_TRUE(ui.shown().empty());

  std::filesystem::remove(editor);
  WriteEditorPage(EditorPage{editor, "MIFES"}, store, ui);
  EXPECT_EQ(Stored("EditorOption"), "MIFES");
  EXPECT_EQ(Stored("EditorPath"), editor);  // the earlier value stays
  EXPECT_EQ(ui.messages(),
            std::vector<std::string>{"エディタのファイルパスに指定ファイルが存在しません！　"});

  // No editor chosen yet: no message (an empty path is no missing file), nothing written for
  // the path.
  TempDir other;
  SettingsStore fresh(other.str() + "/Kelvora.ini", other.str() + "/registry.ini");
  ScriptedUi ui2;
  WriteEditorPage(EditorPage{"", "/j"}, fresh, ui2);
  EXPECT_FALSE(fresh.user().ReadStringValue(kConfigKey, "EditorPath").has_value());
  EXPECT_EQ(fresh.user().ReadStringValue(kConfigKey, "EditorOption"),
            std::optional<std::string>("/j"));
  EXPECT_TRUE(ui2.shown().empty());
}

TEST(EditorFileExists, FilesOnlyAndNoEmbeddedNul) {
  TempDir dir;
  const std::string file = dir.Write("a", "x");
  EXPECT_TRUE(EditorFileExists(file));
  EXPECT_FALSE(EditorFileExists(dir.str()));
  EXPECT_FALSE(EditorFileExists(""));
  EXPECT_FALSE(EditorFileExists(file + std::string(1, '\0') + "b"));
}

}  // namespace
}  // namespace kelvora
