#include "lookup/ui/index_popup.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

#include "gui_common/colors.h"
#include "gui_common/index_table.h"
#include "gui_common/screens.h"

namespace kelvora {

namespace {

// The height of a row: the 15-pixel image of the list sets it.
constexpr int kRowHeight = 16;

}  // namespace

IndexPopup::IndexPopup(const IndexWindowModel& model, QWidget* parent)
    : QTreeWidget(parent), model_(model) {
  setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  SetUpIndexColumns(this);
  setHeaderHidden(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAllColumnsShowFocus(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTextElideMode(Qt::ElideNone);
  SetListColors(this, model.text_color, model.back_color);
  AddIndexRows(this, model, kRowHeight);
  if (topLevelItemCount() > 0) setCurrentItem(topLevelItem(0));

  connect(this, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item, int) { ActivateRow(indexOfTopLevelItem(item)); });
  setWindowOpacity(WindowOpacity(model.transparency_percent));
}

void IndexPopup::Open() {
  const int width = IndexWindowWidth(frameWidth());
  QScreen* screen = ScreenOfWindow(parentWidget());
  QPoint pos = OnScreen(QPoint(model_.left, model_.top), screen->geometry());
  const QRect avail = screen->availableGeometry();
  // With many index entries the window is taller than a small screen: it keeps to the screen
  // and scrolls, so the cancel row stays reachable.
  const int height = std::min(model_.height, avail.height());
  pos.setX(std::max(avail.left(), std::min(pos.x(), avail.right() + 1 - width)));
  pos.setY(std::max(avail.top(), std::min(pos.y(), avail.bottom() + 1 - height)));
  setGeometry(QRect(pos, QSize(width, height)));
  show();
  activateWindow();
  setFocus(Qt::PopupFocusReason);
}

void IndexPopup::ActivateRow(int row) {
  if (row < 0) return;
  std::size_t entry = 0;
  switch (model_.Activate(static_cast<std::size_t>(row), entry)) {
    case IndexAction::Choose:
      chosen_ = entry;
      close();
      break;
    case IndexAction::Cancel:
      close();
      break;
    case IndexAction::Nothing:
      break;
  }
}

void IndexPopup::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      event->accept();
      close();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      event->accept();
      QTreeWidgetItem* item = currentItem();
      if (item != nullptr && item->isSelected()) ActivateRow(indexOfTopLevelItem(item));
      return;
    }
    default:
      QTreeWidget::keyPressEvent(event);
  }
}

bool IndexPopup::event(QEvent* event) {
  // A click outside reaches the window itself, which the list would drop: it cancels.
  if (event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (!rect().contains(mapFromGlobal(mouse->globalPosition().toPoint()))) {
      close();
      return true;
    }
  }
  return QTreeWidget::event(event);
}

void IndexPopup::hideEvent(QHideEvent* event) {
  QTreeWidget::hideEvent(event);
  if (finished_) return;
  finished_ = true;
  emit Finished();
}

}  // namespace kelvora
