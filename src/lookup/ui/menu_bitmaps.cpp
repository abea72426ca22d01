#include "lookup/ui/menu_bitmaps.h"

#include <QFont>
#include <QPainter>

#include "lookup/menu_model.h"

namespace kelvora {

namespace {

struct Look {
  QColor fill;
  QString letter;
};

// Unchecked: a hollow grey square. Table "=", header ".h" and function macro "#define" get a
// coloured square with a white sign.
bool LookOf(int id, Look& look) {
  switch (id) {
    case kUncheckedBitmap:
      look = {QColor(Qt::transparent), QString()};
      return true;
    case kTableBitmap:
      look = {QColor(0x2E, 0x7D, 0x32), QStringLiteral("=")};
      return true;
    case kHeaderFileBitmap:
      look = {QColor(0x15, 0x65, 0xC0), QStringLiteral("h")};
      return true;
    case kMacroBitmap:
      look = {QColor(0xC6, 0x28, 0x28), QStringLiteral("#")};
      return true;
    default:
      return false;
  }
}

}  // namespace

QPixmap MenuBitmap(int id, qreal device_pixel_ratio) {
  Look look;
  if (!LookOf(id, look)) return QPixmap();
  const qreal dpr = device_pixel_ratio > 0 ? device_pixel_ratio : 1.0;
  QPixmap pixmap(qRound(kMenuBitmapSize * dpr), qRound(kMenuBitmapSize * dpr));
  pixmap.setDevicePixelRatio(dpr);
  pixmap.fill(Qt::transparent);

  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF box(0.5, 0.5, kMenuBitmapSize - 1, kMenuBitmapSize - 1);
  if (look.letter.isEmpty()) {
    painter.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(box, 2, 2);
    return pixmap;
  }
  painter.setPen(look.fill.darker(130));
  painter.setBrush(look.fill);
  painter.drawRoundedRect(box, 2, 2);

  QFont font;
  font.setFamily(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(11);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(0, 0, kMenuBitmapSize, kMenuBitmapSize - 1), Qt::AlignCenter,
                   look.letter);
  return pixmap;
}

}  // namespace kelvora
