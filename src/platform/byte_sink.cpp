#include "platform/byte_sink.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "platform/cp932.h"

namespace kelvora {

void WriteCrLf(ByteSink& out, std::string_view bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t nl = bytes.find('\n', at);
    if (nl == std::string_view::npos) {
      out.Write(bytes.substr(at));
      break;
    }
    out.Write(bytes.substr(at, nl - at));
    out.Write("\r\n");
    at = nl + 1;
  }
}

void WriteCp932Text(ByteSink& out, std::string_view utf8) {
  // ASCII needs no conversion: row numbers, counts and markup go straight out. Keeping them in
  // the cache below grew it by one entry per row, a gigabyte over a kernel's 5 million rows.
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; })) {
    WriteCrLf(out, utf8);
    return;
  }
  // Japanese program texts repeat for every row: convert each distinct text once. The cache is
  // emptied now and then, so texts built from data cannot grow it without bound.
  static thread_local Cp932Texts converted(4096, /*crlf=*/true);
  out.Write(converted.Get(utf8));
}

}  // namespace kelvora
