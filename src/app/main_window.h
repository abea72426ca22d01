// The main window: status lines, progress bar, the hidden registration-list area and the
// area that holds the window's controls.
#pragma once

#include <QMainWindow>
#include <array>

#include "app/ui_view.h"

class QLabel;
class QProgressBar;

namespace kelvora {

class MainWindow : public QMainWindow, public UiView {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);

  static QString Title();  // "Kelvora  - RarUviz -"

  QWidget* ContentArea() const { return content_area_; }
  // The area right of the window's controls where the registration lists and their count
  // labels live; hidden while the window is collapsed.
  QWidget* ListArea() const { return list_area_; }

  // UiView
  QWidget* DialogWidget() override { return this; }
  QLabel* StatusLine(int line) override;
  QProgressBar* ProgressBar() override { return progress_; }
  void ApplyLayout(WindowLayout layout) override;
  void SetListRedraw(bool on) override;
  void SetCountLabel(int kind, const QString& text) override;
  QLabel* CountLabel(int kind) const;

 private:
  QWidget* content_area_;
  QWidget* list_area_;
  std::array<QLabel*, 3> status_{};
  std::array<QLabel*, 5> count_{};
  QProgressBar* progress_;
};

}  // namespace kelvora
