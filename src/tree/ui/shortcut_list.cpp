#include "tree/ui/shortcut_list.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

const char* const kTreeShortcutListText =
    "≪ショートカット・キー　一覧≫\n\n　TREE用ファイルOPEN　　　　「Ctrl + O」\n"
    "　TREE出力Window内検索　 「Ctrl + F」\n　ページタブ移動　左　　　　　  「Ctrl + Page Up」\n"
    "　ページタブ移動　右　　　　　  「Ctrl + Page Down」　\n"
    "　関数TREE　コメント取得　　 「Ctrl + G」\n";

namespace {

QString TrimBlanks(const QString& s) {
  qsizetype from = 0, to = s.size();
  auto blank = [](QChar c) { return c == u' ' || c == u'\u3000'; };
  while (from < to && blank(s[from])) ++from;
  while (to > from && blank(s[to - 1])) --to;
  return s.mid(from, to - from);
}

}  // namespace

ShortcutRows SplitShortcutList(const QString& text) {
  ShortcutRows out;
  for (const QString& line : text.split(u'\n')) {
    const QString trimmed = TrimBlanks(line);
    if (trimmed.isEmpty()) continue;
    const qsizetype key = trimmed.indexOf(u'「');
    if (key < 0) {
      if (out.heading.isEmpty()) out.heading = trimmed;
      continue;
    }
    out.rows.emplace_back(TrimBlanks(trimmed.left(key)), TrimBlanks(trimmed.mid(key)));
  }
  return out;
}

ShortcutListDialog::ShortcutListDialog(const QString& text, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Kelvora -TREE-"));
  const ShortcutRows list = SplitShortcutList(text);
  auto* layout = new QVBoxLayout(this);
  auto* heading = new QLabel(list.heading, this);
  layout->addWidget(heading);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(24);
  int row = 0;
  for (const auto& [name, key] : list.rows) {
    grid->addWidget(new QLabel(name, this), row, 0);
    grid->addWidget(new QLabel(key, this), row, 1);
    ++row;
  }
  layout->addLayout(grid);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}

}  // namespace kelvora
