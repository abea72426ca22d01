// Widths of menu item texts estimated from their bytes, without converting every text.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <string_view>
#include <vector>

namespace kelvora {

// Sums cached advance widths per character of the text as DisplayText would show it (UTF-8
// when the bytes are valid UTF-8, CP932 otherwise). Double-byte CP932 characters count as one
// em, kerning is ignored: callers leave a little slack, and painting elides with exact metrics.
// The widest an item's text is shown before it is elided: about 64 average characters, so that
// names with long comments still leave room for several columns.
int ItemTextCap(const QFontMetrics& metrics);

class ItemTextWidths {
 public:
  explicit ItemTextWidths(const QFont& font);

  // The width, or some width above limit once the text is known to be wider.
  int Of(std::string_view bytes, int limit);

 private:
  int Char(char32_t code);

  QFontMetrics metrics_;
  std::vector<qint16> cache_;  // per BMP code point, -1 until measured
  int wide_;
};

}  // namespace kelvora
