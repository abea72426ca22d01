// Runs kelvora-cli on the trees of tests/golden/cli/<case>/ and compares what it prints with
// expected_out.txt, expected_err.txt and expected_status.txt beside them; a file
// expected_file_<name> is compared with the file <name> the run left in the case folder ("%2F"
// in <name> a folder separator; the case folder's path written as <ROOT>), and
// expected_listing_<folder>.txt with the sorted names the run left under <folder>; elapsed times
// in messages read X. UPDATE_GOLDEN=1 rewrites the expected files.
//
// A case's setup.txt makes in the copy what git cannot hold. One action a line, fields separated
// by TABs, escapes \xNN, \n, \t and \\ in every field:
//   write PATH TEXT        appends TEXT to the file (folders made as needed)
//   repeat PATH N TEXT     appends TEXT N times
//   mkdir PATH             a folder, possibly empty
//   fifo PATH              a named pipe
//   symlink PATH TARGET    a symbolic link
//   unreadable PATH        mode 000; the program then runs without the capabilities that would
//                          let the super-user read it anyway
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
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

const fs::path kGoldenDir = fs::path(KELVORA_GOLDEN) / "cli";

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

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    if (c == 'n') {
      out += '\n';
    } else if (c == 't') {
      out += '\t';
    } else if (c == 'x' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t at = 0;
  while (true) {
    std::size_t tab = line.find('\t', at);
    fields.push_back(Unescape(line.substr(at, tab == std::string::npos ? tab : tab - at)));
    if (tab == std::string::npos) return fields;
    at = tab + 1;
  }
}

// Carries out setup.txt in the copy; the paths made unreadable are returned so that they can be
// opened up again for the clean-up.
std::vector<fs::path> MakeSetup(const fs::path& setup_file, const fs::path& copy) {
  std::vector<fs::path> unreadable;
  if (!fs::exists(setup_file)) return unreadable;
  std::istringstream in(TempDir::Read(setup_file));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = Fields(line);
    const std::string& action = f[0];
    const fs::path path = copy / f.at(1);
    if (action == "write" || action == "repeat") {
      fs::create_directories(path.parent_path());
      const long times = action == "repeat" ? std::stol(f.at(2)) : 1;
      const std::string& text = f.at(action == "repeat" ? 3 : 2);
      std::ofstream out(path, std::ios::binary | std::ios::app);
      for (long i = 0; i < times; ++i) out << text;
    } else if (action == "mkdir") {
      fs::create_directories(path);
    } else if (action == "fifo") {
      fs::create_directories(path.parent_path());
      EXPECT_EQ(mkfifo(path.c_str(), 0644), 0) << path;
    } else if (action == "symlink") {
      fs::create_directories(path.parent_path());
      fs::create_symlink(f.at(2), path);
    } else if (action == "unreadable") {
      EXPECT_EQ(chmod(path.c_str(), 0), 0) << path;
      unreadable.push_back(path);
    } else {
      ADD_FAILURE() << setup_file << ": unknown action " << action;
    }
  }
  return unreadable;
}

// Children started from now on cannot bypass file modes, even as the super-user; false when
// that cannot be arranged and mode 000 would not keep them out.
bool DropFileModeBypass() {
  if (geteuid() != 0) return true;
  return prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) == 0 &&
         prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) == 0;
}

class CliGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(CliGolden, OutputMatches) {
  const fs::path case_dir = kGoldenDir / GetParam();
  TempDir work;
  const fs::path copy = work.path() / "case";
  fs::copy(case_dir, copy, fs::copy_options::recursive);
  const std::vector<fs::path> unreadable = MakeSetup(case_dir / "setup.txt", copy);
  if (!unreadable.empty() && !DropFileModeBypass())
    GTEST_SKIP() << "unreadable files cannot be made for the super-user here";
  TempDir home;

  std::vector<std::string> argv{KELVORA_CLI_BIN};
  for (auto& a : ReadArgs(case_dir / "args.txt", copy.string())) argv.push_back(a);
  auto result = RunProcess(argv, work.str(), {"KELVORA_HOME=" + home.str()}, 120);
  for (const fs::path& p : unreadable) chmod(p.c_str(), 0700);
  EXPECT_FALSE(result.timed_out) << "kelvora-cli did not finish within 120 s";

  const std::string root = copy.string();
  CompareOrUpdate(case_dir / "expected_out.txt", ReplaceAllText(result.out, root, "<ROOT>"));
  // Elapsed times differ from run to run.
  const std::string err =
      std::regex_replace(ReplaceAllText(result.err, root, "<ROOT>"),
                         std::regex("所要時間：[0-9]+\\.[0-9]+"), "所要時間：X");
  CompareOrUpdate(case_dir / "expected_err.txt", err);
  CompareOrUpdate(case_dir / "expected_status.txt", std::to_string(result.status) + "\n");
  const std::string prefix = "expected_file_", listing = "expected_listing_";
  for (const auto& entry : fs::directory_iterator(case_dir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(listing, 0) == 0) {
      // expected_listing_<folder>.txt: the sorted names under that folder of the copy.
      const fs::path folder =
          copy /
          ReplaceAllText(name.substr(listing.size(), name.size() - listing.size() - 4), "%2F", "/");
      std::vector<std::string> names;
      for (const auto& f : fs::recursive_directory_iterator(folder))
        names.push_back(fs::relative(f.path(), folder).string() + (f.is_directory() ? "/" : ""));
      std::sort(names.begin(), names.end());
      std::string text;
      for (const std::string& n : names) text += n + "\n";
      CompareOrUpdate(entry.path(), text);
      continue;
    }
    if (name.rfind(prefix, 0) != 0) continue;
    // "%2F" in the name stands for a folder separator: expected_file_site%2Fa.html.
    const std::string written = ReplaceAllText(name.substr(prefix.size()), "%2F", "/");
    CompareOrUpdate(entry.path(), ReplaceAllText(TempDir::Read(copy / written), root, "<ROOT>"));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CliGolden, ::testing::ValuesIn(GoldenCases(kGoldenDir)),
                         [](const auto& info) { return info.param; });

}  // namespace
