#include "platform/process.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/cp932.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, WindowsRules) {
  struct Case {
    std::string line;
    Args args;
  };
  const Case cases[] = {
      {"", {}},
      {"   \t ", {}},
      {"ed file.c", {"ed", "file.c"}},
      {"  ed \t a   b  ", {"ed", "a", "b"}},
      {"\"/opt/my editor/ed\" \"/src/a b/main.c\" -n120",
       {"/opt/my editor/ed", "/src/a b/main.c", "-n120"}},
      {"ed a\"b c\"d", {"ed", "ab cd"}},
      {"ed \"\"", {"ed", ""}},
      {"ed \"\" x", {"ed", "", "x"}},
      // Backslashes count only before a quote.
      {"ed a\\\\b \\\\\\\"c \"d\\\\\" e", {"ed", "a\\\\b", "\\\"c", "d\\", "e"}},
      {"ed \\\"x\\\"", {"ed", "\"x\""}},
      {"ed \"a\\\"b\"", {"ed", "a\"b"}},
      // Tripled quotes inside a quoted argument give a literal quote.
      {"ed \"a\"\"\"b\"", {"ed", "a\"b"}},
      {"ed \"unterminated arg", {"ed", "unterminated arg"}},
      // The program name takes backslashes literally.
      {"\"C:\\dir\\\" x", {"C:\\dir\\", "x"}},
      {"C:\\a\\b.exe /j120", {"C:\\a\\b.exe", "/j120"}},
      // "%", "(" and Japanese are plain characters.
      {"ed \"/src/100% (x)/日本語.c\" +12", {"ed", "/src/100% (x)/日本語.c", "+12"}},
      {"ed $HOME;rm `x` |y", {"ed", "$HOME;rm", "`x`", "|y"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
}

TEST(SplitCommandLine, Cp932SecondByteIsNoBackslash) {
  // "表" ends in 0x5C; before a quote it must not escape that quote.
  std::string hyo = Utf8ToCp932("表");
  std::string line = "ed \"/src/" + hyo + "\" -j5";
  EXPECT_EQ(SplitCommandLine(line), (Args{"ed", "/src/" + hyo, "-j5"}));
  std::string prog = "\"/opt/" + Utf8ToCp932("ソ") + "\" x";
  EXPECT_EQ(SplitCommandLine(prog), (Args{"/opt/" + Utf8ToCp932("ソ"), "x"}));
}

TEST(Process, ElapsedSecondsText) {
  EXPECT_EQ(ElapsedSecondsText(5045), "5.045");
  EXPECT_EQ(ElapsedSecondsText(0), "0.000");
  EXPECT_EQ(ElapsedSecondsText(61002), "61.002");
  EXPECT_EQ(ElapsedSecondsText(999), "0.999");
  EXPECT_EQ(ElapsedSecondsText(1000), "1.000");
}

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstEnds) {
  testing::TempDir dir;
  std::string path = dir.str() + "/Kelvora_RarUviz.lock";
  {
    InstanceLock first(path);
    EXPECT_TRUE(first.held());
    EXPECT_EQ(first.path(), path);
    InstanceLock second(path);
    EXPECT_FALSE(second.held());
  }
  InstanceLock again(path);
  EXPECT_TRUE(again.held());
}

TEST(InstanceLock, DefaultPlaceIsTheRuntimeFolder) {
  testing::TempDir dir;
  const char* old = std::getenv("XDG_RUNTIME_DIR");
  std::string saved = old ? old : "";
  setenv("XDG_RUNTIME_DIR", dir.str().c_str(), 1);
  {
    InstanceLock lock;
    EXPECT_EQ(lock.path(), dir.str() + "/Kelvora_RarUviz.lock");
    EXPECT_TRUE(lock.held());
    EXPECT_FALSE(InstanceLock().held());
  }
  if (old)
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else
    unsetenv("XDG_RUNTIME_DIR");
}

// True once the process has exited and been reaped (no zombie left).
bool GoneWithin(int pid, std::chrono::milliseconds limit) {
  auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    if (!std::filesystem::exists("/proc/" + std::to_string(pid))) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    if (std::filesystem::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(StartProcess, RunsWithoutShellAndLeavesNoZombie) {
  int pid = SpawnDetached({"/bin/true"});
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(GoneWithin(pid, std::chrono::seconds(5)));
  EXPECT_TRUE(StartProcess("true"));  // found on PATH
  EXPECT_FALSE(StartProcess("/no/such/program-kelvora x"));
  EXPECT_FALSE(StartProcess(""));
  EXPECT_FALSE(StartProcess(Args{}));
}

TEST(StartProcess, ProgramAndArgumentsWithSpacesAndShellCharacters) {
  testing::TempDir dir;
  // A program in a folder with blanks, "%", "(" and Japanese, given arguments a shell would
  // expand; it writes its arguments where the test can read them.
  std::string bin_dir = dir.str() + "/my tools (x86) 100%/日本語";
  std::filesystem::create_directories(bin_dir);
  std::string prog = bin_dir + "/record args";
  std::string out = dir.str() + "/out.txt";
  {
    std::ofstream f(prog);
    f << "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > \"$OUT.tmp\"\n"
         "mv \"$OUT.tmp\" \"$OUT\"\n";
  }
  chmod(prog.c_str(), 0755);
  setenv("OUT", out.c_str(), 1);
  std::string line = "\"" + prog + "\" \"$HOME\" `id` ;x \"a b\" 50%";
  ASSERT_TRUE(StartProcess(line));
  ASSERT_TRUE(WaitForFile(out));
  EXPECT_EQ(ReadWholeFile(out), "$HOME|`id`|;x|a b|50%|");
  unsetenv("OUT");
}

}  // namespace
}  // namespace kelvora
