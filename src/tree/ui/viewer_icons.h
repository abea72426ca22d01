// The 16 x 16 icons of the TREE viewer's tool bar and context menu, drawn by code. The kinds:
// 'e' expand (a small tree), 'u' callers (an arrow up), 'c' copy (two sheets), 'd' delete (a
// cross), 'o' open (a folder), 't' text output (a sheet with lines), 'm' comments (a speech
// bubble), '1'..'4' text and background colours of the two windows, 'a' font angle, 'w' font
// weight, 'r' bar direction, 'i' background inversion, 'x' spreadsheet output, 'g' call graph (a
// caller over two callees). Another kind gives an empty icon.
#pragma once

#include <QIcon>

namespace kelvora {

QIcon ViewerIcon(char kind);

}  // namespace kelvora
