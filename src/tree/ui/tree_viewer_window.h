// The TREE viewer window "Kelvora  - TREE -": five pages behind painted tabs, each with its
// selection window, text information window and output window; the graph and source area, the
// painted buttons (list, nest levels 1-8, colour scheme and " 明度", " 詳細設定"), the source
// display with its "  Src表示" menu,
// menus, the tool bar in one of four variants (see ToolbarVariant), the context menu and the
// three-pane status bar. The menus, tool bar and context menu are made from the command
// registry's viewer rows (commands/viewer_commands.h); every command runs its row's core
// function, and the window implements TreeViewerView for what only a window does.
//
// The main window attaches to the settings button through SettingsRequested.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "commands/viewer_commands.h"
#include "platform/editor_launch.h"
#include "tree/tree_viewer.h"
#include "tree/tree_window_rules.h"
#include "tree/ui/viewer_pages.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QSlider;
class QToolBar;
class QTreeView;

namespace kelvora {

class CallGraphCommands;
class CallTreeModel;
class EntryFindBox;
class GraphWidget;
class PaintedButton;
class TreeViewerBackground;
class SelectionTreeModel;
class SourceDisplay;
class SettingsStore;
class TreeViewerUi;
class RegexService;

class TreeViewerWindow : public QMainWindow, private TreeViewerView {
  Q_OBJECT

 public:
  // outer receives messages and questions; editor gives the editor of the current settings.
  TreeViewerWindow(SettingsStore& store, Ui& outer, std::function<EditorLauncher()> editor,
                   QWidget* parent = nullptr);
  ~TreeViewerWindow() override;

  TreeViewerState& state() { return state_; }
  Ui& ui();
  QTreeView* selection_view(int page) const {
    return pages_[static_cast<std::size_t>(page)].selection;
  }
  QTreeView* output_view(int page) const { return pages_[static_cast<std::size_t>(page)].output; }
  QPlainTextEdit* info_window(int page) const {
    return pages_[static_cast<std::size_t>(page)].info;
  }
  // The painted page tabs; the current page's tab is checked.
  PaintedButton* tab(int page) const { return band_.tabs[static_cast<std::size_t>(page)]; }
  PaintedButton* list_button() const { return band_.list; }
  PaintedButton* level_button(int level) const {
    return band_.levels[static_cast<std::size_t>(level - 1)];
  }
  PaintedButton* bright_button() const { return band_.bright; }
  PaintedButton* details_button() const { return band_.details; }
  EntryFindBox* find_box() const { return band_.find; }
  QComboBox* scheme_box() const { return band_.scheme; }
  QToolBar* tool_bar() const { return toolbar_; }
  GraphWidget* graph() const { return graph_; }
  SourceDisplay* source_display() const { return source_; }
  QMenu* context_menu() const { return context_menu_; }
  std::string status(int pane) const;
  const TreeViewSettings& view_settings() const { return view_; }
  TreeViewerBackground* background() const { return body_; }

  // Whether the graph and information windows are drawn with inverted background.
  bool background_inverted() const;
  // The output item the graph and information area show, or CallTree::kNone.
  std::int32_t shown_item() const { return shown_item_; }

  // Reads a tree file into the current page (the open command after its dialog).
  bool OpenFile(const std::string& path);
  // A tree file just written: read into the first empty page, or into the page the user picks
  // when all five hold trees (false, nothing changed, when the choice is cancelled).
  bool OpenWrittenTree(const std::string& path);
  // Ctrl+O: the file dialog, then OpenFile.
  void OpenWithDialog() { RunCommand("viewer.open"); }
  // Builds the call tree of the selected selection-window entry (double click).
  void ExpandSelectedEntry(bool ask);
  // Settings sheet OK: reads the viewer settings again.
  void ReloadSettings();

  // Runs the viewer row of that stable name ("viewer.search"); false for no such row.
  bool RunCommand(std::string_view name);
  // Shorthands of some rows.
  void SearchCommand() { RunCommand("viewer.search"); }
  void RootCandidatesCommand() { RunCommand("viewer.roots"); }
  void GraphAngleCommand() { RunCommand("viewer.graph.angle"); }
  void GraphDirectionCommand() { RunCommand("viewer.graph.direction"); }
  void InvertBackgroundCommand() { RunCommand("viewer.invert-background"); }
  void ExpandToLevelCommand(int level) { RunCommand("viewer.level." + std::to_string(level)); }
  void ChooseColourScheme(int index);

 signals:
  // " 詳細設定": the program's settings sheet.
  void SettingsRequested();
  // The selected output item of the current page changed to an item with a name (node), or the
  // page changed or was emptied (CallTree::kNone).
  void ShownItemChanged(std::int32_t node);
  void BackgroundInvertedChanged(bool inverted);
  // The window was closed: its pages are to be freed (the main window deletes it).
  void Closed();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildPages(QWidget* body);
  void BuildButtons(QWidget* body);
  void ShowPage(int index);
  // The graph and source area show the page's selected output item (nothing when none).
  void ShowPageItem();
  void SelectionExpanded(int page, const QModelIndex& index);
  void LayOut();
  void OutputSelectionChanged();
  CommandState State();
  // A painted button that runs the row of that name.
  void Forward(QAbstractButton* button, std::string_view name);
  bool RunRow(const CommandRow& row, bool context);

  // TreeViewerView
  EditorLauncher Editor() override { return editor_(); }
  TreeViewSettings& ViewSettings() override { return view_; }
  void ReadTreeFile(const std::string& path) override { OpenFile(path); }
  void FreezeOutput(bool frozen) override;
  void SyncOutput() override;
  void ReloadOutputTexts() override;
  void ScrollOutputToTop() override;
  void RemoveOutputItem(std::int32_t node) override;
  void DetachPage() override;
  void PageCleared() override;
  void ShowInfo(const std::string& utf8) override;
  void CopyText(const std::string& utf8) override;
  std::optional<SearchRequest> AskSearch() override;
  std::optional<unsigned> AskColour(unsigned initial,
                                    std::array<std::uint32_t, 16>& custom) override;
  void ApplyColours() override;
  void ApplyScheme() override;
  void ToggleBar(ViewerBar bar) override;
  void SetOpacityPercent(int percent) override;
  int GraphAngle() const override;
  bool GraphVertical() const override;
  void SetGraphAngle(int angle) override;
  void ToggleGraphWeight() override;
  void ToggleGraphDirection() override;
  void ToggleBackgroundInverted() override;
  void SetGraphScale(int step) override;
  void StartGraphHelp() override;
  void ExportCallGraph() override;
  void ShowCallGraph() override;
  void ShowShortcutList(const std::string& utf8) override;
  ViewerPageWidgets& current() { return pages_[static_cast<std::size_t>(state_.current())]; }

  SettingsStore& store_;
  std::function<EditorLauncher()> editor_;
  std::unique_ptr<TreeViewerUi> ui_;
  std::unique_ptr<RegexService> regex_;
  ViewerCommandContext commands_;
  TreeViewerState state_;
  TreeViewSettings view_;
  std::array<ViewerPageWidgets, TreeViewerState::kPages> pages_;
  std::array<QLabel*, 3> panes_{};
  TreeViewerBackground* body_ = nullptr;
  ViewerBand band_;
  QToolBar* toolbar_ = nullptr;
  GraphWidget* graph_ = nullptr;
  SourceDisplay* source_ = nullptr;
  std::unique_ptr<CallGraphCommands> call_graph_;
  HelpLineScroller help_;
  QTimer help_timer_;
  std::int32_t shown_item_ = -1;
  QSlider* left_slider_ = nullptr;
  QSlider* right_slider_ = nullptr;
  QMenu* context_menu_ = nullptr;
  bool syncing_ = false;
  bool loading_ = false;           // OpenFile is reading a file
  bool close_after_load_ = false;  // the window was asked to close meanwhile
  bool sliders_shown_ = true;
};

}  // namespace kelvora
