// The marker bitmaps of the tag-jump menus (131 to 134), drawn by code.
#pragma once

#include <QPixmap>

namespace kelvora {

// Logical edge length of a marker bitmap in pixels.
constexpr int kMenuBitmapSize = 13;

// The bitmap with that number (kUncheckedBitmap .. kMacroBitmap) drawn for the given device
// pixel ratio; a null pixmap for any other number.
QPixmap MenuBitmap(int id, qreal device_pixel_ratio = 1.0);

}  // namespace kelvora
