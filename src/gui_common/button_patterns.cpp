#include "gui_common/button_patterns.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <array>

#include "gui_common/japanese_fonts.h"

namespace kelvora {
namespace {

struct Tone {
  QColor top;
  QColor bottom;
};

// Glossy tones of the plain patterns and flat tones of the "1" patterns.
const Tone kRed{QColor(196, 0, 0), QColor(255, 110, 110)};
const Tone kBlue{QColor(0, 40, 190), QColor(100, 140, 255)};
const Tone kGreen{QColor(0, 120, 0), QColor(100, 210, 100)};
const Tone kCyan{QColor(0, 150, 205), QColor(140, 225, 255)};
const Tone kYellow{QColor(215, 180, 0), QColor(255, 240, 120)};
const Tone kPink{QColor(225, 80, 150), QColor(255, 185, 220)};
const Tone kGrey{QColor(95, 95, 95), QColor(195, 195, 195)};
const Tone kBlack{QColor(10, 10, 10), QColor(90, 90, 90)};
const Tone kWhite{QColor(255, 255, 255), QColor(205, 205, 205)};
const Tone kRed1{QColor(230, 40, 40), QColor(230, 40, 40)};
const Tone kBlue1{QColor(40, 80, 220), QColor(40, 80, 220)};
const Tone kGreen1{QColor(40, 170, 60), QColor(40, 170, 60)};
const Tone kDarkGreen{QColor(20, 90, 40), QColor(20, 90, 40)};
const Tone kCyan1{QColor(60, 190, 230), QColor(60, 190, 230)};
const Tone kYellow1{QColor(240, 210, 40), QColor(240, 210, 40)};
const Tone kBrown{QColor(130, 80, 30), QColor(130, 80, 30)};
const Tone kPink1{QColor(240, 130, 185), QColor(240, 130, 185)};
const Tone kCream{QColor(250, 240, 200), QColor(250, 240, 200)};
const Tone kPurple{QColor(150, 60, 190), QColor(150, 60, 190)};
const Tone kDarkPurple{QColor(80, 20, 110), QColor(80, 20, 110)};
const Tone kBlack1{QColor(25, 25, 25), QColor(25, 25, 25)};

Tone Blend(const Tone& a, const Tone& b) {
  return Tone{a.top, b.bottom};
}

struct Pattern {
  const char* name;
  std::array<Tone, 5> tones;
  bool flat;
};

std::array<Tone, 5> Same(const Tone& t) {
  return {t, t, t, t, t};
}

const std::array<Pattern, kButtonPatternCount>& Patterns() {
  static const std::array<Pattern, kButtonPatternCount> patterns = {{
      {"赤", Same(kRed), false},
      {"青", Same(kBlue), false},
      {"緑", Same(kGreen), false},
      {"水色", Same(kCyan), false},
      {"黄", Same(kYellow), false},
      {"ピンク", Same(kPink), false},
      {"グレー", Same(kGrey), false},
      {"ミックス１－１", {kRed, kBlue, kGreen, kCyan, kYellow}, false},
      {"ミックス１－２", {kPink, kCyan, kYellow, kGreen, kBlue}, false},
      {"赤－ピンク", Same(Blend(kRed, kPink)), false},
      {"青－水色", Same(Blend(kBlue, kCyan)), false},
      {"緑－水色", Same(Blend(kGreen, kCyan)), false},
      {"青－黄色", Same(Blend(kBlue, kYellow)), false},
      {"赤－灰色", Same(Blend(kRed, kGrey)), false},
      {"黒", Same(kBlack), false},
      {"白", Same(kWhite), false},
      {"赤1", Same(kRed1), true},
      {"青1", Same(kBlue1), true},
      {"緑1", Same(kGreen1), true},
      {"暗緑", Same(kDarkGreen), true},
      {"水色1", Same(kCyan1), true},
      {"黄1", Same(kYellow1), true},
      {"茶", Same(kBrown), true},
      {"ピンク1", Same(kPink1), true},
      {"クリーム", Same(kCream), true},
      {"紫", Same(kPurple), true},
      {"暗紫", Same(kDarkPurple), true},
      {"赤1－ピンク1", Same(Blend(kRed1, kPink1)), true},
      {"青1－水色1", Same(Blend(kBlue1, kCyan1)), true},
      {"緑1－水色1", Same(Blend(kGreen1, kCyan1)), true},
      {"青1－黄色1", Same(Blend(kBlue1, kYellow1)), true},
      {"赤1－黒", Same(Blend(kRed1, kBlack1)), true},
      {"青1－黒", Same(Blend(kBlue1, kBlack1)), true},
      {"ミックス２－１", {kRed1, kBlue1, kGreen1, kCyan1, kYellow1}, true},
      {"ミックス２－２", {kPink1, kCyan1, kYellow1, kGreen1, kPurple}, true},
  }};
  return patterns;
}

const char* const kKindTexts[] = {"関数", "構造体", "#define", "ﾌｧｲﾙ", "ﾃｰﾌﾞﾙ"};

int Lightness(const QColor& a, const QColor& b) {
  return (a.lightness() + b.lightness()) / 2;
}

QPixmap Canvas(int w, int h) {
  QPixmap pixmap(w, h);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A small square with a letter, the look of the menu and legend markers.
QPixmap Marker(const QColor& fill, const QString& letters) {
  QPixmap pixmap = Canvas(16, 16);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(fill.darker(160));
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
  if (!letters.isEmpty()) {
    QFont font(QStringLiteral("Sans"), 7);
    font.setBold(true);
    font.setPixelSize(letters.size() > 1 ? 7 : 11);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, letters);
  }
  return pixmap;
}

QPixmap Lamp(const QColor& light, bool lit) {
  QPixmap pixmap = Canvas(14, 14);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient glow(QPointF(5, 5), 8);
  glow.setColorAt(0, lit ? light.lighter(170) : QColor(120, 120, 120));
  glow.setColorAt(1, lit ? light : QColor(50, 50, 50));
  p.setPen(QColor(30, 30, 30));
  p.setBrush(glow);
  p.drawEllipse(QRectF(1, 1, 12, 12));
  return pixmap;
}

}  // namespace

QString ButtonPatternName(int pattern) {
  if (pattern < 0 || pattern >= kButtonPatternCount) return QString();
  return QString::fromUtf8(Patterns()[static_cast<std::size_t>(pattern)].name);
}

QPixmap KindButtonBitmap(int pattern, int kind, bool disabled) {
  if (pattern < 0 || pattern >= kButtonPatternCount) pattern = 0;
  if (kind < 1 || kind > 5) kind = 1;
  const Pattern& pat = Patterns()[static_cast<std::size_t>(pattern)];
  const Tone& tone = pat.tones[static_cast<std::size_t>(kind - 1)];
  QColor top = tone.top;
  QColor bottom = tone.bottom;
  if (disabled) {
    top = QColor(150, 150, 150);
    bottom = QColor(200, 200, 200);
  }

  QPixmap pixmap = Canvas(kKindBitmapWidth, kKindBitmapHeight);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF body(0.5, 0.5, kKindBitmapWidth - 1, kKindBitmapHeight - 1);
  QLinearGradient fill(0, 0, 0, kKindBitmapHeight);
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  p.setPen(QPen(top.darker(170), 1));
  p.setBrush(fill);
  p.drawRoundedRect(body, pat.flat ? 2 : 6, pat.flat ? 2 : 6);
  if (!pat.flat) {
    QLinearGradient gloss(0, 0, 0, kKindBitmapHeight / 2);
    gloss.setColorAt(0, QColor(255, 255, 255, 150));
    gloss.setColorAt(1, QColor(255, 255, 255, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawRoundedRect(QRectF(2, 2, kKindBitmapWidth - 4, kKindBitmapHeight / 2 - 1), 5, 5);
  }
  QFont font(ProportionalGothicName());
  font.setPixelSize(12);
  font.setBold(true);
  p.setFont(font);
  const bool light = Lightness(top, bottom) > 165;
  p.setPen(disabled ? QColor(110, 110, 110) : light ? QColor(20, 20, 20) : QColor(255, 255, 255));
  p.drawText(body, Qt::AlignCenter, QString::fromUtf8(kKindTexts[kind - 1]));
  return pixmap;
}

QPixmap KindMenuBitmap(int pattern, int kind) {
  if (pattern < 0 || pattern >= kButtonPatternCount) pattern = 0;
  if (kind < 1 || kind > 5) kind = 1;
  const Tone& tone =
      Patterns()[static_cast<std::size_t>(pattern)].tones[static_cast<std::size_t>(kind - 1)];
  QPixmap pixmap = Canvas(16, 16);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(0, 0, 0, 16);
  fill.setColorAt(0, tone.top);
  fill.setColorAt(1, tone.bottom);
  p.setPen(tone.top.darker(170));
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(0.5, 2.5, 15, 11), 3, 3);
  QFont font(ProportionalGothicName());
  font.setPixelSize(9);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Lightness(tone.top, tone.bottom) > 165 ? QColor(20, 20, 20) : QColor(255, 255, 255));
  p.drawText(QRect(0, 2, 16, 12), Qt::AlignCenter, QString::number(kind));
  return pixmap;
}

QPixmap NumberedBitmap(int number) {
  switch (number) {
    case 131:
      return Canvas(16, 16);
    case 132:
      return Marker(QColor(30, 130, 60), QStringLiteral("="));
    case 133:
      return Marker(QColor(40, 90, 200), QStringLiteral(".h"));
    case 134:
      return Marker(QColor(200, 60, 40), QStringLiteral("#"));
    case 424:
      return Lamp(QColor(255, 200, 0), true);
    case 425:
      return Lamp(QColor(255, 200, 0), false);
    case 459:
      return Lamp(QColor(0, 220, 60), true);
    case 460:
      return Lamp(QColor(0, 220, 60), false);
    default:
      return QPixmap();
  }
}

QIcon WindowIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) {
    QPixmap pixmap = Canvas(size, size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, size);
    fill.setColorAt(0, QColor(60, 110, 230));
    fill.setColorAt(1, QColor(10, 30, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
    QFont font(QStringLiteral("Sans"));
    font.setBold(true);
    font.setPixelSize(size * 3 / 4);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("K"));
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace kelvora
