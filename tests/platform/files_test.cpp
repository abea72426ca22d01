#include "platform/files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>
#include <filesystem>

#include "platform/scripted_ui.h"
#include "platform/user_folder.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(Files, TempFilesAreUniqueAndInTmpdir) {
  testing::TempDir dir;
  ScopedEnv tmp("TMPDIR", dir.str().c_str());
  EXPECT_EQ(TempDirectory(), dir.str());
  auto a = CreateUniqueTempFile("grep");
  auto b = CreateUniqueTempFile("grep");
  ASSERT_TRUE(a && b);
  EXPECT_NE(*a, *b);
  EXPECT_EQ(fs::path(*a).parent_path(), dir.path());
  EXPECT_EQ(fs::path(*a).filename().string().rfind("grep-", 0), 0u);
  EXPECT_EQ(fs::file_size(*a), 0u);
}

TEST(Files, TempDirectoryFallsBackWhenTmpdirIsNoFolder) {
  testing::TempDir dir;
  ScopedEnv tmp("TMPDIR", (dir.str() + "/missing").c_str());
  EXPECT_EQ(TempDirectory(), "/tmp");
}

TEST(Files, WholeFileReadsAndAtomicWrites) {
  testing::TempDir dir;
  std::string path = dir.str() + "/結果 (1) 100%.txt";
  std::string bytes("a\0b\r\n\x95\x5C", 7);
  ASSERT_TRUE(WriteFileAtomically(path, bytes));
  EXPECT_EQ(ReadWholeFile(path), bytes);
  ASSERT_TRUE(WriteFileAtomically(path, "short"));
  EXPECT_EQ(ReadWholeFile(path), "short");
  EXPECT_TRUE(WriteFileAtomically(path, ""));
  EXPECT_EQ(ReadWholeFile(path), "");
  // No temporary sibling stays behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

  EXPECT_FALSE(ReadWholeFile(dir.str() + "/missing"));
  EXPECT_FALSE(ReadWholeFile(dir.str()));
}

TEST(Files, AtomicWriteKeepsModeAndWritesThroughLinks) {
  testing::TempDir dir;
  std::string target = dir.Write("real.ini", "old");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  std::string link = dir.str() + "/link.ini";
  fs::create_symlink(target, link);
  ASSERT_TRUE(WriteFileAtomically(link, "new"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadWholeFile(target), "new");
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(Files, WritesIntoImpossibleFoldersFail) {
  testing::TempDir dir;
  std::string file = dir.Write("plain", "x");
  EXPECT_FALSE(WriteFileAtomically(file + "/Kelvora.ini", "x"));
  EXPECT_FALSE(WriteFileAtomically(dir.str() + "/no/such/dir/a.txt", "x"));
  EXPECT_FALSE(WriteFileAtomically(dir.str(), "x"));  // a folder is no file
  EXPECT_EQ(ReadWholeFile(file), "x");
}

TEST(Files, CopyFileBytes) {
  testing::TempDir dir;
  std::string big(300 * 1024, 'q');
  big[12345] = '\0';
  std::string from = dir.Write("from file.bin", big);
  std::string to = dir.Write("ソース/to.bin", "older and longer content");
  ASSERT_TRUE(CopyFileBytes(from, to));
  EXPECT_EQ(ReadWholeFile(to), big);
  EXPECT_TRUE(CopyFileBytes(from, from));
  EXPECT_EQ(ReadWholeFile(from), big);
  EXPECT_FALSE(CopyFileBytes(dir.str() + "/missing", to));
  EXPECT_FALSE(CopyFileBytes(dir.str(), dir.str() + "/x"));
  EXPECT_FALSE(CopyFileBytes(from, from + "/x"));
  EXPECT_EQ(ReadWholeFile(to), big);
}

TEST(UserFolder, KelvoraHomeOverridesBothFolders) {
  testing::TempDir dir;
  std::string home = dir.str() + "/ホーム dir";
  ScopedEnv env("KELVORA_HOME", home.c_str());
  EXPECT_EQ(UserFolder(), home);
  EXPECT_TRUE(fs::is_directory(home));
  EXPECT_EQ(SettingsFolder(), home);
  EXPECT_EQ(SettingsFilePath(), home + "/Kelvora.ini");
  EXPECT_EQ(UserStorePath(), home + "/registry.ini");
}

TEST(UserFolder, XdgConfigHomeThenHome) {
  testing::TempDir dir;
  ScopedEnv no_override("KELVORA_HOME", nullptr);
  ScopedEnv home("HOME", (dir.str() + "/home").c_str());
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", (dir.str() + "/xdg/").c_str());
    EXPECT_EQ(UserFolder(), dir.str() + "/xdg/Kelv");
    EXPECT_TRUE(fs::is_directory(dir.str() + "/xdg/Kelv"));
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(UserFolder(), dir.str() + "/home/.config/Kelv");
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(UserStorePath(), dir.str() + "/home/.config/Kelv/registry.ini");
}

TEST(UserFolder, ProgramDirectoryHoldsTheTestProgram) {
  std::string dir = ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(fs::exists(fs::path(dir) / "test_platform"));
}

// The window says once, with the path, that its settings cannot be saved; a writable folder
// is not mentioned and no probe file stays behind.
TEST(CheckSettingsSavable, SaysOnceWithThePathWhenTheFolderCannotBeWritten) {
  testing::TempDir dir;
  const std::string locked = (dir.path() / "locked").string();
  fs::create_directories(locked);
  ::chmod(locked.c_str(), 0555);
  const bool root = ::geteuid() == 0;  // the super-user writes in a mode-0555 folder
  const struct {
    std::string file;
    bool savable;
  } cases[] = {
      {dir.str() + "/Kelvora.ini", true},
      {locked + "/Kelvora.ini", root},
      {"/proc/Kelvora.ini", false},      // a folder no one can add files to
      {"/dev/null/Kelvora.ini", false},  // not a folder at all
      {dir.str() + "/missing/Kelvora.ini", false},
  };
  for (const auto& c : cases) {
    ScriptedUi ui;
    EXPECT_EQ(c.savable, CheckSettingsSavable(c.file, ui)) << c.file;
    ASSERT_EQ(c.savable ? 0u : 1u, ui.messages().size()) << c.file;
    if (!c.savable) {
      EXPECT_NE(std::string::npos, ui.messages()[0].find(c.file));
    }
  }
  ::chmod(locked.c_str(), 0755);
  EXPECT_EQ(1, std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
}

}  // namespace
}  // namespace kelvora
