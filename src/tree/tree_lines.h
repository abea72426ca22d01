// Tree lines: the descendants of one call-tree item, one line each in depth-first pre-order with
// the "┃  " / four-blank ancestor prefix and "┣ " or "┗ ", shared by the text exports and the
// command line.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "tree/call_tree.h"

namespace kelvora {

struct TreeLineOptions {
  bool utf8 = true;  // UTF-8 text; false writes CP932 bytes
  std::string eol = "\n";
  unsigned nest_level_text = 0;  // bit d-1 set: a separator line before items of depth d (<= 12)
};

// The line of one item below `start` (its children have depth 1), without line end.
std::string TreeLine(CallTree& tree, std::int32_t start, std::int32_t item, bool utf8);

// One line of a walk below the start item: the item it belongs to, its depth below the start
// (1 for the start's children), and the whole line without line end; separator lines come
// before their item's own line.
struct TreeLineEvent {
  std::int32_t item;
  int depth;
  bool separator;
  std::string_view line;
};

// Walks the descendants of start in pre-order, making children as it goes, and hands every
// line (separator lines included) to emit. Stops at the guard's budget or on Escape, and (as
// Done) when emit returns false.
WalkStop WalkTreeLines(CallTree& tree, std::int32_t start, const TreeLineOptions& options,
                       WalkGuard& guard, bool& nest_limited,
                       const std::function<bool(const TreeLineEvent&)>& emit);

// Writes the start item's text and then every descendant's line, making children as it goes.
// Stops at the guard's budget or on Escape; nest_limited is set when an item lay at the nest
// limit.
WalkStop WriteTreeLines(CallTree& tree, std::int32_t start, std::ostream& out,
                        const TreeLineOptions& options, WalkGuard& guard, bool& nest_limited);

}  // namespace kelvora
