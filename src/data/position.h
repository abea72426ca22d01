// A position "path(line)" as the lists hold it and the editor opens it: one parser and one
// formatter for every reader and writer. Compressing and expanding against the root table are
// RegisteredData::CompressPosition and ExpandPosition.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvora {

class EditorLauncher;
class Ui;
enum class OpenResult;

struct Position {
  std::string path;  // bytes as the file system gives them; may hold "(" and ")"
  std::string line;  // the text between the parentheses, normally a line number

  // Splits at the last "(" and the first ")" after it; text after the ")" (": ...") is
  // ignored. Nothing when there is no "(" or no ")" after it.
  static std::optional<Position> Parse(std::string_view text);
  // The line as a number; nothing when it is not a non-negative decimal number.
  std::optional<long> LineNumber() const;
  // "path(line)".
  std::string Text() const;
};

// The parentheses of a position taken from the right: the last ")" and the last "(" before it.
// Nothing when the text has no ")" or no "(" before its last one.
struct Parentheses {
  std::size_t open;
  std::size_t close;
};
std::optional<Parentheses> LastParentheses(std::string_view text);

// The path of a position whose line number is short: the text before the last "(" when that
// "(" stands among the last ten bytes, else the whole text.
std::string_view PathBeforeShortLine(std::string_view position);

// "path(line)" for a line number.
std::string FormatPosition(std::string_view path, long line);

// The path and line number of a position; false (path and line untouched) when it has no
// parentheses or no number in them.
bool SplitPosition(std::string_view position, std::string& path, long& line);

// Open at position: the editor at a "path(line)" text, bytes as stored; NoPosition (silent)
// when the text has no "(" or no ")" after it.
OpenResult OpenPosition(const EditorLauncher& editor, std::string_view position, Ui& ui);

}  // namespace kelvora
