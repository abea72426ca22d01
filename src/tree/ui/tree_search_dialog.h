// The search dialog of the output window, "TREE出力Window内　検索": the word with its history,
// up and down buttons, a painted gradient, caption and input-method state.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QPainter>

#include "gui_common/input_method_state.h"
#include "tree/tree_ops.h"

namespace kelvora {

class TreeSearchDialog : public QDialog {
  Q_OBJECT

 public:
  // color_type 0..9 and bright choose the gradient; probe tells the input method's state (the
  // desktop's by default).
  TreeSearchDialog(const TreeSearchHistory& history, int color_type, bool bright, Ui& ui,
                   QWidget* parent = nullptr, InputMethodProbe probe = DesktopInputMethodActive);
  SearchDirection direction() const { return direction_; }
  std::string word() const;  // CP932
  QComboBox* combo() const { return combo_; }
  // "IME：ON" or "IME：OFF"; empty (the field is not drawn) when the state cannot be known.
  QString ImeText() const;
  InputMethodIndicator* ime() const { return ime_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // F3 and F4 act as their buttons wherever the focus is (the history box would open its list
  // on F4).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Choose(SearchDirection direction);
  QComboBox* combo_;
  InputMethodIndicator* ime_;
  Ui& ui_;
  int color_type_;
  bool bright_;
  SearchDirection direction_ = SearchDirection::None;
};

// The two gradient colours of a colour type (0..9), brighter when bright is set.
std::pair<QColor, QColor> TreeGradientColors(int color_type, bool bright);
// Fills rect with that gradient, top to bottom.
void FillTreeGradient(QPainter& p, const QRect& rect, int color_type, bool bright);

}  // namespace kelvora
