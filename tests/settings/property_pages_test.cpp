#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/property_pages.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using testing::TempDir;

class PropertyPagesTest : public ::testing::Test {
 protected:
  SettingsStore Store() const {
    return SettingsStore(dir_.str() + "/Kelvora.ini", dir_.str() + "/registry.ini");
  }
  void WriteIni(std::string_view text) { dir_.Write("Kelvora.ini", text); }
  std::string IniText() const { return TempDir::Read(dir_.path() / "Kelvora.ini"); }

  TempDir dir_;
};

TEST_F(PropertyPagesTest, AnalysisPageShowsDefaultsAndWritesEmptyExtensionsBackAtOnce) {
  SettingsStore store = Store();
  AnalysisPage page = ReadAnalysisPage(store);
  EXPECT_EQ(page.src, "*.c;*.cpp");
  EXPECT_EQ(page.header, "*.h");
  EXPECT_EQ(page.func + page.structs + page.define + page.table, 4);
  EXPECT_EQ(page.func_header_str, Utf8ToCp932("関数名|処理名|機能名"));
  EXPECT_EQ(page.func_header_line, 10);
  // Written on reading, before any OK; nothing else is.
  EXPECT_EQ(IniText(), "[Extention]\r\nsrc=*.c;*.cpp\r\nheader=*.h\r\n");
}

TEST_F(PropertyPagesTest, AnalysisPageNormalisesChoicesAndRoundTrips) {
  WriteIni(
      "[Extention]\r\nsrc=*.cc\r\nheader=*.hh;*.hpp\r\n[Analysis]\r\nfunc=2\r\nstruct=0\r\n"
      "define=1\r\ntable=-1\r\nfunc_prop=3\r\nstruct_prop=2\r\nFuncHeaderLine=300\r\n"
      "FuncHeaderStr=" +
      Utf8ToCp932("|概要|") + "\r\n");
  SettingsStore store = Store();
  AnalysisPage page = ReadAnalysisPage(store);
  EXPECT_EQ(page.src, "*.cc");
  EXPECT_EQ(page.header, "*.hh;*.hpp");
  EXPECT_EQ(page.func, 0);
  EXPECT_EQ(page.structs, 0);
  EXPECT_EQ(page.define, 1);
  EXPECT_EQ(page.table, 0);
  EXPECT_EQ(page.func_prop, 0);
  EXPECT_EQ(page.struct_prop, 2);
  EXPECT_EQ(page.func_header_line, 44);  // one byte of 300
  EXPECT_EQ(page.func_header_str, Utf8ToCp932("|概要|"));
  WriteIni("[Analysis]\r\nFuncHeaderLine=250\r\n");
  EXPECT_EQ(ReadAnalysisPage(store).func_header_line, 200);

  page.func = 1;
  page.func_prop = 2;
  page.func_header_line = 0;
  WriteAnalysisPage(page, store);
  AnalysisPage again = ReadAnalysisPage(store);
  EXPECT_EQ(again.src, "*.cc");
  EXPECT_EQ(again.func, 1);
  EXPECT_EQ(again.table, 0);
  EXPECT_EQ(again.func_prop, 2);
  EXPECT_EQ(again.struct_prop, 2);
  EXPECT_EQ(again.func_header_line, 0);
  EXPECT_EQ(again.func_header_str, Utf8ToCp932("|概要|"));
}

TEST_F(PropertyPagesTest, PreprocessorPageRoundTripsAndKnowsTwoConversions) {
  WriteIni("[Analysis]\r\nPreprocessor=WIN32,_DEBUG\r\nCharChange=7\r\n");
  SettingsStore store = Store();
  PreprocessorPage page = ReadPreprocessorPage(store);
  EXPECT_EQ(page.preprocessor, "WIN32,_DEBUG");
  EXPECT_EQ(page.char_change, 0);
  page.char_change = 1;
  page.preprocessor = "";
  WritePreprocessorPage(page, store);
  EXPECT_EQ(store.ReadInt("Analysis", "CharChange", -1), 1);
  EXPECT_TRUE(store.ini().HasKey("Analysis", "Preprocessor"));
  EXPECT_EQ(ReadPreprocessorPage(store).preprocessor, "");
}

TEST_F(PropertyPagesTest, ExcludedPageWritesAllSixtySlotsAndClearsOnlyAfterYes) {
  WriteIni("[UnMatch_Func]\r\nFunc1=printf\r\nFlag_Func1=1\r\nFunc60=" + Utf8ToCp932("関数") +
           "\r\nFlag_Func60=2\r\n");
  SettingsStore store = Store();
  ExcludedPage page = ReadExcludedPage(store);
  EXPECT_EQ(page.names[0], "printf");
  EXPECT_TRUE(page.flags[0]);
  EXPECT_EQ(page.names[59], Utf8ToCp932("関数"));
  EXPECT_FALSE(page.flags[59]);

  ScriptedUi ui;
  ui.AnswerNo().AnswerYes();
  EXPECT_FALSE(ClearExcludedPage(page, ui));
  EXPECT_EQ(page.names[0], "printf");
  EXPECT_TRUE(ClearExcludedPage(page, ui));
  EXPECT_EQ(ui.questions(), std::vector<std::string>(2, "全てクリアしてもよろしいですか？　"));
  for (int i = 0; i < kExcludedSlots; ++i) {
    EXPECT_EQ(page.names[i], "");
    EXPECT_FALSE(page.flags[i]);
  }
  page.names[29] = "malloc";
  page.flags[29] = true;
  WriteExcludedPage(page, store);
  EXPECT_EQ(store.ReadString("UnMatch_Func", "Func30"), "malloc");
  EXPECT_EQ(store.ReadInt("UnMatch_Func", "Flag_Func30", 0), 1);
  for (int n : {1, 2, 59, 60}) {
    EXPECT_TRUE(store.ini().HasKey("UnMatch_Func", "Func" + std::to_string(n)));
    EXPECT_EQ(store.ReadString("UnMatch_Func", "Func" + std::to_string(n), "x"), "");
    EXPECT_EQ(store.ReadInt("UnMatch_Func", "Flag_Func" + std::to_string(n), -1), 0);
  }
}

TEST_F(PropertyPagesTest, OutputPageLevelsFormTheMaskAndSpacesOutsideTheRangeTakeDefaults) {
  SettingsStore store = Store();
  OutputPage page = ReadOutputPage(store);
  EXPECT_EQ(page.NestMask(), 0);
  EXPECT_EQ(page.space, 30);
  EXPECT_EQ(page.struct_space, 40);
  EXPECT_EQ(page.table_space, 40);
  page.nest_levels[0] = true;
  page.nest_levels[2] = true;
  WriteOutputPage(page, store);
  EXPECT_EQ(store.ReadInt("Tree", "NestLevelText", -1), 5);

  WriteIni(
      "[Tree]\r\nNestLevelText=2049\r\nSpace=0\r\nStructSpace=101\r\nTableSpace=100\r\n"
      "GraphNodeBudget=5001\r\n");
  page = ReadOutputPage(store);
  EXPECT_TRUE(page.nest_levels[0]);
  EXPECT_TRUE(page.nest_levels[11]);
  EXPECT_EQ(page.NestMask(), 2049);
  EXPECT_EQ(page.space, 30);
  EXPECT_EQ(page.struct_space, 40);
  EXPECT_EQ(page.table_space, 100);
  EXPECT_EQ(page.graph_node_budget, 300);
  // Bits above level 12 have no box and are not written back.
  WriteIni("[Tree]\r\nNestLevelText=4097\r\nSpace=1\r\nGraphNodeBudget=5000\r\n");
  page = ReadOutputPage(store);
  EXPECT_EQ(page.NestMask(), 1);
  EXPECT_EQ(page.space, 1);
  EXPECT_EQ(page.graph_node_budget, 5000);
}

TEST_F(PropertyPagesTest, IndexPageHoldsThePositionOnTheDesktop) {
  SettingsStore store = Store();
  IndexPage page = ReadIndexPage(store, 1920, 1080);
  EXPECT_EQ(page.text_color, 0xFFFFFFu);
  EXPECT_EQ(page.back_color, 0u);
  EXPECT_EQ(page.left, 20);
  EXPECT_EQ(page.top, 20);
  WriteIni("[Index]\r\nLeftPos=3000\r\nTopPos=-4\r\nTextColor=255\r\nBkColor=16711680\r\n");
  page = ReadIndexPage(store, 1920, 1080);
  EXPECT_EQ(page.left, 1920);
  EXPECT_EQ(page.top, 0);
  EXPECT_EQ(page.text_color, 0xFFu);
  EXPECT_EQ(page.back_color, 0xFF0000u);
  page.left = 100;
  page.back_color = 0x123456;
  WriteIndexPage(page, store);
  EXPECT_EQ(store.ReadInt("Index", "LeftPos", -1), 100);
  EXPECT_EQ(store.ReadInt("Index", "TopPos", -1), 0);
  EXPECT_EQ(store.ReadInt("Index", "BkColor", -1), 0x123456);
  EXPECT_EQ(store.ReadInt("Index", "TextColor", -1), 255);
}

TEST_F(PropertyPagesTest, CustomColoursDefaultToWhiteAndAreWrittenAsSixteenKeys) {
  WriteIni("[Color]\r\nCustomColor3=66\r\n");
  SettingsStore store = Store();
  auto colors = ReadCustomColors(store);
  EXPECT_EQ(colors[0], 0xFFFFFFu);
  EXPECT_EQ(colors[3], 66u);
  colors[15] = 0x010203;
  WriteCustomColors(colors, store);
  EXPECT_EQ(store.ReadInt("Color", "CustomColor15", -1), 0x010203);
  EXPECT_EQ(store.ReadInt("Color", "CustomColor0", -1), 0xFFFFFF);
  EXPECT_FALSE(store.ini().HasKey("Color", "CustomColor16"));
}

}  // namespace
}  // namespace kelvora
