#include "lookup/index_window.h"

#include <gtest/gtest.h>

#include "lookup_fixture.h"
#include "platform/cp932.h"
#include "settings/settings.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

TEST(IndexWindowTest, RowsForLettersSymbolsAndOthers) {
  RegisteredData data;
  testing::AddRows(data, ListKind::Function,
                   {{"_x", "", "", ""},
                    {"Ab", "", "", ""},
                    {"abc", "", "", ""},
                    {Utf8ToCp932("漢字"), "", "", ""},
                    {"\xB1", "", "", ""},
                    {"9", "", "", ""}});
  data.functions().set_sort_flag(0);
  data.functions().Sort();
  IndexWindowSettings settings;
  settings.left = 5;
  settings.top = 7;
  settings.back_color = 0x123456;
  IndexWindowModel model = BuildIndexWindow(data.functions().index(), settings);
  ASSERT_EQ(model.entries.size(), 4u);  // 9, _, a/A, the others
  ASSERT_EQ(model.rows.size(), 6u);
  EXPECT_EQ(model.rows[0].number, "1");
  EXPECT_EQ(model.rows[0].text, "” 9 ”  or  ” 9 ” ～");
  EXPECT_EQ(model.rows[1].text, "” _ ”  or  ” _ ” ～");
  EXPECT_EQ(model.rows[2].text, "” A ”  or  ” a ” ～");
  EXPECT_EQ(model.rows[3].number, "4");
  EXPECT_EQ(model.rows[3].text, "その他(0x20～0x7f以外) ～");
  EXPECT_EQ(model.rows[4].kind, IndexRowKind::Blank);
  EXPECT_EQ(model.rows[4].text, "");
  EXPECT_EQ(model.rows[5].number, "※");
  EXPECT_EQ(model.rows[5].text, "ｷｬﾝｾﾙ（ESC）");
  EXPECT_EQ(model.height, 16 * 4 + 36);
  EXPECT_EQ(model.left, 5);
  EXPECT_EQ(model.top, 7);
  EXPECT_EQ(model.back_color, 0x123456u);

  std::size_t entry = 99;
  EXPECT_EQ(model.Activate(2, entry), IndexAction::Choose);
  EXPECT_EQ(entry, 2u);
  EXPECT_EQ(model.Activate(4, entry), IndexAction::Nothing);
  EXPECT_EQ(model.Activate(5, entry), IndexAction::Cancel);
  EXPECT_EQ(model.Activate(6, entry), IndexAction::Nothing);
}

TEST(IndexWindowTest, AllTwoByteNamesGiveOneEntry) {
  RegisteredData data;
  testing::AddRows(data, ListKind::Struct,
                   {{Utf8ToCp932("構造"), "", "", ""},
                    {Utf8ToCp932("あいう"), "", "", ""},
                    {Utf8ToCp932("ｶﾅ"), "", "", ""}});
  data.structs().Sort();
  IndexWindowModel model = BuildIndexWindow(data.structs().index(), IndexWindowSettings{});
  ASSERT_EQ(model.entries.size(), 1u);
  EXPECT_EQ(model.rows[0].text, "その他(0x20～0x7f以外) ～");
  EXPECT_EQ(model.height, 52);

  MenuLayout layout;
  layout.index_mode = true;
  MenuState state;
  state.index_start_row = 9;
  EXPECT_TRUE(
      SelectIndexStart(data.structs(), layout, state, IndexWindowSettings{},
                       [](const IndexWindowModel&) { return std::optional<std::size_t>(0); }));
  EXPECT_EQ(state.index_start_row, 0u);
  // A chooser that answers with a row that is no entry counts as cancelled.
  EXPECT_FALSE(
      SelectIndexStart(data.structs(), layout, state, IndexWindowSettings{},
                       [](const IndexWindowModel&) { return std::optional<std::size_t>(3); }));
}

TEST(IndexWindowTest, SettingsFromTheIndexSection) {
  testing::TempDir dir;
  SettingsStore store(dir.str() + "/Kelvora.ini", dir.str() + "/registry.ini");
  Settings settings;
  settings.raruviz_par = 30;
  IndexWindowSettings s = ReadIndexWindowSettings(store, settings);
  EXPECT_EQ(s.left, 20);
  EXPECT_EQ(s.top, 20);
  EXPECT_EQ(s.text_color, 0xFFFFFFu);
  EXPECT_EQ(s.back_color, 0u);
  EXPECT_EQ(s.transparency_percent, 30);
  store.WriteInt("Index", "LeftPos", 300);
  store.WriteInt("Index", "TopPos", 40);
  store.WriteInt("Index", "TextColor", 255);
  store.WriteInt("Index", "BkColor", 0xFF0000);
  s = ReadIndexWindowSettings(store, settings);
  EXPECT_EQ(s.left, 300);
  EXPECT_EQ(s.top, 40);
  EXPECT_EQ(s.text_color, 255u);
  EXPECT_EQ(s.back_color, 0xFF0000u);
}

}  // namespace
}  // namespace kelvora
