#include "data/position.h"

#include <charconv>

#include "platform/editor_launch.h"

namespace kelvora {

std::optional<Position> Position::Parse(std::string_view text) {
  const std::size_t open = text.rfind('(');
  if (open == std::string_view::npos) return std::nullopt;
  const std::size_t close = text.find(')', open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return Position{std::string(text.substr(0, open)),
                  std::string(text.substr(open + 1, close - open - 1))};
}

std::optional<long> Position::LineNumber() const {
  long value = 0;
  const char* first = line.data();
  const char* last = first + line.size();
  auto [end, ec] = std::from_chars(first, last, value);
  if (line.empty() || ec != std::errc() || end != last || value < 0) return std::nullopt;
  return value;
}

std::string Position::Text() const {
  return path + "(" + line + ")";
}

std::optional<Parentheses> LastParentheses(std::string_view text) {
  const std::size_t close = text.rfind(')');
  if (close == std::string_view::npos) return std::nullopt;
  const std::size_t open = text.rfind('(', close);
  if (open == std::string_view::npos) return std::nullopt;
  return Parentheses{open, close};
}

std::string_view PathBeforeShortLine(std::string_view position) {
  const std::size_t tail = position.size() > 10 ? position.size() - 10 : 0;
  const std::size_t paren = position.rfind('(');
  return paren != std::string_view::npos && paren >= tail ? position.substr(0, paren) : position;
}

std::string FormatPosition(std::string_view path, long line) {
  return std::string(path) + "(" + std::to_string(line) + ")";
}

bool SplitPosition(std::string_view position, std::string& path, long& line) {
  std::optional<Position> parsed = Position::Parse(position);
  if (!parsed) return false;
  std::optional<long> number = parsed->LineNumber();
  if (!number) return false;
  path = std::move(parsed->path);
  line = *number;
  return true;
}

OpenResult OpenPosition(const EditorLauncher& editor, std::string_view position, Ui& ui) {
  std::optional<Position> at = Position::Parse(position);
  // Without an editor the user is told so, whatever the text.
  if (!at) return editor.editor_path().empty() ? editor.Open("", "", ui) : OpenResult::NoPosition;
  return editor.Open(at->path, at->line, ui);
}

}  // namespace kelvora
