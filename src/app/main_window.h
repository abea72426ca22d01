// The main window: start sequence, the three layouts, the lower panel, colours and patterns,
// the tag-jump controls, the context menu and the registration list views.
#pragma once

#include <QBrush>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "analysis/call_index.h"
#include "app/split_ui.h"
#include "app/ui_view.h"
#include "commands/registry.h"
#include "data/registration_lists.h"
#include "lookup/comment_search.h"
#include "lookup/index_window.h"
#include "lookup/menu_model.h"
#include "lookup/menu_state.h"
#include "lookup/word_lookup.h"
#include "platform/editor_launch.h"
#include "platform/version.h"
#include "settings/settings.h"
#include "text/regex_service.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;
class QToolButton;

namespace kelvora {

class InstanceLock;
class QtUi;
class TreeViewerWindow;
class RegistrationTableModel;
// Its header clashes with Qt's "slots" keyword: include it before any Qt header.
class WordHistory;

// Geometry of the window, in pixels of its client area.
constexpr int kCollapsedWidth = 340;
constexpr int kCollapsedHeight = 152;
constexpr int kPanelHeight = 380;
constexpr int kPanelStep = 19;
constexpr int kPanelTickMs = 15;
constexpr int kDebugWidth = 548;

// What the window needs from outside; the defaults are the real program's.
struct MainWindowOptions {
  // The two stores; nullopt means Kelvora.ini and registry.ini at their usual places.
  std::optional<SettingsStore> store;
  // Folder of the analysis working files; empty means the current directory.
  std::string work_dir;
  std::string lock_name = "Kelvora_RarUviz.lock";
  bool regex_available = true;
  // Starts the editor; empty starts it for real.
  Spawner spawner;
  // Messages, questions and choosers; nullptr means Qt dialogs over the window.
  Ui* dialogs = nullptr;
  // Shows a tag-jump menu and returns the chosen identifier; empty means the Qt popups.
  std::function<int(const MenuModel&, QWidget*)> exec_menu;
  // Shows the index window; empty means the Qt index window.
  std::function<std::optional<std::size_t>(const IndexWindowModel&, QWidget*)> exec_index;
};

enum class StartResult { Started, AlreadyRunning, RegexMissing };

class MainWindow : public QWidget, public UiView, private CommandView {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  explicit MainWindow(MainWindowOptions options, QWidget* parent = nullptr);
  ~MainWindow() override;

  static QString Title();  // "Kelvora  - RarUviz -"

  // The start sequence. Anything but Started means the program ends (with code 0).
  StartResult Start();
  bool first_run() const { return first_run_; }

  // Runs the command of the window's command table with that identifier (context menu,
  // accelerator or button); nothing while another command runs.
  void Command(int id);

  // UiView
  QWidget* DialogWidget() override { return this; }
  QLabel* StatusLine(int line) override;
  QProgressBar* ProgressBar() override { return progress_; }
  void ApplyLayout(WindowLayout layout) override;
  void SetListRedraw(bool on) override;
  void SetCountLabel(int kind, const QString& text) override;

  QLabel* CountLabel(int kind) const;
  QWidget* ListArea() const { return list_area_; }
  QTableView* ListView(int kind) const;
  QPushButton* KindButton(int kind) const;
  QPushButton* AnalyseButton() const { return analyse_; }
  QComboBox* WordBox() const { return word_box_; }
  QAbstractButton* MenuRadio() const;
  QAbstractButton* SpecifyRadio() const;
  QAbstractButton* IndexButton() const;
  QAbstractButton* PanelButton() const;
  QLabel* CountField() const { return count_field_; }
  QLabel* MenuStatusLine() const { return menu_status_; }
  QSpinBox* RowsSpin() const { return rows_spin_; }
  QSpinBox* ColumnsSpin() const { return columns_spin_; }
  QLineEdit* PageSizeField() const { return page_size_; }
  QComboBox* HatchBox() const { return hatch_box_; }
  QComboBox* ButtonPatternBox() const { return button_box_; }
  QCheckBox* AlwaysOnTopBox() const { return on_top_; }

  RegisteredData& data() { return data_; }
  const Settings& settings() const { return settings_; }
  SettingsStore& store() { return *store_; }
  const MenuState& menu_state() const { return menu_state_; }
  const WordHistory& history() const { return *history_; }
  Ui& ui() { return split_ui_; }

  // The lower panel and its movement.
  bool panel_open() const { return panel_open_; }
  bool panel_moving() const { return panel_moving_; }
  QSize CollapsedSize() const { return QSize(kCollapsedWidth, kCollapsedHeight); }

  int transparency_percent() const { return settings_.raruviz_par; }
  bool transparency_active() const { return transparency_active_; }

  // The context menu as it would open now (not shown); the caller owns it.
  QMenu* BuildContextMenu();

  // Lists changed: views, count-dependent tooltips and lookup caches are brought up to date.
  void DataChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // main_window_layout.cpp
  void BuildControls();
  void BuildTopControls();
  void BuildPanelControls();
  void BuildListArea();
  void SetToolTips();
  void ApplyTextColor();
  void ShowCountField();
  QLabel* PaintedLabel(const QString& text, int x, int y, int w, int h);
  // main_window_start.cpp
  void ApplySettingsToControls();
  void RestoreRectangle();
  void SavePlacement();
  // lower_panel.cpp
  void TogglePanel();
  void PanelTick();
  void FinishPanelMove();
  // main_window_commands.cpp
  enum class ColorTarget { Line, Text, Back };
  // True when the window has started and no command runs: controls act only then.
  bool Idle() const { return started_ && !command_running_; }
  void RunAnalysisAt(std::string root);
  void CloseIfAskedDuringCommand();
  // CommandView
  void OpenSettingsSheet() override;
  void TakeWordFromClipboard() override;
  void ShowTransparency(int percent) override;
  // main_window_tools.cpp
  std::optional<HtmlOptions> AskHtmlOptions() override;
  void ShowInformation(const std::string& text) override;
  void ShowSystemInfo() override;
  void ShowBitmapPatternList() override;
  void ShowVersion() override;
  void SetBitmapPattern(int pattern);
  void RunGrepMenu() override;
  void RunCommentSearch() override;
  void OpenTreeViewer() override;
  void OpenTreeViewerOn(const std::string& tree_file) override;
  void SetAlwaysOnTop(bool on);
  void ChooseColor(ColorTarget target);
  void SetHatchPattern(int box_index);
  void SetButtonPattern(int index);
  void ApplyButtonPattern();
  void UpdateKindButtons();
  void SetBackgroundType(bool hatch);
  void ShowContextMenu(const QPoint& global);
  // main_window_tag_jump.cpp
  void KindButtonPressed(ListKind kind);
  void SetSpecifyMode(bool specify);
  void ToggleIndex();
  void RunMenu(MenuModel menu);
  void ShowMenuPosition(const QString& position);
  void RefreshHistoryBox();
  EditorLauncher Launcher() const;
  const LoweredNames* Lowered(ListKind kind) const;

  MainWindowOptions options_;
  std::optional<SettingsStore> store_;
  RegexService regex_;
  std::unique_ptr<QtUi> qt_ui_;
  SplitUi split_ui_;
  std::unique_ptr<InstanceLock> lock_;
  bool started_ = false;
  bool first_run_ = false;

  RegisteredData data_;
  CallIndex calls_;  // every definition's calls, kept by the analyses
  Settings settings_;
  MenuState menu_state_;
  std::unique_ptr<WordHistory> history_;
  // Comment search: the request kept between searches and its own word history.
  CommentSearchRequest comment_request_;
  std::unique_ptr<WordHistory> comment_history_;
  std::unique_ptr<TreeViewerWindow> tree_viewer_;
  std::array<std::unique_ptr<LoweredNames>, kListCount> lowered_;
  bool command_running_ = false;
  bool analysis_running_ = false;
  bool specify_mode_ = false;
  bool has_data_layout_ = false;

  // Top controls.
  std::array<QLabel*, 3> status_{};
  QProgressBar* progress_ = nullptr;
  QPushButton* analyse_ = nullptr;
  QToolButton* menu_radio_ = nullptr;
  QToolButton* specify_radio_ = nullptr;
  QLabel* menu_radio_label_ = nullptr;
  QLabel* specify_radio_label_ = nullptr;
  QComboBox* word_box_ = nullptr;
  QPushButton* get_ = nullptr;
  QToolButton* index_ = nullptr;
  QToolButton* panel_button_ = nullptr;
  std::array<QPushButton*, kListCount> kind_buttons_{};
  QLabel* count_field_ = nullptr;
  QLabel* menu_status_ = nullptr;

  // Lower panel.
  QWidget* panel_ = nullptr;
  QToolButton* hatch_radio_ = nullptr;
  QToolButton* bitmap_radio_ = nullptr;
  QPushButton* line_color_ = nullptr;
  QPushButton* back_color_ = nullptr;
  QComboBox* hatch_box_ = nullptr;
  QPushButton* bitmap_list_ = nullptr;
  QComboBox* button_box_ = nullptr;
  QToolButton* one_column_ = nullptr;
  QToolButton* multi_column_ = nullptr;
  QSpinBox* rows_spin_ = nullptr;
  QSpinBox* columns_spin_ = nullptr;
  QLineEdit* page_size_ = nullptr;
  QCheckBox* comment_box_ = nullptr;
  QCheckBox* on_top_ = nullptr;
  std::vector<QLabel*> painted_labels_;
  std::vector<QGroupBox*> groups_;

  // Registration lists.
  QWidget* list_area_ = nullptr;
  std::array<QLabel*, kListCount> count_{};
  std::array<QTableView*, kListCount> views_{};
  std::array<RegistrationTableModel*, kListCount> models_{};

  bool panel_open_ = false;
  bool panel_moving_ = false;
  bool panel_opening_ = false;
  QTimer* panel_timer_ = nullptr;
  bool transparency_active_ = false;

  // The background brush and what it was built from.
  int brush_pattern_ = -1;
  std::uint32_t brush_line_color_ = 0;
  std::uint32_t brush_back_color_ = 0;
  QBrush brush_;
};

}  // namespace kelvora
