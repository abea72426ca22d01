#include "tree/tree_viewer.h"

namespace kelvora {

bool TreeViewerState::SelectPage(int index, Ui& ui) {
  if (index < 0 || index >= kPages || index == current_) return false;
  current_ = index;
  info_text.clear();
  const std::size_t entries = page().file.entry_count();
  ui.SetStatus(1, entries == 0 && !page().file.cut ? std::string() : EntryCountStatus(page().file));
  return true;
}

int TreeViewerState::FirstEmptyPage() const {
  for (int i = 0; i < kPages; ++i) {
    const TreeViewerPage& p = pages_[static_cast<std::size_t>(i)];
    if (p.file.root_text.empty() && p.file.entry_count() == 0 && p.output.empty()) return i;
  }
  return -1;
}

bool TreeViewerState::SwitchPage(int delta, Ui& ui) {
  return SelectPage(current_ + delta, ui);
}

}  // namespace kelvora
