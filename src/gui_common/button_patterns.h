// The bitmaps of the main window, drawn by code: the 35 button patterns of the kind buttons,
// the marker legend, the radio and Index images and the window icon.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace kelvora {

constexpr int kButtonPatternCount = 35;
constexpr int kKindBitmapWidth = 60;
constexpr int kKindBitmapHeight = 26;

// Entry text of the button pattern box ("赤", ..., "ミックス２－２"); empty outside 0..34.
QString ButtonPatternName(int pattern);

// The bitmap of kind button 1..5 ("関数", "構造体", "#define", "ﾌｧｲﾙ", "ﾃｰﾌﾞﾙ") in a pattern;
// a pattern outside 0..34 is drawn as pattern 0. disabled draws the greyed form.
QPixmap KindButtonBitmap(int pattern, int kind, bool disabled = false);

// The same bitmap in menu-item size (16 x 16), for the per-list sort items of the context menu.
QPixmap KindMenuBitmap(int pattern, int kind);

// Bitmaps by number: 131 (unchecked marker), 132 ("=" table), 133 (".h" header file),
// 134 ("#define" function macro), 424/425 (Index on/off), 459/460 (radio selected/not).
QPixmap NumberedBitmap(int number);

QIcon WindowIcon();

}  // namespace kelvora
