#include "tree/ui/page_choice_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvora {

PageChoiceDialog::PageChoiceDialog(const QStringList& labels, int current, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Kelvora -TREE-"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("5つのページすべてにTREEが表示されています。　\n"
                                              "新しいTREEで置き換えるページを選んで下さい。　"),
                               this));
  for (int i = 0; i < labels.size(); ++i) {
    auto* button = new QPushButton(QStringLiteral("Page %1：%2").arg(i + 1).arg(labels[i]), this);
    button->setAutoDefault(false);
    if (i == current) button->setDefault(true);
    connect(button, &QPushButton::clicked, this, [this, i] {
      chosen_ = i;
      accept();
    });
    buttons_.append(button);
    layout->addWidget(button);
  }
  auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  layout->addWidget(cancel);
}

std::optional<int> PageChoiceDialog::Ask(const QStringList& labels, int current, QWidget* parent) {
  PageChoiceDialog dialog(labels, current, parent);
  if (dialog.exec() != QDialog::Accepted || dialog.chosen() < 0) return std::nullopt;
  return dialog.chosen();
}

}  // namespace kelvora
