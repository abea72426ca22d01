// The command registry: every command of the main window, the TREE viewer and kelvora-cli is one
// row here, and the menus, accelerators, the context menu and kelvora-cli's verbs, --write kinds
// and --help are made from the rows. A command is a core function over CommandState and the Ui
// port; each front end answers its dialogs its own way (the window with dialogs, the command line
// from its flags through CliUi, tests with ScriptedUi).
//
// Adding a command:
//  1. Write its core function in its area (output/, tree/, tools/, ...), taking what it works on
//     and a Ui&, and returning a CommandResult (or a value the row maps to one).
//  2. Add a row to the table of its window in commands/ (main_commands.cpp for the main window):
//     id (new constant in namespace cmd), stable name ("area.what"), menu text exactly as shown,
//     accelerator (unique in its window; the registry test checks), enabling rule, and the
//     function. A row without menu text is reachable only by its accelerator or command line.
//  3. Menus: the main window's context menu places rows by id (context_menu_layout.cpp).
//  4. Command line: give the row a CliBinding. A --write kind (CliForm::Write) is run after the
//     analysis with its dialogs answered by cli/cli_writers.cpp (add the kind's answers there);
//     a verb (CliForm::Verb, e.g. `lsp`) parses its own arguments in a runner listed in
//     cli/cli_verbs.cpp. The help text of the binding goes into `kelvora-cli --help` as is.
//     A verb or kind that runs the same command as a menu item sits on that item's row, so both
//     front ends call the same function.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/html_site.h"
#include "platform/command_result.h"
#include "platform/ui.h"

namespace kelvora {

class CallIndex;
class RegexService;
class RegisteredData;
class SettingsStore;
struct Settings;

// Identifiers the menu items carry (the numbers of the window's command table).
namespace cmd {
constexpr int kAnalyse = 1044;
constexpr int kGet = 1008;
constexpr int kBitmapList = 1152;
constexpr int kProperties = 1066;
constexpr int kTreeViewer = 1024;
constexpr int kSystemInfo = 145;
constexpr int kCommentSearch = 151;
constexpr int kAsciiTable = 51;
constexpr int kCommentFile = 52;
constexpr int kDeleteAll = 53;
constexpr int kTextList = 54;
constexpr int kHtmlSite = 55;
constexpr int kStepCsv = 56;
constexpr int kFunctionTree = 57;
constexpr int kStructTree = 58;
constexpr int kTableTree = 59;
constexpr int kSortAllAscending = 60;
constexpr int kSortAllDescending = 61;
constexpr int kSortFirstList = 62;  // 62..66: one list, kinds 1..5
constexpr int kReanalyse = 70;
constexpr int kTransparency0 = 80;  // 80..89: 0 %, 10 %, ..., 90 %
constexpr int kReadme = 98;
constexpr int kGrepMenu = 100;
constexpr int kTableCsv = 102;
constexpr int kIfRemoval = 103;
constexpr int kSheetFirst = 104;  // 104..109
constexpr int kVersion = 32798;
constexpr int kHelp = 32808;
}  // namespace cmd

// What only the window can do for a command; the window implements it, tests record it.
class CommandView {
 public:
  virtual ~CommandView() = default;
  // The settings sheet; settings are reloaded after OK.
  virtual void OpenSettingsSheet() = 0;
  // "Get": the clipboard's first line into the word box (a beep in "MENU" mode).
  virtual void TakeWordFromClipboard() = 0;
  // The window's opacity for a transparency of percent (0 = opaque).
  virtual void ShowTransparency(int percent) = 0;
  // "詳細設定" before an HTML site: the chosen options, nullopt when not confirmed.
  virtual std::optional<HtmlOptions> AskHtmlOptions() = 0;
  // The information window "Kelvora - 情報表示 -" holding a UTF-8 text.
  virtual void ShowInformation(const std::string& text) = 0;
  // The system information window, the background bitmap pattern list, the version dialog.
  virtual void ShowSystemInfo() = 0;
  virtual void ShowBitmapPatternList() = 0;
  virtual void ShowVersion() = 0;
  // The Grep menu with its result window, and the comment search dialog with its match menu.
  virtual void RunGrepMenu() = 0;
  virtual void RunCommentSearch() = 0;
  // Opens the TREE viewer window, or raises it when it is open already.
  virtual void OpenTreeViewer() = 0;
  // The viewer opened on a tree file just written (a new page for it).
  virtual void OpenTreeViewerOn(const std::string& tree_file) = 0;
};

// A CommandView without a main window (the command line, the viewer's rows, tests and
// benchmarks): nothing is shown and the HTML site's options are not confirmed. Front ends
// override what they answer differently.
class WindowlessView : public CommandView {
 public:
  void OpenSettingsSheet() override {}
  void TakeWordFromClipboard() override {}
  void ShowTransparency(int) override {}
  std::optional<HtmlOptions> AskHtmlOptions() override { return std::nullopt; }
  void ShowInformation(const std::string&) override {}
  void ShowSystemInfo() override {}
  void ShowBitmapPatternList() override {}
  void ShowVersion() override {}
  void RunGrepMenu() override {}
  void RunCommentSearch() override {}
  void OpenTreeViewer() override {}
  void OpenTreeViewerOn(const std::string&) override {}
};

class TreeViewerState;
class TreeViewerView;

// What the commands work on: the window's data, its settings and the view; the TREE viewer's
// rows work on tree and tree_view (the viewer gives stand-ins for the main window's parts).
struct CommandState {
  RegisteredData& data;
  SettingsStore& store;
  Settings& settings;
  const RegexService& regex;
  CommandView& view;
  // Folder of the analysis working files; empty means the current directory.
  std::string work_dir;
  // Set while an analysis runs, when given.
  bool* analysis_running = nullptr;
  // The TREE viewer's pages and window, for its rows.
  TreeViewerState* tree = nullptr;
  TreeViewerView* tree_view = nullptr;
  // The last analysis' call index, when the front end keeps one: the function tree takes the
  // files it holds unchanged from it.
  CallIndex* calls = nullptr;
};

// What the window brings up to date after a command.
enum class CommandEffect { None, ListsChanged };

using CommandFunction = std::function<CommandResult(CommandState&, Ui&)>;

// When a menu item is enabled (greyed otherwise), from the lists' contents.
enum class EnableRule { Always, AnyData, Functions, Structs, Defines, Files, Tables };

// How a row is reached from kelvora-cli.
enum class CliForm {
  None,
  Verb,   // `kelvora-cli WORD ...`: a command with arguments of its own
  Write,  // `kelvora-cli analyse --write WORD=PATH`: an output of the analysed data
};

struct CliBinding {
  CliForm form = CliForm::None;
  std::string_view word;  // the verb or the --write kind
  // For --help: a kind's one-line description; a verb's usage block (lines end with '\n').
  std::string_view help;
};

// Which window's menus the row belongs to (command-line-only rows have no menu text).
enum class CommandWindow { Main, TreeViewer };

struct CommandRow {
  int id = 0;                    // carried by the menu item and the accelerator; 0 for none
  std::string_view name;         // stable name, e.g. "sort.functions"
  std::string_view text;         // menu text (UTF-8), as the menu shows it
  std::string_view accelerator;  // "Ctrl+F", or empty
  EnableRule enable = EnableRule::Always;
  CommandFunction run;  // empty only on rows of kelvora-cli verbs that run in cli/
  CommandEffect effect = CommandEffect::None;  // what the window refreshes after it ran
  int sort_kind = 0;  // 1..5: a per-list sort item (direction suffix and bitmap)
  CliBinding cli;
  CommandWindow window = CommandWindow::Main;
};

// Every row: the main window's, then kelvora-cli's own verbs. The rows with a --write kind and
// the verbs are in the order --help lists them.
const std::vector<CommandRow>& Commands();
// The row of a main-window identifier, of a stable name, of a verb or of a --write kind.
const CommandRow* FindMainCommand(int id);
const CommandRow* FindCommandByName(std::string_view name);
const CommandRow* FindCliCommand(CliForm form, std::string_view word);

// True when the row's rule holds for the data.
bool RuleHolds(EnableRule rule, const RegisteredData& data);

// Runs the main-window command with that identifier. NotFound for an identifier of no row,
// NotBuilt for a row without a function; the enabling rule is the menu's business and is not
// checked here. result holds what the command reported when it ran.
struct Dispatch {
  enum Outcome { Ran, RanListsChanged, NotBuilt, NotFound };
  Outcome outcome = NotFound;
  CommandResult result;
};
Dispatch RunMainCommand(int id, CommandState& state, Ui& ui);

// One line of the context menu as it opens now: texts in UTF-8.
struct ContextEntry {
  enum class Type { Item, Rule, Submenu };
  Type type = Type::Item;
  std::string text;
  int id = 0;
  bool enabled = false;  // built and its rule holds
  bool greyed = false;   // its rule does not hold
  int bitmap_kind = 0;   // per-list sort items: kind 1..5 whose button bitmap marks the item
  std::vector<ContextEntry> children;
};

// The context menu over this data and transparency percent: every item, rule and submenu in
// order, items of the files list only while it has rows, sort items with their direction.
std::vector<ContextEntry> ContextMenuEntries(const RegisteredData& data, int transparency_percent);

// The commands of the rows (kept here so a row names its function next to the others).
CommandResult AnalyseCommand(CommandState& state, Ui& ui);
CommandResult ReanalyseCommand(CommandState& state, Ui& ui);
// Stores the percent in "TransparentWindow" "RarUviz_Par" and shows it.
CommandResult TransparencyCommand(CommandState& state, int percent);

// The rows of the main window (main_commands.cpp), in --help order where they have a binding.
std::vector<CommandRow> MainWindowRows();

}  // namespace kelvora
