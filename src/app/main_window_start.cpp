// The start sequence of the main window, and the placement it restores and saves.
// Before any Qt header (see main_window.h).
#include "lookup/menu_commands.h"
#include "lookup/word_history.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <ctime>

#include "app/main_window.h"
#include "app/qt_ui.h"
#include "app/run_counter.h"
#include "gui_common/background_patterns.h"
#include "platform/process.h"
#include "platform/user_folder.h"
#include "settings/window_settings.h"

namespace kelvora {

StartResult MainWindow::Start() {
  lock_ = std::make_unique<InstanceLock>(options_.lock_name);
  if (!lock_->held()) {
    ui().Message("すでに起動しています！　", Ui::kCaption, MsgIcon::Information);
    return StartResult::AlreadyRunning;
  }
  Regex probe;
  if (!regex_.available() || !regex_.Compile("a", probe)) {
    ui().Message("Onigurumaが存在しません。　\n終了します。", Ui::kCaption, MsgIcon::Information);
    return StartResult::RegexMissing;
  }

  ResetMenuState(menu_state_);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  first_run_ = kelvora::CountRun(store_->user(), local);

  LoadSettings(*store_, settings_, ui());
  CheckSettingsSavable(store_->ini().path(), ui());  // said once, at the start
  qt_ui_->SetFileDialogStyle(settings_.file_dlg);
  setWindowFlag(Qt::WindowStaysOnTopHint, settings_.window_top == 1);
  ResetMenuState(menu_state_);
  setFixedSize(CollapsedSize());

  ApplySettingsToControls();
  DataChanged();
  ApplyButtonPattern();
  ApplyLayout(WindowLayout::NoData);

  history_->Load(*store_);
  RefreshHistoryBox();
  RestoreRectangle();
  if (settings_.raruviz_par != 0) ShowTransparency(settings_.raruviz_par);
  analyse_->setFocus();
  started_ = true;

  if (first_run_) {
    ui().Message(
        std::string("■■ Kelvora Ver.") + std::string(kVersionText) +
            " - 初期設定のお願い ■■　\n\n　　　ご使用頂きありがとうございます。\n\n　　　始めに、"
            "次のプロパティにて\n　　　　１．【エディタ設定】\n　　　　２．【解析関連】- "
            "解析拡張子設定\n　　　を行って下さい。\n\n",
        Ui::kCaption, MsgIcon::Information);
    QTimer::singleShot(0, this, [this] { Command(cmd::kProperties); });
  }
  return StartResult::Started;
}

// Spin fields, radios and check boxes as the settings say; nothing is written back here.
void MainWindow::ApplySettingsToControls() {
  rows_spin_->setValue(
      settings_.disp_y_max >= 1 && settings_.disp_y_max <= 9999 ? settings_.disp_y_max : 1);
  columns_spin_->setValue(
      settings_.disp_x_max >= 1 && settings_.disp_x_max <= 9999 ? settings_.disp_x_max : 1);
  page_size_->setText(QString::fromStdString(PageSizeText(MenuLayoutFrom(settings_))));

  SetSpecifyMode(false);
  const bool hatch = settings_.brush_type == 1;
  (hatch ? hatch_radio_ : bitmap_radio_)->setChecked(true);
  line_color_->setVisible(hatch);
  back_color_->setVisible(hatch);
  hatch_box_->setVisible(hatch);
  bitmap_list_->setVisible(!hatch);
  (settings_.MultiColumnMenu() ? multi_column_ : one_column_)->setChecked(true);
  comment_box_->setChecked(settings_.comment_disp == 1);
  on_top_->setChecked(settings_.window_top == 1);
  index_->setChecked(settings_.index_mode == 1);
  ApplyTextColor();
}

// The stored rectangle is used when all four sides are non-zero, its size is the collapsed
// window's and it lies on a screen; otherwise the window opens at its default place.
void MainWindow::RestoreRectangle() {
  const auto [left, top, right, bottom, show] = ReadWindowPlacement(*store_);
  if (left == 0 || top == 0 || right == 0 || bottom == 0) return;
  if (right - left != kCollapsedWidth || bottom - top != kCollapsedHeight) return;
  const QRect rect(static_cast<int>(left), static_cast<int>(top), kCollapsedWidth,
                   kCollapsedHeight);
  if (rect.isEmpty() || QGuiApplication::screenAt(rect.center()) == nullptr) return;
  move(rect.topLeft());
}

// On destruction: the collapsed rectangle (the panel counts as closed), the show state and the
// word history.
void MainWindow::SavePlacement() {
  const QPoint at = pos();
  const QSize size = panel_open_ || panel_moving_ ? CollapsedSize() : this->size();
  WriteWindowPlacement(*store_, {at.x(), at.y(), at.x() + size.width(), at.y() + size.height(),
                                 isMinimized()   ? 2
                                 : isMaximized() ? 3
                                                 : 1});
  history_->Save(*store_);
}

}  // namespace kelvora
