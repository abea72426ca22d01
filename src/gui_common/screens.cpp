#include "gui_common/screens.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kelvora {

QScreen* ScreenOfWindow(const QWidget* window) {
  if (window != nullptr) {
    if (QScreen* screen = window->window()->screen()) return screen;
  }
  return QGuiApplication::primaryScreen();
}

}  // namespace kelvora
