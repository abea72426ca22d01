#include "raruviz/ui/index_popup.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

namespace kelvora {

namespace {

// The height of a row: the 15-pixel image of the list sets it.
constexpr int kRowHeight = 16;

}  // namespace

QColor ColorFromColorRef(std::uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

qreal OpacityOf(int transparency_percent) {
  const int p = std::clamp(transparency_percent, 0, 100);
  return (255.0 - 2.0 * p) / 255.0;
}

IndexPopup::IndexPopup(const IndexWindowModel& model, QWidget* parent)
    : QTreeWidget(parent), model_(model) {
  setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setColumnCount(2);
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setIndentation(0);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAllColumnsShowFocus(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTextElideMode(Qt::ElideNone);
  header()->setStretchLastSection(false);
  header()->setMinimumSectionSize(1);
  setColumnWidth(0, IndexWindowModel::kNumberColumnWidth);
  setColumnWidth(1, IndexWindowModel::kIndexColumnWidth);

  QPalette colors = palette();
  const QColor text = ColorFromColorRef(model.text_color);
  const QColor back = ColorFromColorRef(model.back_color);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    colors.setColor(group, QPalette::Text, text);
    colors.setColor(group, QPalette::Base, back);
    colors.setColor(group, QPalette::AlternateBase, back);
  }
  setPalette(colors);

  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(model.rows.size()));
  for (const IndexRow& row : model.rows) {
    auto* item =
        new QTreeWidgetItem({QString::fromStdString(row.number), QString::fromStdString(row.text)});
    item->setSizeHint(0, QSize(IndexWindowModel::kNumberColumnWidth, kRowHeight));
    items.append(item);
  }
  addTopLevelItems(items);
  if (!items.isEmpty()) setCurrentItem(items.first());

  connect(this, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item, int) { ActivateRow(indexOfTopLevelItem(item)); });
  setWindowOpacity(OpacityOf(model.transparency_percent));
}

void IndexPopup::Open() {
  const int width = IndexWindowModel::kNumberColumnWidth + IndexWindowModel::kIndexColumnWidth +
                    2 * frameWidth() - 5;
  QPoint pos(model_.left, model_.top);
  QScreen* screen = QGuiApplication::screenAt(pos);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
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
