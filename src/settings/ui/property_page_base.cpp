#include "settings/ui/property_page_base.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

#include "gui_common/japanese_fonts.h"
#include "platform/cp932.h"

namespace kelvora {
namespace {

constexpr int kTopIntensity = 25;
constexpr int kBottomIntensity = 150;

// The small square in front of a label.
class SquareBullet : public QWidget {
 public:
  explicit SquareBullet(QWidget* parent) : QWidget(parent) { setFixedSize(10, 10); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(QRect(2, 2, 6, 6), kPageTextColor);
  }
};

}  // namespace

PropertyPageBase::PropertyPageBase(QWidget* parent) : QWidget(parent) {
  setFont(QFont(ProportionalGothicName(), 9));
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, kPageTextColor);
  setPalette(pal);
}

QColor PropertyPageBase::GradientColorAt(int y, int height) {
  if (height <= 1) return QColor(kTopIntensity, kTopIntensity, kTopIntensity);
  const int v = kTopIntensity +
                (kBottomIntensity - kTopIntensity) * std::clamp(y, 0, height - 1) / (height - 1);
  return QColor(v, v, v);
}

void PropertyPageBase::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient gradient(0, 0, 0, height());
  gradient.setColorAt(0, GradientColorAt(0, height()));
  gradient.setColorAt(1, GradientColorAt(height() - 1, height()));
  painter.fillRect(rect(), gradient);
}

QLabel* PropertyPageBase::Text(const QString& text, const QColor& color) {
  auto* label = new QLabel(text, this);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, color);
  label->setPalette(pal);
  return label;
}

QBoxLayout* PropertyPageBase::BulletRow(const QString& text, QLabel** label) {
  auto* row = new QHBoxLayout;
  row->setSpacing(4);
  row->addWidget(new SquareBullet(this), 0, Qt::AlignVCenter);
  QLabel* created = Text(text);
  row->addWidget(created);
  row->addStretch(1);
  if (label != nullptr) *label = created;
  return row;
}

QString DataToField(const std::string& bytes) {
  return QString::fromStdString(ToDisplay(bytes));
}

std::string FieldToData(const QString& text) {
  return Utf8ToCp932(text.toStdString());
}

}  // namespace kelvora
