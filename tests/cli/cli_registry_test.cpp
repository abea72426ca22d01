// kelvora-cli as a front end of the command registry: its help, verbs and --write kinds come from
// the rows, and a --write kind writes what the menu item of the same row writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "analysis/analysis_run.h"
#include "cli/cli_app.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "cli/run_process.h"
#include "commands/registry.h"
#include "data/registration_lists.h"
#include "output/reports.h"
#include "output/tree_output.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(CliRegistry, EveryVerbAndKindHasItsRunnerAndIsInTheHelp) {
  const std::string usage = CliUsage();
  std::set<std::string_view> verbs, kinds;
  for (const CommandRow& row : Commands()) {
    if (row.cli.form == CliForm::Verb) {
      EXPECT_TRUE(verbs.insert(row.cli.word).second) << row.cli.word;
      EXPECT_NE(FindCliVerb(row.cli.word), nullptr) << row.cli.word;
      EXPECT_NE(usage.find("       kelvora-cli " + std::string(row.cli.word) + " ...\n"),
                std::string::npos)
          << row.cli.word;
      EXPECT_NE(usage.find(row.cli.help), std::string::npos) << row.cli.word;
      EXPECT_EQ(VerbUsage(row.cli.word), row.cli.help);
    } else if (row.cli.form == CliForm::Write) {
      EXPECT_TRUE(kinds.insert(row.cli.word).second) << row.cli.word;
      EXPECT_TRUE(row.run) << row.name;
      EXPECT_NE(FindCliWriter(row.cli.word), nullptr) << row.cli.word;
      EXPECT_NE(usage.find("      " + std::string(row.cli.word) + " "), std::string::npos);
      EXPECT_NE(usage.find(row.cli.help), std::string::npos) << row.cli.word;
    }
  }
  // And no runner is left without its row (it would be unreachable and missing from --help).
  for (const CliVerb& verb : CliVerbs()) EXPECT_TRUE(verbs.count(verb.verb)) << verb.verb;
  for (const CliWriter& writer : CliWriters()) EXPECT_TRUE(kinds.count(writer.kind)) << writer.kind;
  // The parser takes exactly the registry's words.
  CliOptions options;
  std::string error;
  for (std::string_view verb : verbs)
    EXPECT_TRUE(ParseCliArguments({std::string(verb)}, options, error)) << error;
  for (std::string_view kind : kinds)
    EXPECT_TRUE(
        ParseCliArguments({"analyse", "--write", std::string(kind) + "=x", "r"}, options, error))
        << error;
  EXPECT_FALSE(
      ParseCliArguments({"analyse", "--write", "tree-file.functions=x", "r"}, options, error));
}

TEST(CliRegistry, ExitStatusOfEveryResult) {
  EXPECT_EQ(ExitStatusOf(CommandResult::Done()), 0);
  EXPECT_EQ(ExitStatusOf(CommandResult::Cancelled()), 1);
  EXPECT_EQ(ExitStatusOf(CommandResult::Failed("x")), 1);
  EXPECT_EQ(ExitStatusOf(CommandResult::DonePartly("x")), 3);
}

// The window's part of the menu commands in this test: the HTML site's settings dialog says OK.
class HtmlOkView : public WindowlessView {
 public:
  std::optional<HtmlOptions> AskHtmlOptions() override { return HtmlOptions{}; }
};

// Every file below dir, relative path to bytes; the clock time of a site's date line is masked,
// since two writes may fall on either side of a second.
std::map<std::string, std::string> Files(const fs::path& dir) {
  static const std::regex kClock("[0-9]{2}:[0-9]{2}:[0-9]{2}");
  std::map<std::string, std::string> files;
  if (fs::is_regular_file(dir)) {
    files[""] = TempDir::Read(dir);
    return files;
  }
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file())
      files[fs::relative(e.path(), dir).string()] =
          std::regex_replace(TempDir::Read(e.path()), kClock, "hh:mm:ss");
  return files;
}

TEST(CliRegistry, EveryWriteKindWritesWhatItsMenuItemWrites) {
  const fs::path source = fs::path(KELVORA_GOLDEN) / "cli" / "tree_files" / "tree";
  TempDir dir;
  const std::string root = dir.str() + "/src";
  fs::copy(source, root, fs::copy_options::recursive);

  SettingsStore store = SettingsStore::Default();
  store.set_read_only();
  RegexService regex;
  RegisteredData data;
  std::FILE* err = std::tmpfile();
  CliUi cli_ui(err);
  AnalysisContext analysis{data, store, regex, cli_ui, dir.str()};
  cli_ui.set_answers({false, true});
  ASSERT_EQ(StartAnalysisAt(analysis, NormaliseRoot(root)), 0);
  ASSERT_FALSE(data.List(ListKind::Table).empty());

  CliOptions options;
  CliWriteContext ctx{data, store, regex, cli_ui, options};
  Settings settings;
  ScriptedUi load_ui;
  LoadSettings(store, settings, load_ui);
  // The questions of each menu item, answered as the command line answers them.
  const std::map<std::string_view, std::vector<std::pair<QuestionId, bool>>> questions = {
      {"text-list", {{kAskListPositions, true}, {kAskOpenInfoList, false}}},
      {"step-csv", {{kAskOpenStepCsv, false}}},
      {"table-csv", {{kAskOpenTableCsv, false}}},
      {"func-tree", {{kAskWriteCommentFile, false}}},
  };
  HtmlOkView view;
  CommandState state{data, store, settings, regex, view, dir.str(), nullptr, nullptr, nullptr};
  int compared = 0;
  for (const CommandRow& row : Commands()) {
    if (row.cli.form != CliForm::Write || row.id == 0) continue;
    SCOPED_TRACE(std::string(row.cli.word));
    const std::string by_cli = dir.str() + "/cli-" + std::string(row.cli.word);
    const std::string by_menu = dir.str() + "/menu-" + std::string(row.cli.word);
    options.writes = {{std::string(row.cli.word), by_cli}};
    EXPECT_EQ(FindCliWriter(row.cli.word)->write(ctx, row, by_cli), 0);

    // The menu item with its dialogs answered as a user would.
    ScriptedUi menu_ui;
    if (row.cli.word == "html") {
      fs::create_directories(by_menu);
      menu_ui.ChooseFolderAnswer(by_menu);
    } else {
      menu_ui.ChooseSaveAnswer(by_menu);
    }
    if (auto it = questions.find(row.cli.word); it != questions.end())
      for (const auto& [id, yes] : it->second) menu_ui.Answer(id, yes);
    const Dispatch run = RunMainCommand(row.id, state, menu_ui);
    EXPECT_EQ(run.result, CommandStatus::Done) << run.result.message;
    const auto cli_files = Files(by_cli);
    EXPECT_FALSE(cli_files.empty());
    EXPECT_TRUE(cli_files == Files(by_menu));
    ++compared;
  }
  EXPECT_EQ(compared, 7);
  std::fclose(err);
}

// One product version: --version, the newest entry of readme.txt's history and the manual page.
TEST(CliVersion, DefinedOnceAndShownEverywhere) {
  const std::string version = KELVORA_PROJECT_VERSION;
  TempDir dir;
  EXPECT_EQ(testing::RunProcess({KELVORA_CLI_BIN, "--version"}, dir.str()).out,
            "kelvora-cli " + version + "\n");
  const std::string readme = TempDir::Read(fs::path(KELVORA_SOURCE_DIR) / "readme.txt");
  const std::size_t history = readme.find("■変更履歴");
  ASSERT_NE(history, std::string::npos);
  const std::size_t newest = readme.find("\nVer ", history);
  ASSERT_NE(newest, std::string::npos);
  EXPECT_EQ(readme.substr(newest + 5, version.size() + 1), version + " ");
  const std::string man = TempDir::Read(fs::path(KELVORA_BUILD_DIR) / "kelvora-cli.1");
  EXPECT_NE(man.find("\"Kelvora " + version + "\""), std::string::npos);
}

}  // namespace
}  // namespace kelvora
