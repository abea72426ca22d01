#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>

#include "platform/cp932.h"
#include "platform/user_store.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using testing::TempDir;

TEST(IniFile, ReadsLikeProfileFunctions) {
  TempDir dir;
  std::string text =
      "; comment line\r\n"
      "[Menu]\r\n"
      "  disp_x_max  =  4  \r\n"
      "DISP_TYPE=\x95\xA1\x90\x94\r\n"
      "quoted=\"  spaced  \"\r\n"
      "single='x'\r\n"
      "half=\"open\r\n"
      "empty=\r\n"
      "no equals sign here\r\n"
      "dup=first\r\n"
      "dup=second\r\n"
      "\r\n"
      "[ menu2 ]\n"
      "neg=-12abc\n"
      "junk=abc\n"
      "huge=99999999999999999999999\n"
      "eq=a=b\n";
  IniFile ini(dir.Write("Kelvora.ini", text));
  EXPECT_EQ(ini.ReadInt("menu", "DISP_X_MAX", 0), 4);
  EXPECT_EQ(ini.ReadString("MENU", "disp_type"), "\x95\xA1\x90\x94");
  EXPECT_EQ(ini.ReadString("Menu", "quoted"), "  spaced  ");
  EXPECT_EQ(ini.ReadString("Menu", "single"), "x");
  EXPECT_EQ(ini.ReadString("Menu", "half"), "\"open");
  EXPECT_EQ(ini.ReadString("Menu", "empty", "default"), "");
  EXPECT_TRUE(ini.HasKey("Menu", "empty"));
  EXPECT_EQ(ini.ReadString("Menu", "missing", "default"), "default");
  EXPECT_FALSE(ini.HasKey("Menu", "no equals sign here"));
  EXPECT_EQ(ini.ReadString("Menu", "dup"), "first");
  EXPECT_EQ(ini.ReadString("Nope", "dup", "d"), "d");
  EXPECT_EQ(ini.ReadInt("menu2", "neg", 7), -12);
  EXPECT_EQ(ini.ReadInt("menu2", "junk", 7), 7);
  EXPECT_EQ(ini.ReadInt("menu2", "empty", 7), 7);
  EXPECT_GT(ini.ReadInt("menu2", "huge", 7), 2147483647LL);
  EXPECT_EQ(ini.ReadString("menu2", "eq"), "a=b");
  auto keys = ini.Section("menu");
  ASSERT_EQ(keys.size(), 7u);
  EXPECT_EQ(keys[0].first, "disp_x_max");
  EXPECT_EQ(keys[6], (std::pair<std::string, std::string>{"dup", "first"}));
}

TEST(IniFile, BadInputLoadsAndKeepsEveryOtherValue) {
  TempDir dir;
  std::string long_value(200000, 'v');
  std::string text = "\xEF\xBB\xBF[Analysis]\nfunc=0\n\xFF\xFE garbage \x81\n" +
                     std::string("nul\0key=1\n", 10) + "long=" + long_value +
                     "\n[Analysis]\nfunc=1\nlate=9\n[broken\nstruct=2";
  std::string path = dir.Write("Kelvora.ini", text);
  IniFile ini(path);
  EXPECT_EQ(ini.ReadInt("Analysis", "func", 5), 0);  // the first of duplicates wins
  EXPECT_EQ(ini.ReadString("Analysis", "long"), long_value);
  EXPECT_EQ(ini.ReadInt("Analysis", "late", 5), 9);
  EXPECT_EQ(ini.ReadInt("Analysis", "struct", 5), 2);  // "[broken" is no section header
  EXPECT_EQ(ini.ReadInt("Analysis", std::string("nul\0key", 7), 5), 1);

  ASSERT_TRUE(ini.WriteInt("Analysis", "table", 1));
  EXPECT_EQ(ini.ReadInt("Analysis", "table", 5), 1);
  EXPECT_EQ(ini.ReadString("Analysis", "long"), long_value);
  std::string after = TempDir::Read(path);
  EXPECT_EQ(after.rfind("\xEF\xBB\xBF[Analysis]\n", 0), 0u);
  EXPECT_NE(after.find("\xFF\xFE garbage \x81\n"), std::string::npos);

  IniFile missing(dir.str() + "/none.ini");
  EXPECT_EQ(missing.ReadInt("a", "b", 3), 3);
  EXPECT_TRUE(missing.Section("a").empty());
}

TEST(IniFile, WritesKeepOtherLinesAndUseCrLf) {
  TempDir dir;
  std::string path = dir.Write("Kelvora.ini",
                               "; keep me\n"
                               "[Window]\n"
                               "Left = 1\n"
                               "unknown=zz\n"
                               "\n"
                               "[Color]\n"
                               "Dlg_Base=5");
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteInt("window", "left", 30));
  ASSERT_TRUE(ini.WriteInt("Window", "top", -4));
  ASSERT_TRUE(ini.WriteString("Color", "Dlg_Text", "7"));
  ASSERT_TRUE(ini.WriteString("Menu", "disp_type", Utf8ToCp932("複数列表示")));
  EXPECT_EQ(TempDir::Read(path),
            "; keep me\n"
            "[Window]\n"
            "Left=30\r\n"
            "unknown=zz\n"
            "top=-4\r\n"
            "\n"
            "[Color]\n"
            "Dlg_Base=5\r\n"
            "Dlg_Text=7\r\n"
            "\r\n"
            "[Menu]\r\n"
            "disp_type=" +
                Utf8ToCp932("複数列表示") + "\r\n");
}

TEST(IniFile, WriteCreatesFileAndValuesRoundTrip) {
  TempDir dir;
  IniFile ini(dir.str() + "/new.ini");
  const std::string values[] = {"",        "  leading and trailing  ", "\"quoted\"", "'q'",
                                "a;b#c=d", Utf8ToCp932("表示ソ①"),     "100%",       "(x)"};
  for (const auto& v : values) {
    ASSERT_TRUE(ini.WriteString("S", "k", v));
    EXPECT_EQ(ini.ReadString("S", "k", "?"), v);
  }
  EXPECT_EQ(TempDir::Read(ini.path()), "[S]\r\nk=(x)\r\n");
  EXPECT_EQ(ini.Section("s").size(), 1u);
}

TEST(IniFile, RefusesTextsThatWouldBreakTheFile) {
  TempDir dir;
  std::string path = dir.Write("Kelvora.ini", "[A]\r\nk=1\r\n");
  IniFile ini(path);
  EXPECT_FALSE(ini.WriteString("A", "k", "two\r\n[B]\r\nx=1"));
  EXPECT_FALSE(ini.WriteString("A", "k=x", "1"));
  EXPECT_FALSE(ini.WriteString("A]", "k", "1"));
  EXPECT_FALSE(ini.WriteString("", "k", "1"));
  EXPECT_FALSE(ini.WriteString("A", "", "1"));
  EXPECT_EQ(TempDir::Read(path), "[A]\r\nk=1\r\n");
}

TEST(IniFile, UnwritableFolderMakesWritesFail) {
  TempDir dir;
  std::string file = dir.Write("not a folder", "x");
  IniFile inside_file(file + "/Kelvora.ini");
  EXPECT_FALSE(inside_file.WriteInt("Menu", "disp_x_max", 2));
  EXPECT_EQ(inside_file.ReadInt("Menu", "disp_x_max", 0), 0);
}

TEST(IniFile, ReadOnlyFolderMakesWritesFail) {
  TempDir dir;
  std::string locked = dir.str() + "/locked";
  std::filesystem::create_directory(locked);
  IniFile ini(dir.Write("locked/Kelvora.ini", "[Menu]\r\ndisp_x_max=0\r\n"));
  chmod(dir.str().c_str(), 0755);
  chmod(ini.path().c_str(), 0644);
  chmod(locked.c_str(), 0555);
  // Root ignores the bits, so the writer runs as an ordinary user.
  int rc = testing::RunWithoutRootRights([&] {
    if (ini.WriteInt("Menu", "disp_x_max", 2)) return 1;
    if (ini.ReadInt("Menu", "disp_x_max", 9) != 0) return 2;
    return 0;
  });
  chmod(locked.c_str(), 0700);
  EXPECT_EQ(rc, 0) << "1: the write was reported as done, 2: the file changed";
  EXPECT_EQ(TempDir::Read(ini.path()), "[Menu]\r\ndisp_x_max=0\r\n");
}

TEST(UserStore, ValuesByKeyPath) {
  TempDir dir;
  UserStore store(dir.str() + "/registry.ini");
  const std::string config = "Software\\Kelv\\Config";
  EXPECT_FALSE(store.ReadStringValue(config, "EditorPath"));
  EXPECT_FALSE(store.ReadDwordValue("Software\\Kelv\\RunInf", "RunCnt"));
  ASSERT_TRUE(store.WriteStringValue(config, "EditorPath", "/opt/my editor/bin/ed (1)"));
  ASSERT_TRUE(store.WriteStringValue(config, "EditorOption", ""));
  ASSERT_TRUE(store.WriteDwordValue("Software\\Kelv\\RunInf", "RunCnt", 4000000000u));
  EXPECT_EQ(store.ReadStringValue("software\\kelv\\config", "editorpath"),
            "/opt/my editor/bin/ed (1)");
  EXPECT_EQ(store.ReadStringValue(config, "EditorOption"), "");
  EXPECT_EQ(store.ReadDwordValue("Software\\Kelv\\RunInf", "RunCnt"), 4000000000u);
  EXPECT_FALSE(store.ReadStringValue("Software\\Kelv", "EditorPath"));

  TempDir other;
  UserStore broken(other.Write("registry.ini", "[Software\\Kelv\\RunInf]\r\nRunCnt=lots\r\n"));
  EXPECT_FALSE(broken.ReadDwordValue("Software\\Kelv\\RunInf", "RunCnt"));
  UserStore nowhere(other.Write("file", "") + "/registry.ini");
  EXPECT_FALSE(nowhere.WriteDwordValue("Software\\Kelv\\RunInf", "RunCnt", 1));
}

}  // namespace
}  // namespace kelvora
