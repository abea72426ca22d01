// The output writer's replace rules: what each kind of target becomes, what a failure or a kill
// leaves behind.
#include "platform/output_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <thread>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using kelvora::OutputFile;
using kelvora::testing::TempDir;

namespace {

// The names in a folder that are not name itself (temporary files left behind).
std::vector<std::string> Leftovers(const TempDir& dir, const std::set<std::string>& expected) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir.path()))
    if (!expected.count(e.path().filename().string())) out.push_back(e.path().filename());
  return out;
}

struct TargetCase {
  const char* name;
  std::function<void(const TempDir&)> make;  // makes "out" (and what it needs)
  OutputFile::Mode mode;
  bool opens;
  std::function<void(const TempDir&)> check;  // after writing "new\n" and committing
};

TEST(OutputFile, EachKindOfTargetIsReplacedWrittenThroughOrRefused) {
  const std::vector<TargetCase> cases = {
      {"new name", [](const TempDir&) {}, OutputFile::Mode::Replace, true,
       [](const TempDir& d) { EXPECT_EQ("new\r\n", TempDir::Read(d.path() / "out")); }},
      {"regular file keeps its mode",
       [](const TempDir& d) {
         d.Write("out", "old");
         ::chmod((d.path() / "out").c_str(), 0604);
       },
       OutputFile::Mode::Replace, true,
       [](const TempDir& d) {
         EXPECT_EQ("new\r\n", TempDir::Read(d.path() / "out"));
         EXPECT_EQ(fs::perms(0604), fs::status(d.path() / "out").permissions());
       }},
      {"symlink: its target is replaced, the link stays",
       [](const TempDir& d) {
         d.Write("real", "old");
         fs::create_symlink("real", d.path() / "out");
       },
       OutputFile::Mode::Replace, true,
       [](const TempDir& d) {
         EXPECT_TRUE(fs::is_symlink(d.path() / "out"));
         EXPECT_EQ("new\r\n", TempDir::Read(d.path() / "real"));
       }},
      {"dangling symlink: its target is made",
       [](const TempDir& d) { fs::create_symlink("made", d.path() / "out"); },
       OutputFile::Mode::Replace, true,
       [](const TempDir& d) {
         EXPECT_TRUE(fs::is_symlink(d.path() / "out"));
         EXPECT_EQ("new\r\n", TempDir::Read(d.path() / "made"));
       }},
      {"character device: written through, never replaced",
       [](const TempDir& d) { fs::create_symlink("/dev/null", d.path() / "out"); },
       OutputFile::Mode::Replace, true,
       [](const TempDir&) { EXPECT_TRUE(fs::is_character_file("/dev/null")); }},
      {"FIFO without a reader: refused, left as it is",
       [](const TempDir& d) { ::mkfifo((d.path() / "out").c_str(), 0600); },
       OutputFile::Mode::Replace, false,
       [](const TempDir& d) { EXPECT_TRUE(fs::is_fifo(d.path() / "out")); }},
      {"socket: refused",
       [](const TempDir& d) {
         const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un addr{};
         addr.sun_family = AF_UNIX;
         std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", (d.path() / "out").c_str());
         ASSERT_EQ(0, ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr));
         ::close(s);
       },
       OutputFile::Mode::Replace, false,
       [](const TempDir& d) { EXPECT_TRUE(fs::is_socket(d.path() / "out")); }},
      {"folder: refused", [](const TempDir& d) { fs::create_directory(d.path() / "out"); },
       OutputFile::Mode::Replace, false,
       [](const TempDir& d) { EXPECT_TRUE(fs::is_directory(d.path() / "out")); }},
      {"page over a planted link: the link is replaced, its target untouched",
       [](const TempDir& d) {
         d.Write("victim", "keep");
         fs::create_symlink("victim", d.path() / "out");
       },
       OutputFile::Mode::PageAppend, true,
       [](const TempDir& d) {
         EXPECT_FALSE(fs::is_symlink(d.path() / "out"));
         EXPECT_EQ("new\r\n", TempDir::Read(d.path() / "out"));
         EXPECT_EQ("keep", TempDir::Read(d.path() / "victim"));
       }},
      {"page of a second file of one name: appended",
       [](const TempDir& d) { d.Write("out", "first\r\n"); }, OutputFile::Mode::PageAppend, true,
       [](const TempDir& d) { EXPECT_EQ("first\r\nnew\r\n", TempDir::Read(d.path() / "out")); }},
  };
  for (const TargetCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    c.make(dir);
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) names.insert(e.path().filename());
    names.insert({"out", "made"});
    OutputFile out;
    const std::string path = (dir.path() / "out").string();
    EXPECT_EQ(c.opens, out.Open(path, c.mode));
    out.Line("new");
    EXPECT_EQ(c.opens, out.Commit());
    if (!c.opens) {
      EXPECT_EQ(0u, out.message().find(kelvora::kOutputOpenError)) << out.message();
      EXPECT_NE(std::string::npos, out.message().find(path)) << out.message();
    }
    c.check(dir);
    EXPECT_EQ(std::vector<std::string>{}, Leftovers(dir, names));
  }
}

TEST(OutputFile, FifoWithAReaderGetsTheBytes) {
  TempDir dir;
  const std::string fifo = (dir.path() / "pipe").string();
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
  std::string got;
  std::thread reader([&] { got = TempDir::Read(fifo); });
  OutputFile out;
  // The reader may not have opened yet: a refusal then is the rule, so try until it has.
  for (int i = 0; i < 200 && !out.Open(fifo); ++i) ::usleep(5000);
  out.Line("through");
  EXPECT_TRUE(out.Commit());
  reader.join();
  EXPECT_EQ("through\r\n", got);
  EXPECT_TRUE(fs::is_fifo(fifo));
}

// A full disk, as kelvora-cli meets it: the file-size limit with SIGXFSZ ignored gives EFBIG.
TEST(OutputFile, FailedWriteKeepsTheOldFileAndSaysWhy) {
  TempDir dir;
  const std::string path = dir.Write("out", "old");
  const pid_t pid = fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    OutputFile out(path);
    out.Write(std::string(1 << 21, 'x'));
    const bool committed = out.Commit();
    const bool says = out.message().find("File too large") != std::string::npos &&
                      out.message().find(path) != std::string::npos &&
                      out.message().rfind(kelvora::kOutputWriteError, 0) == 0;
    _exit(!committed && says ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ("old", TempDir::Read(path));
  EXPECT_EQ(std::vector<std::string>{}, Leftovers(dir, {"out"}));
}

// Killed at random points while writing, a run leaves the old file or the complete new one; the
// temporary file it left is removed by the next write of that output.
TEST(OutputFile, KillNineLeavesOldOrNewAndTheNextWriteSweeps) {
  TempDir dir;
  const std::string old_bytes(300000, 'o');
  const std::string new_bytes(3 << 20, 'n');
  const std::string path = dir.Write("out", old_bytes);
  std::mt19937 random(28);
  int saw_new = 0;
  for (int round = 0; round < 12; ++round) {
    const pid_t pid = fork();
    if (pid == 0) {
      OutputFile out(path);
      for (std::size_t at = 0; at < new_bytes.size(); at += 4096)
        out.Write(std::string_view(new_bytes).substr(at, 4096));
      _exit(out.Commit() ? 0 : 1);
    }
    ::usleep(random() % 30000);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    const std::string now = TempDir::Read(path);
    EXPECT_TRUE(now == old_bytes || now == new_bytes) << "round " << round << ": " << now.size();
    saw_new += now == new_bytes;
    EXPECT_TRUE(kelvora::WriteFileAtomically(path, old_bytes));
    EXPECT_EQ(std::vector<std::string>{}, Leftovers(dir, {"out"})) << "round " << round;
  }
  (void)saw_new;

  // A killed writer nobody has reaped yet (a container's first process that never reaps) is a
  // zombie that still answers kill(pid, 0): its temporary is swept all the same.
  const pid_t zombie = fork();
  if (zombie == 0) {
    OutputFile out(path);
    out.Write("partial");
    ::kill(::getpid(), SIGKILL);
  }
  for (int tries = 0; tries < 200 && Leftovers(dir, {"out"}).empty(); ++tries) ::usleep(5000);
  siginfo_t info{};
  ASSERT_EQ(0, ::waitid(P_PID, static_cast<id_t>(zombie), &info, WEXITED | WNOWAIT));
  EXPECT_EQ(1u, Leftovers(dir, {"out"}).size());
  EXPECT_TRUE(kelvora::WriteFileAtomically(path, old_bytes));
  EXPECT_EQ(std::vector<std::string>{}, Leftovers(dir, {"out"}));
  ::waitpid(zombie, nullptr, 0);
}

}  // namespace
