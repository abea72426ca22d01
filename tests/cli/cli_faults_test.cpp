// kelvora-cli against hostile inputs and a failing machine: inputs that block or never end, a
// full disk, kill -9 in the middle of a write, targets that are no regular files, parallel runs
// sharing one settings folder. Each run has a time limit: a hang fails the test, not the suite.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <thread>
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
  // Starts kelvora-cli with args in the case folder (the child changes folder, so runs may
  // overlap), standard output to out and standard error dropped.
  pid_t Start(std::vector<std::string> args, const std::string& out = "/dev/null") {
    args.insert(args.begin(), KELVORA_CLI_BIN);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string home = "KELVORA_HOME=" + home_.str();
    const pid_t pid = fork();
    if (pid == 0) {
      ::putenv(home.data());
      if (::chdir(dir_.str().c_str()) != 0) _exit(127);
      const int to = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(to, 1);
      ::dup2(null, 2);
      ::execv(argv[0], argv.data());
      _exit(127);
    }
    return pid;
  }
  // Runs kelvora-cli with args and kills it with SIGKILL after the given seconds (if it still
  // runs), reaping it.
  void KillAfter(std::vector<std::string> args, double seconds) {
    const pid_t pid = Start(std::move(args));
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(seconds * 1e6)));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  static int StatusOf(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

// A tree whose outputs pass a few ten kilobytes and take a while to write, while the
// analysis's own work files stay under 4 KB (no structs or tables to spool).
std::string WriteBigTree(const TempDir& dir) {
  std::string calls;
  for (int f = 0; f < 1500; ++f) {
    const std::string name = "function_with_a_long_name_" + std::to_string(f);
    dir.Write("big/f" + std::to_string(f) + ".c",
              "int " + name + "(int x)\n{\n#if 0\n  x++;\n#endif\n  return x;\n}\n");
    calls += "  y += " + name + "(y);\n#if 0\n  y--;\n#endif\n";
  }
  dir.Write("big/main.c", "int main(void)\n{\n  int y = 0;\n" + calls + "  return y;\n}\n");
  return (dir.path() / "big").string();
}

// The temporaries an interrupted write may leave beside its target.
std::vector<std::string> Leftovers(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.path().filename().string().find("~kelvora") != std::string::npos)
      names.push_back(e.path().string());
  return names;
}

struct OutputKind {
  std::string name;               // for messages
  std::vector<std::string> args;  // "@" stands for the target
};

std::vector<OutputKind> Outputs(const std::string& tree) {
  std::vector<OutputKind> kinds;
  for (const char* w : {"text-list", "step-csv", "func-tree", "comments"})
    kinds.push_back({w, {"analyse", "--write", std::string(w) + "=@", tree}});
  kinds.push_back({"strip-if", {"strip-if", tree + "/main.c", "@"}});
  kinds.push_back({"tree --xlsx", {"tree", "f.tree", "main", "--xlsx", "@"}});
  return kinds;
}

std::vector<std::string> WithTarget(std::vector<std::string> args, const std::string& target) {
  for (std::string& a : args) {
    if (a == "@") a = target;
    if (const std::size_t at = a.find("=@"); at != std::string::npos)
      a = a.substr(0, at + 1) + target;
  }
  return args;
}

// A disk that fills: the write fails with EFBIG; the old file stays byte for byte, no temporary
// is left, the message names the path and the command fails.
TEST_F(CliFaults, FullDiskKeepsTheOldOutputOfEveryKind) {
  const std::string tree = WriteBigTree(dir_);
  ASSERT_EQ(0, Run({"analyse", "--write", "func-tree=f.tree", tree}).status);
  for (const OutputKind& kind : Outputs(tree)) {
    const std::string target = dir_.Write("out/target", "old contents\n");
    std::vector<std::string> args = WithTarget(kind.args, target);
    args.insert(args.begin(), {"/usr/bin/prlimit", "--fsize=4096", KELVORA_CLI_BIN});
    const auto r = RunProcess(args, dir_.str(), {"KELVORA_HOME=" + home_.str()}, 30);
    EXPECT_FALSE(r.timed_out) << kind.name;
    EXPECT_NE(0, r.status) << kind.name << "\n" << r.err;
    // strip-if and the workbook fill a work file of the output's size first: that is said.
    const bool said = r.err.find(target) != std::string::npos ||
                      r.err.find("テンポラリファイルの作成エラー") != std::string::npos;
    EXPECT_TRUE(said) << kind.name << "\n" << r.err;
    EXPECT_EQ("old contents\n", TempDir::Read(target)) << kind.name;
    EXPECT_EQ(std::vector<std::string>{}, Leftovers(dir_.path() / "out")) << kind.name;
  }
}

// kill -9 at random points: each output is the old file or the complete new one, and the next
// write of that output sweeps what the killed run left.
TEST_F(CliFaults, KillNineLeavesOldOrNewAndTheNextWriteSweeps) {
  const std::string tree = WriteBigTree(dir_);
  ASSERT_EQ(0, Run({"analyse", "--write", "func-tree=f.tree", tree}).status);
  std::mt19937 random(28);
  for (const OutputKind& kind : Outputs(tree)) {
    if (kind.name == "text-list" || kind.name == "step-csv") continue;  // dated: no fixed bytes
    const std::string reference = (dir_.path() / "out/reference").string();
    fs::create_directories(dir_.path() / "out");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_LE(Run(WithTarget(kind.args, reference)).status, 3) << kind.name;
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - started)
                          .count();
    const std::string expected = TempDir::Read(reference);
    const bool workbook = kind.name == "tree --xlsx";  // zipped with a time: judged by size only
    const std::string target = (dir_.path() / "out/target").string();
    for (int trial = 0; trial < 4; ++trial) {
      { std::ofstream(target, std::ios::binary) << "old contents\n"; }
      const double seconds = std::uniform_real_distribution<double>(0.0, 1.2)(random) * took / 1e6;
      KillAfter(WithTarget(kind.args, target), seconds);
      const std::string now = TempDir::Read(target);
      if (workbook)
        EXPECT_TRUE(now == "old contents\n" || now.size() > 1000) << kind.name;
      else
        EXPECT_TRUE(now == "old contents\n" || now == expected)
            << kind.name << " after " << seconds;
    }
    ASSERT_LE(Run(WithTarget(kind.args, target)).status, 3) << kind.name;
    if (!workbook) {
      EXPECT_EQ(expected, TempDir::Read(target)) << kind.name;
    }
    EXPECT_EQ(std::vector<std::string>{}, Leftovers(dir_.path() / "out")) << kind.name;
    fs::remove_all(dir_.path() / "out");
  }
}

// Ctrl+C and SIGTERM act as Escape: the run stops promptly with 130 / 143, the output it was
// writing is the old file (or the complete new one when the signal came after it), and no
// temporary file is left behind.
TEST_F(CliFaults, InterruptStopsTheRunAndKeepsTheOldOutput) {
  const std::string tree = WriteBigTree(dir_);
  fs::create_directories(dir_.path() / "out");
  const std::string reference = (dir_.path() / "out/reference").string();
  const std::vector<std::string> args = {"analyse", "--write", "func-tree=@", tree};
  const auto started = std::chrono::steady_clock::now();
  ASSERT_LE(Run(WithTarget(args, reference)).status, 3);
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const std::string expected = TempDir::Read(reference);
  fs::remove(reference);
  const std::string target = (dir_.path() / "out/target").string();
  for (const auto& [signal, code] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143},
                                     std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    { std::ofstream(target, std::ios::binary) << "old contents\n"; }
    const pid_t pid = Start(WithTarget(args, target));
    std::this_thread::sleep_for(std::chrono::duration<double>(took * 0.4));
    ::kill(pid, signal);
    const auto sent = std::chrono::steady_clock::now();
    const int status = StatusOf(pid);
    const double waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    const std::string now = TempDir::Read(target);
    if (status == code) {
      EXPECT_EQ("old contents\n", now) << signal;
      EXPECT_LT(waited, 2.0) << signal;  // the run stops, it does not finish its work first
    } else {
      EXPECT_LE(status, 3) << signal;  // it had finished before the signal came
      EXPECT_EQ(expected, now) << signal;
    }
    EXPECT_EQ(std::vector<std::string>{}, Leftovers(dir_.path() / "out")) << signal;
  }
}

// A temporary folder that fills part-way (the candidate spool of 600 structs cannot be written
// whole): the run ends with its message and a failure, never with rows missing.
TEST_F(CliFaults, FullTemporaryFolderEndsTheRunWithItsMessage) {
  for (int f = 0; f < 60; ++f) {
    std::string text;
    for (int i = 0; i < 10; ++i)
      text += "struct st_" + std::to_string(f) + "_" + std::to_string(i) +
              " {\n  int a;\n  long b;\n};\n";
    dir_.Write("structs/s" + std::to_string(f) + ".h", text);
  }
  const auto r = RunProcess(
      {"/usr/bin/prlimit", "--fsize=2000", KELVORA_CLI_BIN, "analyse", "--dump", "structs"},
      dir_.str(), {"KELVORA_HOME=" + home_.str()}, 30);
  EXPECT_EQ(1, r.status) << r.err;
  EXPECT_NE(std::string::npos, r.err.find("テンポラリファイルの作成エラー")) << r.err;
}

// A FIFO named as the output: refused with its name when no one reads it, never replaced.
TEST_F(CliFaults, FifoTargetIsNeverReplaced) {
  const std::string tree = WriteBigTree(dir_);
  ASSERT_EQ(0, Run({"analyse", "--write", "func-tree=f.tree", tree}).status);
  const std::string target = (dir_.path() / "target-fifo").string();
  ASSERT_EQ(0, mkfifo(target.c_str(), 0644));
  for (const OutputKind& kind : Outputs(tree)) {
    const auto r = Run(WithTarget(kind.args, target), 20);
    EXPECT_FALSE(r.timed_out) << kind.name;
    EXPECT_NE(0, r.status) << kind.name;
    EXPECT_NE(std::string::npos, r.err.find(target)) << kind.name << "\n" << r.err;
    struct stat st {};
    ASSERT_EQ(0, ::lstat(target.c_str(), &st));
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << kind.name;
  }
}

// Two runs sharing one settings folder on two trees: each registers its own headers only.
TEST_F(CliFaults, ParallelRunsSharingTheSettingsFolderKeepTheirOwnWorkFiles) {
  for (const char* side : {"left", "right"})
    for (int i = 0; i < 150; ++i) {
      const std::string n = std::string(side) + std::to_string(i);
      dir_.Write(std::string(side) + "/inc/" + n + ".h", "int " + n + "(void);\n");
      dir_.Write(std::string(side) + "/" + n + ".c",
                 "#include \"" + n + ".h\"\nint " + n + "(void)\n{\n  return 1;\n}\n");
    }
  for (int trial = 0; trial < 3; ++trial) {
    const std::string left_out = (dir_.path() / "left.txt").string();
    const std::string right_out = (dir_.path() / "right.txt").string();
    const pid_t left = Start({"analyse", "--dump", "left"}, left_out);
    const pid_t right = Start({"analyse", "--dump", "right"}, right_out);
    EXPECT_EQ(0, StatusOf(left));
    EXPECT_EQ(0, StatusOf(right));
    for (const char* side : {"left", "right"}) {
      const std::string dump = TempDir::Read(side == std::string("left") ? left_out : right_out);
      const std::string mine = "/" + std::string(side) + "/";
      const std::string theirs = side == std::string("left") ? "/right/" : "/left/";
      EXPECT_EQ(std::string::npos, dump.find(theirs)) << "trial " << trial;
      EXPECT_NE(std::string::npos, dump.find(mine + "inc/")) << "trial " << trial;
    }
  }
}

}  // namespace
