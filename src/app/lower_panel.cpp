// The lower settings panel: opened by growing the window 19 pixels every 15 ms (at once while
// the window is translucent), closed at once; in debug mode the list area comes with it.
#include <QComboBox>
#include <QTimer>
#include <QToolButton>

#include "app/main_window.h"
#include "gui_common/background_patterns.h"

namespace kelvora {

void MainWindow::TogglePanel() {
  if (panel_moving_) return;
  const int entry = EntryOfHatchStyle(settings_.hatch_pattern);
  if (entry >= 0) hatch_box_->setCurrentIndex(entry);
  if (settings_.button_pattern >= 0 && settings_.button_pattern < button_box_->count())
    button_box_->setCurrentIndex(settings_.button_pattern);

  panel_moving_ = true;
  panel_opening_ = !panel_open_;
  if (!panel_opening_) {
    setFixedSize(width(), kCollapsedHeight);
    FinishPanelMove();
    return;
  }
  panel_->show();
  if (transparency_active_) {
    setFixedSize(width(), kCollapsedHeight + kPanelHeight);
    FinishPanelMove();
    return;
  }
  panel_timer_->start();
}

void MainWindow::PanelTick() {
  const int target = kCollapsedHeight + kPanelHeight;
  const int next = std::min(height() + kPanelStep, target);
  setFixedSize(width(), next);
  if (next >= target) {
    panel_timer_->stop();
    FinishPanelMove();
  }
}

void MainWindow::FinishPanelMove() {
  panel_open_ = panel_opening_;
  panel_moving_ = false;
  panel_button_->setText(QString::fromUtf8(panel_open_ ? "▲" : "▼"));
  if (!panel_open_) panel_->hide();
  if (settings_.debug_on == 1) {
    list_area_->setVisible(panel_open_);
    setFixedSize(kCollapsedWidth + (panel_open_ ? kDebugWidth : 0), height());
  }
}

}  // namespace kelvora
