#include "sheet/sheet_list.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/scripted_ui.h"
#include "sheet/workbook.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using testing::TempDir;

void WriteBook(const std::filesystem::path& path, const std::vector<std::string>& names) {
  Workbook book;
  for (std::size_t k = 1; k < names.size(); ++k) book.Add();
  for (std::size_t k = 0; k < names.size(); ++k)
    ASSERT_EQ(SheetNameError::None, book.Item(static_cast<int>(k + 1)).SetName(names[k]));
  std::filesystem::create_directories(path.parent_path());
  ASSERT_EQ(SaveResult::Saved, book.SaveAs(path.string()));
}

// The file form of UTF-8 text: CP932 with CR LF.
std::string InFile(std::string_view utf8) {
  std::string crlf;
  for (char c : utf8) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return Utf8ToCp932(crlf);
}

TEST(SheetListFormat, TwelveSheetsAndCsvQuoting) {
  std::vector<std::string> names;
  for (int k = 1; k <= 12; ++k) names.push_back("s" + std::to_string(k));
  const std::string text = FormatSheetList("/data/books/b.xlsx", names, SheetListForm::Text);
  EXPECT_EQ(
      "パス(ディレクトリのみ)：/data/books\nファイル名：b.xlsx\n\nシート名一覧\n"
      "------------------------------\n  1.s1\n  2.s2\n  3.s3\n  4.s4\n  5.s5\n  6.s6\n"
      "  7.s7\n  8.s8\n  9.s9\n 10.s10\n 11.s11\n 12.s12\n\n",
      text);
  // A folder with a comma is quoted as before; a name or sheet that holds a comma or a quote
  // is quoted too, so every row keeps its columns.
  EXPECT_EQ("\"/a,b\",\"x,y.xlsx\",3,plain,\"c,d\",\"say \"\"hi\"\"\"\n",
            FormatSheetList("/a,b/x,y.xlsx", {"plain", "c,d", "say \"hi\""}, SheetListForm::Csv));
  EXPECT_EQ("/,root.ods,0\n", FormatSheetList("/root.ods", {}, SheetListForm::Csv));
}

class SheetListCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    old_tmp_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    setenv("TMPDIR", tmp_.str().c_str(), 1);
  }
  void TearDown() override {
    if (old_tmp_.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", old_tmp_.c_str(), 1);
  }
  bool TempIsEmpty() const { return std::filesystem::is_empty(tmp_.path()); }

  TempDir tmp_, dir_;
  std::string old_tmp_;
  std::vector<std::vector<std::string>> spawned_;
  EditorLauncher editor_{"/usr/bin/editor", "", [this](const std::vector<std::string>& argv) {
                           spawned_.push_back(argv);
                           return true;
                         }};
};

TEST_F(SheetListCommand, FolderCsvWalksWorkbooksOnlyAndSkipsUnreadableOnes) {
  const auto root = dir_.path() / "in";
  WriteBook(root / "b.xlsx", {"一", "two"});
  WriteBook(root / "a dir" / "c.xlsm", {"macro"});
  WriteBook(root / "z.xlsb", {"not walked"});
  dir_.Write("in/bad.xls", "plain text");
  dir_.Write("in/notes.txt", "x");
  const std::string out = (dir_.path() / "一覧.csv").string();

  ScriptedUi ui;
  ui.ChooseFolderAnswer(root.string()).ChooseSaveAnswer(out).Answer(kAskOpenSheetList, true);
  ListSheetNamesOfFolder(ui, editor_, SheetListForm::Csv);

  const std::string r = root.string();
  EXPECT_EQ(InFile(std::string(kSheetListCsvHeader) + r + "/a dir,c.xlsm,1,macro\n" + r +
                   ",b.xlsx,2,一,two\n"),
            TempDir::Read(out));
  std::vector<std::string> messages = ui.messages();
  ASSERT_EQ(2u, messages.size());
  EXPECT_NE(std::string::npos, messages[1].find(r + "/bad.xls")) << messages[1];
  EXPECT_EQ(std::vector<std::string>{out}, ui.opened());
  EXPECT_FALSE(ui.wait_cursor());
  EXPECT_TRUE(TempIsEmpty());
  EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST_F(SheetListCommand, FolderWithoutWorkbooksGivesTheHeaderOnly) {
  dir_.Write("in/readme.txt", "x");
  const std::string out = (dir_.path() / "out.csv").string();
  ScriptedUi ui;
  ui.ChooseFolderAnswer((dir_.path() / "in").string())
      .ChooseSaveAnswer(out)
      .Answer(kAskOpenSheetList, false);
  ListSheetNamesOfFolder(ui, editor_, SheetListForm::Csv);
  EXPECT_EQ(InFile(kSheetListCsvHeader), TempDir::Read(out));
  EXPECT_TRUE(ui.opened().empty());
}

TEST_F(SheetListCommand, FileTextOpensInTheEditorAtLineOne) {
  const auto book = dir_.path() / "日本語 (1).xlsx";
  WriteBook(book, {"シート"});
  const std::string out = (dir_.path() / "list.txt").string();
  ScriptedUi ui;
  ui.ChooseOpenAnswer(book.string()).ChooseSaveAnswer(out).Answer(kAskOpenSheetList, true);
  ListSheetNamesOfFile(ui, editor_);
  EXPECT_EQ(InFile("パス(ディレクトリのみ)：" + dir_.str() +
                   "\nファイル名：日本語 (1).xlsx\n\nシート名一覧\n"
                   "------------------------------\n  1.シート\n\n"),
            TempDir::Read(out));
  ASSERT_EQ(1u, spawned_.size());
  EXPECT_EQ((std::vector<std::string>{"/usr/bin/editor", "/j1", out}), spawned_[0]);
}

TEST_F(SheetListCommand, MissingFileAndCancelledSave) {
  ScriptedUi ui;
  ui.ChooseOpenAnswer((dir_.path() / "gone.xlsx").string());
  ListSheetNamesOfFile(ui, editor_);
  EXPECT_EQ(std::string(kMissingFileMessage), ui.messages().back());

  ScriptedUi cancel;
  cancel.ChooseFolderAnswer(dir_.str()).ChooseSaveAnswer(std::nullopt);
  ListSheetNamesOfFolder(cancel, editor_, SheetListForm::Text);
  EXPECT_EQ(std::string(kCancelMessage), cancel.messages().back());
  EXPECT_TRUE(TempIsEmpty());
  EXPECT_FALSE(cancel.wait_cursor());
}

}  // namespace
}  // namespace kelvora
