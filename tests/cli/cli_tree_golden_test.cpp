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
#include "support/golden.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using kelvora::testing::CompareOrUpdate;
using kelvora::testing::GoldenCases;
using kelvora::testing::ReplaceAllText;
using kelvora::testing::RunProcess;
using kelvora::testing::TempDir;

namespace {

const fs::path kGoldenDir = fs::path(KELVORA_GOLDEN) / "tree";

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

INSTANTIATE_TEST_SUITE_P(Cases, TreeGolden, ::testing::ValuesIn(GoldenCases(kGoldenDir)),
                         [](const auto& info) { return info.param; });

}  // namespace
