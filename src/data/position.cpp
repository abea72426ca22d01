#include "data/position.h"

#include <charconv>

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

}  // namespace kelvora
