// The one settings table: loading and the sheet's pages read every shared key alike, window
// changes come back through loading, and a read-only store is never written.
#include "settings/settings_schema.h"

#include <gtest/gtest.h>

#include "platform/scripted_ui.h"
#include "settings/property_pages.h"
#include "settings/window_settings.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using testing::TempDir;

class SettingsSchemaTest : public ::testing::Test {
 protected:
  SettingsStore Store() const {
    return SettingsStore(dir_.str() + "/Kelvora.ini", dir_.str() + "/registry.ini");
  }
  Settings Load(SettingsStore& store) {
    Settings s;
    ScriptedUi ui;
    LoadSettings(store, s, ui);
    return s;
  }
  TempDir dir_;
};

// Odd stored values, each read by loading and by the page that shows it: both must agree.
TEST_F(SettingsSchemaTest, LoadingAndPagesNormaliseAlike) {
  const char* cases[] = {"", "0", "1", "2", "3", "-1", "95", "300", "x", "99999999999"};
  for (const char* value : cases) {
    std::string ini = "[Analysis]\r\n";
    for (const char* k : {"func", "struct", "define", "table", "func_prop", "struct_prop",
                          "CharChange", "FuncHeaderLine", "FuncHeadWords"})
      if (*value) ini += std::string(k) + "=" + value + "\r\n";
    ini += std::string("[Dialog]\r\n") + (*value ? std::string("fileDLG=") + value : "") + "\r\n";
    ini += std::string("[UnMatch_Func]\r\n") + (*value ? std::string("Flag_Func7=") + value : "") +
           "\r\n";
    dir_.Write("Kelvora.ini", ini);
    SettingsStore store = Store();
    const Settings s = Load(store);
    const AnalysisPage a = ReadAnalysisPage(store);
    EXPECT_EQ(a.func, s.func) << value;
    EXPECT_EQ(a.structs, s.structs) << value;
    EXPECT_EQ(a.define, s.define) << value;
    EXPECT_EQ(a.table, s.table) << value;
    EXPECT_EQ(a.func_prop, s.func_prop) << value;
    EXPECT_EQ(a.func_head_words, s.func_head_words) << value;
    EXPECT_EQ(a.struct_prop, s.struct_prop) << value;
    EXPECT_EQ(a.func_header_line, std::min<int>(s.func_header_line, kHeaderLineMax)) << value;
    EXPECT_EQ(ReadPreprocessorPage(store).char_change, s.char_change) << value;
    EXPECT_EQ(ReadOtherPage(store).file_dlg, s.file_dlg) << value;
    EXPECT_EQ(ReadExcludedPage(store).flags[6], s.excluded_flags[6] == 1) << value;
  }
}

// What a window changes is what the next loading reads.
TEST_F(SettingsSchemaTest, WindowChangesComeBackThroughLoading) {
  SettingsStore store = Store();
  Settings s;
  SetTransparency(store, s, 45);
  SetAlwaysOnTop(store, s, true);
  SetDialogColor(store, s, DialogColor::Line, 0x010203);
  SetDialogColor(store, s, DialogColor::Text, 0x040506);
  SetDialogColor(store, s, DialogColor::Background, 0xFFFFFFFF);
  std::array<std::uint32_t, kCustomColors> custom{};
  for (int i = 0; i < kCustomColors; ++i) custom[static_cast<std::size_t>(i)] = 0x100u * i;
  SetCustomColors(store, s, custom);
  SetHatchPattern(store, s, 5);
  SetButtonPattern(store, s, 7);
  const Settings loaded = Load(store);
  EXPECT_EQ(loaded.raruviz_par, 45);
  EXPECT_EQ(loaded.window_top, 1);
  EXPECT_EQ(loaded.dlg_base, 0x010203u);
  EXPECT_EQ(loaded.dlg_text, 0x040506u);
  EXPECT_EQ(loaded.dlg_bkground, 0xFFFFFFFFu);
  EXPECT_EQ(loaded.custom_colors, custom);
  EXPECT_EQ(loaded.hatch_pattern, 5);
  EXPECT_EQ(loaded.button_pattern, 7);
  EXPECT_EQ(ReadCustomColors(store), custom);

  WriteWindowPlacement(store, {10, 20, 310, 220, 3});
  const WindowPlacement p = ReadWindowPlacement(store);
  EXPECT_EQ(p.left, 10);
  EXPECT_EQ(p.bottom, 220);
  EXPECT_EQ(p.show, 3);
}

// Loading writes the defaults it had to put in place; a read-only store keeps them in memory.
TEST_F(SettingsSchemaTest, ReadOnlyStoreLoadsTheSameValuesAndWritesNothing) {
  const std::string ini = "[Extention]\r\nsrc=\r\n[Analysis]\r\nFuncHeaderStr=|a|b|\r\n";
  dir_.Write("Kelvora.ini", ini);
  SettingsStore read_only = Store();
  read_only.set_read_only();
  const Settings kept = Load(read_only);
  EXPECT_EQ(TempDir::Read(dir_.path() / "Kelvora.ini"), ini);
  EXPECT_FALSE(WriteValue(read_only, keys::kTransparency, 10));
  EXPECT_FALSE(WriteText(read_only, keys::kEditorPath, "/bin/vi"));

  SettingsStore store = Store();
  const Settings written = Load(store);
  EXPECT_EQ(kept.ext_src, "*.c;*.cpp");
  EXPECT_EQ(kept.ext_src, written.ext_src);
  EXPECT_EQ(kept.ext_header, written.ext_header);
  EXPECT_EQ(kept.func_header_str, "a|b");
  EXPECT_EQ(kept.func_header_str, written.func_header_str);
  EXPECT_EQ(kept.disp_x_max, written.disp_x_max);
  EXPECT_EQ(ReadText(store, keys::kSourceExtensions), "*.c;*.cpp");
  EXPECT_EQ(store.ReadString("Analysis", "FuncHeaderStr"), "a|b");
  EXPECT_EQ(store.ReadInt("Menu", "disp_y_max", 0), 30);
}

}  // namespace
}  // namespace kelvora
