// A writer of the program's text files: Shift-JIS with CR LF line ends.
#pragma once

#include <ostream>
#include <string_view>

namespace kelvora {

// Converts "\n" to "\r\n" and the program's UTF-8 texts to Shift-JIS on the way to a stream.
class SjisWriter {
 public:
  explicit SjisWriter(std::ostream& out) : out_(out) {}
  // Program text (UTF-8), converted to CP932.
  SjisWriter& Text(std::string_view utf8);
  // Data bytes (CP932 names, comments, paths) written as they are.
  SjisWriter& Raw(std::string_view bytes);
  // Data bytes with "&", "<", ">" written as HTML entities.
  SjisWriter& Escaped(std::string_view bytes);
  std::ostream& stream() { return out_; }

 private:
  std::ostream& out_;
};

}  // namespace kelvora
