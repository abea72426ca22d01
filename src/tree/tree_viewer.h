// The TREE viewer's state without a window: five tree pages with their call trees, the current
// page, the settings, the search word and history, and the information window's text.
#pragma once

#include <array>
#include <string>

#include "tree/call_tree.h"
#include "tree/tree_file.h"
#include "tree/tree_ops.h"

namespace kelvora {

struct TreeViewerPage {
  TreePage file;
  CallTree output;
};

class TreeViewerState {
 public:
  static constexpr int kPages = 5;

  TreeSettings settings;
  std::string info_text;    // UTF-8
  std::string search_word;  // CP932
  TreeSearchHistory history;

  int current() const { return current_; }
  TreeViewerPage& page() { return pages_[static_cast<std::size_t>(current_)]; }
  TreeViewerPage& page(int i) { return pages_[static_cast<std::size_t>(i)]; }

  // Ctrl+PageUp / Ctrl+PageDown: false at the first or last page. A switch clears the
  // information text and shows the page's entry count in pane 1 (empty when 0).
  bool SwitchPage(int delta, Ui& ui);
  bool SelectPage(int index, Ui& ui);
  // Where a newly written tree file goes: the first page that holds no tree (no file read, no
  // call tree); -1 when all five hold one (the window then asks which to replace).
  int FirstEmptyPage() const;

 private:
  std::array<TreeViewerPage, kPages> pages_;
  int current_ = 0;
};

}  // namespace kelvora
