// The main window's commands as one table: identifier, menu text, accelerator, enabling rule and
// the function each runs. The context menu, the accelerators and the window's dispatch are made
// from it; a command of a feature not built yet is a row without a function (shown disabled).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <optional>

#include "output/html_site.h"
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

// What the commands work on: the window's data, its settings and the view.
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
  // The window's call index: analyses fill it, the function tree is written from it.
  CallIndex* calls = nullptr;
};

// What the window brings up to date after a command.
enum class CommandEffect { None, ListsChanged };

using CommandFunction = std::function<CommandEffect(CommandState&, Ui&)>;

// When a menu item is enabled (greyed otherwise), from the lists' contents.
enum class EnableRule { Always, AnyData, Functions, Structs, Defines, Files, Tables };

struct CommandRow {
  int id = 0;                    // carried by the menu item and the accelerator
  std::string_view name;         // stable name, e.g. "sort.functions"
  std::string_view text;         // menu text (UTF-8), as the menu shows it
  std::string_view accelerator;  // "Ctrl+F", or empty
  EnableRule enable = EnableRule::Always;
  CommandFunction run;  // empty: not built yet, shown disabled
  int sort_kind = 0;    // 1..5: a per-list sort item (direction suffix and bitmap)
};

// Every command of the main window, in identifier order of no meaning.
const std::vector<CommandRow>& MainCommands();
const CommandRow* FindMainCommand(int id);

// True when the row's rule holds for the data.
bool RuleHolds(EnableRule rule, const RegisteredData& data);

// Runs the command with that identifier. NotFound for an identifier of no row, NotBuilt for a
// row without a function; the enabling rule is the menu's business and is not checked here.
enum class DispatchResult { Ran, RanListsChanged, NotBuilt, NotFound };
DispatchResult RunMainCommand(int id, CommandState& state, Ui& ui);

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
CommandEffect AnalyseCommand(CommandState& state, Ui& ui);
CommandEffect ReanalyseCommand(CommandState& state, Ui& ui);
// Stores the percent in "TransparentWindow" "RarUviz_Par" and shows it.
CommandEffect TransparencyCommand(CommandState& state, int percent);

}  // namespace kelvora
