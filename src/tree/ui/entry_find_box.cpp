#include "tree/ui/entry_find_box.h"

#include <QKeyEvent>
#include <QTreeView>

#include "platform/cp932.h"
#include "tree/tree_window_rules.h"
#include "tree/ui/tree_models.h"

namespace kelvora {

EntryFindBox::EntryFindBox(QWidget* parent) : QLineEdit(parent) {
  setPlaceholderText(QStringLiteral("選択Window内検索"));
  setToolTip(
      QStringLiteral("選択Windowの項目名を検索します（大文字・小文字を区別しない）\n"
                     "Enter / F4：次を検索　F3：前を検索"));
  setClearButtonEnabled(true);
  // Typing searches from the selected entry itself, so the word grows on the same hit.
  connect(this, &QLineEdit::textEdited, this, [this] {
    if (!model_ || !view_) return;
    const std::int32_t current = model_->EntryOf(view_->currentIndex());
    FindFrom(current < 0 ? -1 : current - 1, true);
  });
}

void EntryFindBox::SetTarget(QTreeView* view, SelectionTreeModel* model) {
  view_ = view;
  model_ = model;
  ShowFound(true);
}

bool EntryFindBox::Find(bool forward) {
  if (!model_ || !view_) return false;
  return FindFrom(model_->EntryOf(view_->currentIndex()), forward);
}

bool EntryFindBox::FindFrom(std::int32_t from, bool forward) {
  if (!model_ || !view_ || !model_->page() || text().isEmpty()) {
    ShowFound(true);
    return false;
  }
  const std::int32_t entry =
      FindEntryContaining(*model_->page(), Utf8ToCp932(text().toStdString()), from, forward);
  ShowFound(entry >= 0);
  if (entry < 0) return false;
  const QModelIndex index = model_->EntryIndex(entry);
  view_->setCurrentIndex(index);
  view_->scrollTo(index, QAbstractItemView::PositionAtCenter);
  return true;
}

void EntryFindBox::ShowFound(bool found) {
  setStyleSheet(found ? QString() : QStringLiteral("QLineEdit { background: #ffd0d0; }"));
}

bool EntryFindBox::event(QEvent* event) {
  // F3 and F4 belong to this box while it has the focus, not to the output window's search.
  if (event->type() == QEvent::ShortcutOverride) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_F3 || key == Qt::Key_F4) {
      event->accept();
      return true;
    }
  }
  return QLineEdit::event(event);
}

void EntryFindBox::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F4:
      Find(true);
      return;
    case Qt::Key_F3:
      Find(false);
      return;
    case Qt::Key_Escape:
      if (view_) view_->setFocus();
      return;
    default:
      QLineEdit::keyPressEvent(event);
  }
}

}  // namespace kelvora
