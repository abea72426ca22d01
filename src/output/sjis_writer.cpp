#include "output/sjis_writer.h"

#include "output/html_site.h"

namespace kelvora {

SjisWriter& SjisWriter::Escaped(std::string_view bytes) {
  return Raw(HtmlEscape(bytes));
}

}  // namespace kelvora
