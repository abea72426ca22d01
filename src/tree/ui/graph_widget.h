// The graph window: one bar per named child of the selected output item, its length the number
// of items below that child; in its upper right corner the two spin buttons of the scale step
// and the help button.
#pragma once

#include <QWidget>
#include <vector>

#include "tree/tree_ops.h"

namespace kelvora {

class PaintedButton;

class GraphWidget : public QWidget {
  Q_OBJECT

 public:
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
  void ToggleDirection() {
    vertical_ = !vertical_;
    update();
  }
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
  int angle() const { return angle_; }
  int scale_step() const { return scale_step_; }
  bool inverted() const { return inverted_; }
  int weight() const { return weight_; }
  bool vertical() const { return vertical_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::vector<GraphBar> bars_;
  int angle_ = 0;
  int weight_ = 400;
  bool vertical_ = true;
  bool inverted_ = false;
  int scale_step_ = 4;
  PaintedButton* down_;
  PaintedButton* up_;
  PaintedButton* help_;
};

}  // namespace kelvora
