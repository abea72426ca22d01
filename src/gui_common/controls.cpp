#include "gui_common/controls.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QWidget>

namespace kelvora {

void KeepSpinArrowsVisible(QWidget* root) {
  for (QAbstractSpinBox* spin : root->findChildren<QAbstractSpinBox*>()) {
    const QPalette standard = QApplication::palette(spin);
    QPalette pal = spin->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
      pal.setColor(role, standard.color(role));
    spin->setPalette(pal);
  }
}

}  // namespace kelvora
