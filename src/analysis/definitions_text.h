// Small byte helpers shared by the extractors: trimming, character removal and CP932-aware
// searches for ASCII bytes that can also be the second byte of a double-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/bytes.h"
#include "platform/cp932.h"
#include "text/regex_service.h"

namespace kelvora::extract {

inline bool IsBlankByte(char c) {
  return IsBlankOrTab(c);
}

// A letter or "_": the first byte of a name.
inline bool IsWordStartByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

inline bool IsBlank(std::string_view text) {
  return IsAllBlank(text);
}

using kelvora::TrimBlanks;

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

inline bool Contains(std::string_view text, std::string_view what) {
  return text.find(what) != std::string_view::npos;
}

// What the extractor asks of every line, found in one pass eight bytes at a time.
struct LineBytes {
  bool marker = false;     // a quote, slash or hash: cleaning may change the line
  bool cleanable = false;  // a quote or slash: cleaning may take something out
  bool high = false;       // a byte over 0x7F
  std::size_t paren = std::string_view::npos;            // the first "("
  bool semicolon_after_paren = false;                    // a ";" somewhere after the first "("
  std::size_t first_non_blank = std::string_view::npos;  // the first byte not blank or tab
};

// One pass over the line (defined with the extractor).
LineBytes ScanLineBytes(std::string_view line);
// The same for a line whose memory may be read on for readable bytes from its start (at least
// its size); markers_only: only marker, cleanable and high are set.
LineBytes ScanLineBytes(std::string_view line, std::size_t readable, bool markers_only);

// Which of the texts that cleaning takes out a code holds.
struct CleaningMarks {
  bool quote = false;  // "\""
  bool open = false;   // "/*"
  bool close = false;  // "*/"
  bool line = false;   // "//"
};
CleaningMarks MarksOf(std::string_view code);

// The patterns of the cleaning steps, searched in one line of ASCII bytes: the leftmost match,
// as the engine finds it there (literal \".+?\", block comment /\*.*?\*/, line comment //.+$,
// opening /[*]+.*$ and closing ^.*[*]+/ comment). False when there is none.
enum class CleaningStep { Literal, BlockComment, LineComment, OpenComment, CloseComment };
bool SearchAscii(CleaningStep step, std::string_view line, MatchSpan& span);

// The line of text that begins at pos, split as the file readers split lines (LF ends it, a CR
// before the LF is dropped, a last line without LF keeps its CR), and its bytes, found in the
// same pass; pos moves to where the next line begins. pos must be inside text.
std::string_view NextTextLine(std::string_view text, std::size_t& pos, LineBytes& bytes);
// The same with only marker, cleanable and high of bytes set.
std::string_view NextTextLineMarkers(std::string_view text, std::size_t& pos, LineBytes& bytes);

}  // namespace kelvora::extract
