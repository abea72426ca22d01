// "その他": the TREE viewer's tool bar, the history clearing and the file-dialog style.
#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "settings/ui/property_page_widgets.h"

namespace kelvora {
namespace {

// Two radios in a group whose identifiers are the stored values 1 and 2.
QButtonGroup* RadioPair(QWidget* parent, QRadioButton* first, QRadioButton* second, int& value) {
  auto* group = new QButtonGroup(parent);
  group->addButton(first, 1);
  group->addButton(second, 2);
  if (value == 1) first->setChecked(true);
  if (value == 2) second->setChecked(true);
  QObject::connect(group, &QButtonGroup::idToggled, [&value](int id, bool checked) {
    if (checked) value = id;
  });
  return group;
}

// The tool-bar radios: "toolbar" 1 and 3 are tool bar 1, 2 and 4 tool bar 2 (3 and 4 in the old
// style). The stored value stays as it is unless the other bar is picked, which keeps the style.
void ToolbarRadios(QWidget* parent, QRadioButton* first, QRadioButton* second, int& value) {
  auto* group = new QButtonGroup(parent);
  group->addButton(first, 1);
  group->addButton(second, 2);
  const bool old_style = value == 3 || value == 4;
  if (value == 1 || value == 3) first->setChecked(true);
  if (value == 2 || value == 4) second->setChecked(true);
  QObject::connect(group, &QButtonGroup::idToggled, [&value, old_style](int id, bool checked) {
    if (checked) value = old_style ? id + 2 : id;
  });
}

}  // namespace

CPropPage9::CPropPage9(OtherPage& page, SettingsStore& store, Ui& ui, QWidget* parent)
    : PropertyPageBase(parent), page_(page), store_(store), ui_(ui) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 10, 12, 10);
  layout->setSpacing(4);

  layout->addLayout(BulletRow(QStringLiteral("関数TREEツール　ツールバー設定")));
  auto* toolbar = new QGridLayout;
  toolbar->setContentsMargins(16, 0, 0, 0);
  toolbar1_ = new QRadioButton(QStringLiteral("ツールバー１"), this);
  toolbar2_ = new QRadioButton(QStringLiteral("ツールバー２"), this);
  ToolbarRadios(this, toolbar1_, toolbar2_, page_.toolbar);
  toolbar->addWidget(toolbar1_, 0, 0);
  toolbar->addWidget(toolbar2_, 0, 1);
  toolbar->addWidget(
      Text(QStringLiteral(
          "（この設定を変更した場合は、関数TREEツール再立ち上げ時に有効となります）")),
      1, 0, 1, 3);
  toolbar->setColumnStretch(2, 1);
  layout->addLayout(toolbar);
  layout->addSpacing(10);

  layout->addLayout(BulletRow(QStringLiteral("過去入力履歴クリア（コンボボックス）")));
  auto* clear = new QGridLayout;
  clear->setContentsMargins(16, 0, 0, 0);
  const std::pair<History, const char*> buttons[4] = {
      {History::Word, "「指定」：RarUvizツール"},
      {History::CommentSearch, "「コメント検索」：RarUvizツール"},
      {History::TreeSearch, "「検索Word」：関数TREE Viewer"},
      {History::Emphasis, "「強調表示」：関数TREE Viewer"}};
  for (int i = 0; i < 4; ++i) {
    const History history = buttons[i].first;
    auto* button = new QPushButton(QString::fromUtf8(buttons[i].second), this);
    clear_[static_cast<std::size_t>(history)] = button;
    clear->addWidget(button, i / 2, i % 2);
    connect(button, &QPushButton::clicked, this, [this, history] {
      if (ClearHistory(history, store_, ui_) && history == History::Word)
        word_history_cleared_ = true;
    });
  }
  clear->setColumnStretch(2, 1);
  layout->addLayout(clear);
  layout->addSpacing(10);

  layout->addLayout(BulletRow(QStringLiteral("ファイルダイアログ設定")));
  auto* dialog = new QGridLayout;
  dialog->setContentsMargins(16, 0, 0, 0);
  new_style_ = new QRadioButton(QStringLiteral("新しいスタイル"), this);
  old_style_ = new QRadioButton(QStringLiteral("古いスタイル"), this);
  RadioPair(this, new_style_, old_style_, page_.file_dlg);
  dialog->addWidget(new_style_, 0, 0);
  dialog->addWidget(old_style_, 0, 1);
  dialog->setColumnStretch(2, 1);
  layout->addLayout(dialog);
  layout->addStretch(1);
}

}  // namespace kelvora
