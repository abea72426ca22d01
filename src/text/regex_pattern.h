// Pattern text preparation for the regex engine: CP932-aware walking of character classes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

// Rewrites every descending range inside a character class ("=-+" in "[ \t=-+]") into its
// literal characters ("=", "-", "+"); everything else is copied unchanged. The pattern is
// walked as CP932, so the second byte of a double-byte character is never taken for "\", "["
// or "]".
std::string RewriteDescendingRanges(std::string_view pattern);

// Fixed texts that a subject must contain for the pattern to match, per top-level alternative:
// a subject passes when it holds every text of one alternative. Empty (everything passes) when
// the pattern gives no guarantee that a plain walk can prove (inline options, quoting, an
// escape with an argument such as "\x41" or "\p{Alpha}", an alternative without a fixed text).
// Only plain characters and the escapes of single control or punctuation characters count.
struct LiteralFilter {
  std::vector<std::vector<std::string>> alternatives;
  // Every alternative needs a byte over 0x7F (Japanese words): plain ASCII subjects never pass.
  bool needs_high_byte = false;
  bool Passes(std::string_view subject) const;
};
LiteralFilter RequiredLiterals(std::string_view pattern);

}  // namespace kelvora
