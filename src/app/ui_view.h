// What the main window gives the Qt dialog port: status lines, progress bar, layout and list hooks.
#pragma once

#include <QString>

#include "platform/ui.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace kelvora {

class UiView {
 public:
  virtual ~UiView() = default;

  // The window that owns message boxes and choosers.
  virtual QWidget* DialogWidget() = 0;
  // Status line 1, 2 or 3 (top to bottom); nullptr for any other number.
  virtual QLabel* StatusLine(int line) = 0;
  virtual QProgressBar* ProgressBar() = 0;

  // Shows and hides the controls of a layout; also clears the count labels where it says so.
  virtual void ApplyLayout(WindowLayout layout) = 0;
  virtual void SetListRedraw(bool on) = 0;
  // Count label of list kind 1..5; other kinds are ignored.
  virtual void SetCountLabel(int kind, const QString& text) = 0;
};

}  // namespace kelvora
