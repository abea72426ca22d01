// The candidate-line collectors: every used, cleaned line of a file that matches a pattern.
#include <algorithm>
#include <ostream>

#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "text/source_clean.h"

namespace kelvora {
namespace {

constexpr std::size_t kJoinLimit = 2048;
constexpr std::size_t kCandidateLimit = 300;

void WriteCandidate(std::ostream& out, std::string_view path, long line_no, std::string_view text) {
  if (!path.empty()) out << path << '(' << line_no << "):  ";
  out << text << "\r\n";
}

bool FirstNonBlankIsHash(std::string_view line) {
  for (char c : line) {
    if (c != ' ' && c != '\t') return c == '#';
  }
  return false;
}

bool IsBlankText(std::string_view text) {
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

// The first comment of a raw line, as the table registration finds it in a candidate.
std::string FirstComment(std::string_view raw, const CleaningPatterns& pats) {
  MatchSpan span;
  std::string_view text = raw.substr(0, Cp932SafeCut(raw, kJoinLimit));
  if (!pats.comment.Search(text, span)) return {};
  return std::string(text.substr(span.pos, span.len));
}

}  // namespace

long CollectLines(LineSource& reader, std::string_view path, std::ostream& out,
                  const Regex& pattern, const MacroList& macros, int char_change,
                  const CleaningPatterns& pats) {
  if (!pats.ok() || !pats.regex().available()) return -1;
  CommentState comments;
  ConditionalState cond;
  std::string raw, cleaned;
  long line_no = 0, written = 0;
  while (reader.ReadLine(raw)) {
    ++line_no;
    if (char_change == 1) raw = ConvertEucToSjis(raw);
    if (!CleanLine(raw, comments, pats, cleaned)) continue;
    if (!FilterLine(cleaned, cond, macros, pats)) continue;
    if (!pattern.Matches(cleaned)) continue;
    WriteCandidate(out, path, line_no, raw);
    ++written;
  }
  return written;
}

long CollectTableLines(LineSource& reader, std::string_view path, std::ostream& out,
                       const Regex& pattern, const MacroList& macros,
                       const CleaningPatterns& pats) {
  if (!pats.ok() || !pats.regex().available()) return -1;
  CommentState comments;
  ConditionalState cond;
  // The previous line as code: a head that needs two lines is found in its cleaned text joined
  // with the current line's, so a comment on the earlier line never hides the next one.
  std::string pending, pending_raw;
  long pending_no = 0;
  std::string raw, cleaned, joined;
  long line_no = 0, written = 0;
  while (reader.ReadLine(raw)) {
    ++line_no;
    // A directive line neither continues a table head nor starts one: joined to its neighbour
    // it would not begin with "#" (its branch would go unseen) or would be stepped twice.
    const bool directive = FirstNonBlankIsHash(raw);
    if (directive) pending.clear();
    if (!CleanLine(raw, comments, pats, cleaned) || !FilterLine(cleaned, cond, macros, pats)) {
      pending.clear();
      continue;
    }
    const bool has_pending = !IsBlankText(pending);
    joined.assign(pending);
    joined += ' ';
    joined += cleaned;
    joined.resize(Cp932SafeCut(joined, kJoinLimit));
    if (!pattern.Matches(joined)) {
      if (!directive) {
        pending = cleaned;
        pending_raw = raw;
        pending_no = line_no;
      }
      continue;
    }
    std::string_view current(raw);
    if (!has_pending || pattern.Matches(cleaned)) {
      WriteCandidate(out, path, line_no, current.substr(0, Cp932SafeCut(current, kCandidateLimit)));
    } else {
      // Both lines as code, then the comment of the line that holds it: the head's own line
      // first, else the next one. A comment never runs on into the other line's text.
      std::string both = pending + ' ' + cleaned;
      std::string comment = FirstComment(pending_raw, pats);
      if (comment.empty()) comment = FirstComment(raw, pats);
      if (!comment.empty()) both += ' ' + comment;
      WriteCandidate(out, path, pending_no,
                     std::string_view(both).substr(0, Cp932SafeCut(both, kCandidateLimit)));
    }
    ++written;
    pending.clear();
  }
  return written;
}

}  // namespace kelvora
