// The graph window: one bar per named child of the selected output item, its length the number
// of items below that child; in its upper right corner the two spin buttons of the scale step
// and the help button. Bars keep a readable width: when they do not fit, a scroll bar moves
// along them; every bar has a tooltip with its name and value.
#pragma once

#include <QWidget>
#include <vector>

#include "tree/tree_ops.h"

class QScrollBar;

namespace kelvora {

class PaintedButton;

class GraphWidget : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHeaderHeight = 24;  // the title and the three buttons
  static constexpr int kMinBarWidth = 12;
  static constexpr int kBarGap = 4;

  explicit GraphWidget(QWidget* parent = nullptr);
  // Bars whose count did not finish (node budget or Escape) show their value with "+", or "?"
  // when the walk never reached them.
  void SetBars(std::vector<GraphBar> bars);
  const std::vector<GraphBar>& bars() const { return bars_; }

  void SetAngle(int degrees) {
    angle_ = degrees;
    update();
  }
  void ToggleWeight() {
    weight_ = weight_ == 400 ? 700 : 400;
    update();
  }
  void ToggleDirection();
  void ToggleInverted() {
    inverted_ = !inverted_;
    update();
  }
  void SetScaleStep(int step) {
    scale_step_ = step;
    update();
  }
  PaintedButton* scale_down_button() const { return down_; }
  PaintedButton* scale_up_button() const { return up_; }
  PaintedButton* help_button() const { return help_; }
  QScrollBar* scroll_bar() const { return scroll_; }
  int angle() const { return angle_; }
  int scale_step() const { return scale_step_; }
  bool inverted() const { return inverted_; }
  int weight() const { return weight_; }
  bool vertical() const { return vertical_; }

  // Where bars and their labels are drawn: below the title and buttons, above the scroll bar.
  QRect ChartArea() const;
  // Bar k's own rectangle (the coloured bar; zero length for a value of 0) in widget
  // coordinates, as scrolled now; it may lie outside ChartArea when scrolled away.
  QRect BarRect(int k) const;
  // The bar whose slot (bar, value and name) holds pos, or -1.
  int BarAt(QPoint pos) const;
  // "name：value" as the tooltip of bar k shows it.
  QString BarToolTip(int k) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Geometry {
    QRect area;          // ChartArea
    int slot = 0;        // room of one bar across the bars' direction
    int label_room = 0;  // room of the names below (vertical) or beside (horizontal) the bars
    int value_room = 0;  // room of the values above (vertical) or after (horizontal) the bars
  };
  Geometry Layout() const;
  void UpdateScrollBar();
  QString ValueText(const GraphBar& bar) const;
  QRect SlotRect(const Geometry& g, int k) const;

  std::vector<GraphBar> bars_;
  int angle_ = 0;
  int weight_ = 400;
  bool vertical_ = true;
  bool inverted_ = false;
  int scale_step_ = 4;
  PaintedButton* down_;
  PaintedButton* up_;
  PaintedButton* help_;
  QScrollBar* scroll_;
};

}  // namespace kelvora
