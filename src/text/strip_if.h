// The conditional-region removal tool: a copy of a source file without the lines of the
// preprocessor branches that the macro list makes false.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"

namespace kelvora {

class EditorLauncher;
class LineSource;
class MacroList;
class CleaningPatterns;
class RegexService;

// What the tool takes from the settings: the macro list "Preprocessor" and "CharChange".
struct StripIfSettings {
  std::string_view preprocessor;
  int char_change = 0;
};

// "出力が完了しました。ファイルを開きますか？　": Yes (or anything but No) opens the copy.
inline constexpr QuestionId kAskOpenStrippedCopy{"tools.strip-if.open-copy"};

// Decides for every line of a file whether the copy keeps it: the line filter over the cleaned
// first 512 bytes of each line (lines inside block comments are looked at too). A conditional
// keeps its directive lines only when all of them stay, so the copy never holds an "#if" without
// its "#endif" (or an "#elif" without its "#if"). Empty when the engine is missing.
std::vector<std::uint8_t> DecideKeptLines(LineSource& in, const MacroList& macros,
                                          const CleaningPatterns& pats);

// Writes the kept lines of the file, each as read followed by CR LF; the number written.
long WriteKeptLines(LineSource& in, const std::vector<std::uint8_t>& keep, std::ostream& out);

// Both passes over a file: the number of lines written, -1 when the input cannot be read. The
// lines are judged as "CharChange" reads them (char_change) and written as the file holds them.
long StripFalseRegionsFile(const std::string& in_path, std::ostream& out, const MacroList& macros,
                           const CleaningPatterns& pats, int char_change = 0);

enum class StripResult { Cancelled, NoFile, Unreadable, TempFailed, WriteFailed, Done };

// The tool of the main window's tool menu: explanation, input file, copy to a temporary file,
// output file, copy over it, then the question whether to open it in the editor.
StripResult StripIfCommand(const StripIfSettings& settings, const RegexService& regex,
                           const EditorLauncher& editor, Ui& ui);

}  // namespace kelvora
