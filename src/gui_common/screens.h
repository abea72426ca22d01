// Screen points as the windows describe them ((10, 10), (20, 20), the index window's place) are
// taken on the screen that holds the main window, so popups open where the user works.
#pragma once

#include <QPoint>
#include <QRect>

class QScreen;
class QWidget;

namespace kelvora {

// The screen holding window (a widget of it); the primary screen when there is none.
QScreen* ScreenOfWindow(const QWidget* window);

// A point in the coordinates of a screen whose geometry is given, as a global point.
inline QPoint OnScreen(QPoint point, const QRect& screen_geometry) {
  return screen_geometry.topLeft() + point;
}

}  // namespace kelvora
