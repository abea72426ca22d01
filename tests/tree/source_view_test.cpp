#include "tree/source_view.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "platform/cp932.h"
#include "platform/file_names.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/golden.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

namespace fs = std::filesystem;

namespace kelvora {
namespace {

using testing::GoldenCases;
using testing::TempDir;

// tests/golden/source_view/<case>/: item.txt (the output item's data text, "@DIR@" standing for
// the case folder), settings.ini (keys of section "Tree"), optional data1.txt, patterns.txt (one
// emphasis pattern a line, UTF-8), layout.txt ("rows width"), and expected.txt, the rendering.
const fs::path kGoldenDir = fs::path(KELVORA_GOLDEN) / "source_view";

std::string FirstLine(const fs::path& file) {
  if (!fs::exists(file)) return {};
  std::string text = TempDir::Read(file);
  return text.substr(0, text.find_first_of("\r\n"));
}

class SourceViewGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(SourceViewGolden, RenderingMatches) {
  const fs::path dir = kGoldenDir / GetParam();
  TempDir temp;
  SettingsStore store(temp.Write("Kelvora.ini", TempDir::Read(dir / "settings.ini")),
                      (temp.path() / "registry.ini").string());
  const SourceViewSettings s = LoadSourceViewSettings(store);
  RegexService regex;
  CleaningPatterns pats(regex);
  std::vector<Regex> compiled;
  if (fs::exists(dir / "patterns.txt")) {
    std::istringstream in(TempDir::Read(dir / "patterns.txt"));
    for (std::string p; std::getline(in, p);) {
      ASSERT_TRUE(regex.Compile(Utf8ToCp932(p), compiled.emplace_back())) << p;
    }
  }
  std::vector<const Regex*> patterns;
  for (const Regex& r : compiled) patterns.push_back(&r);
  const std::string item =
      testing::ReplaceAllText(FirstLine(dir / "item.txt"), "@DIR@", dir.string());
  const SourceView view =
      BuildSourceView(item, Utf8ToCp932(FirstLine(dir / "data1.txt")), s, pats, patterns);
  int rows = 40, width = 60;
  std::istringstream(FirstLine(dir / "layout.txt")) >> rows >> width;
  const std::string text =
      testing::ReplaceAllText(RenderSourceText(view, s, rows, width), dir.string(), "@DIR@");
  testing::CompareOrUpdate(dir / "expected.txt", text);
}

INSTANTIATE_TEST_SUITE_P(Cases, SourceViewGolden, ::testing::ValuesIn(GoldenCases(kGoldenDir)),
                         [](const auto& info) { return info.param; });

// Settings: bounds from the stored file, and every menu command writes its key at once.
TEST(SourceViewSettingsTest, BoundsAndImmediateWrites) {
  TempDir temp;
  const std::string ini = temp.Write(
      "Kelvora.ini",
      "[Tree]\r\nInfoWinTab=3\r\nInfoWinScrl=7\r\nInfoWinRow=11\r\nDispLineNo=0\r\nSrcLine=-2\r\n");
  SettingsStore store(ini, (temp.path() / "registry.ini").string());
  SourceViewSettings s = LoadSourceViewSettings(store);
  EXPECT_EQ(4, s.tab);
  EXPECT_EQ(4, store.ReadInt("Tree", "InfoWinTab", 0));  // written back
  EXPECT_EQ(15, s.scroll_width);
  EXPECT_EQ(1, s.columns);
  EXPECT_FALSE(s.show_line_numbers);
  EXPECT_EQ(0, s.src_line);
  EXPECT_EQ(Utf8ToCp932("ＭＳ ゴシック"), s.font);

  EXPECT_EQ("行番号表示設定→表示", SourceItemMenuText(SourceItem::LineNumbers, s));
  ToggleSourceItem(SourceItem::LineNumbers, s, store);
  EXPECT_EQ(1, store.ReadInt("Tree", "DispLineNo", 0));
  EXPECT_EQ("行番号表示設定→非表示", SourceItemMenuText(SourceItem::LineNumbers, s));
  EXPECT_FALSE(SetSourceTab(3, s, store));
  EXPECT_TRUE(SetSourceTab(8, s, store));
  EXPECT_TRUE(SetSourceScrollWidth(25, s, store));
  EXPECT_FALSE(SetSourceColumns(0, s, store));
  EXPECT_TRUE(SetSourceColumns(3, s, store));
  EXPECT_EQ(8, store.ReadInt("Tree", "InfoWinTab", 0));
  EXPECT_EQ(25, store.ReadInt("Tree", "InfoWinScrl", 0));
  EXPECT_EQ(3, store.ReadInt("Tree", "InfoWinRow", 0));

  ScriptedUi ui;
  ui.Answer(kAskHideInactiveRanges, false).Answer(kAskHideInactiveRanges, true);
  EXPECT_FALSE(ToggleInactiveRanges(s, store, ui));
  EXPECT_TRUE(ToggleInactiveRanges(s, store, ui));
  EXPECT_EQ(1, store.ReadInt("Tree", "InfoWinDrctive", 0));
  ui.Answer(kAskConvertEuc, true);
  EXPECT_TRUE(ToggleEucConversion(s, store, ui));
  EXPECT_EQ(1, store.ReadInt("Tree", "InfoWinChar", 0));
  SetSourceFont("IPAGothic", 12, s, store);
  ToggleSourceItem(SourceItem::Ruler, s, store);
  ui.Answer(kAskSourceDefaults, true);
  EXPECT_TRUE(RestoreSourceDefaults(s, store, ui));
  const SourceViewSettings back = LoadSourceViewSettings(store);
  EXPECT_EQ(Utf8ToCp932("ＭＳ ゴシック"), back.font);
  EXPECT_EQ(12, back.font_size);  // the size stays
  EXPECT_TRUE(back.show_ruler && back.show_line_numbers);
  EXPECT_FALSE(back.hide_inactive || back.euc);
  EXPECT_EQ(1, back.columns);
  EXPECT_EQ(8, back.tab);  // kept
  EXPECT_TRUE(ui.AllAnswersUsed());
  ASSERT_FALSE(ui.shown().empty());
  EXPECT_NE(std::string::npos,
            ui.shown().back().text.find("・フォント：ＭＳ ゴシック\n・行番号：表示する"));
}

// The ring: one key written per new pattern, the 21st overwrites slot 1, a held one is skipped.
TEST(SourceViewSettingsTest, EmphasisHistoryRingOfTwenty) {
  TempDir temp;
  SettingsStore store(temp.Write("Kelvora.ini", ""), (temp.path() / "registry.ini").string());
  EmphasisHistory history;
  for (int i = 1; i <= 21; ++i) history.Add("p" + std::to_string(i), store);
  EXPECT_TRUE(history.Add("p10", store));
  EXPECT_FALSE(history.Add("", store));
  EXPECT_EQ("p21", store.ReadString("Tree", "InfoWinEmphasis1", ""));
  EXPECT_EQ("p2", store.ReadString("Tree", "InfoWinEmphasis2", ""));
  EmphasisHistory loaded;
  loaded.Load(store);
  const std::vector<std::string> items = loaded.items();
  ASSERT_EQ(20u, items.size());
  EXPECT_EQ("p20", items[0]);  // the slot order is all a reload knows
  EXPECT_EQ("p21", items[19]);
  loaded.Add("new", store);  // after a full ring: slot 1 again
  EXPECT_EQ("new", store.ReadString("Tree", "InfoWinEmphasis1", ""));
  EXPECT_EQ("new", loaded.items()[0]);
}

// A file of one huge line without a line end, a binary file, a pipe and a device: bounded, each
// with a note.
TEST(SourceViewTest, HugeLineAndBinaryFileStayBounded) {
  TempDir temp;
  const std::string huge = temp.Write("huge.c", std::string(8u << 20, 'x'));
  const std::string binary = temp.Write("lib.so", std::string("\x7f"
                                                              "ELF\0\0\1",
                                                              7) +
                                                      "abc\n");
  RegexService regex;
  CleaningPatterns pats(regex);
  SourceViewSettings s;
  Regex x;
  ASSERT_TRUE(regex.Compile("x+", x));
  const Regex* patterns[] = {&x};
  // A lone lead byte before a tab (broken text, or EUC shown unconverted) is a byte of its own:
  // the tab is still expanded and the line keeps one byte per cell.
  const std::string lone = temp.Write("lone.c", "\xe1\tx\xe1\n");
  SourceView view = BuildSourceView("1,1,1,0," + lone + "(1)", "", s, pats, patterns);
  ASSERT_EQ(1u, view.lines.size());
  EXPECT_EQ(".   x.", view.lines[0].text);
  view = BuildSourceView("1,1,1,0," + huge + "(1)", "", s, pats, patterns);
  ASSERT_EQ(1u, view.lines.size());
  EXPECT_TRUE(view.lines[0].cut);
  EXPECT_EQ(kShownLineBytes, view.lines[0].text.size());
  ASSERT_EQ(1u, view.lines[0].emphasis.size());
  view = BuildSourceView("1,1,1,0," + binary + "(1)", "", s, pats, patterns);
  EXPECT_TRUE(view.lines.empty());
  ASSERT_EQ(1u, view.notes.size());
  // A pipe with no writer and a device are refused at once, never read.
  const std::string fifo = (temp.path() / "pipe (1).c").string();
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  for (const std::string& path : {fifo, std::string("/dev/zero")}) {
    view = BuildSourceView("1,1,1,0," + path + "(1)", "", s, pats, patterns);
    EXPECT_TRUE(view.lines.empty());
    ASSERT_EQ(4u, view.notes.size()) << path;
    EXPECT_EQ("　※ファイルオープンエラー", view.notes[0]);
  }
}

// With CharChange 2 a UTF-8 or EUC-JP source is shown in CP932, and a position written in CP932
// (a tree file's form of a UTF-8 name) still finds the file.
TEST(SourceViewTest, DetectedEncodingsAndCp932PositionsOfUtf8Names) {
  TempDir temp;
  const std::string utf8 =
      temp.Write("資料 (旧)/日本語.c", "\xEF\xBB\xBF// 表示\nint a; /* ♥ */\n");
  const std::string euc = temp.Write("euc.c", "// \xC9\xBD\xBC\xA8\xA4\xB9\xA4\xEB\nint b;\n");
  RegexService regex;
  CleaningPatterns pats(regex);
  SourceViewSettings s;
  s.detect = true;
  const std::pair<std::string, std::string> cases[] = {
      {NameToCp932(utf8), Utf8ToCp932("// 表示") + "|int a; /* " + Utf8ToCp932("〓") + " */|"},
      {euc, Utf8ToCp932("// 表示する") + "|int b;|"}};
  for (const auto& [path, shown] : cases) {
    const SourceView view = BuildSourceView("1,1,1,0," + path + "(1)", "", s, pats, {});
    std::string text;
    for (const SourceLine& line : view.lines) text += line.text + "|";
    EXPECT_EQ(text, shown) << path;
    EXPECT_TRUE(view.notes.empty());
  }
}

}  // namespace
}  // namespace kelvora
