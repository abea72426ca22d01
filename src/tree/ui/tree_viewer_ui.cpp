#include "tree/ui/tree_viewer_ui.h"

#include <QApplication>

namespace kelvora {

void TreeViewerUi::SetStatus(int line, std::string_view text) {
  if (line < 1 || line > 3) return;
  panes_[static_cast<std::size_t>(line - 1)]->setText(
      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

bool TreeViewerUi::PollEscape() {
  const bool escape = OwnedDialogsUi::PollEscape();
  const bool cancel = cancel_requested_;
  cancel_requested_ = false;
  return escape || cancel;
}

std::string TreeViewerUi::status(int line) const {
  if (line < 1 || line > 3) return {};
  return panes_[static_cast<std::size_t>(line - 1)]->text().toStdString();
}

void TreeViewerUi::SetWaitCursor(bool on) {
  if (on) {
    ++waits_;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (waits_ > 0) {
    --waits_;
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace kelvora
