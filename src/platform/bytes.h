// Byte helpers for CP932 and ASCII text: blanks, trimming, ASCII case folding, byte removal and
// searches that step over double-byte characters. Bytes of 0x80 and above are never folded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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
// A letter or "_": the first byte of a name.
constexpr bool IsWordStartByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

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

// Text without any of the bytes in chars.
inline std::string RemoveBytes(std::string_view text, std::string_view chars) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    // A loop over the few bytes: find() on the set calls memchr for every byte of text.
    bool listed = false;
    for (char r : chars) listed = listed || r == c;
    if (!listed) out.push_back(c);
  }
  return out;
}

// Text with every byte from replaced by to.
inline std::string ReplaceByte(std::string_view text, char from, char to) {
  std::string out(text);
  for (char& c : out) {
    if (c == from) c = to;
  }
  return out;
}

// Position of the first character ch (an ASCII byte) that is not the second byte of a CP932
// double-byte character; npos when none.
inline std::size_t FindCp932Char(std::string_view text, char ch) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (IsCp932LeadByte(b) && i + 1 < text.size()) {
      ++i;
      continue;
    }
    if (text[i] == ch) return i;
  }
  return std::string_view::npos;
}

// Number of characters ch in the text, read as CP932.
inline long CountCp932Char(std::string_view text, char ch) {
  long n = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (IsCp932LeadByte(b) && i + 1 < text.size()) {
      ++i;
      continue;
    }
    if (text[i] == ch) ++n;
  }
  return n;
}

// True when text holds what.
inline bool Contains(std::string_view text, std::string_view what) {
  return text.find(what) != std::string_view::npos;
}

// Eight bytes at a time: kByteOnes * c repeats c in every byte, and ZeroByteMask(w ^ that) has
// the high bit of every byte of w equal to c set, and no other bit.
inline constexpr std::uint64_t kByteOnes = 0x0101010101010101ull;
constexpr std::uint64_t ZeroByteMask(std::uint64_t w) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  return ~(((w & kLow7) + kLow7) | w | kLow7);
}

}  // namespace kelvora
