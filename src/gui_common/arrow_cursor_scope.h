// Shows the normal arrow over a dialog that opens while the wait cursor is on.
#pragma once

#include <QApplication>
#include <QCursor>

namespace kelvora {

class ArrowCursorScope {
 public:
  explicit ArrowCursorScope(bool wait_cursor_on) : active_(wait_cursor_on) {
    if (active_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~ArrowCursorScope() {
    if (active_) QApplication::restoreOverrideCursor();
  }
  ArrowCursorScope(const ArrowCursorScope&) = delete;
  ArrowCursorScope& operator=(const ArrowCursorScope&) = delete;

 private:
  bool active_;
};

}  // namespace kelvora
