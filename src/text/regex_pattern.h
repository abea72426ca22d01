// Pattern text preparation for the regex engine: CP932-aware walking of character classes.
#pragma once

#include <string>
#include <string_view>

namespace kelvora {

// Rewrites every descending range inside a character class ("=-+" in "[ \t=-+]") into its
// literal characters ("=", "-", "+"); everything else is copied unchanged. The pattern is
// walked as CP932, so the second byte of a double-byte character is never taken for "\", "["
// or "]".
std::string RewriteDescendingRanges(std::string_view pattern);

// ASCII bytes (at most four) that every match of the pattern must contain; empty when the
// pattern gives no such guarantee that a plain walk can prove (alternation at the top level,
// inline options, quoting). A subject without one of them cannot match.
std::string RequiredBytes(std::string_view pattern);

}  // namespace kelvora
