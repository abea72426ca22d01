// Colours as the settings store them (0x00BBGGRR) and window translucency in percent.
#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

class QWidget;

namespace kelvora {

QColor FromColorRef(std::uint32_t color_ref);
std::uint32_t ToColorRef(const QColor& color);

// Window opacity of a transparency of p percent (clamped to 0..100): (255 - 2p) / 255.
double WindowOpacity(int transparency_percent);

// Text and base colours of a list or edit widget, in every colour group.
void SetListColors(QWidget* widget, std::uint32_t text_color, std::uint32_t back_color);

}  // namespace kelvora
