#include "settings/settings.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "platform/user_folder.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using testing::TempDir;

class LoadSettingsTest : public ::testing::Test {
 protected:
  std::string ini_path() const { return dir_.str() + "/Kelvora.ini"; }
  SettingsStore Store() const { return SettingsStore(ini_path(), dir_.str() + "/registry.ini"); }
  void WriteIni(std::string_view text) { dir_.Write("Kelvora.ini", text); }
  std::string IniText() const { return TempDir::Read(ini_path()); }
  Settings Load(ScriptedUi& ui) {
    SettingsStore store = Store();
    Settings s;
    LoadSettings(store, s, ui);
    return s;
  }
  Settings Load() {
    ScriptedUi ui;
    Settings s = Load(ui);
    EXPECT_TRUE(ui.shown().empty());
    return s;
  }

  TempDir dir_;
};

TEST_F(LoadSettingsTest, MissingFileGivesDefaultsAndWritesBackOnlyNormalisedKeys) {
  Settings s = Load();
  EXPECT_EQ(s.debug_on, 0);
  EXPECT_EQ(s.editor_path, "");
  EXPECT_EQ(s.editor_option, "/j");
  EXPECT_EQ(s.index_mode, 0);
  EXPECT_EQ(s.list_data_max, 5000);
  EXPECT_EQ(s.ext_src, "*.c;*.cpp");
  EXPECT_EQ(s.ext_header, "*.h");
  EXPECT_EQ(s.func + s.structs + s.define + s.table, 4);
  EXPECT_EQ(s.func_header_str, Utf8ToCp932("関数名|処理名|機能名"));
  EXPECT_EQ(s.func_header_line, 10);
  EXPECT_EQ(s.hatch_pattern, 3);
  EXPECT_EQ(s.button_pattern, 14);
  EXPECT_EQ(s.dlg_base, 0x646464u);
  EXPECT_EQ(s.dlg_text, 0xFFFFFFu);
  EXPECT_EQ(s.custom_colors[15], 0xFFFFFFu);
  EXPECT_TRUE(s.MultiColumnMenu());
  EXPECT_EQ(s.disp_x_max, 2);
  EXPECT_EQ(s.disp_y_max, 30);
  EXPECT_EQ(s.comment_disp, 1);
  EXPECT_EQ(s.file_dlg, 1);
  // Empty extensions and zero menu sizes are written back; nothing else.
  SettingsStore store = Store();
  EXPECT_EQ(store.ReadString("Extention", "src"), "*.c;*.cpp");
  EXPECT_EQ(store.ReadString("Extention", "header"), "*.h");
  EXPECT_EQ(store.ReadInt("Menu", "disp_x_max", -1), 2);
  EXPECT_EQ(store.ReadInt("Menu", "disp_y_max", -1), 30);
  EXPECT_FALSE(store.ini().HasKey("Analysis", "FuncHeaderStr"));
  EXPECT_FALSE(store.ini().HasKey("Menu", "disp_type"));
}

TEST_F(LoadSettingsTest, ZeroMenuSizesAreRewrittenAndOtherLinesKept) {
  WriteIni("; user notes\r\n[Menu]\r\ndisp_x_max=0\r\ndisp_y_max=0\r\nextra=kept\r\n");
  Settings s = Load();
  EXPECT_EQ(s.disp_x_max, 2);
  EXPECT_EQ(s.disp_y_max, 30);
  std::string text = IniText();
  EXPECT_NE(text.find("; user notes\r\n[Menu]\r\ndisp_x_max=2\r\ndisp_y_max=30\r\nextra=kept\r\n"),
            std::string::npos)
      << text;
  // A negative size cannot lay out a menu either.
  WriteIni("[Menu]\r\ndisp_x_max=-3\r\ndisp_y_max=7\r\n");
  s = Load();
  EXPECT_EQ(s.disp_x_max, 2);
  EXPECT_EQ(s.disp_y_max, 7);
}

TEST_F(LoadSettingsTest, HeaderWordsLoseTheirOuterBarsAndAreStoredBack) {
  WriteIni("[Analysis]\r\nFuncHeaderStr=" + Utf8ToCp932("||関数名|処理名|") + "\r\n");
  Settings s = Load();
  EXPECT_EQ(s.func_header_str, Utf8ToCp932("関数名|処理名"));
  EXPECT_EQ(Store().ReadString("Analysis", "FuncHeaderStr"), Utf8ToCp932("関数名|処理名"));
}

TEST(TrimHeaderWords, RemovesAtMostSixteenBarsAndKeepsSecondBytes) {
  EXPECT_EQ(TrimHeaderWords("|a|b|"), "a|b");
  EXPECT_EQ(TrimHeaderWords("a"), "a");
  EXPECT_EQ(TrimHeaderWords(""), "");
  EXPECT_EQ(TrimHeaderWords("||||"), "");
  EXPECT_EQ(TrimHeaderWords(std::string(10, '|') + "x" + std::string(10, '|')),
            std::string(4, '|') + "x");
  // "ポ" is 0x83 0x7C: its second byte is no "|" and must stay.
  std::string po = Utf8ToCp932("処理ポ");
  EXPECT_EQ(TrimHeaderWords("|" + po + "|"), po);
  EXPECT_EQ(TrimHeaderWords(po), po);
}

TEST_F(LoadSettingsTest, OutOfRangeValuesAreNormalised) {
  WriteIni(
      "[TransparentWindow]\r\nRarUviz_Par=95\r\n"
      "[Index]\r\nMode=2\r\n"
      "[Analysis]\r\nfunc=2\r\nstruct=0\r\ndefine=1\r\ntable=-1\r\nfunc_prop=3\r\n"
      "struct_prop=2\r\nFuncHeaderLine=300\r\n"
      "[Dialog]\r\nfileDLG=0\r\n");
  Settings s = Load();
  EXPECT_EQ(s.raruviz_par, 0);
  EXPECT_EQ(s.index_mode, 0);
  EXPECT_EQ(s.func, 0);
  EXPECT_EQ(s.structs, 0);
  EXPECT_EQ(s.define, 1);
  EXPECT_EQ(s.table, 0);
  EXPECT_EQ(s.func_prop, 0);
  EXPECT_EQ(s.struct_prop, 2);
  EXPECT_EQ(s.func_header_line, 300 & 0xFF);
  EXPECT_EQ(s.file_dlg, 1);
  // None of these is written back.
  EXPECT_EQ(Store().ReadInt("TransparentWindow", "RarUviz_Par", 0), 95);
  EXPECT_EQ(Store().ReadInt("Index", "Mode", 0), 2);

  WriteIni(
      "[TransparentWindow]\r\nRarUviz_Par=90\r\n[Index]\r\nMode=1\r\n"
      "[Dialog]\r\nfileDLG=3\r\n[Analysis]\r\nfunc_prop=-1\r\n");
  s = Load();
  EXPECT_EQ(s.raruviz_par, 90);
  EXPECT_EQ(s.index_mode, 1);
  EXPECT_EQ(s.file_dlg, 1);
  EXPECT_EQ(s.func_prop, 0);
  WriteIni("[Dialog]\r\nfileDLG=2\r\n[TransparentWindow]\r\nRarUviz_Par=-10\r\n");
  s = Load();
  EXPECT_EQ(s.file_dlg, 2);
  EXPECT_EQ(s.raruviz_par, 0);
}

TEST_F(LoadSettingsTest, StoredValuesAreRead) {
  WriteIni(
      "[Debug]\r\nON=1\r\n[List]\r\nDataMax=123\r\n"
      "[Extention]\r\nsrc=*.cc;*.cxx\r\nheader=*.hpp\r\n"
      "[Analysis]\r\nPreprocessor=WIN32;DEBUG=1\r\nCharChange=1\r\n"
      "[Color]\r\nDlg_Base=255\r\nCustomColor0=65280\r\nCustomColor15=-1\r\n"
      "[Menu]\r\ndisp_type=" +
      Utf8ToCp932("１列表示") +
      "\r\ncomment_disp=0\r\n"
      "[Dialog]\r\nBrush_type=2\r\nwindow_top=1\r\n");
  Settings s = Load();
  EXPECT_EQ(s.debug_on, 1);
  EXPECT_EQ(s.list_data_max, 123);
  EXPECT_EQ(s.ext_src, "*.cc;*.cxx");
  EXPECT_EQ(s.ext_header, "*.hpp");
  EXPECT_EQ(s.preprocessor, "WIN32;DEBUG=1");
  EXPECT_EQ(s.char_change, 1);
  EXPECT_EQ(s.dlg_base, 255u);
  EXPECT_EQ(s.custom_colors[0], 65280u);
  EXPECT_EQ(s.custom_colors[1], 0xFFFFFFu);
  EXPECT_EQ(s.custom_colors[15], 0xFFFFFFFFu);
  EXPECT_FALSE(s.MultiColumnMenu());
  EXPECT_EQ(s.comment_disp, 0);
  EXPECT_EQ(s.brush_type, 2);
  EXPECT_EQ(s.window_top, 1);
}

TEST_F(LoadSettingsTest, EditorComesFromTheUserStore) {
  SettingsStore store = Store();
  ASSERT_TRUE(store.user().WriteStringValue(kConfigKey, "EditorPath", "/opt/エディタ/bin/ed"));
  ASSERT_TRUE(store.user().WriteStringValue(kConfigKey, "EditorOption", ""));
  Settings s = Load();
  EXPECT_EQ(s.editor_path, "/opt/エディタ/bin/ed");
  EXPECT_EQ(s.editor_option, "/j");
  ASSERT_TRUE(store.user().WriteStringValue(kConfigKey, "EditorOption", "MIFES"));
  EXPECT_EQ(Load().editor_option, "MIFES");
}

TEST_F(LoadSettingsTest, OverLongExcludedNameIsReportedAndKeepsTheSlot) {
  std::string ok260(260, 'f');
  WriteIni("[UnMatch_Func]\r\nFunc1=main\r\nFunc2=" + std::string(261, 'x') +
           "\r\nFunc60=" + ok260 + "\r\nFunc3=" + std::string(5000, 'y') +
           "\r\nFlag_Func1=1\r\nFlag_Func2=1\r\nFlag_Func60=1\r\n");
  SettingsStore store = Store();
  Settings s;
  s.excluded_names[1] = "previous";
  ScriptedUi ui;
  LoadSettings(store, s, ui);
  ASSERT_EQ(ui.messages().size(), 2u);
  EXPECT_EQ(ui.messages()[0],
            "排他関数名で指定できる最大文字数は、260です。\n2番目は無効とします。");
  EXPECT_EQ(ui.messages()[1],
            "排他関数名で指定できる最大文字数は、260です。\n3番目は無効とします。");
  EXPECT_EQ(s.excluded_names[0], "main");
  EXPECT_EQ(s.excluded_names[1], "previous");
  EXPECT_EQ(s.excluded_names[2], "");
  EXPECT_EQ(s.excluded_names[59], ok260);
  EXPECT_EQ(s.excluded_flags[1], 1);
  EXPECT_TRUE(s.IsExcludedFunction("main"));
  EXPECT_TRUE(s.IsExcludedFunction("previous"));
  EXPECT_TRUE(s.IsExcludedFunction(ok260));
  EXPECT_FALSE(s.IsExcludedFunction("mai"));
  EXPECT_FALSE(s.IsExcludedFunction("main2"));
  EXPECT_FALSE(s.IsExcludedFunction(""));
}

TEST(Settings, ExcludedNamesNeedTheirFlag) {
  Settings s;
  s.excluded_names[4] = "foo";
  EXPECT_FALSE(s.IsExcludedFunction("foo"));
  s.excluded_flags[4] = 2;
  EXPECT_FALSE(s.IsExcludedFunction("foo"));
  s.excluded_flags[4] = 1;
  EXPECT_TRUE(s.IsExcludedFunction("foo"));
  EXPECT_FALSE(s.IsExcludedFunction("Foo"));
}

TEST_F(LoadSettingsTest, DamagedFileLoadsEveryReadableValue) {
  WriteIni("\xEF\xBB\xBF[Menu]\ndisp_x_max=5\nthis line has no equals\n\xFF\xFE\x81\n" +
           std::string("[Analysis]\r\nfunc=0\r\nfunc=1\r\nPreprocessor=A\0B\r\n", 46) +
           "[List]\nDataMax=" + std::string(100000, '9') + "\n[Index]\nMode=1");
  Settings s = Load();
  EXPECT_EQ(s.disp_x_max, 5);
  EXPECT_EQ(s.func, 0);
  EXPECT_EQ(s.preprocessor, std::string("A\0B", 3));
  EXPECT_EQ(s.list_data_max, 2147483647);
  EXPECT_EQ(s.index_mode, 1);
}

TEST_F(LoadSettingsTest, UnwritableFolderStillLoadsNormalisedValues) {
  std::string file = dir_.Write("plain", "x");
  SettingsStore store(file + "/Kelvora.ini", file + "/registry.ini");
  Settings s;
  ScriptedUi ui;
  LoadSettings(store, s, ui);
  EXPECT_EQ(s.disp_x_max, 2);
  EXPECT_EQ(s.ext_src, "*.c;*.cpp");
  EXPECT_EQ(s.editor_option, "/j");
  EXPECT_TRUE(ui.shown().empty());
}

TEST(SettingsStore, DefaultUsesTheSettingsFolder) {
  SettingsStore store = SettingsStore::Default();
  EXPECT_EQ(store.ini().path(), SettingsFilePath());
  EXPECT_EQ(store.user().path(), UserStorePath());
  ASSERT_TRUE(store.WriteInt("Debug", "ON", 1));
  EXPECT_EQ(SettingsStore::Default().ReadInt("Debug", "ON", 0), 1);
}

}  // namespace
}  // namespace kelvora
