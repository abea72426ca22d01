#include "lookup/ui/column_menu.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHideEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStringList>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

#include "gui_common/screens.h"
#include "lookup/ui/item_text_widths.h"
#include "lookup/ui/menu_bitmaps.h"

namespace kelvora {

namespace {

QString ToQString(const MenuItem& item) {
  const std::string text = DisplayText(item);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The text as it reads on screen: "&x" shows x, "&&" shows "&".
QString WithoutMnemonic(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

}  // namespace

QString ItemPosition(const MenuItem& item) {
  const std::string position = DisplayPosition(item);
  return QString::fromUtf8(position.data(), static_cast<qsizetype>(position.size()));
}

QString ItemToolTip(const MenuItem& item, const QString& full_text, bool elided) {
  QStringList lines;
  if (elided) lines << WithoutMnemonic(full_text);
  if (!item.position.empty()) lines << ItemPosition(item);
  return lines.join(u'\n');
}

ColumnMenu::ColumnMenu(const MenuModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), model_(model) {
  setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setMouseTracking(true);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);

  const QFontMetrics metrics(font());
  row_height_ = std::max(metrics.height() + 6, kMenuBitmapSize + 4);
  gutter_ = kMenuBitmapSize + 9;
  right_padding_ = metrics.horizontalAdvance(QChar(0x3000));
  text_cap_ = ItemTextCap(metrics);

  const qreal dpr = devicePixelRatioF();
  for (int i = 0; i < 4; ++i) bitmaps_[i] = MenuBitmap(kUncheckedBitmap + i, dpr);

  BuildLayout();
}

const QString& ColumnMenu::FullText(std::size_t item) const {
  if (!converted_[item]) {
    texts_[item] = ToQString(model_.items[item]);
    converted_[item] = 1;
  }
  return texts_[item];
}

void ColumnMenu::BuildLayout() {
  const std::vector<MenuItem>& items = model_.items;
  texts_.resize(items.size());
  converted_.assign(items.size(), 0);

  ItemTextWidths widths(font());
  Column column;
  int widest = 0;
  std::size_t tallest = 0;
  auto close_column = [&](std::size_t end) {
    column.end = end;
    column.width = gutter_ + std::min(widest + 4, text_cap_) + right_padding_;
    tallest = std::max(tallest, column.end - column.first);
    columns_.push_back(column);
    column.first = end;
    column.x += column.width;
    widest = 0;
  };
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].column_break && i > column.first) close_column(i);
    widest = std::max(widest, widths.Of(items[i].text, text_cap_));
  }
  if (!items.empty()) close_column(items.size());

  content_width_ = column.x;
  const std::size_t max_rows = static_cast<std::size_t>(QWIDGETSIZE_MAX / row_height_);
  content_height_ = static_cast<int>(std::min(tallest, max_rows)) * row_height_;
}

void ColumnMenu::Open() {
  QScreen* screen = ScreenOfWindow(parentWidget());
  const QPoint origin = OnScreen(QPoint(model_.x, model_.y), screen->geometry());
  const QRect avail = screen->availableGeometry();
  const int frame = 2 * frameWidth();
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  int width = content_width_ + frame;
  int height = content_height_ + frame;
  const bool too_wide = width > avail.width();
  const bool too_tall = height > avail.height();
  if (too_wide) height += bar;
  if (too_tall) width += bar;
  width = std::min(width, avail.width());
  height = std::min(height, avail.height());

  QPoint pos = origin;
  pos.setX(std::max(avail.left(), std::min(pos.x(), avail.right() + 1 - width)));
  pos.setY(std::max(avail.top(), std::min(pos.y(), avail.bottom() + 1 - height)));
  setGeometry(QRect(pos, QSize(width, height)));
  show();
  activateWindow();
  setFocus(Qt::PopupFocusReason);
}

void ColumnMenu::UpdateScrollBars() {
  const QSize view = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, content_width_ - view.width()));
  horizontalScrollBar()->setPageStep(view.width());
  horizontalScrollBar()->setSingleStep(std::max(1, right_padding_ * 2));
  verticalScrollBar()->setRange(0, std::max(0, content_height_ - view.height()));
  verticalScrollBar()->setPageStep(view.height());
  verticalScrollBar()->setSingleStep(row_height_);
}

void ColumnMenu::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void ColumnMenu::scrollContentsBy(int, int) {
  viewport()->update();
}

int ColumnMenu::ColumnOf(std::size_t item) const {
  auto it = std::upper_bound(columns_.begin(), columns_.end(), item,
                             [](std::size_t i, const Column& c) { return i < c.first; });
  return static_cast<int>(it - columns_.begin()) - 1;
}

QRect ColumnMenu::ItemRect(std::size_t item) const {
  if (item >= model_.items.size()) return {};
  const Column& column = columns_[ColumnOf(item)];
  const qint64 y = static_cast<qint64>(item - column.first) * row_height_;
  return QRect(column.x - horizontalScrollBar()->value(),
               static_cast<int>(y - verticalScrollBar()->value()), column.width, row_height_);
}

std::size_t ColumnMenu::ItemAt(QPoint point) const {
  if (!viewport()->rect().contains(point)) return kNone;
  const int x = point.x() + horizontalScrollBar()->value();
  const int y = point.y() + verticalScrollBar()->value();
  auto it = std::upper_bound(columns_.begin(), columns_.end(), x,
                             [](int px, const Column& c) { return px < c.x; });
  if (it == columns_.begin()) return kNone;
  const Column& column = *(it - 1);
  if (x >= column.x + column.width || y < 0) return kNone;
  const std::size_t item = column.first + static_cast<std::size_t>(y / row_height_);
  return item < column.end ? item : kNone;
}

std::size_t ColumnMenu::ItemAtGlobal(QPoint global) const {
  return ItemAt(viewport()->mapFromGlobal(global));
}

QString ColumnMenu::ShownText(std::size_t item) const {
  const int room = columns_[ColumnOf(item)].width - gutter_ - right_padding_;
  return QFontMetrics(font()).elidedText(FullText(item), Qt::ElideRight, room,
                                         Qt::TextShowMnemonic);
}

void ColumnMenu::EnsureVisible(std::size_t item) {
  if (item >= model_.items.size()) return;
  const QRect rect = ItemRect(item);
  const QRect view = viewport()->rect();
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  if (rect.top() < 0) v->setValue(v->value() + rect.top());
  if (rect.bottom() > view.bottom()) v->setValue(v->value() + rect.bottom() - view.bottom());
  if (rect.left() < 0 || rect.width() > view.width()) {
    h->setValue(h->value() + rect.left());
  } else if (rect.right() > view.right()) {
    h->setValue(h->value() + rect.right() - view.right());
  }
}

void ColumnMenu::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const QRect dirty = event->rect();
  const int sx = horizontalScrollBar()->value();
  const int sy = verticalScrollBar()->value();
  const int top_row = std::max(0, (dirty.top() + sy) / row_height_);
  const int bottom_row = (dirty.bottom() + sy) / row_height_;
  painter.setPen(palette().color(QPalette::Mid));
  for (const Column& column : columns_) {
    const int left = column.x - sx;
    if (left > dirty.right()) break;
    if (left + column.width <= dirty.left()) continue;
    if (column.x > 0) painter.drawLine(left, dirty.top(), left, dirty.bottom());
    const std::size_t count = column.end - column.first;
    for (std::size_t row = static_cast<std::size_t>(top_row);
         row < count && row <= static_cast<std::size_t>(bottom_row); ++row) {
      const QRect rect(left, static_cast<int>(row) * row_height_ - sy, column.width, row_height_);
      PaintItem(painter, column.first + row, rect);
    }
  }
}

void ColumnMenu::PaintItem(QPainter& painter, std::size_t item, const QRect& rect) {
  const MenuItem& data = model_.items[item];
  const bool selected = item == current_;
  const QRect inner =
      rect.adjusted(rect.left() > 0 || horizontalScrollBar()->value() > 0 ? 2 : 1, 0, -1, 0);
  if (selected) painter.fillRect(inner, palette().brush(QPalette::Highlight));

  int bitmap = data.checked ? data.checked_bitmap : data.unchecked_bitmap;
  if (bitmap >= kUncheckedBitmap && bitmap <= kMacroBitmap) {
    const QPixmap& pixmap = bitmaps_[bitmap - kUncheckedBitmap];
    painter.drawPixmap(inner.left() + 4, rect.top() + (row_height_ - kMenuBitmapSize) / 2, pixmap);
  }
  if (data.text.empty()) return;

  QColor color = palette().color(selected ? QPalette::HighlightedText : QPalette::Text);
  if (!data.enabled) color = palette().color(QPalette::Disabled, QPalette::Text);
  painter.setPen(color);
  const bool underline = style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this);
  const QRect text_rect(rect.left() + gutter_, rect.top(), rect.width() - gutter_ - right_padding_,
                        rect.height());
  painter.drawText(text_rect,
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine |
                       (underline ? Qt::TextShowMnemonic : Qt::TextHideMnemonic),
                   ShownText(item));
}

bool ColumnMenu::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const std::size_t item = ItemAt(help->pos());
    const QString tip = item != kNone ? ItemToolTip(model_.items[item], FullText(item),
                                                    ShownText(item) != FullText(item))
                                      : QString();
    if (!tip.isEmpty()) {
      QToolTip::showText(help->globalPos(), tip, viewport(), ItemRect(item));
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QAbstractScrollArea::viewportEvent(event);
}

void ColumnMenu::hideEvent(QHideEvent* event) {
  QAbstractScrollArea::hideEvent(event);
  if (finished_) return;
  finished_ = true;
  emit Finished();
}

}  // namespace kelvora
