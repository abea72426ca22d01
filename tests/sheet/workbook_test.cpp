#include "sheet/workbook.h"

#include <gtest/gtest.h>

#include "cli/run_process.h"
#include "sheet/sheet_names.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using testing::TempDir;

TEST(WorkbookRanges, ParsesTheReferencesCallersWrite) {
  struct Case {
    const char* text;
    std::optional<CellRange> range;
  } cases[] = {
      {"A1", CellRange{1, 1, 1, 1}},
      {"A1:C5", CellRange{1, 1, 5, 3}},
      {"C5:A1", CellRange{1, 1, 5, 3}},
      {"B:B", CellRange{1, 2, kXlsxMaxRows, 2}},
      {"A:C", CellRange{1, 1, kXlsxMaxRows, 3}},
      {"3:7", CellRange{3, 1, 7, kXlsxMaxColumns}},
      {"AA10", CellRange{10, 27, 10, 27}},
      {"XFD1048576", CellRange{kXlsxMaxRows, kXlsxMaxColumns, kXlsxMaxRows, kXlsxMaxColumns}},
      {"XFE1", std::nullopt},
      {"A0", std::nullopt},
      {"A1048577", std::nullopt},
      {"B", std::nullopt},
      {"A1:", std::nullopt},
      {"", std::nullopt},
      {"1A", std::nullopt},
  };
  for (const Case& c : cases) {
    std::optional<CellRange> got = ParseRange(c.text);
    ASSERT_EQ(c.range.has_value(), got.has_value()) << c.text;
    if (!got) continue;
    EXPECT_EQ(c.range->first_row, got->first_row) << c.text;
    EXPECT_EQ(c.range->first_col, got->first_col) << c.text;
    EXPECT_EQ(c.range->last_row, got->last_row) << c.text;
    EXPECT_EQ(c.range->last_col, got->last_col) << c.text;
  }
}

TEST(Workbook, AddGoesBeforeTheActiveSheetAndDeleteKeepsOne) {
  Workbook book;
  ASSERT_EQ(1, book.Count());
  EXPECT_EQ("Sheet1", book.Item(1).Name());
  Worksheet* s2 = book.Add();
  ASSERT_NE(nullptr, s2);
  EXPECT_EQ(s2, &book.ActiveSheet());
  EXPECT_EQ("Sheet2", book.Item(1).Name());
  EXPECT_EQ("Sheet1", book.Item(2).Name());
  book.Select(2);
  book.Add();  // before Sheet1
  EXPECT_EQ("Sheet3", book.Item(2).Name());
  while (book.Count() > 1) ASSERT_TRUE(book.Delete(book.Count()));
  EXPECT_FALSE(book.Delete(1));
  for (int k = 1; k < Workbook::kMaxSheets; ++k) ASSERT_NE(nullptr, book.Add());
  EXPECT_EQ(nullptr, book.Add());
  EXPECT_EQ(255, book.Count());
}

TEST(Workbook, SheetNamesFollowTheSpreadsheetRules) {
  Workbook book;
  book.Add();
  Worksheet& s = book.Item(1);
  EXPECT_EQ(SheetNameError::None, s.SetName(std::string(31, 'x')));
  EXPECT_EQ(SheetNameError::TooLong, s.SetName(std::string(32, 'x')));
  // 31 characters of three bytes each: the limit counts characters, not bytes.
  std::string kana;
  for (int i = 0; i < 31; ++i) kana += "あ";
  EXPECT_EQ(SheetNameError::None, s.SetName(kana));
  EXPECT_EQ(SheetNameError::Empty, s.SetName(""));
  for (const char* bad : {"a:b", "a\\b", "a/b", "a?b", "a*b", "a[b", "a]b"})
    EXPECT_EQ(SheetNameError::ForbiddenCharacter, s.SetName(bad)) << bad;
  EXPECT_EQ(SheetNameError::Apostrophe, s.SetName("'quoted"));
  EXPECT_EQ(SheetNameError::Duplicate, s.SetName("SHEET1"));  // the other sheet, any case
  EXPECT_EQ(SheetNameError::None, s.SetName("sheet2"));       // its own name in another case
}

TEST(Workbook, GroupsStopAtTheDeepestOutlineLevel) {
  Workbook book;
  Worksheet& s = book.ActiveSheet();
  for (int i = 0; i < kMaxOutlineLevel; ++i) ASSERT_TRUE(s.GroupRows(2, 5));
  EXPECT_FALSE(s.GroupRows(4, 6));
  EXPECT_EQ(0, s.OutlineLevel(6));  // a refused group changes no row
  EXPECT_EQ(7, s.OutlineLevel(5));
  EXPECT_EQ(0, s.OutlineLevel(1));
}

TEST(Workbook, StylesOfWholeColumnsReachOldAndNewCells) {
  Workbook book;
  Worksheet& s = book.ActiveSheet();
  s.SetCell(1, 2, "old");
  s.SetFontColorIndex(*ParseRange("B:B"), 5);
  s.SetCell(9, 2, "new");
  EXPECT_EQ(5, s.StyleAt(1, 2).color_index);
  EXPECT_EQ(5, s.StyleAt(9, 2).color_index);
  EXPECT_EQ(0, s.StyleAt(9, 1).color_index);
  s.SetFontColorIndex(*ParseRange("A1"), 99);  // no palette colour: automatic
  EXPECT_EQ(0, s.StyleAt(1, 1).color_index);
}

TEST(Workbook, AutoFitCountsWideCharactersAndFontSize) {
  Workbook book;
  Worksheet& s = book.ActiveSheet();
  s.SetCell(1, 1, "abcd");
  s.SetCell(2, 1, "日本");          // 4 cells wide
  s.SetCell(1, 2, "日本語の名前");  // 12 cells
  s.SetCell(1, 3, "ab");
  s.SetFontSize(*ParseRange("C1"), 22);  // twice the default size
  s.AutoFitColumns(1, 4);
  EXPECT_EQ(5, s.ColumnWidth(1));
  EXPECT_EQ(13, s.ColumnWidth(2));
  EXPECT_EQ(5, s.ColumnWidth(3));
  EXPECT_EQ(0, s.ColumnWidth(4));      // an empty column keeps its width
  EXPECT_EQ(5, DisplayWidth("ｱｲｳ┣"));  // half-width kana are narrow, box drawing wide
}

// A small tree written the way the tree outputs write one, read back by openpyxl.
TEST(Workbook, SmallTreeReadsBackInOpenpyxl) {
  Workbook book;
  Worksheet& tree = book.ActiveSheet();
  ASSERT_EQ(SheetNameError::None, tree.SetName("main"));
  const char* rows[][3] = {{"", "main", ""},
                           {"src/a.c(10)", "┣ init", ""},
                           {"src/b.c(20)", "┃  ┗ setup", "// 設定"},
                           {"src/a.c(30)", "┗ run", ""}};
  for (int r = 1; r <= 4; ++r) {
    for (int c = 1; c <= 3; ++c)
      if (*rows[r - 1][c - 1]) tree.SetCell(r, c, rows[r - 1][c - 1]);
    tree.SetBorder({r, 1, r, 3}, border::kEdgeBottom, line_style::kRowRule);
  }
  tree.GroupRows(3, 3);
  tree.SetFontColorIndex(*ParseRange("B:B"), 5);
  tree.AutoFitColumns(1, 3);
  tree.SetFontSize(*ParseRange("A1"), 18);
  tree.SetFontColorIndex(*ParseRange("A1"), 46);
  tree.SetFontBold(*ParseRange("A1"), true);
  tree.SetBorder(*ParseRange("A1:A4"), border::kEdgeLeft, line_style::kContinuous);
  tree.SetBorder(*ParseRange("B1:B4"), border::kEdgeRight, line_style::kContinuous);
  tree.SetBorder(*ParseRange("C1:C4"), border::kEdgeRight, line_style::kContinuous);
  tree.SetBorder(*ParseRange("A1:C1"), border::kEdgeTop, line_style::kContinuous);
  tree.SetBorder(*ParseRange("A4:C4"), border::kEdgeBottom, line_style::kContinuous);
  book.Add();
  ASSERT_EQ(SheetNameError::None, book.ActiveSheet().SetName("日本語シート"));
  book.Select(2);

  TempDir dir;
  const std::string path = (dir.path() / "tree.xlsx").string();
  ASSERT_EQ(SaveResult::Saved, book.SaveAs(path));
  EXPECT_EQ((std::vector<std::string>{"日本語シート", "main"}), ReadSheetNames(path).names);

  testing::ProcessResult py = testing::RunProcess(
      {"/usr/bin/python3", KELVORA_SHEET_TESTS "/read_with_openpyxl.py", path}, dir.str());
  ASSERT_EQ(0, py.status) << py.err;
  EXPECT_EQ(
      "sheet 日本語シート\n"
      "sheet main active\n"
      "level 3 1\n"
      "cell A1 None font=18/FFFF6600/1 border=thin/thin/hair/-\n"
      "cell B1 'main' font=11/FF0000FF/0 border=-/thin/hair/thin\n"
      "cell C1 None font=11/-/0 border=-/thin/hair/thin\n"
      "cell A2 'src/a.c(10)' font=11/-/0 border=thin/-/hair/-\n"
      "cell B2 '┣ init' font=11/FF0000FF/0 border=-/-/hair/thin\n"
      "cell C2 None font=11/-/0 border=-/-/hair/thin\n"
      "cell A3 'src/b.c(20)' font=11/-/0 border=thin/-/hair/-\n"
      "cell B3 '┃  ┗ setup' font=11/FF0000FF/0 border=-/-/hair/thin\n"
      "cell C3 '// 設定' font=11/-/0 border=-/-/hair/thin\n"
      "cell A4 'src/a.c(30)' font=11/-/0 border=thin/-/thin/-\n"
      "cell B4 '┗ run' font=11/FF0000FF/0 border=-/-/thin/thin\n"
      "cell C4 None font=11/-/0 border=-/-/thin/thin\n",
      py.out);
}

TEST(Workbook, FailedSaveLeavesTheTargetAlone) {
  TempDir dir;
  const std::string path = dir.Write("keep.xlsx", "precious");
  Workbook book;
  // A sheet name the writer refuses cannot be set through SetName, so a refusal comes from the
  // file system here: the target's folder is missing.
  std::string detail;
  EXPECT_EQ(SaveResult::CannotWrite, book.SaveAs((dir.path() / "no/dir/x.xlsx").string(), &detail));
  EXPECT_FALSE(detail.empty());
  ASSERT_EQ(SaveResult::Saved, book.SaveAs(path));
  EXPECT_EQ((std::vector<std::string>{"Sheet1"}), ReadSheetNames(path).names);
  EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.path()),
                             std::filesystem::directory_iterator()));  // no stray temporaries
}

}  // namespace
}  // namespace kelvora
