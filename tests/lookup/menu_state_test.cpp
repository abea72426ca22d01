#include "lookup/menu_state.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "settings/settings.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

TEST(MenuStateTest, ResetClearsKindFlagsStartAndCount) {
  MenuState state{3, 4, 40, true, true, " 0012"};
  ResetMenuState(state);
  EXPECT_EQ(state.current_kind, 0);
  EXPECT_EQ(state.index_start_row, 0u);
  EXPECT_FALSE(state.comment_search_active);
  EXPECT_FALSE(state.context_menu_active);
  EXPECT_EQ(state.count_text, "");
}

TEST(MenuStateTest, LayoutChangesAreWrittenAtOnce) {
  testing::TempDir dir;
  SettingsStore store(dir.str() + "/Kelvora.ini", dir.str() + "/registry.ini");
  Settings settings;
  MenuState state{1, 0, 5, false, false, "   65"};
  EXPECT_EQ(ChangeMenuRows(10000, store, settings, state), 1);
  EXPECT_EQ(state.current_kind, 0);
  EXPECT_EQ(ChangeMenuColumns(3, store, settings, state), 3);
  EXPECT_EQ(store.ReadInt("Menu", "disp_y_max", 0), 1);
  EXPECT_EQ(store.ReadInt("Menu", "disp_x_max", 0), 3);
  EXPECT_EQ(PageSizeText(MenuLayoutFrom(settings)), "3");

  ChangeDisplayType(false, store, settings);
  EXPECT_EQ(Cp932ToUtf8(store.ReadString("Menu", "disp_type")), "１列表示");
  EXPECT_FALSE(MenuLayoutFrom(settings).multi_column);
  ChangeDisplayType(true, store, settings);
  EXPECT_TRUE(MenuLayoutFrom(settings).multi_column);
  ChangeCommentDisplay(false, store, settings);
  EXPECT_EQ(store.ReadInt("Menu", "comment_disp", 1), 0);
  EXPECT_FALSE(MenuLayoutFrom(settings).comment_display);

  EXPECT_TRUE(ToggleIndexMode(store, settings));
  EXPECT_EQ(store.ReadInt("Index", "Mode", 0), 1);
  EXPECT_TRUE(MenuLayoutFrom(settings).index_mode);
  EXPECT_FALSE(ToggleIndexMode(store, settings));
  EXPECT_EQ(store.ReadInt("Index", "Mode", 1), 0);
}

}  // namespace
}  // namespace kelvora
