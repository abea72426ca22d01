#include "lookup/menu_model.h"

#include <gtest/gtest.h>

#include "lookup_fixture.h"
#include "platform/cp932.h"

namespace kelvora {
namespace {

using testing::AddNumberedFunctions;
using testing::AddRows;

MenuLayout Paged(std::size_t rows, std::size_t columns, bool comments = false) {
  MenuLayout layout;
  layout.multi_column = true;
  layout.rows = rows;
  layout.columns = columns;
  layout.comment_display = comments;
  return layout;
}

// Compact picture of a menu: row items as their number, "-" a disabled empty item, "|" before an
// item that starts a column, "<" previous page, ">" next page, "!" the IndexMode notice.
std::string Shape(const MenuModel& menu) {
  std::string out;
  for (const MenuItem& item : menu.items) {
    if (!out.empty()) out += ' ';
    if (item.column_break) out += '|';
    if (item.id == kPreviousPageCommand)
      out += '<';
    else if (item.id == kNextPageCommand)
      out += '>';
    else if (std::optional<std::size_t> row = RowOfCommand(item.id))
      out += std::to_string(*row + 1);
    else if (item.text.empty())
      out += '-';
    else
      out += '!';
  }
  return out;
}

std::string Range(int from, int to) {
  std::string out;
  for (int i = from; i <= to; ++i) out += (out.empty() ? "" : " ") + std::to_string(i);
  return out;
}

TEST(BrowseMenuTest, SixtyFiveRowsInPagesOfThirtyByTwo) {
  RegisteredData data;
  AddNumberedFunctions(data, 65);
  MenuState state;
  MenuModel page0 = BuildBrowseMenu(data.functions(), Paged(30, 2), state, 0);
  EXPECT_TRUE(page0.paged);
  EXPECT_EQ(page0.x, 20);
  EXPECT_EQ(page0.y, 20);
  EXPECT_EQ(page0.count_text, "   65");
  EXPECT_EQ(page0.total_pages, 2u);
  EXPECT_EQ(Shape(page0), Range(1, 30) + " - |31 " + Range(32, 60) + " >");
  EXPECT_EQ(DisplayText(page0.items.back()), "■■次ページに進む（現在:1/2）■■");
  EXPECT_EQ(page0.items[0].text, "(1)  &f01");
  EXPECT_EQ(page0.items[0].id, 500);
  EXPECT_FALSE(page0.items[30].enabled);

  MenuModel page1 = BuildBrowseMenu(data.functions(), Paged(30, 2), state, 1);
  EXPECT_EQ(state.current_page, 1u);
  EXPECT_EQ(Shape(page1), "< " + Range(61, 65));
  EXPECT_TRUE(page1.items[0].header);
  EXPECT_TRUE(page1.items[0].enabled);
  EXPECT_EQ(DisplayText(page1.items[0]), "■■前ページに戻る（現在:2/2）■■");
  EXPECT_FALSE(page1.has_next_page);
}

TEST(BrowseMenuTest, HeaderPagesLineUpTheirColumns) {
  RegisteredData data;
  AddNumberedFunctions(data, 20);
  MenuState state;
  MenuModel page1 = BuildBrowseMenu(data.functions(), Paged(3, 2), state, 1);
  EXPECT_EQ(Shape(page1), "< 7 8 9 - |- 10 11 12 >");
  EXPECT_EQ(DisplayText(page1.items[0]), "■■前ページに戻る（現在:2/4）■■");
  // The last page without a next page: no closing filler before its break.
  MenuModel page3 = BuildBrowseMenu(data.functions(), Paged(1, 2), state, 9);
  EXPECT_EQ(Shape(page3), "< 19 |- 20");
}

TEST(BrowseMenuTest, IndexModeStartAndOneColumn) {
  RegisteredData data;
  AddNumberedFunctions(data, 65);
  MenuState state;
  state.index_start_row = 40;
  MenuModel menu = BuildBrowseMenu(data.functions(), Paged(30, 2), state, 0);
  EXPECT_EQ(Shape(menu), "! " + Range(41, 65));
  EXPECT_FALSE(menu.items[0].enabled);
  EXPECT_TRUE(menu.items[0].header);
  EXPECT_EQ(DisplayText(menu.items[0]), "■■IndexModeではこれ以上前は戻れません■■");
  EXPECT_EQ(menu.count_text, "   65");

  MenuLayout one = Paged(30, 2);
  one.multi_column = false;
  state.current_page = 7;
  menu = BuildBrowseMenu(data.functions(), one, state, 0);
  EXPECT_FALSE(menu.paged);
  EXPECT_EQ(Shape(menu), Range(41, 65));
  EXPECT_EQ(state.current_page, 7u);  // one column has no pages
}

TEST(BrowseMenuTest, CommentsMarkersAndLongNames) {
  RegisteredData data;
  AddRows(data, ListKind::Function,
          {{"MAX", "%1/a.h(1)", "#define", Utf8ToCp932("最大値")}, {"run", "%1/a.c(2)", "", ""}});
  AddRows(data, ListKind::Table, {{"tbl", "%1/t.c(1)", "=", ""}});
  AddRows(data, ListKind::Define, {{"N", "%1/d.h(1)", "=", ""}});
  AddRows(data, ListKind::File, {{"a.h", "/src/a.h(1)", ".h", ""}, {"a.c", "/src/a.c(1)", "", ""}});
  MenuState state;
  MenuModel f = BuildBrowseMenu(data.functions(), Paged(30, 2, true), state, 0);
  EXPECT_EQ(DisplayText(f.items[0]), "(1)  &MAX    最大値");
  EXPECT_EQ(f.items[1].text, "(2)  &run    ");
  EXPECT_TRUE(f.items[0].checked);
  EXPECT_EQ(f.items[0].checked_bitmap, kMacroBitmap);
  EXPECT_EQ(f.items[0].unchecked_bitmap, kUncheckedBitmap);
  EXPECT_FALSE(f.items[1].checked);
  EXPECT_EQ(BuildBrowseMenu(data.tables(), Paged(30, 2), state, 0).items[0].checked_bitmap,
            kTableBitmap);
  EXPECT_FALSE(BuildBrowseMenu(data.defines(), Paged(30, 2), state, 0).items[0].checked);
  MenuModel files = BuildBrowseMenu(data.files(), Paged(30, 2), state, 0);
  EXPECT_EQ(files.items[0].checked_bitmap, kHeaderFileBitmap);
  EXPECT_FALSE(files.items[1].checked);

  // A name of 600 bytes reaches the menu cut to 511 bytes, never inside a double-byte character.
  RegisteredData big;
  std::string name = "a" + std::string(599, '\x88');
  AddRows(big, ListKind::Struct, {{name, "%1/s.h(1)", "", ""}});
  MenuModel s = BuildBrowseMenu(big.structs(), Paged(30, 2), state, 0);
  EXPECT_EQ(s.items[0].text, "(1)  &" + name.substr(0, 511));
}

TEST(BrowseMenuTest, PageOfTenColumnsOfTheMostRows) {
  RegisteredData data;
  AddNumberedFunctions(data, 9999 * 10 + 1);
  MenuState state;
  MenuModel menu = BuildBrowseMenu(data.functions(), Paged(9999, 10), state, 0);
  EXPECT_EQ(menu.items.size(), 99990u + 9u + 1u);
  EXPECT_EQ(menu.items.back().id, kNextPageCommand);
  EXPECT_EQ(menu.count_text, " 99991");
  EXPECT_EQ(DisplayText(menu.items.back()), "■■次ページに進む（現在:1/2）■■");
}

// Row identifiers of a kernel-sized defines list (4.6 M rows; a real list of that size takes
// about 0.9 GB): each row has its own identifier, none is a page command, each leads back.
TEST(BrowseMenuTest, RowIdentifiersOfMillionsOfRowsAreDistinctAndLeadBack) {
  int previous = kNoCommand;
  for (std::size_t row = 0; row <= 4600000; ++row) {
    const int id = RowCommandId(row);
    ASSERT_GT(id, previous) << row;
    ASSERT_TRUE(id != kPreviousPageCommand && id != kNextPageCommand) << row;
    ASSERT_EQ(RowOfCommand(id), std::optional<std::size_t>(row)) << row;
    previous = id;
  }
  EXPECT_EQ(RowOfCommand(kPreviousPageCommand), std::nullopt);
  EXPECT_EQ(RowOfCommand(kNextPageCommand), std::nullopt);
  EXPECT_EQ(RowOfCommand(kRowCommandBase - 1), std::nullopt);
}

}  // namespace
}  // namespace kelvora
