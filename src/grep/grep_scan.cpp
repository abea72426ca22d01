#include "grep/grep_scan.h"

#include "platform/cp932.h"
#include "platform/file_names.h"
#include "platform/line_split.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

namespace kelvora {

namespace {

constexpr std::size_t kCleanLimit = 2048;  // the bytes CleanLine looks at
constexpr std::uint32_t kAllOnes = 0xFFFFFFFFu;

void Write(std::string& out, std::string_view path, long line_no, std::string_view text) {
  out.append(NameToCp932(path));  // a line break in a name must not split the hit's line
  out += '(';
  out += std::to_string(line_no);
  out += "):  ";
  out.append(text);
  out += "\r\n";
}

}  // namespace

long GrepText(std::string_view text, std::string_view path, std::string& out, const Regex& pattern,
              const MacroList& macros, int char_change, const CleaningPatterns& pats) {
  if (!pats.ok() || !pats.regex().available()) return -1;
  CommentState comments;
  ConditionalState cond;
  std::string raw, cleaned;
  long line_no = 0, written = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::string_view line = LineAt(text, pos);
    ++line_no;

    if (char_change != 1 && !HasCleaningMarker(line)) {
      // CleanLine keeps the line (or skips it inside a block comment); the step gives 0, so the
      // filter uses the line when every level is active.
      if (comments.in_block || cond.mask != kAllOnes) continue;
      if (!pattern.Matches(line.substr(0, Cp932SafeCut(line, kCleanLimit)))) continue;
      Write(out, path, line_no, line);
      ++written;
      continue;
    }
    raw.assign(line);
    if (char_change == 1) raw = ConvertEucToSjis(raw);
    if (!CleanLine(raw, comments, pats, cleaned)) continue;
    if (!FilterLine(cleaned, cond, macros, pats)) continue;
    if (!pattern.Matches(cleaned)) continue;
    Write(out, path, line_no, raw);
    ++written;
  }
  return written;
}

}  // namespace kelvora
