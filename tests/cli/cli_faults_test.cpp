// kelvora-cli against hostile inputs and a failing machine: inputs that block or never end, a
// full disk, kill -9 in the middle of a write, targets that are no regular files, parallel runs
// sharing one settings folder. Each run has a time limit: a hang fails the test, not the suite.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/run_process.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using kelvora::testing::RunProcess;
using kelvora::testing::TempDir;

namespace {

// A tree of two functions (b calls a), its function tree f.tree, a list naming b.
class CliFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("src/a.c", "int a(void)\n{\n  return 1;\n}\n");
    dir_.Write("src/b.c", "int a(void);\nint b(void)\n{\n  return a();\n}\n");
    dir_.Write("list.txt", "b\n");
    ASSERT_EQ(0, mkfifo((dir_.path() / "fifo").c_str(), 0644));
    ASSERT_EQ(0, Run({"analyse", "--write", "func-tree=f.tree", "src"}).status);
  }
  kelvora::testing::ProcessResult Run(std::vector<std::string> args, int timeout = 20) {
    args.insert(args.begin(), KELVORA_CLI_BIN);
    return RunProcess(args, dir_.str(), {"KELVORA_HOME=" + home_.str()}, timeout);
  }
  TempDir dir_, home_;
};

// A FIFO without a writer, an endless device and a folder, given as each input a command reads
// whole: a message naming the path, a failure status, and no wait.
TEST_F(CliFaults, InputsThatBlockOrNeverEndAreRefusedByName) {
  const std::vector<std::vector<std::string>> commands = {
      {"tree", "@", "b"},
      {"tree", "f.tree", "b", "--comments", "@"},
      {"tree", "f.tree", "--xlsx", "o.xlsx", "--list", "@"},
      {"tree", "f.tree", "--xlsx", "o.xlsx", "--list", "list.txt", "--comments", "@"},
      {"strip-if", "@", "out.c"},
      {"analyse", "--import-comments", "@", "src"},
  };
  for (const char* input : {"fifo", "/dev/zero", "src"}) {
    for (std::vector<std::string> args : commands) {
      std::string shown;
      for (std::string& a : args) {
        if (a == "@") a = input;
        shown += a + " ";
      }
      const auto r = Run(args, 10);
      EXPECT_FALSE(r.timed_out) << shown;
      EXPECT_NE(0, r.status) << shown;
      EXPECT_NE(std::string::npos, r.err.find(input)) << shown << "\n" << r.err;
      EXPECT_FALSE(fs::exists(dir_.path() / "o.xlsx")) << shown;
      EXPECT_FALSE(fs::exists(dir_.path() / "out.c")) << shown;
    }
  }
}

}  // namespace
