#include "tree/ui/graph_widget.h"

#include <QPainter>
#include <algorithm>

#include "platform/cp932.h"
#include "tree/ui/tree_painted.h"

namespace kelvora {

GraphWidget::GraphWidget(QWidget* parent)
    : QWidget(parent),
      down_(new PaintedButton(QStringLiteral("▼"), this)),
      up_(new PaintedButton(QStringLiteral("▲"), this)),
      help_(new PaintedButton(QStringLiteral("？"), this)) {
  down_->setToolTip(QStringLiteral("バーの高さ　－"));
  up_->setToolTip(QStringLiteral("バーの高さ　＋"));
  help_->setToolTip(QStringLiteral("GRAPH Window　ヘルプ"));
}

void GraphWidget::resizeEvent(QResizeEvent*) {
  const int x = width() - 3 * 22 - 4;
  down_->setGeometry(x, 2, 20, 18);
  up_->setGeometry(x + 22, 2, 20, 18);
  help_->setGeometry(x + 44, 2, 20, 18);
}

void GraphWidget::SetBars(std::vector<GraphBar> bars) {
  bars_ = std::move(bars);
  update();
}

void GraphWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor back = inverted_ ? Qt::white : QColor(16, 16, 32);
  const QColor text = inverted_ ? Qt::black : Qt::white;
  p.fillRect(rect(), back);
  p.setPen(text);
  p.drawText(QRect(4, 2, width() - 8, 18), Qt::AlignLeft,
             QStringLiteral("GRAPH Window   高さ %1").arg(scale_step_));
  if (bars_.empty()) return;
  long long max = 1;
  for (const GraphBar& b : bars_) max = std::max(max, b.value);
  // The scale step (0..7) sets how much of the area the longest bar fills.
  const double fill = 0.3 + 0.1 * std::clamp(scale_step_, 0, 7);
  QFont f = font();
  f.setWeight(weight_ == 700 ? QFont::Bold : QFont::Normal);
  p.setFont(f);
  const int n = static_cast<int>(bars_.size());
  const QRect area = rect().adjusted(6, 24, -6, -6);
  for (int k = 0; k < n; ++k) {
    const GraphBar& b = bars_[static_cast<std::size_t>(k)];
    const QString label = QString::fromStdString(Cp932ToUtf8(b.name));
    // A bar the walk did not reach (node budget or Escape) is "?", one it left unfinished "n+".
    const QString value = b.complete     ? QString::number(b.value)
                          : b.value == 0 ? QStringLiteral("?")
                                         : QString::number(b.value) + QStringLiteral("+");
    const double share = fill * static_cast<double>(b.value) / static_cast<double>(max);
    const QColor bar = QColor::fromHsv((k * 47) % 360, 160, 230);
    if (vertical_) {
      const int slot = area.width() / n;
      const int x = area.left() + k * slot;
      const int label_room = 90;
      const int h = static_cast<int>((area.height() - label_room - 16) * share);
      const int base = area.bottom() - label_room;
      p.fillRect(QRect(x + 2, base - h, std::max(2, slot - 4), h), bar);
      p.setPen(text);
      const QFontMetrics fm(f);
      if (fm.horizontalAdvance(value) <= slot)
        p.drawText(QRect(x, base - h - 16, slot, 14), Qt::AlignHCenter, value);
      // Angle 0 writes the name across under its bar, cut to the bar's width; up to 90 turns it
      // downwards, where it may run to the label room's length.
      p.save();
      p.translate(x + 2, base + 14);
      p.rotate(angle_);
      const int room = angle_ == 0 ? slot - 4 : label_room - 16;
      p.drawText(QPoint(0, 0), fm.elidedText(label, Qt::ElideRight, std::max(0, room)));
      p.restore();
    } else {
      const int slot = area.height() / n;
      const int y = area.top() + k * slot;
      const int label_room = 110;
      const int w = static_cast<int>((area.width() - label_room - 50) * share);
      p.setPen(text);
      const QFontMetrics fm(f);
      p.drawText(QRect(area.left(), y, label_room - 4, slot), Qt::AlignRight | Qt::AlignVCenter,
                 fm.elidedText(label, Qt::ElideRight, label_room - 4));
      p.fillRect(QRect(area.left() + label_room, y + 2, w, std::max(2, slot - 4)), bar);
      p.drawText(QRect(area.left() + label_room + w + 4, y, 60, slot), Qt::AlignVCenter, value);
    }
  }
}

}  // namespace kelvora
