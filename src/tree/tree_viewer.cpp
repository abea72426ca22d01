#include "tree/tree_viewer.h"

namespace kelvora {

bool TreeViewerState::SelectPage(int index, Ui& ui) {
  if (index < 0 || index >= kPages || index == current_) return false;
  current_ = index;
  info_text.clear();
  const std::size_t entries = page().file.entry_count();
  ui.SetStatus(1, entries == 0 ? std::string() : "選択Win項目数：" + std::to_string(entries));
  return true;
}

bool TreeViewerState::SwitchPage(int delta, Ui& ui) {
  return SelectPage(current_ + delta, ui);
}

}  // namespace kelvora
