// Runs kelvora-cli on the trees of tests/golden/cli/<case>/ and compares what it prints with
// expected_out.txt, expected_err.txt and expected_status.txt beside them; a file
// expected_file_<name> is compared with the file <name> the run left in the case folder.
// UPDATE_GOLDEN=1 rewrites the expected files.
#include <gtest/gtest.h>

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

const fs::path kGoldenDir = fs::path(KELVORA_GOLDEN) / "cli";

std::string ReplaceAllText(std::string text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

std::vector<std::string> ReadArgs(const fs::path& file, const std::string& root) {
  std::vector<std::string> args;
  std::istringstream in(TempDir::Read(file));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    line = ReplaceAllText(line, "<ROOT>", root);
    line = ReplaceAllText(line, "<CASE>", root);
    args.push_back(line);
  }
  return args;
}

void CompareOrUpdate(const fs::path& expected_file, const std::string& actual) {
  if (std::getenv("UPDATE_GOLDEN")) {
    std::ofstream(expected_file, std::ios::binary) << actual;
    return;
  }
  std::string expected = fs::exists(expected_file) ? TempDir::Read(expected_file) : "";
  EXPECT_EQ(expected, actual) << "golden file " << expected_file
                              << " differs\n--- expected ---\n" << expected
                              << "--- actual ---\n" << actual;
}

std::vector<std::string> Cases() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kGoldenDir))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class CliGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(CliGolden, OutputMatches) {
  const fs::path case_dir = kGoldenDir / GetParam();
  TempDir work;
  const fs::path copy = work.path() / "case";
  fs::copy(case_dir, copy, fs::copy_options::recursive);
  TempDir home;

  std::vector<std::string> argv{KELVORA_CLI_BIN};
  for (auto& a : ReadArgs(case_dir / "args.txt", copy.string())) argv.push_back(a);
  auto result = RunProcess(argv, work.str(), {"KELVORA_HOME=" + home.str()});

  const std::string root = copy.string();
  CompareOrUpdate(case_dir / "expected_out.txt", ReplaceAllText(result.out, root, "<ROOT>"));
  CompareOrUpdate(case_dir / "expected_err.txt", ReplaceAllText(result.err, root, "<ROOT>"));
  CompareOrUpdate(case_dir / "expected_status.txt", std::to_string(result.status) + "\n");
  const std::string prefix = "expected_file_";
  for (const auto& entry : fs::directory_iterator(case_dir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    CompareOrUpdate(entry.path(), TempDir::Read(copy / name.substr(prefix.size())));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CliGolden, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param; });

}  // namespace
