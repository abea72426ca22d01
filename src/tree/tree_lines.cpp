#include "tree/tree_lines.h"

#include <vector>

#include "platform/cp932.h"

namespace kelvora {

namespace {

struct Pieces {
  std::string bar, blank, tee, corner;
  explicit Pieces(bool utf8) {
    auto enc = [utf8](std::string_view s) { return utf8 ? std::string(s) : Utf8ToCp932(s); };
    bar = enc("┃  ");
    blank = "    ";
    tee = enc("┣ ");
    corner = enc("┗ ");
  }
};

int DepthBelow(const CallTree& tree, std::int32_t start, std::int32_t item) {
  int depth = 0;
  for (std::int32_t a = item; a != start && a >= 0; a = tree.node(a).parent) ++depth;
  return depth;
}

std::string Prefix(const CallTree& tree, std::int32_t start, std::int32_t item,
                   const Pieces& pieces) {
  // Ancestors between start and the item, nearest first.
  std::vector<std::int32_t> chain;
  for (std::int32_t a = tree.node(item).parent; a != start && a >= 0; a = tree.node(a).parent)
    chain.push_back(a);
  std::string prefix;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    prefix += tree.NextSibling(*it) != CallTree::kNone ? pieces.bar : pieces.blank;
  return prefix;
}

std::string Encode(const std::string& cp932, bool utf8) {
  return utf8 ? Cp932ToUtf8(cp932) : cp932;
}

}  // namespace

std::string TreeLine(CallTree& tree, std::int32_t start, std::int32_t item, bool utf8) {
  const Pieces pieces(utf8);
  return Prefix(tree, start, item, pieces) +
         (tree.NextSibling(item) != CallTree::kNone ? pieces.tee : pieces.corner) +
         Encode(tree.Text(item), utf8);
}

WalkStop WalkTreeLines(CallTree& tree, std::int32_t start, const TreeLineOptions& options,
                       WalkGuard& guard, bool& nest_limited,
                       const std::function<bool(const TreeLineEvent&)>& emit) {
  const Pieces pieces(options.utf8);
  const std::string separator_head = options.utf8
                                         ? std::string("┃≪==================== 階層レベル")
                                         : Utf8ToCp932("┃≪==================== 階層レベル");
  const std::string separator_tail =
      options.utf8 ? std::string(" ====================≫") : Utf8ToCp932(" ====================≫");
  // Pre-order below start: children first, then the next sibling of the nearest ancestor below
  // start that has one.
  std::int32_t item = start;
  std::string line;
  for (;;) {
    if (tree.Make(item)) nest_limited = true;
    std::int32_t next = tree.FirstChild(item);
    for (std::int32_t a = item; next == CallTree::kNone && a != start; a = tree.node(a).parent)
      next = tree.NextSibling(a);
    if (next == CallTree::kNone) break;
    item = next;
    if (!guard.Step(tree)) return guard.stop();
    const std::string prefix = Prefix(tree, start, item, pieces);
    const int depth = DepthBelow(tree, start, item);
    if (depth <= 12 && (options.nest_level_text >> (depth - 1) & 1u)) {
      line = prefix;
      line += separator_head;
      line += std::to_string(depth);
      line += separator_tail;
      if (!emit(TreeLineEvent{item, depth, true, line})) break;
    }
    line = prefix;
    line += tree.NextSibling(item) != CallTree::kNone ? pieces.tee : pieces.corner;
    line += Encode(tree.Text(item), options.utf8);
    if (!emit(TreeLineEvent{item, depth, false, line})) break;
  }
  return WalkStop::Done;
}

WalkStop WriteTreeLines(CallTree& tree, std::int32_t start, std::ostream& out,
                        const TreeLineOptions& options, WalkGuard& guard, bool& nest_limited) {
  out << Encode(tree.Text(start), options.utf8) << options.eol;
  return WalkTreeLines(tree, start, options, guard, nest_limited, [&](const TreeLineEvent& e) {
    out << e.line << options.eol;
    return true;
  });
}

}  // namespace kelvora
