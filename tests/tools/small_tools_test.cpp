#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/line_reader.h"
#include "platform/scripted_ui.h"
#include "support/temp_dir.h"
#include "tools/ascii_table.h"
#include "tools/readme.h"
#include "tools/system_info.h"

namespace kelvora {
namespace {

using testing::TempDir;

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back(text.substr(at) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

TEST(SystemInfo, FiguresFromProcFilesAndKernelRelease) {
  const MemoryFigures m = ParseMemInfo(
      "MemTotal:       16000000 kB\nMemFree:  100 kB\nMemAvailable:    4000000 kB\n"
      "SwapTotal:       2000000 kB\nSwapFree:        1500000 kB\n");
  EXPECT_EQ(75, m.load_percent);
  EXPECT_EQ(4000000u, m.phys_avail_kb);
  EXPECT_EQ(1500000u, m.swap_avail_kb);
  EXPECT_EQ(0, ParseMemInfo("").load_percent);  // no division by zero on a missing file

  EXPECT_EQ("Debian GNU/Linux 12 (bookworm)",
            OsNameOfRelease(
                "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"));
  EXPECT_EQ("Fedora Linux", OsNameOfRelease("NAME='Fedora Linux'\n"));
  EXPECT_EQ("Linux", OsNameOfRelease("ID=x\n"));
  const std::pair<const char*, const char*> versions[] = {
      {"6.1.0-28-amd64", "D Version 6.1 Build 0"},
      {"5.15.167.4-microsoft-standard", "D Version 5.15 Build 167"},
      {"6.1.70000", "D Version 6.1 Build 4464"},  // low 16 bits of the build number
      {"weird", "D Version 0.0 Build 0"},
  };
  for (auto [release, expected] : versions) EXPECT_EQ(expected, OsVersionText("D", release));
  EXPECT_EQ("16,384,000", GroupedNumber(16384000));
  EXPECT_EQ("999", GroupedNumber(999));
}

TEST(SystemInfo, WindowTextsAgreeWithThisMachine) {
  std::tm t{};
  t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 7, t.tm_wday = 1, t.tm_hour = 9;
  const SystemInfoTexts info = ReadSystemInfo(t);
  EXPECT_EQ("2026/12/07(月曜日) 09:00:00", info.local_time);
  EXPECT_EQ("", info.ie_version);
  std::ifstream in("/proc/meminfo");
  std::stringstream text;
  text << in.rdbuf();
  const MemoryFigures m = ParseMemInfo(text.str());
  ASSERT_GT(m.phys_total_kb, 0u);
  EXPECT_NE(std::string::npos, info.physical.find("／" + GroupedNumber(m.phys_total_kb) + "(KB)"));
  EXPECT_EQ(static_cast<int>(std::min<std::uint64_t>(m.phys_total_kb / 100, 65535)),
            info.phys_bar_max);
  EXPECT_NE(std::string::npos, info.os_version.find(" Version "));
  EXPECT_GE(info.load_bar, 0);
  EXPECT_LE(info.load_bar, 100);
}

TEST(AsciiTable, SixtyFourAlignedRowsPairingEachCodeWithTheOne64Higher) {
  const std::vector<std::string> lines = SplitCrLf(AsciiTableText());
  EXPECT_EQ("≪ ASCIIコード表 ≫", lines.front());
  std::vector<std::string> rows;
  for (const std::string& l : lines)
    if (l.find("0x") != std::string::npos && l.rfind("│", 0) == 0) rows.push_back(l);
  ASSERT_EQ(64u, rows.size());
  const int width = DisplayWidth(rows[0]);
  for (int code = 0; code < 64; ++code) {
    char left[8], right[8];
    std::snprintf(left, sizeof left, "0x%02X", code);
    std::snprintf(right, sizeof right, "0x%02X", code + 64);
    const std::string& row = rows[static_cast<std::size_t>(code)];
    EXPECT_EQ(width, DisplayWidth(row)) << row;
    EXPECT_LT(row.find(left), row.find(right)) << row;
  }
  EXPECT_NE(std::string::npos, rows[10].find("LF"));
  EXPECT_NE(std::string::npos, rows[10].find("\\n"));
  EXPECT_NE(std::string::npos, rows[63].find("DEL"));
  for (const char* legend : {"0x00～0x1F", "0x20 ", "0x21～0x7E", "0x7F "})
    EXPECT_NE(std::string::npos, AsciiTableText().find(legend)) << legend;
}

TEST(Readme, OpensTheEditorAtTheChangeHistoryOrSaysItIsMissing) {
  std::string text;
  for (int i = 1; i <= 11; ++i) text += "line " + std::to_string(i) + "\n";
  text += "■変更履歴\n■変更履歴\n";
  StringLineSource utf8(text);
  EXPECT_EQ(12, ChangeHistoryLine(utf8));
  StringLineSource sjis("x\r\n" + Utf8ToCp932("■変更履歴") + "\r\n");
  EXPECT_EQ(2, ChangeHistoryLine(sjis));
  StringLineSource none("■変更履歴 \n");
  EXPECT_EQ(1, ChangeHistoryLine(none));

  TempDir dir;
  std::vector<std::vector<std::string>> started;
  EditorLauncher editor("/usr/bin/gvim", "+", [&](const std::vector<std::string>& argv) {
    started.push_back(argv);
    return true;
  });
  ScriptedUi ui;
  const std::string bin = dir.str() + "/prefix (x)/bin";
  EXPECT_FALSE(ShowReadme(bin, editor, ui));
  ASSERT_EQ(1u, ui.messages().size());
  EXPECT_EQ("readme.txt がありません。　\n\n" + bin + "/readme.txt　", ui.messages()[0]);

  // The installed layout: <prefix>/share/kelvora/readme.txt.
  dir.Write("prefix (x)/share/kelvora/readme.txt", text);
  EXPECT_TRUE(ShowReadme(bin, editor, ui));
  ASSERT_EQ(1u, started.size());
  EXPECT_EQ((std::vector<std::string>{"/usr/bin/gvim", "+12",
                                      dir.str() + "/prefix (x)/share/kelvora/readme.txt"}),
            started[0]);
}

}  // namespace
}  // namespace kelvora
