#include "gui_common/colors.h"

#include <QWidget>
#include <algorithm>

namespace kelvora {

QColor FromColorRef(std::uint32_t c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

std::uint32_t ToColorRef(const QColor& color) {
  return static_cast<std::uint32_t>(color.red()) |
         (static_cast<std::uint32_t>(color.green()) << 8) |
         (static_cast<std::uint32_t>(color.blue()) << 16);
}

double WindowOpacity(int transparency_percent) {
  const int p = std::clamp(transparency_percent, 0, 100);
  return (255 - 2 * p) / 255.0;
}

void SetListColors(QWidget* widget, std::uint32_t text_color, std::uint32_t back_color) {
  QPalette colors = widget->palette();
  const QColor text = FromColorRef(text_color);
  const QColor back = FromColorRef(back_color);
  colors.setColor(QPalette::Text, text);
  colors.setColor(QPalette::Base, back);
  colors.setColor(QPalette::AlternateBase, back);
  widget->setPalette(colors);
}

}  // namespace kelvora
