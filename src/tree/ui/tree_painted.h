// Parts of the TREE viewer that it paints itself: the background in the colour scheme, and the
// buttons (page tabs, " 一覧", nest levels, " 明度", " 詳細設定", "  Src表示", the graph's spin and
// help buttons) that keep a pressed look for 300 ms after a click.
#pragma once

#include <QAbstractButton>
#include <QTimer>
#include <QWidget>

namespace kelvora {

class PaintedButton : public QAbstractButton {
  Q_OBJECT

 public:
  static constexpr int kPressedLookMs = 300;
  explicit PaintedButton(const QString& text, QWidget* parent = nullptr);
  // True for 300 ms after a click (and while the mouse button is down).
  bool pressed_look() const { return isDown() || pressed_timer_.isActive(); }
  // A page tab: drawn with rounded top corners, raised when it is the current page.
  void SetTab(bool tab) { tab_ = tab; }
  void SetColourScheme(int color_type, bool bright);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer pressed_timer_;
  int color_type_ = 9;
  bool bright_ = false;
  bool tab_ = false;
};

// The central area of the viewer: a vertical two-tone gradient in the colour scheme.
class TreeViewerBackground : public QWidget {
  Q_OBJECT

 public:
  explicit TreeViewerBackground(QWidget* parent = nullptr) : QWidget(parent) {}
  void SetColourScheme(int color_type, bool bright);
  int color_type() const { return color_type_; }
  bool bright() const { return bright_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int color_type_ = 9;
  bool bright_ = false;
};

}  // namespace kelvora
