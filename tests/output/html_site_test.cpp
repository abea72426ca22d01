// The HTML site of a small analysed CP932 tree, page by page against tests/golden/html/<case>/
// expected/ (UPDATE_GOLDEN=1 rewrites), and the rules that the golden pages do not show alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/analysis_run.h"
#include "data/registration_lists.h"
#include "output/html_file_pages.h"
#include "output/html_site.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/golden.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;
using testing::ReplaceAllText;
using testing::TempDir;

// Analyses <case>/tree into data (subfolders on, every question answered Yes).
void Analyse(const fs::path& tree, RegisteredData& data, SettingsStore& store, const TempDir& dir) {
  RegexService regex;
  ScriptedUi ui;
  ui.Answer(kAskSubfolders, true).Answer(kAskConfirmRun, true);
  fs::create_directories(dir.path() / "work");
  AnalysisContext ctx{data, store, regex, ui, dir.str() + "/work"};
  ASSERT_EQ(0, StartAnalysisAt(ctx, tree.string()));
}

TEST(HtmlSite, SmallTreeGivesTheGoldenPages) {
  const fs::path case_dir = fs::path(KELVORA_GOLDEN) / "html" / "site";
  TempDir dir;
  const fs::path tree = dir.path() / "tree";
  fs::copy(case_dir / "tree", tree, fs::copy_options::recursive);
  SettingsStore store(dir.str() + "/Kelvora.ini", dir.str() + "/registry.ini");
  store.WriteString("UnMatch_Func", "Func1", "printf");
  store.WriteString("UnMatch_Func", "Flag_Func1", "1");
  store.WriteString("UnMatch_Func", "Func2", "inactive");
  RegisteredData data;
  Analyse(tree, data, store, dir);
  Settings settings;
  ScriptedUi load_ui;
  LoadSettings(store, settings, load_ui);

  const fs::path out = dir.path() / "site";
  fs::create_directories(out);
  ScriptedUi ui;
  ui.ChooseFolderAnswer(out.string());
  RegexService regex;
  HtmlFilePages pages(settings, regex);
  ASSERT_EQ(HtmlSiteResult::Written, WriteHtmlSite(data, settings, HtmlOptions{}, ui, &pages));
  EXPECT_EQ("完了しました！　\n\n出力された『 Index.html 』から起動して下さい。　",
            ui.messages().back());
  EXPECT_EQ("フォント：Arial Black", ui.status(3));

  const fs::path expected_dir = case_dir / "expected";
  std::vector<std::string> written, expected;
  for (const auto& e : fs::directory_iterator(out)) written.push_back(e.path().filename());
  std::sort(written.begin(), written.end());
  if (std::getenv("UPDATE_GOLDEN")) {
    fs::remove_all(expected_dir);
    fs::create_directories(expected_dir);
  } else {
    for (const auto& e : fs::directory_iterator(expected_dir))
      expected.push_back(e.path().filename());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, written);
  }
  for (const std::string& name : written) {
    // Dates and the temporary root vary from run to run.
    std::string actual = ReplaceAllText(TempDir::Read(out / name), tree.string(), "<ROOT>");
    const std::size_t date = actual.find(Utf8ToCp932("生成日："));
    if (date != std::string::npos)
      actual.replace(date + 8, actual.find("  ", date) - date - 8, "<DATE>");
    if (std::getenv("UPDATE_GOLDEN")) {
      std::ofstream(expected_dir / name, std::ios::binary) << actual;
      continue;
    }
    EXPECT_EQ(TempDir::Read(expected_dir / name), actual) << "page " << name;
  }
}

TEST(HtmlSite, EscapingLinksAndGroups) {
  EXPECT_EQ("a &lt;b&gt; &amp;&amp; c", HtmlEscape("a <b> && c"));
  EXPECT_EQ("my%20file.c", HrefEncode("my file.c"));
  EXPECT_EQ("a%23b%25%3F.c", HrefEncode("a#b%?.c"));
  EXPECT_EQ("%E8%B3%87.c", HrefEncode("\xE8\xB3\x87.c"));
  EXPECT_EQ("main.c", PageFileOf("/src/x (1)/main.c(120)"));
  EXPECT_EQ("a(b).c", PageFileOf("/src/a(b).c(7)"));
  EXPECT_EQ("Run", FunctionAnchor("Class::Run"));

  // Page names over the file system's 255 bytes: a prefix cut between characters, "~" and a hash
  // of the whole name; one name always gives one page, names sharing the prefix get two.
  const std::string fits(250, 'a'), over(251, 'a'), jp = [] {
    std::string s;
    for (int i = 0; i < 90; ++i) s += "\xE9\x95\xB7";  // 長 x 90 = 270 bytes
    return s;
  }();
  EXPECT_EQ(fits, PageStem(fits));
  for (const std::string& name : {over, jp, jp + "1.c", jp + "2.c"}) {
    const std::string stem = PageStem(name);
    EXPECT_LE(stem.size() + kPageSuffix.size(), kPageNameMax) << name;
    EXPECT_EQ(stem.substr(0, stem.find('~')), name.substr(0, stem.find('~')));
    EXPECT_EQ(stem.size() - stem.find('~'), 9u) << stem;
    EXPECT_EQ(stem.find('~') % (name == over ? 1 : 3), 0u) << "cut inside a character: " << stem;
    EXPECT_EQ(PageStem(name), stem);
    EXPECT_EQ(PageFileOf("/src/" + name + "(3)"), stem);
  }
  EXPECT_NE(PageStem(jp + "1.c"), PageStem(jp + "2.c"));

  // The jump bar: alpha, Beta and beta2 give A and B; "_" and digits are symbols; a name from
  // "{" up ends the bar with "その他".
  RegisteredData data;
  for (const char* name : {"_x", "9lives", "alpha", "Beta", "beta2"}) {
    const std::size_t row = data.defines().AppendRow();
    data.defines().SetCell(row, col::kName, name);
    data.defines().SetCell(row, col::kPosition, "/a.h(1)");
  }
  std::ostringstream page;
  SjisWriter w(page);
  WriteIndexPage(w, data, ListKind::Define, HtmlOptions{}, std::tm{});
  const std::string text = Cp932ToUtf8(page.str());
  const std::size_t bar_end = text.find("<pre");
  EXPECT_EQ(
      "<small><a href=\"#c0\">[ 記号等 ]</a></small>\r\n<small><a href=\"#ca\">[ A "
      "]</a></small>\r\n"
      "<small><a href=\"#cb\">[ B ]</a></small>\r\n\r\n",
      text.substr(text.find("<small>"), bar_end - text.find("<small>")));
  EXPECT_NE(std::string::npos, text.find("<a id=\"cb\" name=\"cb\"></a>【 B 】"));
}

TEST(HtmlSite, KeywordTableRowsAndCancel) {
  Settings settings;
  std::ostringstream page;
  SjisWriter w(page);
  WriteExclusionPage(w, settings, HtmlOptions{});
  std::istringstream lines(Cp932ToUtf8(page.str()));
  std::vector<std::string> rows;
  for (std::string l; std::getline(lines, l);)
    if (l.rfind("\t<tr>", 0) == 0) rows.push_back(l);
  ASSERT_EQ(10u, rows.size());
  auto cells = [](const std::string& row) {
    std::size_t n = 0;
    for (std::size_t at = row.find("<td>"); at != std::string::npos; at = row.find("<td>", at + 1))
      ++n;
    return n;
  };
  EXPECT_EQ(6u, cells(rows[6]));  // number + five keywords
  EXPECT_EQ(5u, cells(rows[7]));  // rows 8 to 10 have four keywords
  EXPECT_NE(std::string::npos, rows[0].find("<td>1</td><td>asm</td><td>do</td>"));
  EXPECT_NE(std::string::npos, rows[6].find("IMPLEMENT_DYNCREATE"));

  RegisteredData data;
  ScriptedUi ui;
  ui.ChooseFolderAnswer(std::nullopt);
  EXPECT_EQ(HtmlSiteResult::Cancelled, WriteHtmlSite(data, settings, HtmlOptions{}, ui));
  EXPECT_EQ("キャンセルします！　", ui.messages().back());
}

}  // namespace
}  // namespace kelvora
