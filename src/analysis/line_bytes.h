// What the extractor finds in a line while it splits or scans it: the bytes that decide which
// steps a line needs, and the cleaning marks of a code.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/bytes.h"
#include "platform/cp932.h"
#include "text/regex_service.h"

namespace kelvora::extract {

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

using kelvora::CleaningStep;

// The line of text that begins at pos, split as the file readers split lines (LF ends it, a CR
// before the LF is dropped, a last line without LF keeps its CR), and its bytes, found in the
// same pass; pos moves to where the next line begins. pos must be inside text.
std::string_view NextTextLine(std::string_view text, std::size_t& pos, LineBytes& bytes);
// The same with only marker, cleanable and high of bytes set.
std::string_view NextTextLineMarkers(std::string_view text, std::size_t& pos, LineBytes& bytes);

}  // namespace kelvora::extract
