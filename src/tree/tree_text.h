// Small CP932-aware text helpers of the tree code.
#pragma once

#include <string>
#include <string_view>

namespace kelvora {

// First run of [A-Za-z0-9_] that starts on a character boundary (a trail byte of a double-byte
// character never starts or continues it); empty when none.
std::string_view FirstWord(std::string_view text);

// The item name: the first match of "[*~]*[A-Za-z_][A-Za-z0-9_:]*", character-aligned.
std::string_view ItemName(std::string_view text);

// True when word occurs in text starting on a character boundary.
bool ContainsAligned(std::string_view text, std::string_view word);

// The text with its first occurrence of what removed (unchanged when it does not occur).
std::string RemoveFirst(std::string_view text, std::string_view what);

// Trailing blanks and tabs removed.
std::string_view TrimRight(std::string_view text);

}  // namespace kelvora
