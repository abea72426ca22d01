// The graph window: one bar per named child of the selected output item, its length the number
// of items below that child.
#pragma once

#include <QWidget>
#include <vector>

#include "tree/tree_ops.h"

namespace kelvora {

class GraphWidget : public QWidget {
  Q_OBJECT

 public:
  explicit GraphWidget(QWidget* parent = nullptr) : QWidget(parent) {}
  // Bars whose count did not finish (node budget or Escape) show their value with "+".
  void SetBars(std::vector<GraphBar> bars);
  const std::vector<GraphBar>& bars() const { return bars_; }

  // "フォント角度変更(&E)": 15 degrees more, 90 wraps to 0; false with horizontal bars.
  bool NextAngle();
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
  int angle() const { return angle_; }
  int weight() const { return weight_; }
  bool vertical() const { return vertical_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<GraphBar> bars_;
  int angle_ = 0;
  int weight_ = 400;
  bool vertical_ = true;
  bool inverted_ = false;
  int scale_step_ = 4;
};

}  // namespace kelvora
