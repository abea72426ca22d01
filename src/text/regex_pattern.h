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

}  // namespace kelvora
