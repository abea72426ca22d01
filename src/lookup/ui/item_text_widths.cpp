#include "lookup/ui/item_text_widths.h"

#include <algorithm>

#include "platform/cp932.h"

namespace kelvora {

int ItemTextCap(const QFontMetrics& metrics) {
  return std::max(160, 64 * metrics.averageCharWidth());
}

ItemTextWidths::ItemTextWidths(const QFont& font)
    : metrics_(font), cache_(0x10000, -1), wide_(metrics_.horizontalAdvance(QChar(0x3000))) {}

int ItemTextWidths::Char(char32_t code) {
  if (code > 0xFFFF) return wide_;
  qint16& cached = cache_[code];
  if (cached < 0) {
    cached = static_cast<qint16>(metrics_.horizontalAdvance(QChar(static_cast<char16_t>(code))));
  }
  return cached;
}

int ItemTextWidths::Of(std::string_view bytes, int limit) {
  int width = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  if (IsValidUtf8(bytes)) {
    for (std::size_t i = 0; i < n && width <= limit;) {
      const unsigned char b = p[i];
      char32_t code = b;
      int more = 0;
      if (b >= 0xF0) {
        code = b & 0x07;
        more = 3;
      } else if (b >= 0xE0) {
        code = b & 0x0F;
        more = 2;
      } else if (b >= 0xC0) {
        code = b & 0x1F;
        more = 1;
      }
      ++i;
      for (; more > 0 && i < n; --more, ++i) code = (code << 6) | (p[i] & 0x3F);
      width += Char(code);
    }
    return width;
  }
  for (std::size_t i = 0; i < n && width <= limit;) {
    const unsigned char b = p[i];
    if (IsCp932LeadByte(b) && i + 1 < n) {
      width += wide_;
      i += 2;
      continue;
    }
    if (b < 0x80) {
      width += Char(b);
    } else if (b >= 0xA1 && b <= 0xDF) {
      width += Char(0xFF61 + (b - 0xA1));  // half-width katakana
    } else {
      width += Char(0xFFFD);
    }
    ++i;
  }
  return width;
}

}  // namespace kelvora
