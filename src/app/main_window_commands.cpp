// Commands of the window: the analysis, sorting and deleting, colours and patterns,
// transparency, always on top, and the context menu.
// Before any Qt header (see main_window.h).
#include "raruviz/menu_commands.h"
#include "raruviz/word_history.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include "analysis/analysis_run.h"
#include "app/background_patterns.h"
#include "app/button_patterns.h"
#include "app/context_menu.h"
#include "app/main_window.h"
#include "app/registration_table_model.h"
#include "settings/property_pages.h"
#include "settings/ui/prop_sheet.h"

namespace kelvora {

void MainWindow::Command(int id) {
  if (command_running_ || !started_) return;
  if (std::optional<ListKind> kind = KindOfButton(id)) {
    KindButtonPressed(*kind);
    return;
  }
  if (id >= cmd::kSortAllAscending && id < cmd::kSortFirstList + kListCount) {
    SortCommand(id);
    return;
  }
  if (id >= cmd::kTransparency0 && id <= cmd::kTransparency0 + 9) {
    SetTransparency(10 * (id - cmd::kTransparency0));
    return;
  }
  switch (id) {
    case cmd::kAnalyse:
      RunAnalysis(std::nullopt);
      break;
    case cmd::kMenuMode:
      SetSpecifyMode(false);
      break;
    case cmd::kSpecifyMode:
      SetSpecifyMode(true);
      break;
    case cmd::kGet:
      GetClipboard();
      break;
    case cmd::kIndexMode:
      ToggleIndex();
      break;
    case cmd::kPanel:
      TogglePanel();
      break;
    case cmd::kLineColor:
    case cmd::kTextColor:
    case cmd::kBackColor:
      ChooseColor(id);
      break;
    case cmd::kContextMenu:
      ShowContextMenu(QCursor::pos());
      break;
    case cmd::kDeleteAll:
      DeleteAll();
      break;
    case cmd::kReanalyse:
      RunReanalysis();
      break;
    case cmd::kProperties:
      OpenProperties();
      break;
    default:
      break;  // commands of features this program does not have yet
  }
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

void MainWindow::RunAnalysis(std::optional<std::string> root) {
  command_running_ = true;
  AnalysisContext ctx{data_, *store_, regex_, ui(), options_.work_dir, &analysis_running_};
  if (root) {
    StartAnalysisAt(ctx, std::move(*root));
  } else {
    StartAnalysis(ctx);
  }
  command_running_ = false;
  DataChanged();
}

void MainWindow::RunReanalysis() {
  command_running_ = true;
  AnalysisContext ctx{data_, *store_, regex_, ui(), options_.work_dir, &analysis_running_};
  ReanalyseRegisteredFiles(ctx);
  command_running_ = false;
  DataChanged();
}

void MainWindow::SortCommand(int id) {
  if (id == cmd::kSortAllAscending || id == cmd::kSortAllDescending) {
    SortAllCommand(data_, id == cmd::kSortAllAscending, ui());
  } else {
    SortListCommand(data_, KindOfSlot(id - cmd::kSortFirstList), ui());
  }
  DataChanged();
}

void MainWindow::DeleteAll() {
  DeleteAllCommand(data_, ui());
  DataChanged();
}

void MainWindow::SetTransparency(int percent) {
  settings_.raruviz_par = percent;
  store_->WriteInt("TransparentWindow", "RarUviz_Par", percent);
  setWindowOpacity(OpacityFor(percent));
  transparency_active_ = percent != 0;
}

void MainWindow::SetAlwaysOnTop(bool on) {
  settings_.window_top = on ? 1 : 0;
  store_->WriteInt("Dialog", "window_top", settings_.window_top);
  on_top_->setChecked(on);
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (visible) show();
}

void MainWindow::ChooseColor(int id) {
  std::uint32_t* target = id == cmd::kLineColor   ? &settings_.dlg_base
                          : id == cmd::kTextColor ? &settings_.dlg_text
                                                  : &settings_.dlg_bkground;
  const char* key = id == cmd::kLineColor   ? "Dlg_Base"
                    : id == cmd::kTextColor ? "Dlg_Text"
                                            : "Dlg_Bkground";
  for (int i = 0; i < kCustomColors; ++i)
    QColorDialog::setCustomColor(
        i, FromColorRef(settings_.custom_colors[static_cast<std::size_t>(i)]));
  QColorDialog dialog(FromColorRef(*target), this);
  if (dialog.exec() != QDialog::Accepted) return;
  *target = ToColorRef(dialog.selectedColor());
  store_->WriteInt("Color", key, *target);
  for (int i = 0; i < kCustomColors; ++i) {
    const std::uint32_t color = ToColorRef(QColorDialog::customColor(i));
    settings_.custom_colors[static_cast<std::size_t>(i)] = color;
    store_->WriteInt("Color", "CustomColor" + std::to_string(i), color);
  }
  ApplyTextColor();
}

void MainWindow::SetHatchPattern(int box_index) {
  const int style = HatchStyleOfEntry(box_index);
  if (style < 0) return;
  settings_.hatch_pattern = style;
  store_->WriteInt("Color", "Hatch_Pattern", style);
  update();
}

void MainWindow::SetButtonPattern(int index) {
  if (index < 0 || index >= kButtonPatternCount) return;
  settings_.button_pattern = index;
  store_->WriteInt("Color", "Button_Pattern", index);
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
void MainWindow::OpenProperties() {
  const PropertySheetResult result =
      RunPropertySheet(*store_, settings_, ui(), options_.dialogs == nullptr, this);
  settings_.custom_colors = ReadCustomColors(*store_);
  if (result.word_history_cleared && WordHistoryEmpty(*store_)) {
    history_ = std::make_unique<WordHistory>();
    RefreshHistoryBox();
  }
  if (result.accepted) update();
}

QMenu* MainWindow::BuildContextMenu() {
  return MakeContextMenu(ContextMenuEntries(data_, settings_.raruviz_par), settings_.button_pattern,
                         this);
}

void MainWindow::ShowContextMenu(const QPoint& global) {
  if (command_running_ || !started_) return;
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
