// Runs the three tree outputs, the comment file and the table-contents CSV over the cases of
// tests/golden/output/<case>/: tree/ holds the sources, lists.txt the registered rows (UTF-8, one
// row a line: kind, then the columns, TAB-separated; "<ROOT>" stands for the tree, "%1" for the
// compressed root), settings.ini the settings. The written files are compared with func.tree,
// struct.tree, table.tree, comments.txt and table_contents.csv, the messages with messages.txt.
// UPDATE_GOLDEN=1 rewrites them.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "data/registration_lists.h"
#include "output/reports.h"
#include "output/tree_output.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/golden.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"

namespace fs = std::filesystem;

namespace kelvora {
namespace {

using testing::CompareOrUpdate;
using testing::GoldenCases;
using testing::ReplaceAllText;
using testing::TempDir;

const fs::path kGoldenDir = fs::path(KELVORA_GOLDEN) / "output";

void LoadLists(const fs::path& file, const std::string& root, RegisteredData& data) {
  data.roots().Append(root);
  std::istringstream in(TempDir::Read(file));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t');; tab = line.find('\t', start)) {
      cells.push_back(
          line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    RegistrationList& list = data.List(static_cast<ListKind>(std::stoi(cells[0])));
    const std::size_t row = list.AppendRow();
    for (std::size_t c = 1; c < cells.size() && c <= 6; ++c)
      list.SetCell(row, static_cast<int>(c - 1),
                   Utf8ToCp932(ReplaceAllText(cells[c], "<ROOT>", root)));
  }
}

class TreeGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(TreeGolden, FilesMatch) {
  const fs::path case_dir = kGoldenDir / GetParam();
  TempDir work;
  fs::copy(case_dir / "tree", work.path() / "tree", fs::copy_options::recursive);
  const std::string root = (work.path() / "tree").string();
  if (fs::exists(case_dir / "settings.ini"))
    fs::copy(case_dir / "settings.ini", work.path() / "k.ini");

  RegisteredData data;
  LoadLists(case_dir / "lists.txt", root, data);
  ScriptedUi ui;
  SettingsStore store(work.str() + "/k.ini", work.str() + "/registry.ini");
  Settings settings;
  LoadSettings(store, settings, ui);
  RegexService regex;
  OutputContext ctx{data, settings, regex, ui};

  const std::string out = work.str() + "/";
  // Each command asks only when its list has rows.
  if (!data.functions().empty())
    ui.ChooseSaveAnswer(out + "func.tree")
        .Answer(kAskWriteCommentFile, true)
        .ChooseSaveAnswer(out + "comments.txt");
  EXPECT_EQ(data.functions().empty() ? -1 : 1, TreeOutputCommand(ctx, kTreeOfFunctions));
  if (!data.structs().empty()) ui.ChooseSaveAnswer(out + "struct.tree");
  EXPECT_EQ(data.structs().empty() ? -1 : 1, TreeOutputCommand(ctx, kTreeOfStructs));
  if (!data.tables().empty()) ui.ChooseSaveAnswer(out + "table.tree");
  EXPECT_EQ(data.tables().empty() ? -1 : 1, TreeOutputCommand(ctx, kTreeOfTables));
  // The table-contents CSV reads the same files with the same pass (only its column line when
  // there are no tables).
  ui.ChooseSaveAnswer(out + "table_contents.csv").Answer(kAskOpenTableCsv, false);
  EXPECT_TRUE(WriteTableContentsCsv(ctx));
  EXPECT_TRUE(ui.AllAnswersUsed());

  for (const char* name :
       {"func.tree", "comments.txt", "struct.tree", "table.tree", "table_contents.csv"}) {
    const std::string written = fs::exists(out + name) ? TempDir::Read(out + name) : "";
    CompareOrUpdate(case_dir / name, ReplaceAllText(written, root, "<ROOT>"), Cp932ToUtf8);
  }
  std::string messages;
  for (const std::string& m : ui.messages()) messages += m + "\n----\n";
  messages = std::regex_replace(messages, std::regex("所要時間：[0-9]+\\.[0-9]{3}"), "所要時間：X");
  CompareOrUpdate(case_dir / "messages.txt", ReplaceAllText(messages, out, "<OUT>/"), Cp932ToUtf8);
}

INSTANTIATE_TEST_SUITE_P(Cases, TreeGolden, ::testing::ValuesIn(GoldenCases(kGoldenDir)),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace kelvora
