#include "tree/call_tree.h"

#include <chrono>

#include "platform/cp932.h"

namespace kelvora {

void CallTree::Clear() {
  nodes_.clear();
  page_ = nullptr;
  entry_ = -1;
  selected = kNone;
  root_text_.clear();
  root_renamed_ = false;
  renamed_.clear();
}

void CallTree::Build(const TreePage& page, std::int32_t entry, int data_max) {
  Clear();
  page_ = &page;
  entry_ = entry;
  data_max_ = data_max;
  nodes_.push_back(CallNode{});
  Make(0);
}

std::string CallTree::Text(std::int32_t n) const {
  const CallNode& nd = node(n);
  if (nd.callee < 0)
    return root_renamed_ ? root_text_
                         : std::string(page_->EntryText(static_cast<std::size_t>(entry_)));
  const TextId source = page_->callees[static_cast<std::size_t>(nd.callee)].text;
  if (nd.recursion) return std::string(page_->Text(source)) + kRecursionMarkCp932;
  if (!renamed_.empty())
    if (auto it = renamed_.find(source); it != renamed_.end()) return it->second;
  return std::string(page_->Text(source));
}

std::string CallTree::Data(std::int32_t n) const {
  const CallNode& nd = node(n);
  const TextId data = nd.callee < 0 ? page_->entries[static_cast<std::size_t>(entry_)].data
                                    : page_->callees[static_cast<std::size_t>(nd.callee)].data;
  return std::to_string(NestLevel(n)) + "," + std::string(page_->Text(data));
}

bool CallTree::HasChildren(std::int32_t n) const {
  const CallNode& nd = node(n);
  if (nd.made) {
    for (std::uint32_t i = 0; i < nd.child_count; ++i)
      if (!nodes_[nd.first_child + i].deleted) return true;
    return false;
  }
  if (nd.callee < 0) return page_->entries[static_cast<std::size_t>(entry_)].callee_count > 0;
  // An item at the nest limit that names an entry was made childless when its parent was made,
  // so the limit needs no test here.
  if (nd.recursion) return false;
  const std::int32_t target = page_->callees[static_cast<std::size_t>(nd.callee)].target;
  return target >= 0 && page_->entries[static_cast<std::size_t>(target)].callee_count > 0;
}

bool CallTree::Make(std::int32_t n) {
  if (node(n).made) return false;
  const CallNode parent = node(n);
  std::uint32_t from = 0, count = 0;
  bool check_recursion = false;
  if (parent.callee < 0) {
    const TreeEntry& e = page_->entries[static_cast<std::size_t>(entry_)];
    from = e.first_callee;
    // The first callee and at most data_max following ones.
    count = std::min<std::uint32_t>(e.callee_count, static_cast<std::uint32_t>(data_max_) + 1);
  } else if (!parent.recursion) {
    const std::int32_t target = page_->callees[static_cast<std::size_t>(parent.callee)].target;
    if (target >= 0 && parent.depth + 1 < kNestLimit) {
      const TreeEntry& e = page_->entries[static_cast<std::size_t>(target)];
      from = e.first_callee;
      count = e.callee_count;
      check_recursion = true;
    }
  }
  // The ancestor path: the chosen entry's text, then the source texts down to this node.
  std::vector<TextId> path;
  if (check_recursion) {
    for (std::int32_t a = n; a >= 0; a = node(a).parent) {
      const CallNode& an = node(a);
      path.push_back(an.callee < 0 ? page_->entries[static_cast<std::size_t>(entry_)].text
                                   : page_->callees[static_cast<std::size_t>(an.callee)].text);
    }
  }
  const std::uint32_t first = static_cast<std::uint32_t>(nodes_.size());
  bool limited = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    CallNode child;
    child.parent = n;
    child.callee = static_cast<std::int32_t>(from + i);
    child.depth = static_cast<std::uint8_t>(parent.depth + 1);
    if (check_recursion) {
      const TextId text = page_->callees[from + i].text;
      for (TextId a : path)
        if (a == text) child.recursion = true;
    }
    // An item at the nest limit that names an entry is where the full expansion stops.
    if (!child.recursion && child.depth + 1 >= kNestLimit && page_->callees[from + i].target >= 0) {
      child.made = true;
      child.nest_limited = true;
      limited = true;
    }
    nodes_.push_back(child);
  }
  CallNode& nd = nodes_[static_cast<std::size_t>(n)];
  nd.made = true;
  nd.first_child = first;
  nd.child_count = count;
  return limited;
}

std::vector<std::int32_t> CallTree::Children(std::int32_t n) {
  Make(n);
  std::vector<std::int32_t> out;
  const CallNode& nd = node(n);
  for (std::uint32_t i = 0; i < nd.child_count; ++i)
    if (!nodes_[nd.first_child + i].deleted)
      out.push_back(static_cast<std::int32_t>(nd.first_child + i));
  return out;
}

std::int32_t CallTree::FirstChild(std::int32_t n) {
  Make(n);
  const CallNode& nd = node(n);
  for (std::uint32_t i = 0; i < nd.child_count; ++i)
    if (!nodes_[nd.first_child + i].deleted) return static_cast<std::int32_t>(nd.first_child + i);
  return kNone;
}

std::int32_t CallTree::LastChild(std::int32_t n) {
  Make(n);
  const CallNode& nd = node(n);
  for (std::uint32_t i = nd.child_count; i-- > 0;)
    if (!nodes_[nd.first_child + i].deleted) return static_cast<std::int32_t>(nd.first_child + i);
  return kNone;
}

std::int32_t CallTree::ChildCount(std::int32_t n) {
  Make(n);
  const CallNode& nd = node(n);
  std::int32_t count = 0;
  for (std::uint32_t i = 0; i < nd.child_count; ++i)
    if (!nodes_[nd.first_child + i].deleted) ++count;
  return count;
}

std::int32_t CallTree::NextSibling(std::int32_t n) const {
  const CallNode& nd = node(n);
  if (nd.parent < 0) return kNone;
  const CallNode& p = node(nd.parent);
  for (std::uint32_t i = static_cast<std::uint32_t>(n) + 1; i < p.first_child + p.child_count; ++i)
    if (!nodes_[i].deleted) return static_cast<std::int32_t>(i);
  return kNone;
}

std::int32_t CallTree::PrevSibling(std::int32_t n) const {
  const CallNode& nd = node(n);
  if (nd.parent < 0) return kNone;
  const CallNode& p = node(nd.parent);
  for (std::uint32_t i = static_cast<std::uint32_t>(n); i-- > p.first_child;)
    if (!nodes_[i].deleted) return static_cast<std::int32_t>(i);
  return kNone;
}

void CallTree::SetExpanded(std::int32_t n, bool on) {
  if (on) Make(n);
  nodes_[static_cast<std::size_t>(n)].expanded = on;
}

std::int32_t CallTree::NextVisible(std::int32_t n) {
  if (node(n).expanded) {
    const std::int32_t child = FirstChild(n);
    if (child != kNone) return child;
  }
  for (std::int32_t a = n; a != kNone; a = node(a).parent) {
    const std::int32_t next = NextSibling(a);
    if (next != kNone) return next;
  }
  return kNone;
}

std::int32_t CallTree::PrevVisible(std::int32_t n) {
  const std::int32_t prev = PrevSibling(n);
  if (prev == kNone) return node(n).parent;
  std::int32_t at = prev;
  while (node(at).expanded) {
    const std::int32_t last = LastChild(at);
    if (last == kNone) break;
    at = last;
  }
  return at;
}

std::int32_t CallTree::NextPreOrder(std::int32_t n, bool& nest_limited) {
  if (Make(n)) nest_limited = true;
  const std::int32_t child = FirstChild(n);
  if (child != kNone) return child;
  for (std::int32_t a = n; a != kNone; a = node(a).parent) {
    const std::int32_t next = NextSibling(a);
    if (next != kNone) return next;
  }
  return kNone;
}

void CallTree::Delete(std::int32_t n) {
  if (n == 0) {
    const TreePage* page = page_;
    Clear();
    page_ = page;
    return;
  }
  nodes_[static_cast<std::size_t>(n)].deleted = true;
  if (selected == n) selected = kNone;
}

WalkGuard::WalkGuard(Ui& ui, long long budget, std::size_t made_before)
    : ui_(ui), budget_(budget), base_(made_before) {}

bool WalkGuard::Step(const CallTree& tree) {
  if (stop_ != WalkStop::Done) return false;
  if (static_cast<long long>(tree.made_count()) > budget_ && tree.made_count() > base_) {
    stop_ = WalkStop::Budget;
    return false;
  }
  if ((++steps_ & 0xFFF) == 0) {
    ui_.SetStatus(3, "TREE展開中…項目数 " + std::to_string(tree.made_count()));
    if (ui_.PollEscape() &&
        ui_.AskYesNo(kAskCancelTreeWalk,
                     "「ESCキー」が押されました。\nTREE展開を中断しますか？　\n",
                     Ui::kTreeCaption)) {
      stop_ = WalkStop::Cancelled;
      return false;
    }
  }
  return true;
}

void WalkGuard::Report(bool nest_limited) const {
  if (stop_ == WalkStop::Budget) ui_.NoteLeftOut();
  if (stop_ == WalkStop::Budget)
    ui_.Message("TREE出力Windowの項目数が上限の" + std::to_string(budget_) +
                    "個に達しましたので、展開を中断しました。　",
                Ui::kTreeCaption, MsgIcon::Warning);
  if (nest_limited) ShowNestLimitMessage(ui_);
}

void ShowNestLimitMessage(Ui& ui) {
  ui.Message("階層レベルが50に達しましたので、階層化を中断します。　", Ui::kTreeCaption,
             MsgIcon::Error);
}

}  // namespace kelvora
