// The ASCII code table shown in the information window.
#pragma once

#include <string>

namespace kelvora {

// The table as UTF-8 text with CR LF line ends: the heading "≪ ASCIIコード表 ≫", one row per
// code 0x00..0x3F with the code 64 higher beside it (character or control abbreviation, a
// Japanese description, the C escape where there is one, decimal, hexadecimal), and a legend of
// the ranges. Every row has the same display width (full-width characters count two).
std::string AsciiTableText();

// Display columns of a UTF-8 text in a Japanese monospace font: ASCII and half-width katakana
// count one, everything else two.
int DisplayWidth(const std::string& utf8);

}  // namespace kelvora
