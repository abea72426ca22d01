#include "tree/ui/graph_widget.h"

#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

#include "platform/cp932.h"
#include "tree/ui/tree_painted.h"

namespace kelvora {

namespace {

constexpr int kMargin = 6;
constexpr int kButtonsWidth = 3 * 22 + 4;

}  // namespace

GraphWidget::GraphWidget(QWidget* parent)
    : QWidget(parent),
      down_(new PaintedButton(QStringLiteral("▼"), this)),
      up_(new PaintedButton(QStringLiteral("▲"), this)),
      help_(new PaintedButton(QStringLiteral("？"), this)),
      scroll_(new QScrollBar(Qt::Horizontal, this)) {
  down_->setToolTip(QStringLiteral("バーの高さ　－"));
  up_->setToolTip(QStringLiteral("バーの高さ　＋"));
  help_->setToolTip(QStringLiteral("GRAPH Window　ヘルプ"));
  scroll_->hide();
  connect(scroll_, &QScrollBar::valueChanged, this, [this] { update(); });
}

void GraphWidget::resizeEvent(QResizeEvent*) {
  const int x = width() - kButtonsWidth;
  down_->setGeometry(x, 2, 20, 18);
  up_->setGeometry(x + 22, 2, 20, 18);
  help_->setGeometry(x + 44, 2, 20, 18);
  UpdateScrollBar();
}

void GraphWidget::SetBars(std::vector<GraphBar> bars) {
  bars_ = std::move(bars);
  scroll_->setValue(0);
  UpdateScrollBar();
  update();
}

void GraphWidget::ToggleDirection() {
  vertical_ = !vertical_;
  scroll_->setValue(0);
  UpdateScrollBar();
  update();
}

QString GraphWidget::ValueText(const GraphBar& b) const {
  // A bar the walk did not reach (node budget or Escape) is "?", one it left unfinished "n+".
  return b.complete     ? QString::number(b.value)
         : b.value == 0 ? QStringLiteral("?")
                        : QString::number(b.value) + QStringLiteral("+");
}

QString GraphWidget::BarToolTip(int k) const {
  if (k < 0 || k >= static_cast<int>(bars_.size())) return {};
  const GraphBar& b = bars_[static_cast<std::size_t>(k)];
  return QString::fromStdString(Cp932ToUtf8(b.name)) + QStringLiteral("：") + ValueText(b);
}

// The bars take their share of the area, at least kMinBarWidth each; what does not fit is
// reached with the scroll bar.
void GraphWidget::UpdateScrollBar() {
  const int n = static_cast<int>(bars_.size());
  const QRect full = rect().adjusted(kMargin, kHeaderHeight + 2, -kMargin, -kMargin);
  const int extent = vertical_ ? full.width() : full.height();
  const int content = n * (kMinBarWidth + kBarGap);
  const bool needed = n > 0 && content > extent && extent > 0;
  scroll_->setOrientation(vertical_ ? Qt::Horizontal : Qt::Vertical);
  if (needed) {
    const int thick = scroll_->sizeHint().width();
    const int thin = scroll_->sizeHint().height();
    if (vertical_)
      scroll_->setGeometry(full.left(), height() - kMargin - thin, full.width(), thin);
    else
      scroll_->setGeometry(width() - kMargin - thick, full.top(), thick, full.height());
    scroll_->setRange(0, content - extent);
    scroll_->setPageStep(extent);
    scroll_->setSingleStep(kMinBarWidth + kBarGap);
  } else {
    scroll_->setRange(0, 0);
  }
  scroll_->setVisible(needed);
}

QRect GraphWidget::ChartArea() const {
  QRect area = rect().adjusted(kMargin, kHeaderHeight + 2, -kMargin, -kMargin);
  if (!scroll_->isHidden()) {
    if (vertical_)
      area.setBottom(scroll_->geometry().top() - 2);
    else
      area.setRight(scroll_->geometry().left() - 2);
  }
  return area;
}

GraphWidget::Geometry GraphWidget::Layout() const {
  Geometry g;
  g.area = ChartArea();
  const int n = std::max<int>(1, static_cast<int>(bars_.size()));
  QFont f = font();
  f.setWeight(weight_ == 700 ? QFont::Bold : QFont::Normal);
  const QFontMetrics fm(f);
  int widest_value = 0, widest_name = 0;
  for (const GraphBar& b : bars_) {
    widest_value = std::max(widest_value, fm.horizontalAdvance(ValueText(b)));
    widest_name =
        std::max(widest_name, fm.horizontalAdvance(QString::fromStdString(Cp932ToUtf8(b.name))));
  }
  if (vertical_) {
    g.slot = std::max(kMinBarWidth + kBarGap, g.area.width() / n);
    // A value wider than its bar is written upwards; names lie across (angle 0) or turned down.
    const int h = g.area.height();
    g.value_room = widest_value <= g.slot ? fm.height() + 2 : std::min(widest_value + 4, h / 4);
    g.label_room = angle_ == 0 ? fm.height() + 4 : std::min(std::max(widest_name, 20) + 8, h / 3);
    g.label_room = std::min(g.label_room, std::max(0, h - g.value_room));
  } else {
    g.slot = std::max(kMinBarWidth + kBarGap, g.area.height() / n);
    const int w = g.area.width();
    g.label_room = std::min(widest_name + 8, std::min(110, w / 3));
    g.value_room = std::min(widest_value + 8, w / 4);
  }
  return g;
}

QRect GraphWidget::SlotRect(const Geometry& g, int k) const {
  const int offset = scroll_->isHidden() ? 0 : scroll_->value();
  if (vertical_)
    return {g.area.left() + k * g.slot - offset, g.area.top(), g.slot, g.area.height()};
  return {g.area.left(), g.area.top() + k * g.slot - offset, g.area.width(), g.slot};
}

QRect GraphWidget::BarRect(int k) const {
  if (k < 0 || k >= static_cast<int>(bars_.size())) return {};
  const Geometry g = Layout();
  long long max = 1;
  for (const GraphBar& b : bars_) max = std::max(max, b.value);
  // The scale step (0..7) sets how much of the area the longest bar fills.
  const double fill = 0.3 + 0.1 * std::clamp(scale_step_, 0, 7);
  const double share = fill * static_cast<double>(bars_[static_cast<std::size_t>(k)].value) /
                       static_cast<double>(max);
  const QRect slot = SlotRect(g, k);
  if (vertical_) {
    const int room = std::max(0, slot.height() - g.label_room - g.value_room);
    const int h = static_cast<int>(room * share);
    const int base = slot.bottom() + 1 - g.label_room;
    return {slot.left() + kBarGap / 2, base - h, slot.width() - kBarGap, h};
  }
  const int room = std::max(0, slot.width() - g.label_room - g.value_room);
  const int w = static_cast<int>(room * share);
  return {slot.left() + g.label_room, slot.top() + kBarGap / 2, w, slot.height() - kBarGap};
}

int GraphWidget::BarAt(QPoint pos) const {
  const Geometry g = Layout();
  if (!g.area.contains(pos)) return -1;
  for (int k = 0; k < static_cast<int>(bars_.size()); ++k)
    if (SlotRect(g, k).contains(pos)) return k;
  return -1;
}

bool GraphWidget::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const int k = BarAt(help->pos());
    if (k >= 0)
      QToolTip::showText(help->globalPos(), BarToolTip(k), this);
    else
      QToolTip::hideText();
    return true;
  }
  return QWidget::event(event);
}

void GraphWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor back = inverted_ ? Qt::white : QColor(16, 16, 32);
  const QColor text = inverted_ ? Qt::black : Qt::white;
  p.fillRect(rect(), back);
  p.setPen(text);
  const QString title = QStringLiteral("GRAPH Window   高さ %1").arg(scale_step_);
  const int title_w = std::max(0, width() - kButtonsWidth - 8);
  p.drawText(QRect(4, 2, title_w, 18), Qt::AlignLeft,
             fontMetrics().elidedText(title, Qt::ElideRight, title_w));
  if (bars_.empty()) return;
  QFont f = font();
  f.setWeight(weight_ == 700 ? QFont::Bold : QFont::Normal);
  p.setFont(f);
  const QFontMetrics fm(f);
  const Geometry g = Layout();
  // Nothing is drawn over the title, the buttons or the scroll bar.
  p.setClipRect(g.area);
  const int n = static_cast<int>(bars_.size());
  for (int k = 0; k < n; ++k) {
    const QRect slot = SlotRect(g, k);
    if (!slot.intersects(g.area)) continue;
    const GraphBar& b = bars_[static_cast<std::size_t>(k)];
    const QString label = QString::fromStdString(Cp932ToUtf8(b.name));
    const QString value = ValueText(b);
    const QRect bar = BarRect(k);
    p.fillRect(bar, QColor::fromHsv((k * 47) % 360, 160, 230));
    p.setPen(text);
    if (vertical_) {
      if (fm.horizontalAdvance(value) <= slot.width()) {
        p.drawText(QRect(slot.left(), bar.top() - fm.height() - 1, slot.width(), fm.height()),
                   Qt::AlignHCenter, value);
      } else {  // written upwards from the bar's top
        p.save();
        p.translate(bar.center().x() + fm.ascent() / 2 - 1, bar.top() - 3);
        p.rotate(-90);
        p.drawText(QPoint(0, 0), fm.elidedText(value, Qt::ElideRight, g.value_room - 4));
        p.restore();
      }
      // Angle 0 writes the name across under its bar, cut to the slot; up to 90 turns it
      // downwards, where it may run to the label room's length.
      const int base = slot.bottom() + 1 - g.label_room;
      p.save();
      p.translate(slot.left() + kBarGap / 2, base + fm.ascent() + 2);
      p.rotate(angle_);
      const int room = angle_ == 0 ? slot.width() - kBarGap : g.label_room - 8;
      p.drawText(QPoint(0, 0), fm.elidedText(label, Qt::ElideRight, std::max(0, room)));
      p.restore();
    } else {
      p.drawText(QRect(slot.left(), slot.top(), g.label_room - 4, slot.height()),
                 Qt::AlignRight | Qt::AlignVCenter,
                 fm.elidedText(label, Qt::ElideRight, g.label_room - 4));
      p.drawText(QRect(bar.right() + 4, slot.top(), g.value_room, slot.height()), Qt::AlignVCenter,
                 fm.elidedText(value, Qt::ElideRight, g.value_room));
    }
  }
}

}  // namespace kelvora
