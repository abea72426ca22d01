#include "output/ui/html_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvora {

namespace {

QString U(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

HtmlOptionsDialog::HtmlOptionsDialog(Ui& ui, QWidget* parent) : QDialog(parent) {
  setWindowTitle(U("詳細設定"));
  const HtmlOptions defaults;
  border_ = new QComboBox(this);
  for (std::string_view b : BorderPatternChoices()) border_->addItem(U(b));
  border_->setCurrentIndex(defaults.border - 1);
  font_ = new QComboBox(this);
  for (std::string_view f : FontChoices()) font_->addItem(U(f));
  font_->setCurrentIndex(defaults.font - 1);
  comments_ = new QCheckBox(
      U("[関数内の呼び出し関数リスト]\n 関数に登録コメントを付加する\n （時間がかかります）"),
      this);
  auto* sample = new QPushButton(U("フォントサンプルHTMLを出力する"), this);
  connect(sample, &QPushButton::clicked, this, [&ui] { WriteFontSample(ui); });
  auto* form = new QFormLayout;
  form->addRow(U("ﾎﾞｰﾀﾞｰﾊﾟﾀｰﾝ"), border_);
  form->addRow(U("フォント"), font_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(U("ｷｬﾝｾﾙ"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(comments_);
  layout->addWidget(sample);
  layout->addWidget(buttons);
}

HtmlOptions HtmlOptionsDialog::options() const {
  HtmlOptions o;
  o.border = border_->currentIndex() + 1;
  o.font = font_->currentIndex() + 1;
  o.comments = comments_->isChecked();
  return o;
}

}  // namespace kelvora
