#include <gtest/gtest.h>

#include <cstdio>

#include "analysis/analysis_run.h"
#include "cli/cli_app.h"
#include "cli/cli_ui.h"
#include "cli/run_process.h"
#include "data/registration_lists.h"

namespace kelvora {
namespace {

using testing::RunProcess;
using testing::TempDir;

CliOptions Parse(std::vector<std::string> args, bool expect_ok = true) {
  CliOptions options;
  std::string error;
  EXPECT_EQ(expect_ok, ParseCliArguments(args, options, error)) << error;
  return options;
}

TEST(CliArguments, AnalyseWithEveryOption) {
  CliOptions o = Parse({"analyse", "--settings", "k.ini", "--no-subfolders", "--dump", "--lookup",
                        "func:init", "--lookup=file:main", "src", "inc dir"});
  EXPECT_EQ("analyse", o.command);
  EXPECT_EQ("k.ini", o.settings_file);
  EXPECT_FALSE(o.subfolders);
  EXPECT_TRUE(o.dump);
  ASSERT_EQ(2u, o.lookups.size());
  EXPECT_EQ(1, o.lookups[0].kind);
  EXPECT_EQ("init", o.lookups[0].word);
  EXPECT_EQ(4, o.lookups[1].kind);
  EXPECT_EQ((std::vector<std::string>{"src", "inc dir"}), o.roots);
}

TEST(CliArguments, UsageErrors) {
  Parse({}, false);
  Parse({"analyse"}, false);                           // no root
  Parse({"analyze", "x"}, false);                      // unknown command
  Parse({"analyse", "--lookup", "fn:x", "r"}, false);  // unknown kind
  Parse({"analyse", "--lookup", "func", "r"}, false);  // no colon
  Parse({"analyse", "--settings"}, false);             // missing file
  Parse({"analyse", "--frobnicate", "r"}, false);      // unknown option
  EXPECT_EQ((std::vector<std::string>{"-odd name"}), Parse({"analyse", "--", "-odd name"}).roots);
  EXPECT_TRUE(Parse({"--help"}).help);
  EXPECT_TRUE(Parse({"--version"}).version);
}

TEST(CliArguments, LookupWordKeepsColonsAndJapanese) {
  CliOptions o = Parse({"analyse", "--lookup", "func:CDlg::OnOK", "--lookup", "table:表", "r"});
  EXPECT_EQ("CDlg::OnOK", o.lookups[0].word);
  EXPECT_EQ(5, o.lookups[1].kind);
  EXPECT_EQ("表", o.lookups[1].word);
}

TEST(CliRoots, NormalisedLikeTheFolderChooser) {
  EXPECT_EQ("", NormaliseRoot("/"));
  EXPECT_EQ("/a/b", NormaliseRoot("/a/b/"));
  EXPECT_EQ("/a/c", NormaliseRoot("/a/./b/../c"));
  EXPECT_EQ("/src (old)/100%", NormaliseRoot("/src (old)/100%/"));
  std::string rel = NormaliseRoot("rel dir");
  ASSERT_FALSE(rel.empty());
  EXPECT_EQ('/', rel.front());
  EXPECT_EQ("/rel dir", rel.substr(rel.size() - 8));
}

TEST(CliPort, AnswersFromFlagsAndPrintsOneLinePerMessage) {
  TempDir dir;
  std::string path = (dir.path() / "err").string();
  std::FILE* err = std::fopen(path.c_str(), "w");
  ASSERT_NE(nullptr, err);
  {
    CliUi ui(err);
    ui.set_answers({/*add_to_existing=*/true, /*subfolders=*/false});
    Ui& port = ui;
    // Answers follow the ids; the texts play no part.
    EXPECT_TRUE(port.AskYesNo(kAskAddToExisting, "?"));
    EXPECT_FALSE(port.AskYesNo(kAskSubfolders, "既にデータが存在します"));
    EXPECT_TRUE(port.AskYesNo(kAskConfirmRun, "?"));
    // An unreadable file is skipped, not a reason to end the run.
    EXPECT_FALSE(port.AskYesNo(kAskCancelOnUnreadableFile,
                               "<<「関数」取得>>\n\nファイルが開けませんでした。\n/x.c\n"));
    // A question the command line has no answer for ends the command instead of a guess.
    EXPECT_THROW(port.AskYesNo(kAskDeleteAll, "全て削除？"), CliUi::UnansweredQuestion);
    ui.SetAnswer(kAskDeleteAll, true);
    EXPECT_TRUE(port.AskYesNo(kAskDeleteAll, "全て削除？"));
    EXPECT_FALSE(port.PollEscape());
    CliUi::RequestInterrupt();
    EXPECT_TRUE(port.PollEscape());
    EXPECT_FALSE(port.PollEscape());
    EXPECT_TRUE(port.AskYesNo(kAskCancelOnEscape, "「ESCキー」が押されました。"));
    port.Message("該当ファイルがありません！　\nline two", Ui::kCaption, MsgIcon::Warning);
    EXPECT_FALSE(port.ChooseFolder("any").has_value());
  }
  std::fclose(err);
  std::string text = TempDir::Read(path);
  EXPECT_NE(std::string::npos, text.find("ファイルが開けませんでした。 /x.c \n"));
  EXPECT_NE(std::string::npos, text.find("該当ファイルがありません！　 line two\n"));
}

TEST(CliBinary, HelpVersionAndUsageStatus) {
  TempDir dir;
  auto help = RunProcess({KELVORA_CLI_BIN, "--help"}, dir.str());
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("kelvora-cli analyse"));
  auto version = RunProcess({KELVORA_CLI_BIN, "--version"}, dir.str());
  EXPECT_EQ(0, version.status);
  EXPECT_EQ(0u, version.out.find("kelvora-cli "));
  auto bad = RunProcess({KELVORA_CLI_BIN, "analyse", "--lookup", "nope:x", "."}, dir.str());
  EXPECT_EQ(2, bad.status);
  EXPECT_TRUE(bad.out.empty());
  EXPECT_NE(std::string::npos, bad.err.find("--lookup"));
  auto missing = RunProcess(
      {KELVORA_CLI_BIN, "analyse", "--settings", (dir.path() / "none.ini").string(), "."},
      dir.str(), {"KELVORA_HOME=" + dir.str()});
  EXPECT_EQ(2, missing.status);
}

// Output that cannot be written is a failure with a message, for every command.
TEST(CliBinary, UnwritableOutputFailsWithAMessage) {
  TempDir dir;
  dir.Write("tree/a.c", "int f(void)\n{\n  return 0;\n}\n");
  const std::vector<std::string> env{"KELVORA_HOME=" + dir.str()};
  for (const std::vector<std::string>& argv :
       {std::vector<std::string>{KELVORA_CLI_BIN, "--help"},
        std::vector<std::string>{KELVORA_CLI_BIN, "analyse", "--dump",
                                 (dir.path() / "tree").string()}}) {
    auto full = RunProcess(argv, dir.str(), env, 0, "/dev/full");
    EXPECT_EQ(1, full.status) << argv[1];
    EXPECT_NE(std::string::npos, full.err.find("kelvora-cli: cannot write the output")) << full.err;
  }
  auto fine = RunProcess({KELVORA_CLI_BIN, "analyse", "--dump", (dir.path() / "tree").string()},
                         dir.str(), env);
  EXPECT_EQ(0, fine.status);
  EXPECT_NE(std::string::npos, fine.out.find("\tf\t"));
}

// A settings file given to the command line is input only: the values Load settings normalises
// (empty extension lists, menu counts, header words) are used but never written back.
TEST(CliBinary, SettingsFileIsNeverRewritten) {
  TempDir dir;
  dir.Write("tree/a.c", "int f(void)\n{\n  return 0;\n}\n");
  const std::string ini = "[Analysis]\r\nFuncHeaderStr=|x|\r\n[Extention]\r\nsrc=\r\n";
  const std::string settings = dir.Write("mine.ini", ini);
  auto run = RunProcess({KELVORA_CLI_BIN, "analyse", "--settings", settings, "--dump",
                         (dir.path() / "tree").string()},
                        dir.str(), {"KELVORA_HOME=" + (dir.path() / "home").string()});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_NE(std::string::npos, run.out.find("\tf\t"));  // the empty src list took *.c;*.cpp
  EXPECT_EQ(ini, TempDir::Read(settings));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "home" / "Kelvora.ini"));
}

}  // namespace
}  // namespace kelvora
