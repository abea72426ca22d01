// The window's side of its commands: dispatch through the command table, what the table's
// commands ask of the view, colours and patterns, always on top, and the context menu.
// Before any Qt header (see main_window.h).
#include "lookup/menu_commands.h"
#include "lookup/word_history.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include "analysis/analysis_run.h"
#include "app/context_menu.h"
#include "app/main_window.h"
#include "app/qt_ui.h"
#include "app/registration_table_model.h"
#include "gui_common/background_patterns.h"
#include "gui_common/button_patterns.h"
#include "gui_common/dialog_owner.h"
#include "output/call_gather.h"
#include "settings/property_pages.h"
#include "settings/ui/prop_sheet.h"
#include "settings/window_settings.h"
#include "tree/ui/tree_viewer_window.h"

namespace kelvora {

void MainWindow::Command(int id) {
  if (!Idle()) return;
  command_running_ = true;
  CommandState state{
      data_,   *store_, settings_, regex_, *this, options_.work_dir, &analysis_running_,
      nullptr, nullptr, &calls_};
  const Dispatch result = RunMainCommand(id, state, ui());
  command_running_ = false;
  if (result.outcome == Dispatch::RanListsChanged) DataChanged();
  CloseIfAskedDuringCommand();
}

// A close asked for while a command ran was taken as Escape; when the command was cancelled on
// it, the close goes on with its usual question.
void MainWindow::CloseIfAskedDuringCommand() {
  const bool close_requested = qt_ui_->TakeCloseRequest();
  const bool cancelled = split_ui_.TakeCancelConfirmed();
  if (close_requested && cancelled) QTimer::singleShot(0, this, [this] { close(); });
}

void MainWindow::DataChanged() {
  for (RegistrationTableModel* model : models_) model->Refresh();
  for (int slot = 0; slot < kListCount; ++slot) {
    const RegistrationList& list = data_.List(KindOfSlot(slot));
    lowered_[static_cast<std::size_t>(slot)] =
        list.empty() ? nullptr : std::make_unique<LoweredNames>(list);
  }
  if (has_data_layout_) UpdateKindButtons();
}

// A folder dropped on the window.
void MainWindow::RunAnalysisAt(std::string root) {
  command_running_ = true;
  AnalysisContext ctx{data_, *store_, regex_, ui(), options_.work_dir, &analysis_running_};
  KeepCallIndex(ctx, calls_);
  StartAnalysisAt(ctx, std::move(root));
  command_running_ = false;
  DataChanged();
  CloseIfAskedDuringCommand();
}

void MainWindow::ShowTransparency(int percent) {
  setWindowOpacity(WindowOpacity(percent));
  transparency_active_ = percent != 0;
}

void MainWindow::SetAlwaysOnTop(bool on) {
  kelvora::SetAlwaysOnTop(*store_, settings_, on);
  on_top_->setChecked(on);
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (visible) show();
}

void MainWindow::ChooseColor(ColorTarget which) {
  std::uint32_t* target = which == ColorTarget::Line   ? &settings_.dlg_base
                          : which == ColorTarget::Text ? &settings_.dlg_text
                                                       : &settings_.dlg_bkground;
  const DialogColor color = which == ColorTarget::Line   ? DialogColor::Line
                            : which == ColorTarget::Text ? DialogColor::Text
                                                         : DialogColor::Background;
  for (int i = 0; i < kCustomColors; ++i)
    QColorDialog::setCustomColor(
        i, FromColorRef(settings_.custom_colors[static_cast<std::size_t>(i)]));
  QColorDialog dialog(FromColorRef(*target), this);
  if (dialog.exec() != QDialog::Accepted) return;
  SetDialogColor(*store_, settings_, color, ToColorRef(dialog.selectedColor()));
  std::array<std::uint32_t, kCustomColors> custom{};
  for (int i = 0; i < kCustomColors; ++i)
    custom[static_cast<std::size_t>(i)] = ToColorRef(QColorDialog::customColor(i));
  SetCustomColors(*store_, settings_, custom);
  ApplyTextColor();
}

void MainWindow::SetHatchPattern(int box_index) {
  const int style = HatchStyleOfEntry(box_index);
  if (style < 0) return;
  kelvora::SetHatchPattern(*store_, settings_, style);
  update();
}

void MainWindow::SetButtonPattern(int index) {
  if (index < 0 || index >= kButtonPatternCount) return;
  kelvora::SetButtonPattern(*store_, settings_, index);
  ApplyButtonPattern();
}

void MainWindow::ApplyButtonPattern() {
  for (int kind = 1; kind <= kListCount; ++kind) {
    QIcon icon;
    icon.addPixmap(KindButtonBitmap(settings_.button_pattern, kind), QIcon::Normal);
    icon.addPixmap(KindButtonBitmap(settings_.button_pattern, kind, true), QIcon::Disabled);
    kind_buttons_[static_cast<std::size_t>(kind - 1)]->setIcon(icon);
  }
}

// The radios only show one set of controls or the other; nothing is stored.
void MainWindow::SetBackgroundType(bool hatch) {
  hatch_radio_->setChecked(hatch);
  bitmap_radio_->setChecked(!hatch);
  hatch_box_->setVisible(hatch);
  line_color_->setVisible(hatch);
  back_color_->setVisible(hatch);
  bitmap_list_->setVisible(!hatch);
}

// The settings sheet. After OK the settings are reloaded; the custom colours may have changed
// even after Cancel; a cleared word history empties the word box's list.
void MainWindow::OpenSettingsSheet() {
  const PropertySheetResult result = RunPropertySheet(
      *store_, settings_, ui(), options_.dialogs == nullptr, DialogParentFor(this));
  settings_.custom_colors = ReadCustomColors(*store_);
  if (result.word_history_cleared && WordHistoryEmpty(*store_)) {
    history_ = std::make_unique<WordHistory>();
    RefreshHistoryBox();
  }
  if (result.accepted) {
    qt_ui_->SetFileDialogStyle(settings_.file_dlg);
    if (tree_viewer_) tree_viewer_->ReloadSettings();
    update();
  }
}

void MainWindow::OpenTreeViewer() {
  if (!tree_viewer_) {
    tree_viewer_ = std::make_unique<TreeViewerWindow>(*store_, ui(), [this] { return Launcher(); });
    connect(tree_viewer_.get(), &TreeViewerWindow::SettingsRequested, this, [this] {
      // The sheet asked from the viewer belongs to the viewer.
      const DialogOwnerScope owner(tree_viewer_.get());
      OpenSettingsSheet();
    });
    // Closing the viewer frees its pages; the next one starts with the settings of that moment.
    connect(tree_viewer_.get(), &TreeViewerWindow::Closed, this, [this] {
      if (tree_viewer_) tree_viewer_.release()->deleteLater();
    });
  }
  tree_viewer_->show();
  tree_viewer_->raise();
  tree_viewer_->activateWindow();
}

void MainWindow::OpenTreeViewerOn(const std::string& tree_file) {
  OpenTreeViewer();
  tree_viewer_->OpenWrittenTree(tree_file);
}

QMenu* MainWindow::BuildContextMenu() {
  return MakeContextMenu(ContextMenuEntries(data_, settings_.raruviz_par), settings_.button_pattern,
                         this);
}

void MainWindow::ShowContextMenu(const QPoint& global) {
  if (!Idle()) return;
  ResetMenuState(menu_state_);
  ShowCountField();
  std::unique_ptr<QMenu> menu(BuildContextMenu());
  menu_state_.context_menu_active = true;
  QAction* chosen = menu->exec(global);
  const int id = chosen != nullptr ? chosen->data().toInt() : 0;
  menu.reset();
  if (id != 0) Command(id);
}

}  // namespace kelvora
