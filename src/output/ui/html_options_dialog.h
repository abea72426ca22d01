// "詳細設定": the border pattern, the font and the comment option of one HTML site run, with
// the button that writes the font sample page.
#pragma once

#include <QDialog>

#include "output/html_site.h"

class QCheckBox;
class QComboBox;

namespace kelvora {

class Ui;

class HtmlOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  // ui answers the font sample's folder chooser and shows its messages.
  HtmlOptionsDialog(Ui& ui, QWidget* parent = nullptr);
  HtmlOptions options() const;
  QComboBox* border_box() const { return border_; }
  QComboBox* font_box() const { return font_; }
  QCheckBox* comments_box() const { return comments_; }

 private:
  QComboBox* border_;
  QComboBox* font_;
  QCheckBox* comments_;
};

}  // namespace kelvora
