#include "output/sjis_writer.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "output/html_site.h"
#include "platform/cp932.h"

namespace kelvora {

SjisWriter& SjisWriter::Text(std::string_view utf8) {
  // ASCII needs no conversion: row numbers, counts and markup go straight out. Keeping them in
  // the cache below grew it by one entry per row, a gigabyte over a kernel's 5 million rows.
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; }))
    return Raw(utf8);
  // Japanese program texts repeat for every row: convert each distinct text once. The cache is
  // emptied now and then, so texts built from data cannot grow it without bound.
  static thread_local Cp932Texts converted(4096, /*crlf=*/true);
  out_ << converted.Get(utf8);
  return *this;
}

SjisWriter& SjisWriter::Raw(std::string_view bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t nl = bytes.find('\n', at);
    if (nl == std::string_view::npos) {
      out_ << bytes.substr(at);
      break;
    }
    out_ << bytes.substr(at, nl - at) << "\r\n";
    at = nl + 1;
  }
  return *this;
}

SjisWriter& SjisWriter::Escaped(std::string_view bytes) {
  return Raw(HtmlEscape(bytes));
}

}  // namespace kelvora
