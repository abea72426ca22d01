// Maps the Japanese font names the windows ask for to an installed Japanese font.
#pragma once

#include <QString>

namespace kelvora {

// "ＭＳ Ｐゴシック": the proportional face of the windows and the application font.
QString ProportionalGothicName();
// "ＭＳ ゴシック": the fixed-pitch face.
QString FixedGothicName();

// Substitutes IPA Gothic (or another installed Japanese gothic face) for both names and their
// ASCII spellings. Needs a QGuiApplication. Returns false when no such face is installed.
bool SubstituteJapaneseFonts();

// SubstituteJapaneseFonts, then "ＭＳ Ｐゴシック" 9 point as the application font.
void ApplyApplicationFont();

}  // namespace kelvora
