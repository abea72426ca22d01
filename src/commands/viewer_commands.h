// The TREE viewer's commands: registry rows (window TreeViewer) whose functions work on the
// viewer's pages (CommandState::tree) and ask the window, through TreeViewerView, only for what a
// window does (redrawing the output view, dialogs, the clipboard, the graph bar widget). The
// placements say where each row appears: the menu bar, the tool bar, the context menu.
//
// Adding a viewer command: a row in TreeViewerRows() (viewer_commands.cpp) with a stable name
// "viewer.…", its menu text and accelerator, then a line in the menu bar, tool bar or context
// menu table below it (a tool-bar line names its icon, see tree/ui/viewer_icons.h).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "commands/registry.h"
#include "platform/editor_launch.h"
#include "tree/tree_ops.h"

namespace kelvora {

class TreeViewerState;
struct TreeViewSettings;

enum class ViewerBar { Status, Tool, Sliders };

// What only the viewer window can do; the window implements it, tests record it.
class TreeViewerView {
 public:
  virtual ~TreeViewerView() = default;
  virtual EditorLauncher Editor() = 0;
  virtual TreeViewSettings& ViewSettings() = 0;
  // Reads a tree file into the current page.
  virtual void ReadTreeFile(const std::string& path) = 0;
  // "ショートカット一覧": the shortcut keys, one "name「key」" a line after a heading.
  virtual void ShowShortcutList(const std::string& utf8) = 0;
  // The output view: stop or resume drawing while a command changes many items; bring it in
  // line with the tree's expanded flags and selection; reload every item's text; scroll to top.
  virtual void FreezeOutput(bool frozen) = 0;
  virtual void SyncOutput() = 0;
  virtual void ReloadOutputTexts() = 0;
  virtual void ScrollOutputToTop() = 0;
  // An item and the items below it were deleted from the tree.
  virtual void RemoveOutputItem(std::int32_t node) = 0;
  // Around emptying the current page: the views let go of it, then show it empty.
  virtual void DetachPage() = 0;
  virtual void PageCleared() = 0;
  // The text information window (UTF-8), the clipboard.
  virtual void ShowInfo(const std::string& utf8) = 0;
  virtual void CopyText(const std::string& utf8) = 0;
  // The TREE search dialog: the word (CP932) and the direction, nullopt when cancelled.
  struct SearchRequest {
    std::string word;
    SearchDirection direction = SearchDirection::None;
  };
  virtual std::optional<SearchRequest> AskSearch() = 0;
  // The colour dialog over the 16 custom colours (0xBBGGRR); nullopt when cancelled.
  virtual std::optional<unsigned> AskColour(unsigned initial,
                                            std::array<std::uint32_t, 16>& custom) = 0;
  virtual void ApplyColours() = 0;
  virtual void ApplyScheme() = 0;
  virtual void ToggleBar(ViewerBar bar) = 0;
  virtual void SetOpacityPercent(int percent) = 0;
  // The GRAPH window.
  virtual int GraphAngle() const = 0;
  virtual bool GraphVertical() const = 0;
  virtual void SetGraphAngle(int angle) = 0;
  virtual void ToggleGraphWeight() = 0;
  virtual void ToggleGraphDirection() = 0;
  virtual void ToggleBackgroundInverted() = 0;
  virtual void SetGraphScale(int step) = 0;
  virtual void StartGraphHelp() = 0;
  // The call graph of the chosen item after the options dialog: written to a picture file, or
  // shown in a window of its own.
  virtual void ExportCallGraph() = 0;
  virtual void ShowCallGraph() = 0;
};

// The viewer's rows (added to Commands()).
std::vector<CommandRow> TreeViewerRows();
const CommandRow* FindViewerCommand(std::string_view name);

// F3 / F4 and the search dialog: the next item holding the search word up or down.
CommandResult ViewerSearchAgain(TreeViewerState& state, TreeViewerView& view, Ui& ui,
                                SearchDirection direction);

// A line of the viewer's menu bar, tool bar or context menu.
struct ViewerPlace {
  enum class Type { Item, Rule, Menu, End };
  Type type = Type::Item;
  std::string_view name;   // Item: the row; Menu: the menu's title
  std::string_view text;   // Item: the text here when it differs from the row's (a tool tip on
                           // the tool bar)
  char icon = 0;           // the tool bar's and context menu's icon (viewer_icons.h), 0 for none
  bool checkable = false;  // an item that shows on / off (starts on)
  bool full_tool_bar = false;  // only in the tool bars with every button
  bool own_choice = false;     // a context item that chooses its item itself, so it runs
                               // without a selected item too
};
std::span<const ViewerPlace> ViewerMenuBar();
std::span<const ViewerPlace> ViewerToolBar();
std::span<const ViewerPlace> ViewerContextMenu();

// The CommandState of the viewer's rows. The main window's parts of it (the lists, the settings,
// the main window's view), which no viewer row uses, are stand-ins kept here.
class ViewerCommandContext {
 public:
  ViewerCommandContext();
  ~ViewerCommandContext();
  CommandState State(SettingsStore& store, const RegexService& regex, TreeViewerState& tree,
                     TreeViewerView& view);

 private:
  struct StandIns;
  std::unique_ptr<StandIns> stand_ins_;
};

// Runs a viewer row over the viewer's state. The context menu's items first require a selected
// item (the message otherwise).
CommandResult RunViewerCommand(const CommandRow& row, CommandState& state, Ui& ui);
CommandResult RunViewerContextCommand(const CommandRow& row, CommandState& state, Ui& ui);

}  // namespace kelvora
