#include "lookup/menu_commands.h"

#include <gtest/gtest.h>

#include <set>

#include "lookup_fixture.h"
#include "platform/scripted_ui.h"

namespace kelvora {
namespace {

using Argv = std::vector<std::string>;

class MenuCommandTest : public ::testing::Test {
 protected:
  MenuCommandTest()
      : editor(
            "/usr/bin/vim", "+", [this](const Argv& argv) { return started.push_back(argv), true; },
            [](const std::string&) { return true; }) {
    data.roots().Append("/src");
    testing::AddNumberedFunctions(data, 65);
    layout.rows = 30;
    layout.columns = 2;
    layout.comment_display = false;
  }
  MenuCommandOutcome Command(int id) {
    return HandleMenuCommand(id, data, layout, state, editor, ui);
  }
  std::optional<MenuModel> Browse(IndexChooser choose = {}) {
    return BrowseKindButton(data, ListKind::Function, layout, state, IndexWindowSettings{}, choose);
  }

  RegisteredData data;
  MenuLayout layout;
  MenuState state;
  ScriptedUi ui;
  std::vector<Argv> started;
  EditorLauncher editor;
};

TEST_F(MenuCommandTest, PagingForwardAndBackNeverBelowPageZero) {
  std::optional<MenuModel> menu = Browse();
  ASSERT_TRUE(menu);
  EXPECT_EQ(state.current_kind, 1);
  EXPECT_EQ(state.count_text, "   65");

  MenuCommandOutcome out = Command(kPreviousPageCommand);
  EXPECT_EQ(out.result, MenuCommandResult::ShowMenu);
  EXPECT_EQ(state.current_page, 0u);
  EXPECT_EQ(out.menu.items.front().id, 500);
  EXPECT_EQ(out.menu.count_text, "   65");
  EXPECT_EQ(state.count_text, "");

  out = Command(kNextPageCommand);
  EXPECT_EQ(state.current_page, 1u);
  EXPECT_EQ(out.menu.items[1].id, 560);
  out = Command(kPreviousPageCommand);
  EXPECT_EQ(state.current_page, 0u);
  EXPECT_EQ(state.current_kind, 1);
}

TEST_F(MenuCommandTest, ChoosingARowOpensAndResets) {
  Browse();
  MenuCommandOutcome out = Command(500 + 41);
  EXPECT_EQ(out.result, MenuCommandResult::Opened);
  EXPECT_EQ(out.open, OpenResult::Started);
  EXPECT_EQ(started.back(), (Argv{"/usr/bin/vim", "+42", "/src/a.c"}));
  EXPECT_EQ(state.current_kind, 0);
  EXPECT_EQ(state.index_start_row, 0u);

  // No current kind: nothing happens.
  EXPECT_EQ(Command(500).result, MenuCommandResult::Ignored);
  EXPECT_EQ(started.size(), 1u);
}

// Every row opens whatever its number: identifiers step over the two page commands.
TEST_F(MenuCommandTest, EveryRowOfALongListOpensAndOtherIdentifiersAreIgnored) {
  data.functions().Clear();
  testing::AddNumberedFunctions(data, 120000);
  layout.rows = 9999;
  layout.columns = 9999;  // one page holds every row
  std::optional<MenuModel> menu = Browse();
  ASSERT_TRUE(menu);
  std::set<int> ids;
  for (const MenuItem& item : menu->items) {
    if (item.id == kNoCommand) continue;
    EXPECT_NE(item.id, kPreviousPageCommand);
    EXPECT_NE(item.id, kNextPageCommand);
    EXPECT_TRUE(ids.insert(item.id).second) << item.id;
  }
  EXPECT_EQ(ids.size(), 120000u);

  // The last row, and the rows on both sides of the page commands.
  for (std::size_t row : {119999u, 49499u, 49500u, 9500u}) {
    Browse();
    const int id = RowCommandId(row);
    EXPECT_EQ(Command(id).result, MenuCommandResult::Opened) << row;
    EXPECT_EQ(started.back().at(1), "+" + std::to_string(row + 1)) << row;
  }
  EXPECT_EQ(RowCommandId(49499), 49999);
  EXPECT_EQ(RowCommandId(49500), 50002);
  EXPECT_EQ(RowOfCommand(RowCommandId(4600000)), std::optional<std::size_t>(4600000));
  EXPECT_EQ(RowCommandId(std::size_t{1} << 40), kNoCommand);

  started.clear();
  Browse();
  for (int id : {499, 0, -7, RowCommandId(120000)}) {
    state.count_text = "x";
    EXPECT_EQ(Command(id).result, MenuCommandResult::Ignored) << id;
    EXPECT_EQ(state.count_text, "");
  }
  EXPECT_TRUE(started.empty());
}

TEST_F(MenuCommandTest, OtherMenusKeepTheirCommands) {
  state.comment_search_active = true;
  state.current_kind = 1;
  EXPECT_EQ(Command(500).result, MenuCommandResult::ForCommentSearch);
  state = MenuState{};
  state.context_menu_active = true;
  EXPECT_EQ(Command(1234).result, MenuCommandResult::ForContextMenu);
  EXPECT_TRUE(started.empty());
}

TEST_F(MenuCommandTest, IndexModeStartsAtTheChosenGroup) {
  data.functions().Clear();
  testing::AddRows(data, ListKind::Function,
                   {{"beta", "%1/b.c(1)", "", ""},
                    {"Alpha", "%1/a.c(1)", "", ""},
                    {"alpha2", "%1/a.c(2)", "", ""},
                    {"Beta2", "%1/b.c(2)", "", ""}});
  data.functions().set_sort_flag(0);
  data.functions().Sort();  // Alpha alpha2 beta Beta2
  layout.index_mode = true;
  IndexWindowModel seen;
  std::optional<MenuModel> menu = Browse([&](const IndexWindowModel& m) {
    seen = m;
    return std::optional<std::size_t>(1);
  });
  ASSERT_EQ(seen.rows.size(), 4u);
  EXPECT_EQ(seen.rows[1].text, "” B ”  or  ” b ” ～");
  ASSERT_TRUE(menu);
  EXPECT_EQ(state.index_start_row, 2u);
  EXPECT_EQ(DisplayText(menu->items[0]), "■■IndexModeではこれ以上前は戻れません■■");
  EXPECT_FALSE(menu->items[0].enabled);
  EXPECT_EQ(menu->items[1].text, "(3)  &beta");

  layout.multi_column = false;
  menu = Browse([](const IndexWindowModel&) { return std::optional<std::size_t>(1); });
  EXPECT_EQ(menu->items.front().text, "(3)  &beta");
  EXPECT_EQ(menu->items.size(), 2u);

  state.current_kind = 0;
  EXPECT_FALSE(Browse([](const IndexWindowModel&) { return std::nullopt; }));
  EXPECT_EQ(state.index_start_row, 0u);
}

TEST_F(MenuCommandTest, SpecifyAddsToHistoryUnlessTooLong) {
  WordHistory history;
  std::string word50(50, 'f');
  LookupOutcome out =
      SpecifyKindButton(data, ListKind::Function, word50, layout, state, history, editor, ui);
  EXPECT_EQ(out.result, LookupResult::NoMatch);  // looked up all the same
  EXPECT_TRUE(history.dropdown().empty());
  out = SpecifyKindButton(data, ListKind::Function, "F65", layout, state, history, editor, ui);
  EXPECT_EQ(out.result, LookupResult::Jumped);
  EXPECT_EQ(history.dropdown(), (std::vector<std::string>{"F65"}));
  out = SpecifyKindButton(data, ListKind::Function, "f6", layout, state, history, editor, ui);
  EXPECT_EQ(out.result, LookupResult::Menu);
  EXPECT_EQ(state.current_kind, 1);
  EXPECT_EQ(HandleMenuCommand(out.menu.items[2].id, data, layout, state, editor, ui).result,
            MenuCommandResult::Opened);
  EXPECT_EQ(started.back(), (Argv{"/usr/bin/vim", "+62", "/src/a.c"}));
}

}  // namespace
}  // namespace kelvora
