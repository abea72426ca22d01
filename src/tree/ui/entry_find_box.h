// The selection window's find box: typing finds the first entry from the selected one whose name
// contains the text (case-insensitive); Enter or F4 finds the next, F3 the previous one.
#pragma once

#include <QLineEdit>

class QTreeView;

namespace kelvora {

class SelectionTreeModel;

class EntryFindBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit EntryFindBox(QWidget* parent = nullptr);
  // The view and model of the current page's selection window.
  void SetTarget(QTreeView* view, SelectionTreeModel* model);
  // Selects the next (forward) or previous entry containing the text; false when none does
  // (the box then shows it in red).
  bool Find(bool forward);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  bool FindFrom(std::int32_t from, bool forward);
  void ShowFound(bool found);

  QTreeView* view_ = nullptr;
  SelectionTreeModel* model_ = nullptr;
};

}  // namespace kelvora
