// Runs `kelvora-cli tree` on the hand-written tree files of tests/golden/tree/<case>/ and compares
// what it prints with expected_out.txt, expected_err.txt and expected_status.txt beside them.
// UPDATE_GOLDEN=1 rewrites the expected files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/run_process.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using kelvora::testing::RunProcess;
using kelvora::testing::TempDir;

namespace {

const fs::path kGoldenDir = fs::path(KELVORA_GOLDEN) / "tree";

std::string ReplaceAllText(std::string text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

void CompareOrUpdate(const fs::path& expected_file, const std::string& actual) {
  if (std::getenv("UPDATE_GOLDEN")) {
    std::ofstream(expected_file, std::ios::binary) << actual;
    return;
  }
  std::string expected = fs::exists(expected_file) ? TempDir::Read(expected_file) : "";
  EXPECT_EQ(expected, actual) << "golden file " << expected_file << " differs\n--- expected ---\n"
                              << expected << "--- actual ---\n"
                              << actual;
}

std::vector<std::string> Cases() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kGoldenDir))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class TreeGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(TreeGolden, OutputMatches) {
  const fs::path case_dir = kGoldenDir / GetParam();
  TempDir work, home;
  const fs::path copy = work.path() / "case dir (1)";
  fs::copy(case_dir, copy, fs::copy_options::recursive);

  std::vector<std::string> argv{KELVORA_CLI_BIN, "tree"};
  std::istringstream in(TempDir::Read(case_dir / "args.txt"));
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) argv.push_back(ReplaceAllText(line, "<CASE>", copy.string()));
  auto result = RunProcess(argv, work.str(), {"KELVORA_HOME=" + home.str()});

  CompareOrUpdate(case_dir / "expected_out.txt",
                  ReplaceAllText(result.out, copy.string(), "<CASE>"));
  CompareOrUpdate(case_dir / "expected_err.txt",
                  ReplaceAllText(result.err, copy.string(), "<CASE>"));
  CompareOrUpdate(case_dir / "expected_status.txt", std::to_string(result.status) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, TreeGolden, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param; });

}  // namespace
