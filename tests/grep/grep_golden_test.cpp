// Runs each search of tests/golden/grep/<case>/ over the files of its tree/ folder (registered in
// name order) and compares "Grep結果.txt" and the messages with expected.txt. request.txt holds
// "kind=N", "name=..." and "macros=..." lines (UTF-8). UPDATE_GOLDEN=1 rewrites expected.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/registration_lists.h"
#include "grep/grep_search.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/golden.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"

namespace fs = std::filesystem;

namespace kelvora {
namespace {

using testing::GoldenCases;
using testing::ReplaceAllText;
using testing::TempDir;

const fs::path kGoldenDir = fs::path(KELVORA_GOLDEN) / "grep";

class GrepGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(GrepGolden, ResultFileMatches) {
  const fs::path case_dir = kGoldenDir / GetParam();
  TempDir work;
  const fs::path tree = work.path() / "tree";
  fs::copy(case_dir / "tree", tree, fs::copy_options::recursive);

  int kind = 0;
  std::string name;
  Settings settings;
  std::istringstream request(TempDir::Read(case_dir / "request.txt"));
  for (std::string line; std::getline(request, line);) {
    if (line.rfind("kind=", 0) == 0) kind = std::atoi(line.c_str() + 5);
    if (line.rfind("name=", 0) == 0) name = Utf8ToCp932(line.substr(5));
    if (line.rfind("macros=", 0) == 0) settings.preprocessor = line.substr(7);
  }

  RegisteredData data;
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(tree))
    if (e.is_regular_file()) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  files.push_back((tree / "missing.c").string());  // a registered file that is gone is skipped
  for (const std::string& f : files) {
    std::size_t r = data.files().AppendRow();
    data.files().SetCell(r, col::kName, fs::path(f).filename().string());
    data.files().SetCell(r, col::kPosition, f + "(1)");
  }

  RegexService regex;
  ScriptedUi ui;
  GrepContext ctx{data, settings, regex, ui, work.str()};
  GrepOutcome outcome = RunGrep(ctx, static_cast<GrepKind>(kind), name);

  std::string actual = Cp932ToUtf8(TempDir::Read(work.path() / kGrepResultFileName));
  actual = ReplaceAllText(actual, tree.string(), "<ROOT>");
  actual += "--- messages\n";
  for (const std::string& m : ui.messages()) actual += m + "\n";
  actual += "--- hits " + std::to_string(outcome.run.hits) + " of " +
            std::to_string(outcome.run.files) + " files\n";

  const fs::path expected_file = case_dir / "expected.txt";
  if (std::getenv("UPDATE_GOLDEN")) {
    std::ofstream(expected_file, std::ios::binary) << actual;
    return;
  }
  const std::string expected = TempDir::Read(expected_file);
  EXPECT_EQ(expected, actual) << "golden file " << expected_file << " differs\n--- expected ---\n"
                              << expected << "--- actual ---\n"
                              << actual;
  if (outcome.result != GrepResult::BadPattern) {
    EXPECT_EQ(static_cast<long>(files.size()), ui.progress_max());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GrepGolden, ::testing::ValuesIn(GoldenCases(kGoldenDir)),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace kelvora
