#include "platform/editor_launch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/cp932.h"
#include "platform/file_names.h"
#include "platform/scripted_ui.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using Argv = std::vector<std::string>;

struct FakeSpawn {
  std::vector<Argv> started;
  bool succeed = true;
  Spawner spawner() {
    return [this](const Argv& argv) {
      started.push_back(argv);
      return succeed;
    };
  }
};

PathExists Everything() {
  return [](const std::string&) { return true; };
}

TEST(EditorCommandTest, ExamplesOfTheLineOption) {
  EditorCommand c = BuildEditorCommand("/opt/hm/Hidemaru", "/j", "/home/me/My Src/a.c", "12");
  EXPECT_EQ(c.command_line, "/opt/hm/Hidemaru /j12 \"/home/me/My Src/a.c\"");
  EXPECT_EQ(c.argv, (Argv{"/opt/hm/Hidemaru", "/j12", "/home/me/My Src/a.c"}));

  for (const char* mifes : {"MIFES", "mifes", "MiFeS"}) {
    c = BuildEditorCommand("/opt/mifes/mifes", mifes, "/home/me/My Src/a.c", "12");
    EXPECT_EQ(c.command_line, "/opt/mifes/mifes \"/home/me/My Src/a.c\"+12");
    EXPECT_EQ(c.argv, (Argv{"/opt/mifes/mifes", "/home/me/My Src/a.c+12"}));
  }

  c = BuildEditorCommand("/usr/bin/sakura", "-Y=", "/src/a.c", "12");
  EXPECT_EQ(c.command_line, "/usr/bin/sakura -Y=12 /src/a.c");

  c = BuildEditorCommand("/usr/bin/hm", "", "/src/a.c", "3");
  EXPECT_EQ(c.command_line, "/usr/bin/hm /j3 /src/a.c");

  c = BuildEditorCommand("vim", "+", "/src/a.c", "12");
  EXPECT_EQ(c.argv, (Argv{"vim", "+12", "/src/a.c"}));
}

TEST(EditorCommandTest, ArgumentsSurviveTheSplittingRules) {
  // Quotes, trailing backslashes and CP932 second bytes 0x5C inside a quoted path.
  const std::string hyo = "\x95\x5C";  // 表
  for (std::string path :
       {std::string("/a b/say \"hi\".c"), std::string("/a b/dir\\"), std::string("/x/q\"uote.c"),
        std::string("/a\\\\b c/\\\"d"), "/My Src/" + hyo + ".c", "/My Src/" + hyo,
        std::string("/tab\there.c")}) {
    EditorCommand c = BuildEditorCommand("/usr/bin/ed it", "-l", path, "9");
    ASSERT_EQ(c.argv.size(), 3u) << c.command_line;
    EXPECT_EQ(c.argv[0], "/usr/bin/ed it");
    EXPECT_EQ(c.argv[1], "-l9");
    EXPECT_EQ(c.argv[2], path) << c.command_line;
    c = BuildEditorCommand("e", "mifes", path, "9");
    EXPECT_EQ(c.argv, (Argv{"e", path + "+9"})) << c.command_line;
  }
}

// An option with "%f" is a template; without it the option keeps its old meaning.
TEST(EditorCommandTest, TemplatesPlaceFileAndLine) {
  const std::string file = "/home/me/My Src/50%l.c";
  const struct {
    const char* option;
    Argv argv;
  } cases[] = {
      {"--goto %f:%l", {"code", "--goto", file + ":12"}},
      {"-l %l %f", {"code", "-l", "12", file}},
      {"+%l %f", {"code", "+12", file}},
      {"-n +%l %f", {"code", "-n", "+12", file}},
      {"%f", {"code", file}},
      {"+%l", {"code", "+%l12", file}},  // no "%f": the option precedes the line as before
  };
  for (const auto& c : cases)
    EXPECT_EQ(BuildEditorCommand("code", c.option, file, "12").argv, c.argv) << c.option;

  FakeSpawn spawn;
  ScriptedUi ui;
  testing::TempDir dir;
  const std::string real = dir.Write("日本語 フォルダ/a(1).c", "x\n");
  EditorLauncher editor("/usr/bin/kate", "-l %l %f", spawn.spawner());
  EXPECT_EQ(editor.Open(real, "7", ui), OpenResult::Started);
  EXPECT_EQ(spawn.started.back(), (Argv{"/usr/bin/kate", "-l", "7", real}));
}

TEST(OpenAtPositionTest, StartsTheEditorWithTheSplitLine) {
  FakeSpawn spawn;
  ScriptedUi ui;
  EditorLauncher editor("/opt/hm/Hidemaru", "/j", spawn.spawner(), Everything());
  EXPECT_EQ(editor.Open("/home/me/My Src/a.c", "12", ui), OpenResult::Started);
  EXPECT_EQ(editor.Open("/src(old)/a.c", "7", ui), OpenResult::Started);
  ASSERT_EQ(spawn.started.size(), 2u);
  EXPECT_EQ(spawn.started[0], (Argv{"/opt/hm/Hidemaru", "/j12", "/home/me/My Src/a.c"}));
  EXPECT_EQ(spawn.started[1], (Argv{"/opt/hm/Hidemaru", "/j7", "/src(old)/a.c"}));
  EXPECT_TRUE(ui.shown().empty());

  spawn.succeed = false;
  EXPECT_EQ(editor.Open("/src/a.c", "1", ui), OpenResult::StartFailed);
  EXPECT_EQ(ui.messages(),
            Argv{"エディタを起動できませんでした。　\n\n/opt/hm/Hidemaru\n原因不明　"});
}

// An editor that cannot start is named with the system's reason, whatever stops it.
TEST(OpenAtPositionTest, AnEditorThatCannotStartIsReportedWithTheReason) {
  testing::TempDir dir;
  const std::string file = dir.Write("a.c", "x\n");
  const std::string not_executable = dir.Write("bin/plain editor", "#!/bin/sh\n");
  const std::string broken = dir.Write("bin/broken", "#!/no/such/interpreter\n");
  ASSERT_EQ(::chmod(broken.c_str(), 0755), 0);
  const struct {
    std::string program;
    std::string reason;
  } cases[] = {{dir.str() + "/bin/missing", "No such file or directory"},
               {not_executable, "Permission denied"},
               {broken, "No such file or directory"}};
  for (const auto& c : cases) {
    ScriptedUi ui;
    EditorLauncher editor(c.program, "+");
    EXPECT_EQ(editor.Open(file, "3", ui), OpenResult::StartFailed) << c.program;
    EXPECT_EQ(ui.messages(),
              Argv{"エディタを起動できませんでした。　\n\n" + c.program + "\n" + c.reason + "　"});
  }
}

TEST(OpenAtPositionTest, RefusesWithoutEditorOrFile) {
  FakeSpawn spawn;
  ScriptedUi ui;
  EditorLauncher none("", "/j", spawn.spawner(), Everything());
  EXPECT_EQ(none.Open("/src/a.c", "1", ui), OpenResult::NoEditor);
  EXPECT_EQ(ui.messages().back(),
            "エディタが設定されていません！　\nプロパティにてエディタ設定を行って下さい。　");

  EditorLauncher editor("/usr/bin/vim", "+", spawn.spawner());

  testing::TempDir dir;
  std::string missing = dir.str() + "/My Src/ない.c";
  EXPECT_EQ(editor.Open(missing, "4", ui), OpenResult::NoFile);
  EXPECT_EQ(ui.messages().back(), "ファイルがありません。　\n\n" + missing + "　");
  std::string with_nul = dir.Write("a.c", "x") + std::string("\0b", 2);
  EXPECT_EQ(editor.Open(with_nul, "1", ui), OpenResult::NoFile);
  EXPECT_TRUE(spawn.started.empty());
}

TEST(OpenAtPositionTest, RealFilesWithAwkwardNames) {
  FakeSpawn spawn;
  ScriptedUi ui;
  testing::TempDir dir;
  EditorLauncher editor("/usr/bin/vim", "+", spawn.spawner());
  for (const char* name : {"My Src/a.c", "50%(x)/b.c", "日本語 フォルダ/c.c"}) {
    std::string file = dir.Write(name, "int x;\n");
    EXPECT_EQ(editor.Open(file, "12", ui), OpenResult::Started) << name;
    EXPECT_EQ(spawn.started.back(), (Argv{"/usr/bin/vim", "+12", file}));
  }
  // A folder counts as existing.
  EXPECT_EQ(editor.Open(dir.str(), "1", ui), OpenResult::Started);
  EXPECT_TRUE(ui.shown().empty());
}

// Tree files and reports hold UTF-8 names in CP932, or escaped where CP932 has no form; such a
// position still starts the editor on the real file.
TEST(OpenAtPositionTest, PositionsWrittenInCp932OpenTheUtf8File) {
  FakeSpawn spawn;
  ScriptedUi ui;
  testing::TempDir dir;
  EditorLauncher editor("/usr/bin/vim", "+", spawn.spawner());
  for (const char* name : {"資料 (旧)/日本語ファイル.c", "♥ 100%/愛.c"}) {
    const std::string file = dir.Write(name, "int x;\n");
    EXPECT_EQ(editor.Open(NameToCp932(file), "3", ui), OpenResult::Started) << name;
    EXPECT_EQ(spawn.started.back(), (Argv{"/usr/bin/vim", "+3", file}));
  }
  EXPECT_TRUE(ui.shown().empty());
}

}  // namespace
}  // namespace kelvora
