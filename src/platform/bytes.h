// Byte helpers for CP932 and ASCII text: blanks, trimming, ASCII case folding and stepping over
// double-byte characters. Bytes of 0x80 and above are never folded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/cp932.h"

namespace kelvora {

// A blank or a tab.
constexpr bool IsBlankOrTab(char c) {
  return c == ' ' || c == '\t';
}

// Text without leading and trailing blanks and tabs.
constexpr std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlankOrTab(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrTab(text.back())) text.remove_suffix(1);
  return text;
}

// True when the text is empty or holds blanks and tabs only.
constexpr bool IsAllBlank(std::string_view text) {
  return TrimBlanks(text).empty();
}

// "A".."Z" to "a".."z"; every other byte unchanged.
constexpr unsigned char FoldAscii(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
constexpr char FoldAscii(char c) {
  return static_cast<char>(FoldAscii(static_cast<unsigned char>(c)));
}

// Equal when ASCII letters are folded.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

// Byte length of the character at i: 2 for a lead byte with a byte after it, else 1.
constexpr std::size_t Cp932CharLength(std::string_view text, std::size_t i) {
  return IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// Eight bytes at a time: kByteOnes * c repeats c in every byte, and ZeroByteMask(w ^ that) has
// the high bit of every byte of w equal to c set, and no other bit.
inline constexpr std::uint64_t kByteOnes = 0x0101010101010101ull;
constexpr std::uint64_t ZeroByteMask(std::uint64_t w) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  return ~(((w & kLow7) + kLow7) | w | kLow7);
}

}  // namespace kelvora
