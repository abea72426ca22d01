// The main window's background: hatch styles, the 95 bitmap patterns drawn by code and the brush
// built from the colour settings.
#pragma once

#include <QBrush>
#include <QColor>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "gui_common/colors.h"

namespace kelvora {

constexpr int kHatchStyles = 6;              // stored values 0..5
constexpr int kBackgroundPatternCount = 95;  // stored values 6..100

// Entries of the hatch pattern box, in order: "左下がりの斜線", "碁盤目", "斜めの碁盤目",
// "右下がりの斜線", "水平線", "垂直線".
QStringList HatchBoxEntries();
// The stored hatch style of a box entry (3, 4, 5, 2, 0, 1); -1 outside the box.
int HatchStyleOfEntry(int entry);
// The box entry of a stored value; -1 for a bitmap pattern or an unknown value.
int EntryOfHatchStyle(int style);

// Bitmap patterns 0..94 ("ﾄﾞｯﾄ　赤", ..., "ﾊｰﾄ　白-灰") and their remarks.
QString BackgroundPatternName(int pattern);
QString BackgroundPatternRemark(int pattern);
// One tile of a bitmap pattern; a null pixmap outside 0..94.
QPixmap BackgroundPatternTile(int pattern);

// The window brush for the stored Hatch_Pattern: a hatch of that style in the line colour over
// the background colour (0..5), or the bitmap pattern value - 6. An unknown value gives the
// background colour alone.
QBrush BackgroundBrush(int hatch_pattern, std::uint32_t line_color, std::uint32_t back_color);

}  // namespace kelvora
