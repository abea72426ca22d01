#include "sheet/xlsx_writing.h"

#include <cstdio>

namespace kelvora {

lxw_format* XlsxFormats::For(const CellStyle& style) {
  if (style == CellStyle{}) return nullptr;
  auto [it, added] = formats_.emplace(style, nullptr);
  if (!added) return it->second;
  lxw_format* f = workbook_add_format(wb_);
  if (style.left) format_set_left(f, style.left);
  if (style.right) format_set_right(f, style.right);
  if (style.top) format_set_top(f, style.top);
  if (style.bottom) format_set_bottom(f, style.bottom);
  if (style.font_size > 0) format_set_font_size(f, style.font_size);
  if (auto rgb = PaletteColour(style.color_index)) format_set_font_color(f, *rgb);
  if (style.bold) format_set_bold(f);
  it->second = f;
  return f;
}

mode_t ProcessUmask() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  unsigned mask = 022;
  if (f) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "Umask: %o", &mask) == 1) break;
    std::fclose(f);
  }
  return static_cast<mode_t>(mask);
}

}  // namespace kelvora
