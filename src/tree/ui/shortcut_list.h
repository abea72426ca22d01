// "ショートカット一覧（&S）": the viewer's shortcut keys laid out as a grid, names in one column
// and keys in the next, so they line up in any font.
#pragma once

#include <QDialog>
#include <QString>
#include <utility>
#include <vector>

namespace kelvora {

// The list's text as the viewer has always shown it.
extern const char* const kTreeShortcutListText;

// The heading and the (name, key) rows of such a text: each row is split before its "「".
struct ShortcutRows {
  QString heading;
  std::vector<std::pair<QString, QString>> rows;
};
ShortcutRows SplitShortcutList(const QString& text);

class ShortcutListDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ShortcutListDialog(const QString& text, QWidget* parent = nullptr);
};

}  // namespace kelvora
