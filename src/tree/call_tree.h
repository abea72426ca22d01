// The output window's call tree of one entry, made lazily: a node's children are made the first
// time they are asked for, and are exactly the callees the full expansion gives there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ui.h"
#include "tree/tree_file.h"

namespace kelvora {

inline constexpr QuestionId kAskCancelTreeWalk = kAskCancelOnEscape;

struct CallNode {
  std::int32_t parent = -1;
  std::int32_t callee = -1;  // index into TreePage::callees; -1 for the root
  std::uint32_t first_child = 0;
  std::uint32_t child_count = 0;
  std::uint8_t depth = 0;  // 0 for the root, 1 for its direct callees
  bool made = false;       // children made
  bool expanded = false;
  bool recursion = false;     // text carries one more recursion mark and is never expanded
  bool nest_limited = false;  // names an entry, but lies at the nest limit: stays a leaf
  bool deleted = false;
};

class CallTree {
 public:
  static constexpr int kNestLimit = 50;
  static constexpr std::int32_t kNone = -1;

  // Starts the call tree of entry `entry` of the page: the root and its direct callees (the
  // first and at most data_max following ones).
  void Build(const TreePage& page, std::int32_t entry, int data_max);
  void Clear();
  bool empty() const { return nodes_.empty(); }
  const TreePage* page() const { return page_; }
  std::int32_t root() const { return nodes_.empty() ? kNone : 0; }
  std::int32_t entry() const { return entry_; }
  std::size_t made_count() const { return nodes_.size(); }
  const CallNode& node(std::int32_t n) const { return nodes_[static_cast<std::size_t>(n)]; }

  // Displayed text and item data text ("%d,%s": nest level and the source item's data), CP932.
  std::string Text(std::int32_t n) const;
  std::string Data(std::int32_t n) const;
  int NestLevel(std::int32_t n) const { return node(n).depth == 0 ? 1 : node(n).depth; }

  // Makes the node's children when not made yet; true when one of the new children lies at the
  // nest limit and so stays unexpanded although it names an entry.
  bool Make(std::int32_t n);
  // Whether the node has (or would get) children, without making them.
  bool HasChildren(std::int32_t n) const;
  // Live children in order (made first).
  std::vector<std::int32_t> Children(std::int32_t n);
  std::int32_t FirstChild(std::int32_t n);
  std::int32_t NextSibling(std::int32_t n) const;
  std::int32_t PrevSibling(std::int32_t n) const;
  std::int32_t LastChild(std::int32_t n);
  std::int32_t ChildCount(std::int32_t n);

  void SetExpanded(std::int32_t n, bool on);
  // Next and previous item in display order (what Down and Up arrows reach), kNone at the ends.
  std::int32_t NextVisible(std::int32_t n);
  std::int32_t PrevVisible(std::int32_t n);
  // Next item in pre-order through collapsed subtrees too (making children), kNone at the end.
  std::int32_t NextPreOrder(std::int32_t n, bool& nest_limited);

  // Attached comments. The root's text, or the text of every item made from the callee text
  // `source` (now or later; an item with a recursion mark keeps its text), becomes `text`.
  // Build and Clear drop them.
  void SetRootText(std::string text) { root_text_ = std::move(text), root_renamed_ = true; }
  bool root_renamed() const { return root_renamed_; }
  // False (and nothing changes) when items of that source text were renamed already.
  bool RenameCallees(TextId source, std::string text) {
    return renamed_.emplace(source, std::move(text)).second;
  }

  // Removes the node with all its descendants (not the root's data: the root can be removed).
  void Delete(std::int32_t n);

  std::int32_t selected = kNone;

 private:
  const TreePage* page_ = nullptr;
  std::int32_t entry_ = -1;
  int data_max_ = 0;
  std::vector<CallNode> nodes_;
  std::string root_text_;
  bool root_renamed_ = false;
  std::unordered_map<TextId, std::string> renamed_;
};

// Progress, Escape and the node budget of a walk through the whole expansion.
enum class WalkStop { Done, Budget, Cancelled };

class WalkGuard {
 public:
  WalkGuard(Ui& ui, long long budget, std::size_t made_before);
  // Called after a node was made or visited; false when the walk must stop (see stop()).
  bool Step(const CallTree& tree);
  WalkStop stop() const { return stop_; }
  // Shows the budget message or nothing; for the nest limit, the nest-limit message once.
  void Report(bool nest_limited) const;

 private:
  Ui& ui_;
  long long budget_;
  std::size_t base_;
  long long steps_ = 0;
  WalkStop stop_ = WalkStop::Done;
};

// The nest-limit message.
void ShowNestLimitMessage(Ui& ui);

}  // namespace kelvora
