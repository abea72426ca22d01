// The candidate-line collectors: every used, cleaned line of a file that matches a pattern.
#include <array>
#include <charconv>
#include <cstdint>
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

// One bit for each byte a collection looks for, and the bits of the bytes a text holds.
class ByteBits {
 public:
  // The bits of bytes, given a bit each on first sight; a byte past the 32nd is not looked for.
  std::uint32_t Add(std::string_view bytes) {
    std::uint32_t bits = 0;
    for (char c : bytes) {
      std::uint32_t& bit = bits_[static_cast<unsigned char>(c)];
      if (bit == 0 && used_ < 32) bit = std::uint32_t{1} << used_++;
      bits |= bit;
    }
    return bits;
  }
  std::uint32_t Of(std::string_view text) const {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::uint32_t a = 0, b = 0, c = 0, d = 0;  // four chains, so the lookups overlap
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
      a |= bits_[p[i]];
      b |= bits_[p[i + 1]];
      c |= bits_[p[i + 2]];
      d |= bits_[p[i + 3]];
    }
    for (; i < n; ++i) a |= bits_[p[i]];
    return a | b | c | d;
  }

 private:
  std::array<std::uint32_t, 256> bits_{};
  int used_ = 0;
};

// The table collector's state between lines: the previous line as code. A head that needs two
// lines is found in its cleaned text joined with the current line's, so a comment on the earlier
// line never hides the next one. The previous line's texts are views that stay valid while the
// current line is read (CollectCandidates keeps two sets of buffers).
struct TableHeads {
  std::string_view pending, pending_raw;
  long pending_no = 0;
  std::uint32_t pending_bits = 0;  // the bytes of the raw line pending was cleaned from
  bool pending_may_known = false;  // pending_may holds the target's may_match of pending
  bool pending_may = false;
  std::string joined;

  void Clear() {
    pending = {};
    pending_bits = 0;
    pending_may_known = false;
  }

  bool PendingMay(const CandidateTarget& t) {
    if (!pending_may_known) {
      pending_may = !t.may_match || t.may_match(pending, t.may_match_arg);
      pending_may_known = true;
    }
    return pending_may;
  }

  // The previous line's code + " " + the current line's, cut as the head search reads it.
  std::string_view Join(std::string_view cleaned) {
    joined.assign(pending);
    joined += ' ';
    joined += cleaned;
    joined.resize(Cp932SafeCut(joined, kJoinLimit));
    return joined;
  }

  // bits: the bytes of the raw line, a superset of those of cleaned; needs: the bytes every
  // head holds; blank, hash: the bits of the " " that joins two lines and of "#".
  void Line(CandidateTarget& t, long line_no, std::string_view raw, bool used,
            std::string_view cleaned, std::uint32_t bits, std::uint32_t needs, std::uint32_t blank,
            std::uint32_t hash, const CleaningPatterns& pats) {
    // A directive line neither continues a table head nor starts one: joined to its neighbour
    // it would not begin with "#" (its branch would go unseen) or would be stepped twice.
    const bool directive = (bits & hash) != 0 && FirstNonBlankIsHash(raw);
    if (directive || !used) {
      Clear();
      if (!used) return;
    }
    // The joined text is only built when it holds every byte a head needs and the target's
    // condition lets it match: in one of the lines or across the two.
    bool match = false, may_known = false, may = false;
    if (((pending_bits | bits | blank) & needs) == needs) {
      may = !t.may_match || t.may_match(cleaned, t.may_match_arg);
      may_known = true;
      if (t.may_match && t.may_match_across && pending.size() + 1 + cleaned.size() <= kJoinLimit) {
        match = (may || PendingMay(t) || t.may_match_across(pending, cleaned, t.may_match_arg)) &&
                t.pattern->Matches(Join(cleaned));
      } else {
        match = t.Matches(Join(cleaned));
      }
    }
    if (!match) {
      if (!directive) {
        pending = cleaned;
        pending_raw = raw;
        pending_no = line_no;
        pending_bits = bits;
        pending_may_known = may_known;
        pending_may = may;
      }
      return;
    }
    if (IsAllBlank(pending) || ((bits & needs) == needs && may && t.pattern->Matches(cleaned))) {
      WriteCandidate(*t.out, t.path, line_no, raw.substr(0, Cp932SafeCut(raw, kCandidateLimit)));
    } else {
      // Both lines as code, then the comment of the line that holds it: the head's own line
      // first, else the next one. A comment never runs on into the other line's text.
      std::string both(pending);
      both.append(1, ' ').append(cleaned);
      std::string_view comment = FirstComment(pending_raw, pats);
      if (comment.empty()) comment = FirstComment(raw, pats);
      if (!comment.empty()) both.append(1, ' ').append(comment);
      WriteCandidate(*t.out, t.path, pending_no,
                     std::string_view(both).substr(0, Cp932SafeCut(both, kCandidateLimit)));
    }
    ++t.written;
    Clear();
  }
};

}  // namespace

int CollectCandidates(LineSource& reader, CandidateTarget* targets, std::size_t count,
                      const MacroList& macros, int char_change, const CleaningPatterns& pats) {
  if (!pats.ok() || !pats.regex().available()) return -1;
  CommentState comments;
  ConditionalState cond;
  std::vector<TableHeads> tables(count);
  // The bytes looked for in every line: those cleaning acts on, and those each target needs.
  ByteBits byte_bits;
  const std::uint32_t markers = byte_bits.Add("\"/#");
  std::vector<std::uint32_t> needs(count);
  for (std::size_t k = 0; k < count; ++k) needs[k] = byte_bits.Add(targets[k].needs);
  const std::uint32_t blank = byte_bits.Of(" "), hash = byte_bits.Of("#");
  // Two of each buffer, used by turns: the previous line stays valid for the table heads.
  std::string buffers[2], converted[2], cleaned_texts[2];
  std::string_view raw;
  long line_no = 0;
  for (int turn = 0; reader.NextLine(raw, buffers[turn]); turn ^= 1) {
    ++line_no;
    if (char_change == 1) {
      converted[turn] = ConvertEucToSjis(raw);
      raw = converted[turn];
    }
    // Cleaning only removes bytes: the cleaned line holds none that the raw line does not.
    const std::uint32_t bits = byte_bits.Of(raw);
    std::string_view cleaned;
    bool used;
    if ((bits & markers) == 0) {
      // Cleaning keeps such a line as it is (or skips it inside a block comment), and the
      // preprocessor step gives 0: the line is used when every level is active.
      used = !comments.in_block && cond.mask == kAllActive;
      cleaned = raw.size() <= kCleanLimit ? raw : raw.substr(0, Cp932SafeCut(raw, kCleanLimit));
    } else {
      std::string& cleaned_text = cleaned_texts[turn];
      used = CleanLine(raw, comments, pats, cleaned_text) &&
             FilterLine(cleaned_text, cond, macros, pats);
      cleaned = cleaned_text;
    }
    for (std::size_t k = 0; k < count; ++k) {
      CandidateTarget& t = targets[k];
      if (t.table_heads) {
        tables[k].Line(t, line_no, raw, used, cleaned, bits, needs[k], blank, hash, pats);
      } else if (used && (bits & needs[k]) == needs[k] && t.Matches(cleaned)) {
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
  CandidateTarget target{
      .pattern = &pattern, .out = &text, .path = path, .table_heads = table_heads};
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
