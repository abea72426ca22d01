#include "tree/ui/tree_painted.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "tree/ui/tree_search_dialog.h"

namespace kelvora {

PaintedButton::PaintedButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
  setText(text);
  setFocusPolicy(Qt::NoFocus);
  pressed_timer_.setSingleShot(true);
  pressed_timer_.setInterval(kPressedLookMs);
  connect(&pressed_timer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
  connect(this, &QAbstractButton::clicked, this, [this] {
    pressed_timer_.start();
    update();
  });
}

void PaintedButton::SetColourScheme(int color_type, bool bright) {
  color_type_ = color_type;
  bright_ = bright;
  update();
}

QSize PaintedButton::sizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(text()) + 14, fm.height() + 8};
}

void PaintedButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const bool down = pressed_look();
  const bool on = isChecked();
  auto [top, bottom] = TreeGradientColors(color_type_, bright_);
  // Buttons are lighter than the background they stand on; a checked one (the current page, a
  // set check box) is the lightest.
  QColor face_top = top.lighter(on ? 260 : 190);
  QColor face_bottom = bottom.lighter(on ? 150 : 120);
  if (down) std::swap(face_top, face_bottom);
  QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QPainterPath path;
  if (tab_) {
    const qreal k = 6;
    path.moveTo(r.left(), r.bottom());
    path.lineTo(r.left(), r.top() + k);
    path.quadTo(r.left(), r.top(), r.left() + k, r.top());
    path.lineTo(r.right() - k, r.top());
    path.quadTo(r.right(), r.top(), r.right(), r.top() + k);
    path.lineTo(r.right(), r.bottom());
  } else {
    path.addRoundedRect(r, 3, 3);
  }
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, face_top);
  g.setColorAt(1, face_bottom);
  p.fillPath(path, g);
  // Raised: light upper-left, dark lower-right edges; pressed: the other way round.
  p.setPen(QPen(down ? QColor(40, 40, 40) : QColor(255, 255, 255, 200), 1));
  p.drawPath(path);
  if (!down && !tab_) {
    p.setPen(QColor(0, 0, 0, 110));
    p.drawLine(QPointF(r.left() + 2, r.bottom()), QPointF(r.right() - 2, r.bottom()));
    p.drawLine(QPointF(r.right(), r.top() + 2), QPointF(r.right(), r.bottom() - 2));
  }
  const QRect text_rect = rect().adjusted(4, down ? 2 : 1, -4, down ? 1 : 0);
  QFont f = font();
  f.setBold(on && tab_);
  p.setFont(f);
  p.setPen(isEnabled() ? QColor(10, 10, 10) : QColor(110, 110, 110));
  p.drawText(text_rect, Qt::AlignCenter,
             QFontMetrics(f).elidedText(text(), Qt::ElideRight, text_rect.width()));
}

void TreeViewerBackground::SetColourScheme(int color_type, bool bright) {
  color_type_ = color_type;
  bright_ = bright;
  update();
}

void TreeViewerBackground::paintEvent(QPaintEvent*) {
  QPainter p(this);
  FillTreeGradient(p, rect(), color_type_, bright_);
}

}  // namespace kelvora
