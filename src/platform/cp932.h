// CP932 (Windows Shift-JIS) and UTF-8 conversion, and CP932-aware byte helpers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kelvora {

// Converts CP932 bytes to UTF-8. Bytes that are not valid CP932 become U+FFFD; nothing is lost
// silently from the valid parts. 0x5C stays a backslash.
std::string Cp932ToUtf8(std::string_view cp932);

// Converts UTF-8 text to CP932. Characters without a CP932 form become "?".
std::string Utf8ToCp932(std::string_view utf8);

// The same with another replacement (CP932 bytes) for each character without a CP932 form or
// broken sequence; *replaced grows by their number.
std::string Utf8ToCp932(std::string_view utf8, std::string_view replacement, long* replaced);

// Texts that repeat on every row (headings, marks, the program's messages) converted to CP932
// once per distinct text. With a limit the table is emptied when it holds that many texts, so
// texts built from data cannot grow it without bound; a reference returned holds until then
// (for ever without a limit). crlf: every LF of the result is written CR LF. Not for sharing
// between threads.
class Cp932Texts {
 public:
  explicit Cp932Texts(std::size_t limit = 0, bool crlf = false) : limit_(limit), crlf_(crlf) {}
  const std::string& Get(std::string_view utf8);

 private:
  std::size_t limit_;
  bool crlf_;
  std::unordered_map<std::string, std::string> table_;
};

// True when the bytes are well-formed UTF-8 (plain ASCII is).
bool IsValidUtf8(std::string_view bytes);

// Text for display: bytes that are valid UTF-8 are shown as they are (file names on Linux),
// anything else is read as CP932 (data from source files).
std::string ToDisplay(std::string_view bytes);

// True when b starts a CP932 double-byte character (0x81..0x9F, 0xE0..0xFC).
constexpr bool IsCp932LeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// True when b can end a CP932 double-byte character (0x40..0x7E, 0x80..0xFC).
constexpr bool IsCp932TrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Largest length <= max_bytes that does not cut a double-byte character of the text in two.
std::size_t Cp932SafeCut(std::string_view text, std::size_t max_bytes);

}  // namespace kelvora
