// The TREE viewer window "Kelvora  - TREE -": five tabbed pages, each with its selection window,
// text information window and output window, the graph and source display, menus, tool bar,
// context menu and the three-pane status bar. Every command runs a core function of tree/.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "raruviz/editor_launch.h"
#include "tree/tree_viewer.h"

class QLabel;
class QPlainTextEdit;
class QSlider;
class QTabBar;
class QToolBar;
class QTreeView;

namespace kelvora {

class CallTreeModel;
class GraphWidget;
class SelectionTreeModel;
class SourceDisplay;
class SettingsStore;
class TreeViewerUi;
class RegexService;

// Viewer settings of section "Tree_Dialog" and the colours of section "Tree", with their bounds.
struct TreeViewSettings {
  int tree_rect = 20;   // "TreeRect%": 5..40
  int graph_rect = 65;  // "GraphRect%": TreeRect%..85
  int color_type = 9;   // "ColorType": 0..9
  int color_bright = 0;
  unsigned sel_text = 0xffffff, sel_back = 0xa00000, out_text = 0xffffff, out_back = 0;
  int graph_height = 4;  // 0..7
  int src_line = 0;
};
TreeViewSettings LoadTreeViewSettings(SettingsStore& store);

class TreeViewerWindow : public QMainWindow {
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
  QTabBar* tabs() const { return tabs_; }
  GraphWidget* graph() const { return graph_; }
  SourceDisplay* source_display() const { return source_; }
  QMenu* context_menu() const { return context_menu_; }
  std::string status(int pane) const;

  // Reads a tree file into the current page (the open command after its dialog).
  bool OpenFile(const std::string& path);
  // Ctrl+O: the file dialog, then OpenFile.
  void OpenWithDialog();
  // Builds the call tree of the selected selection-window entry (double click).
  void ExpandSelectedEntry(bool ask);
  // Settings sheet OK: reads the viewer settings again.
  void ReloadSettings();

  // Commands of the menus, context menu and keys.
  void ToggleExpandAllCommand();
  void CallersCommand();
  void CopyNameCommand();
  void RegisterExcludedCommand();
  void DeleteCommand();
  void RootCandidatesCommand();
  void RecursionsCommand();
  void SearchCommand();
  void SearchAgain(SearchDirection direction);
  void OpenInEditorCommand();
  void ExpandToLevelCommand(int level);

  // Tree outputs (tree_export_actions.cpp); EntryListCommand is the " 一覧" button's command.
  void ExportTextCommand();
  void ExportWorkbookCommand();
  void ExportManyTreesCommand();
  void EntryListCommand();
  void AttachCommentsCommand();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct PageWidgets {
    QTreeView* selection = nullptr;
    QTreeView* output = nullptr;
    QPlainTextEdit* info = nullptr;
    SelectionTreeModel* selection_model = nullptr;
    CallTreeModel* output_model = nullptr;
  };
  void BuildMenus();
  void BuildExportActions();  // tree_export_actions.cpp
  void BuildPages(QWidget* body);
  void ShowPage(int index);
  void LayOut();
  void ApplyColours();
  void SetInfo(const std::string& utf8);
  // Brings the view in line with the tree's expanded flags and selection after a core command.
  void SyncOutputView();
  void OutputSelectionChanged();
  void ShowSourceFor(std::int32_t node);
  void ChooseColour(bool output, bool background);
  bool ContextSelection();
  PageWidgets& current() { return pages_[static_cast<std::size_t>(state_.current())]; }

  SettingsStore& store_;
  std::function<EditorLauncher()> editor_;
  std::unique_ptr<TreeViewerUi> ui_;
  std::unique_ptr<RegexService> regex_;
  TreeViewerState state_;
  TreeViewSettings view_;
  std::array<PageWidgets, TreeViewerState::kPages> pages_;
  std::array<QLabel*, 3> panes_{};
  QWidget* body_ = nullptr;
  QTabBar* tabs_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  GraphWidget* graph_ = nullptr;
  SourceDisplay* source_ = nullptr;
  QSlider* left_slider_ = nullptr;
  QSlider* right_slider_ = nullptr;
  QMenu* context_menu_ = nullptr;
  bool syncing_ = false;
  bool sliders_shown_ = true;
};

}  // namespace kelvora
