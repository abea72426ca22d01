// What every settings page shares: the painted gradient background, its white and yellow
// labels in "ＭＳ Ｐゴシック" 9 point, and the small square bullets.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <string>

class QBoxLayout;
class QLabel;

namespace kelvora {

class Ui;

inline const QColor kPageTextColor = QColor(255, 255, 255);
inline const QColor kPageHeadingColor = QColor(255, 255, 0);

class PropertyPageBase : public QWidget {
  Q_OBJECT

 public:
  explicit PropertyPageBase(QWidget* parent = nullptr);

  // The colour of the gradient at a height of the page: 25 at the top to 150 at the bottom.
  static QColor GradientColorAt(int y, int height);

 protected:
  void paintEvent(QPaintEvent* event) override;

  // A label drawn over the background in the page font; yellow for the headings of notes.
  QLabel* Text(const QString& text, const QColor& color = kPageTextColor);
  QLabel* Heading(const QString& text) { return Text(text, kPageHeadingColor); }
  // A white label behind a small square bullet, as one row.
  QBoxLayout* BulletRow(const QString& text, QLabel** label = nullptr);
};

// Field texts of stored values: data bytes (CP932, or UTF-8 as Linux names are) for showing,
// and the CP932 bytes of what the user typed. Pages convert only edited fields, so a value the
// user leaves alone keeps its bytes.
QString DataToField(const std::string& bytes);
std::string FieldToData(const QString& text);

}  // namespace kelvora
