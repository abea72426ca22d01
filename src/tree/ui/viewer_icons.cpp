// The TREE viewer's small bitmaps, drawn by code.
#include "tree/ui/viewer_icons.h"

#include <QPainter>
#include <QPixmap>

namespace kelvora {

QIcon ViewerIcon(char kind) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(30, 60, 140), 1.6));
  switch (kind) {
    case 'e':  // expand: a small tree
      p.drawLine(4, 3, 4, 13);
      p.drawLine(4, 7, 10, 7);
      p.drawLine(4, 13, 10, 13);
      p.fillRect(10, 5, 4, 4, QColor(40, 140, 60));
      p.fillRect(10, 11, 4, 4, QColor(40, 140, 60));
      break;
    case 'u':  // callers: an arrow up
      p.drawLine(8, 14, 8, 3);
      p.drawLine(8, 3, 4, 7);
      p.drawLine(8, 3, 12, 7);
      break;
    case 'c':  // copy: two sheets
      p.drawRect(2, 2, 8, 9);
      p.drawRect(6, 5, 8, 9);
      break;
    case 'd':  // delete: a cross
      p.setPen(QPen(QColor(180, 30, 30), 2.2));
      p.drawLine(3, 3, 13, 13);
      p.drawLine(13, 3, 3, 13);
      break;
    case 'o':  // open: a folder
      p.fillRect(2, 5, 12, 8, QColor(240, 200, 80));
      p.drawRect(2, 5, 12, 8);
      p.drawLine(2, 5, 5, 2);
      p.drawLine(5, 2, 8, 5);
      break;
    case 't':  // text output: a sheet with lines
      p.fillRect(3, 1, 10, 14, Qt::white);
      p.drawRect(3, 1, 10, 14);
      for (int y = 4; y <= 12; y += 3) p.drawLine(5, y, 11, y);
      break;
    case 'm':  // comment: a speech bubble
      p.setBrush(QColor(255, 250, 200));
      p.drawRoundedRect(1, 2, 14, 9, 3, 3);
      p.drawLine(4, 11, 3, 15);
      p.drawLine(3, 15, 8, 11);
      break;
    case '1':  // text and background colours of the two windows: a letter or a filled square
    case '2':
    case '3':
    case '4': {
      const QColor tone = kind <= '2' ? QColor(160, 0, 0) : QColor(0, 0, 0);
      if (kind == '1' || kind == '3') {
        QFont f;
        f.setPixelSize(13);
        f.setBold(true);
        p.setFont(f);
        p.setPen(tone == QColor(0, 0, 0) ? QColor(20, 120, 20) : QColor(0, 0, 160));
        p.drawText(QRect(0, 0, 16, 14), Qt::AlignCenter, QStringLiteral("A"));
        p.fillRect(2, 13, 12, 3, tone);
      } else {
        p.fillRect(2, 2, 12, 12, tone);
        p.setPen(Qt::white);
        p.drawText(QRect(2, 2, 12, 12), Qt::AlignCenter, QStringLiteral("a"));
      }
      break;
    }
    case 'a':  // font angle: a turned letter
      p.translate(8, 8);
      p.rotate(-45);
      p.drawText(QRect(-6, -7, 12, 14), Qt::AlignCenter, QStringLiteral("A"));
      break;
    case 'w': {  // font weight: a bold letter
      QFont f;
      f.setPixelSize(14);
      f.setBold(true);
      p.setFont(f);
      p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("B"));
      break;
    }
    case 'r':  // bar direction: upright and lying bars
      p.fillRect(2, 6, 3, 9, QColor(60, 120, 200));
      p.fillRect(6, 2, 3, 13, QColor(60, 120, 200));
      p.fillRect(10, 10, 5, 3, QColor(200, 120, 60));
      break;
    case 'i':  // background inversion: half black, half white
      p.fillRect(1, 1, 7, 14, Qt::black);
      p.fillRect(8, 1, 7, 14, Qt::white);
      p.drawRect(1, 1, 14, 14);
      break;
    case 'x':  // spreadsheet output: a green grid
      p.fillRect(1, 2, 14, 12, QColor(30, 120, 60));
      p.setPen(Qt::white);
      for (int x = 5; x < 15; x += 4) p.drawLine(x, 2, x, 13);
      for (int y = 6; y < 14; y += 4) p.drawLine(1, y, 14, y);
      break;
    case 'g':  // call graph: a caller over two callees
      p.setPen(QPen(QColor(30, 60, 140), 1.3));
      p.drawLine(8, 4, 4, 12);
      p.drawLine(8, 4, 12, 12);
      p.drawLine(4, 12, 12, 12);
      p.setBrush(QColor(255, 210, 110));
      p.drawEllipse(QPointF(8, 4), 2.6, 2.6);
      p.setBrush(QColor(210, 225, 250));
      p.drawEllipse(QPointF(4, 12), 2.6, 2.6);
      p.drawEllipse(QPointF(12, 12), 2.6, 2.6);
      break;
    default:
      break;
  }
  return QIcon(pm);
}

}  // namespace kelvora
