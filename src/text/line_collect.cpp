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
  std::string raw, pending, joined, cleaned;
  long line_no = 0, written = 0;
  while (reader.ReadLine(raw)) {
    ++line_no;
    // A directive line neither continues a table head nor starts one: joined to its neighbour
    // it would not begin with "#" (its branch would go unseen) or would be stepped twice.
    const bool directive = FirstNonBlankIsHash(raw);
    if (directive) pending.clear();
    joined.assign(pending, 0, std::min(pending.size(), kJoinLimit));
    joined += ' ';
    if (joined.size() < kJoinLimit) joined.append(raw, 0, kJoinLimit - joined.size());
    if (!CleanLine(joined, comments, pats, cleaned)) continue;
    if (!FilterLine(cleaned, cond, macros, pats)) {
      pending.clear();
      continue;
    }
    if (!pattern.Matches(cleaned)) {
      if (directive) {
        pending.clear();
      } else {
        pending = raw;
      }
      continue;
    }
    // The head stands on the current line alone unless only the joined text matches.
    std::string_view current(raw);
    if (pending.empty() || pattern.Matches(current.substr(0, kJoinLimit))) {
      WriteCandidate(out, path, line_no, current.substr(0, Cp932SafeCut(current, kCandidateLimit)));
    } else {
      std::string both = pending.substr(0, kCandidateLimit) + ' ';
      both.append(current.substr(0, kCandidateLimit));
      WriteCandidate(out, path, line_no - 1,
                     std::string_view(both).substr(0, Cp932SafeCut(both, kCandidateLimit)));
    }
    ++written;
    pending.clear();
  }
  return written;
}

}  // namespace kelvora
