// A writer of the program's text files: Shift-JIS with CR LF line ends.
#pragma once

#include <optional>
#include <ostream>
#include <string_view>

#include "platform/byte_sink.h"

namespace kelvora {

// Converts "\n" to "\r\n" and the program's UTF-8 texts to Shift-JIS on the way to a sink.
class SjisWriter {
 public:
  explicit SjisWriter(ByteSink& out) : out_(out) {}
  explicit SjisWriter(std::ostream& out) : stream_(std::in_place, out), out_(*stream_) {}
  SjisWriter(const SjisWriter&) = delete;
  SjisWriter& operator=(const SjisWriter&) = delete;
  // Program text (UTF-8), converted to CP932.
  SjisWriter& Text(std::string_view utf8) {
    WriteCp932Text(out_, utf8);
    return *this;
  }
  // Data bytes (CP932 names, comments, paths) written as they are.
  SjisWriter& Raw(std::string_view bytes) {
    WriteCrLf(out_, bytes);
    return *this;
  }
  // Data bytes with "&", "<", ">" written as HTML entities.
  SjisWriter& Escaped(std::string_view bytes);

 private:
  std::optional<OstreamSink> stream_;
  ByteSink& out_;
};

}  // namespace kelvora
