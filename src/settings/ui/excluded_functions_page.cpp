// "排除関数": sixty excluded function names with their check boxes, in four columns of 15.
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/ui/property_page_widgets.h"

namespace kelvora {
namespace {

constexpr int kRowsPerColumn = 15;
constexpr int kColumns = kExcludedSlots / kRowsPerColumn;

}  // namespace

CPropPage3::CPropPage3(ExcludedPage& page, Ui& ui, QWidget* parent)
    : PropertyPageBase(parent), page_(page), ui_(ui) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 10, 12, 10);
  layout->setSpacing(6);
  layout->addWidget(Heading(
      QStringLiteral("TREEファイル（.tree）出力時、排除する関数名の設定（チェック状態で有効）")));

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(2);
  for (int i = 0; i < kExcludedSlots; ++i) {
    const int column = i / kRowsPerColumn;
    const int row = i % kRowsPerColumn;
    auto* flag = new QCheckBox(this);
    flag->setObjectName(QStringLiteral("Flag_Func%1").arg(i + 1));
    auto* name = new QLineEdit(this);
    name->setObjectName(QStringLiteral("Func%1").arg(i + 1));
    grid->addWidget(flag, row, column * 2);
    grid->addWidget(name, row, column * 2 + 1);
    grid->setColumnStretch(column * 2 + 1, 1);
    if (column + 1 < kColumns) grid->setColumnMinimumWidth(column * 2 + 1, 110);
    flags_[static_cast<std::size_t>(i)] = flag;
    names_[static_cast<std::size_t>(i)] = name;
    connect(flag, &QCheckBox::toggled, this,
            [this, i](bool on) { page_.flags[static_cast<std::size_t>(i)] = on; });
    connect(name, &QLineEdit::textEdited, this, [this, i](const QString& text) {
      page_.names[static_cast<std::size_t>(i)] = FieldToData(text);
    });
  }
  layout->addLayout(grid);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  clear_all_ = new QPushButton(QStringLiteral("全クリア"), this);
  buttons->addWidget(clear_all_);
  layout->addLayout(buttons);
  layout->addStretch(1);

  ShowSlots();
  connect(clear_all_, &QPushButton::clicked, this, [this] {
    if (ClearExcludedPage(page_, ui_)) ShowSlots();
  });
}

void CPropPage3::ShowSlots() {
  for (std::size_t i = 0; i < kExcludedSlots; ++i) {
    names_[i]->setText(DataToField(page_.names[i]));
    flags_[i]->setChecked(page_.flags[i]);
  }
}

}  // namespace kelvora
