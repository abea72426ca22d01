// The candidate-line collectors: every used, cleaned line of a file that matches a pattern.
#include <charconv>
#include <ostream>

#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "text/source_clean.h"

namespace kelvora {
namespace {

constexpr std::size_t kCleanLimit = 2048;  // the bytes CleanLine keeps
constexpr std::size_t kJoinLimit = 2048;
constexpr std::size_t kCandidateLimit = 300;
constexpr std::uint32_t kAllActive = 0xFFFFFFFFu;

void WriteCandidate(std::string& out, std::string_view path, long line_no, std::string_view text) {
  if (!path.empty()) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, line_no).ptr;
    out.append(path).append(1, '(').append(digits, end).append("):  ");
  }
  out.append(text).append("\r\n");
}

bool FirstNonBlankIsHash(std::string_view line) {
  for (char c : line) {
    if (c != ' ' && c != '\t') return c == '#';
  }
  return false;
}

// The first comment of a raw line, as the table registration finds it in a candidate.
std::string_view FirstComment(std::string_view raw, const CleaningPatterns& pats) {
  MatchSpan span;
  std::string_view text = raw.substr(0, Cp932SafeCut(raw, kJoinLimit));
  if (!pats.comment.Search(text, span)) return {};
  return text.substr(span.pos, span.len);
}

// The table collector's state between lines: the previous line as code. A head that needs two
// lines is found in its cleaned text joined with the current line's, so a comment on the earlier
// line never hides the next one.
struct TableHeads {
  std::string pending, pending_raw, joined;
  long pending_no = 0;

  // The previous line's code + " " + the current line's, cut as the head search reads it.
  std::string_view Join(std::string_view cleaned) {
    joined.assign(pending);
    joined += ' ';
    joined += cleaned;
    joined.resize(Cp932SafeCut(joined, kJoinLimit));
    return joined;
  }

  // True when the pattern matches the joined text. The text is only built when the target's
  // condition on the two parts lets it match.
  bool JoinedMatches(const CandidateTarget& t, std::string_view cleaned) {
    if (t.may_match_joined && pending.size() + 1 + cleaned.size() <= kJoinLimit) {
      return t.may_match_joined(pending, cleaned, t.may_match_arg) &&
             t.pattern->Matches(Join(cleaned));
    }
    return t.Matches(Join(cleaned));
  }

  void Line(CandidateTarget& t, long line_no, std::string_view raw, bool used,
            std::string_view cleaned, const CleaningPatterns& pats) {
    // A directive line neither continues a table head nor starts one: joined to its neighbour
    // it would not begin with "#" (its branch would go unseen) or would be stepped twice.
    const bool directive = FirstNonBlankIsHash(raw);
    if (directive) pending.clear();
    if (!used) {
      pending.clear();
      return;
    }
    const bool has_pending = !IsAllBlank(pending);
    if (!JoinedMatches(t, cleaned)) {
      if (!directive) {
        pending.assign(cleaned);
        pending_raw.assign(raw);
        pending_no = line_no;
      }
      return;
    }
    if (!has_pending || t.Matches(cleaned)) {
      WriteCandidate(*t.out, t.path, line_no, raw.substr(0, Cp932SafeCut(raw, kCandidateLimit)));
    } else {
      // Both lines as code, then the comment of the line that holds it: the head's own line
      // first, else the next one. A comment never runs on into the other line's text.
      std::string both = pending + ' ' + std::string(cleaned);
      std::string_view comment = FirstComment(pending_raw, pats);
      if (comment.empty()) comment = FirstComment(raw, pats);
      if (!comment.empty()) both.append(1, ' ').append(comment);
      WriteCandidate(*t.out, t.path, pending_no,
                     std::string_view(both).substr(0, Cp932SafeCut(both, kCandidateLimit)));
    }
    ++t.written;
    pending.clear();
  }
};

}  // namespace

int CollectCandidates(LineSource& reader, CandidateTarget* targets, std::size_t count,
                      const MacroList& macros, int char_change, const CleaningPatterns& pats) {
  if (!pats.ok() || !pats.regex().available()) return -1;
  CommentState comments;
  ConditionalState cond;
  std::vector<TableHeads> tables(count);
  std::string buffer, converted, cleaned_text;
  std::string_view raw;
  long line_no = 0;
  while (reader.NextLine(raw, buffer)) {
    ++line_no;
    if (char_change == 1) {
      converted = ConvertEucToSjis(raw);
      raw = converted;
    }
    std::string_view cleaned;
    bool used;
    if (!HasCleaningMarker(raw)) {
      // Cleaning keeps such a line as it is (or skips it inside a block comment), and the
      // preprocessor step gives 0: the line is used when every level is active.
      used = !comments.in_block && cond.mask == kAllActive;
      cleaned = raw.substr(0, Cp932SafeCut(raw, kCleanLimit));
    } else {
      used = CleanLine(raw, comments, pats, cleaned_text) &&
             FilterLine(cleaned_text, cond, macros, pats);
      cleaned = cleaned_text;
    }
    for (std::size_t k = 0; k < count; ++k) {
      CandidateTarget& t = targets[k];
      if (t.table_heads) {
        tables[k].Line(t, line_no, raw, used, cleaned, pats);
      } else if (used && t.Matches(cleaned)) {
        WriteCandidate(*t.out, t.path, line_no, raw);
        ++t.written;
      }
    }
  }
  return 0;
}

namespace {

long CollectInto(LineSource& reader, std::string_view path, std::ostream& out, const Regex& pattern,
                 bool table_heads, const MacroList& macros, int char_change,
                 const CleaningPatterns& pats) {
  std::string text;
  CandidateTarget target{&pattern, &text, path, table_heads};
  if (CollectCandidates(reader, &target, 1, macros, char_change, pats) < 0) return -1;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  return target.written;
}

}  // namespace

long CollectLines(LineSource& reader, std::string_view path, std::ostream& out,
                  const Regex& pattern, const MacroList& macros, int char_change,
                  const CleaningPatterns& pats) {
  return CollectInto(reader, path, out, pattern, false, macros, char_change, pats);
}

long CollectTableLines(LineSource& reader, std::string_view path, std::ostream& out,
                       const Regex& pattern, const MacroList& macros,
                       const CleaningPatterns& pats) {
  return CollectInto(reader, path, out, pattern, true, macros, 0, pats);
}

}  // namespace kelvora
