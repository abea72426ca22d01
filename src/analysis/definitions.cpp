#include "analysis/definitions.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/escape_poll.h"
#include "analysis/file_scan_result.h"
#include "analysis/line_bytes.h"
#include "data/registration_lists.h"
#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "platform/line_split.h"
#include "platform/ui.h"
#include "settings/settings.h"

namespace kelvora {

namespace extract {
namespace {

enum : std::uint8_t {
  kMarkerByte = 1,
  kParenByte = 2,
  kSemicolonByte = 4,
  kHighByte = 8,
  kBlankByte = 16,
  kHashByte = 32,
};

constexpr std::array<std::uint8_t, 256> ByteKinds() {
  std::array<std::uint8_t, 256> t{};
  t['"'] = t['/'] = kMarkerByte;
  t['#'] = kHashByte;
  t['('] = kParenByte;
  t[';'] = kSemicolonByte;
  t[' '] = t['\t'] = kBlankByte;
  for (int c = 0x80; c < 0x100; ++c) t[c] = kHighByte;
  return t;
}
constexpr std::array<std::uint8_t, 256> kByteKinds = ByteKinds();

// What LineBytes tells, gathered byte by byte or block by block. Kept in a local object, so
// that its fields stay in registers while the bytes are read.
class ByteScan {
 public:
  // The byte c at i.
  [[gnu::always_inline]] void Byte(char c, std::size_t i) {
    const std::uint8_t kind = kByteKinds[static_cast<unsigned char>(c)];
    if (kind != kBlankByte && first_non_blank_ == kNone) first_non_blank_ = i;
    seen_ |= kind;
    if (kind == kParenByte && paren_ == kNone) {
      paren_ = i;
    } else if (kind == kSemicolonByte && paren_ != kNone) {
      semicolon_after_paren_ = true;
    }
  }

#if defined(__SSE2__)
  // The sixteen bytes of w that begin at base; only those in the mask fresh count.
  // kMarkersOnly: only the marker bytes and high bytes are looked for.
  template <bool kMarkersOnly = false>
  [[gnu::always_inline]] void Block(__m128i w, unsigned fresh, std::size_t base) {
    const __m128i markers =
        _mm_or_si128(_mm_cmpeq_epi8(w, _mm_set1_epi8('"')), _mm_cmpeq_epi8(w, _mm_set1_epi8('/')));
    if (fresh & Mask(markers)) seen_ |= kMarkerByte;
    if (fresh & Mask(_mm_cmpeq_epi8(w, _mm_set1_epi8('#')))) seen_ |= kHashByte;
    if (fresh & Mask(w)) seen_ |= kHighByte;
    if constexpr (kMarkersOnly) return;
    if (first_non_blank_ == kNone) {
      const unsigned others = fresh & ~Mask(_mm_or_si128(_mm_cmpeq_epi8(w, _mm_set1_epi8(' ')),
                                                         _mm_cmpeq_epi8(w, _mm_set1_epi8('\t'))));
      if (others) first_non_blank_ = base + static_cast<std::size_t>(std::countr_zero(others));
    }
    unsigned semicolons = fresh & Mask(_mm_cmpeq_epi8(w, _mm_set1_epi8(';')));
    if (paren_ == kNone) {
      const unsigned parens = fresh & Mask(_mm_cmpeq_epi8(w, _mm_set1_epi8('(')));
      if (parens == 0) return;
      const int bit = std::countr_zero(parens);
      paren_ = base + static_cast<std::size_t>(bit);
      semicolons &= ~((2u << bit) - 1);  // only those after the first "("
    }
    if (semicolons) semicolon_after_paren_ = true;
  }
  static unsigned Mask(__m128i bytes) {
    return static_cast<unsigned>(_mm_movemask_epi8(bytes));
  }
#endif

  // A CR at i dropped from the end of the line.
  void DropFinalCr(std::size_t i) {
    if (first_non_blank_ == i) first_non_blank_ = kNone;
  }

  LineBytes Result() const {
    LineBytes out;
    out.marker = (seen_ & (kMarkerByte | kHashByte)) != 0;
    out.cleanable = (seen_ & kMarkerByte) != 0;
    out.high = (seen_ & kHighByte) != 0;
    out.paren = paren_;
    out.semicolon_after_paren = semicolon_after_paren_;
    out.first_non_blank = first_non_blank_;
    return out;
  }

 private:
  static constexpr std::size_t kNone = std::string_view::npos;
  std::uint8_t seen_ = 0;
  bool semicolon_after_paren_ = false;
  std::size_t paren_ = kNone;
  std::size_t first_non_blank_ = kNone;
};

#if defined(__SSE2__)
__m128i Load(const char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
#endif

}  // namespace

namespace {

template <bool kMarkersOnly>
LineBytes ScanReadable(std::string_view line, std::size_t readable) {
  ByteScan scan;
  std::size_t at = 0;
  const std::size_t n = line.size();
#if defined(__SSE2__)
  // Sixteen bytes at a time. Where the bytes after the line may be read, its last block reaches
  // past its end with those bytes masked out; else a line of 16 bytes or more ends with a block
  // that overlaps the one before it, the bytes already looked at masked out.
  for (; at + 16 <= readable && at < n; at += 16) {
    const unsigned fresh = n - at >= 16 ? 0xFFFFu : (1u << (n - at)) - 1;
    scan.Block<kMarkersOnly>(Load(line.data() + at), fresh, at);
  }
  if (at < n && n >= 16) {
    scan.Block<kMarkersOnly>(Load(line.data() + n - 16), 0xFFFFu << (at + 16 - n) & 0xFFFF, n - 16);
    at = n;
  }
#endif
  for (; at < n; ++at) scan.Byte(line[at], at);
  return scan.Result();
}

}  // namespace

LineBytes ScanLineBytes(std::string_view line) {
  return ScanReadable<false>(line, line.size());
}

LineBytes ScanLineBytes(std::string_view line, std::size_t readable, bool markers_only) {
  return markers_only ? ScanReadable<true>(line, readable) : ScanReadable<false>(line, readable);
}

CleaningMarks MarksOf(std::string_view code) {
  const std::size_t n = code.size();
  unsigned quote = 0, open = 0, close = 0, line = 0;
#if defined(__SSE2__)
  if (n >= 16) {
    // Bit j of a mask: byte j of the block is that byte. A pair ends at its second byte; the
    // last bits of a block carry into the next. The last block overlaps the one before it, so
    // the byte before its first new one is in the block.
    unsigned slash_before = 0, star_before = 0;
    std::size_t at = 0;
    for (; at + 16 <= n; at += 16) {
      const __m128i w = Load(code.data() + at);
      const unsigned slash = ByteScan::Mask(_mm_cmpeq_epi8(w, _mm_set1_epi8('/')));
      const unsigned star = ByteScan::Mask(_mm_cmpeq_epi8(w, _mm_set1_epi8('*')));
      quote |= ByteScan::Mask(_mm_cmpeq_epi8(w, _mm_set1_epi8('"')));
      const unsigned after_slash = (slash << 1 | slash_before) & 0xFFFF;
      const unsigned after_star = (star << 1 | star_before) & 0xFFFF;
      open |= star & after_slash;
      close |= slash & after_star;
      line |= slash & after_slash;
      slash_before = slash >> 15;
      star_before = star >> 15;
    }
    if (at < n) {
      const unsigned fresh = 0xFFFFu << (at + 16 - n) & 0xFFFF;
      const __m128i w = Load(code.data() + n - 16);
      const unsigned slash = ByteScan::Mask(_mm_cmpeq_epi8(w, _mm_set1_epi8('/')));
      const unsigned star = ByteScan::Mask(_mm_cmpeq_epi8(w, _mm_set1_epi8('*')));
      quote |= fresh & ByteScan::Mask(_mm_cmpeq_epi8(w, _mm_set1_epi8('"')));
      open |= fresh & star & slash << 1;
      close |= fresh & slash & star << 1;
      line |= fresh & slash & slash << 1;
    }
    return CleaningMarks{quote != 0, open != 0, close != 0, line != 0};
  }
#endif
  char before = 0;
  for (std::size_t i = 0; i < n; before = code[i++]) {
    const char c = code[i];
    quote |= c == '"';
    open |= before == '/' && c == '*';
    close |= before == '*' && c == '/';
    line |= before == '/' && c == '/';
  }
  return CleaningMarks{quote != 0, open != 0, close != 0, line != 0};
}

namespace {

// The line splitter with the byte scan riding along.
template <bool kMarkersOnly>
std::string_view SplitLine(std::string_view text, std::size_t& pos, LineBytes& bytes) {
  struct Scan : ByteScan {
#if defined(__SSE2__)
    [[gnu::always_inline]] void Block(__m128i w, unsigned fresh, std::size_t base) {
      ByteScan::Block<kMarkersOnly>(w, fresh, base);
    }
#endif
  } scan;
  const std::string_view line = LineAt(text, pos, scan);
  bytes = scan.Result();
  return line;
}

}  // namespace

std::string_view NextTextLine(std::string_view text, std::size_t& pos, LineBytes& bytes) {
  return SplitLine<false>(text, pos, bytes);
}

std::string_view NextTextLineMarkers(std::string_view text, std::size_t& pos, LineBytes& bytes) {
  return SplitLine<true>(text, pos, bytes);
}

}  // namespace extract

namespace {

constexpr std::size_t kWorkBytes = 2000;
constexpr std::size_t kHeadLimit = RegexService::kExtractLimit;
constexpr std::size_t kHeaderCommentLimit = 500;
constexpr std::size_t kKeywordCheckLimit = 2000;
// Lines read on, after a head whose parameter list stays open, to find the list's end.
constexpr std::size_t kParameterLines = 32;

// The lines of a file, with the lines after the current one visible before they are read.
class LookaheadSource {
 public:
  // scan_text: when the source is a text in memory, each line's bytes are scanned while its end
  // is looked for.
  // markers_only: the scan looks for the marker bytes and high bytes only.
  LookaheadSource(LineSource& source, bool scan_text, bool markers_only)
      : source_(source),
        text_(scan_text ? dynamic_cast<TextLines*>(&source) : nullptr),
        markers_only_(markers_only) {}
  // The next line as a view that stays valid until the next NextLine or Peek: a view into the
  // source's text where it has one, else into a buffer of its own. scanned tells that bytes
  // holds the line's bytes.
  bool NextLine(std::string_view& line, extract::LineBytes& bytes, bool& scanned) {
    scanned = false;
    if (!ahead_.empty()) {
      buffer_ = std::move(ahead_.front());
      ahead_.pop_front();
      line = buffer_;
      return true;
    }
    if (!text_) return source_.NextLine(line, buffer_);
    if (text_->split()) {
      // A split text gives its lines as they are (their ends found once for every walk); the
      // bytes after a line up to the end of the text may be read with it.
      if (!source_.NextLine(line, buffer_)) return false;
      const std::string_view all = text_->text();
      bytes = extract::ScanLineBytes(line, all.data() + all.size() - line.data(), markers_only_);
      scanned = true;
      return true;
    }
    std::size_t pos = text_->position();
    if (pos >= text_->text().size() || text_->stopped()) return false;
    line = markers_only_ ? extract::NextTextLineMarkers(text_->text(), pos, bytes)
                         : extract::NextTextLine(text_->text(), pos, bytes);
    text_->set_position(pos);
    scanned = true;
    return true;
  }
  // The k-th line after the last one read (0: the next one); null past the end of the file.
  const std::string* Peek(std::size_t k) {
    while (ahead_.size() <= k) {
      std::string line;
      if (!source_.ReadLine(line)) return nullptr;
      ahead_.push_back(std::move(line));
    }
    return &ahead_[k];
  }

 private:
  LineSource& source_;
  std::string buffer_;
  TextLines* text_;
  bool markers_only_;
  std::deque<std::string> ahead_;
};

// A head whose parameter list is not closed on its line (params: the code from its first "(")
// is a prototype when a ";" stands inside the list or after its closing ")" on the same line
// before any "{", as for a head on one line; a "{" there, or nothing, makes it a definition.
// The following lines are read ahead, cleaned with a copy of the comment state; directive lines
// are passed over. A list still open after kParameterLines lines counts as a definition.
// converted and cleaned: buffers for the lines read ahead. trailing (extended heads): a list
// closed without a "{" after it is read on too, past attribute words ("__alloc_size(1);" on the
// next line makes a prototype).
bool IsPrototypeOverLines(std::string_view params, CommentState comments, LookaheadSource& ahead,
                          ExtractorEnv& env, std::string& converted, std::string& cleaned,
                          bool trailing = false) {
  long depth = 0;
  for (std::size_t i = 0; i < params.size(); ++i) {
    depth += params[i] == '(' ? 1 : params[i] == ')' ? -1 : 0;
    if (depth == 0) {  // closed on the head's own line
      if (!trailing || params.find('{', i) != std::string_view::npos) return false;
      break;
    }
  }
  for (std::size_t k = 0; k < kParameterLines; ++k) {
    const std::string* next = ahead.Peek(k);
    if (!next) return false;
    std::string_view raw = *next;
    if (env.settings.char_change == 1) {
      converted = ConvertEucToSjis(raw);
      raw = converted;
    }
    raw = raw.substr(0, Cp932SafeCut(raw, kWorkBytes));
    std::size_t first = 0;
    while (first < raw.size() && IsBlankOrTab(raw[first])) ++first;
    if (first < raw.size() && raw[first] == '#') continue;
    if (!CleanLine(raw, comments, env.cleaning, cleaned)) continue;
    for (char c : cleaned) {
      if (c == ';') return true;
      if (depth == 0 && c == '{') return false;
      if (depth > 0 || trailing) depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    }
    if (depth == 0 && !trailing) return false;
  }
  return false;
}

// For a head whose name stands alone at column 0 ("FuncHeadWords" 1): true when a body follows
// its parameter list, the first code after the list's ")" being "{", on the head's line or on
// the lines below (preprocessor lines and comments passed over). A column-0 macro invocation
// ("BTF_ID(func, x)", "__printf(4, 5)" above a head) has none.
bool BodyFollowsList(std::string_view params, CommentState comments, LookaheadSource& ahead,
                     ExtractorEnv& env, std::string& converted, std::string& cleaned) {
  long depth = 0;
  bool closed = false;
  // After the list: blanks, and annotations "__word" with or without a group
  // ("__acquires(rq->lock)"), before the "{".
  bool in_word = false, annotation = false;
  auto read = [&](std::string_view text) -> int {  // 1 body, 0 no body, -1 read on
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (!closed || depth > 0) {
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        closed = closed || depth == 0;
        continue;
      }
      if (in_word && (IsWordStartByte(c) || (c >= '0' && c <= '9'))) continue;
      in_word = false;
      if (c == ' ' || c == '\t') continue;
      if (c == '_' && i + 1 < text.size() && text[i + 1] == '_') {
        in_word = annotation = true;
        continue;
      }
      if (c == '(' && annotation) {
        annotation = false;
        depth = 1;
        continue;
      }
      return c == '{' ? 1 : 0;
    }
    return -1;
  };
  if (const int r = read(params); r >= 0) return r == 1;
  for (std::size_t k = 0; k < kParameterLines; ++k) {
    const std::string* next = ahead.Peek(k);
    if (!next) return false;
    std::string_view raw = *next;
    if (env.settings.char_change == 1) {
      converted = ConvertEucToSjis(raw);
      raw = converted;
    }
    raw = raw.substr(0, Cp932SafeCut(raw, kWorkBytes));
    std::size_t first = 0;
    while (first < raw.size() && IsBlankOrTab(raw[first])) ++first;
    if (first < raw.size() && raw[first] == '#') continue;
    if (!CleanLine(raw, comments, env.cleaning, cleaned)) continue;
    if (const int r = read(cleaned); r >= 0) return r == 1;
  }
  return false;
}

// The length of the parenthesised group at the start of text, or npos when it does not close.
std::size_t AfterGroupEnd(std::string_view text) {
  long depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    depth += text[i] == '(' ? 1 : text[i] == ')' ? -1 : 0;
    if (depth == 0) return i + 1;
  }
  return std::string_view::npos;
}

// True when a "{" opens on the line after the "(" at paren before any ";" does: a definition
// with its body on the head's line ("int f(void) { return 0; }"), whose ";" is no prototype's.
bool BodyBeforeSemicolon(std::string_view code, std::size_t paren) {
  const std::size_t brace = code.find('{', paren);
  const std::size_t close = code.find(')', paren);
  return brace != std::string_view::npos && close < brace && code.find(';', paren) > brace;
}

// The comments taken out of one line while it is cleaned.
struct LineComments {
  std::string block;                      // complete block comments, each followed by a blank
  std::string line;                       // line comments
  std::string open_close;                 // the line when it opens or closes a block comment
  std::string quoted_block, quoted_line;  // the same read from the line when quotes are in them
  void Clear() {
    block.clear();
    line.clear();
    open_close.clear();
  }
};

// The leftmost match of a cleaning step's pattern re in text; ascii: text holds ASCII bytes only.
bool SearchStep(std::string_view text, const Regex& re, extract::CleaningStep step, bool ascii,
                MatchSpan& span) {
  return ascii ? SearchCleaningStep(step, text, span) : re.Search(text, span);
}

// RemoveAllMatches without a new string per match: every occurrence of each match of re is
// removed until none is left, each match (and sep) appended to collected when given. True when
// something was removed.
bool RemoveMatches(std::string& text, const Regex& re, extract::CleaningStep step, bool ascii,
                   std::string* collected, std::string_view sep, std::string& what) {
  bool removed = false;
  MatchSpan span;
  while (SearchStep(text, re, step, ascii, span) && span.len > 0) {
    what.assign(text, span.pos, span.len);
    if (collected) collected->append(what).append(sep);
    // Bytes that are not valid CP932 can make the engine match at a place the character walk
    // never reaches; that match itself is removed so the loop ends.
    if (EraseAll(text, what) == 0) text.erase(span.pos, span.len);
    removed = true;
  }
  return removed;
}

// The complete block comments and the line comment of text, found by one left-to-right scan: a
// quote outside a comment opens a literal (up to the next quote after at least one byte, as the
// cleaning reads it), a quote inside a comment is comment text. True when some comment holds a
// quote; block and line are then what the cleaning would have collected had the quotes in the
// comments not been taken away as literals.
bool CollectCommentsInOrder(std::string_view text, std::string& block, std::string& line) {
  block.clear();
  line.clear();
  bool quoted = false;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const char c = text[i];
    if (IsCp932LeadByte(static_cast<unsigned char>(c)) && i + 1 < n) {
      i += 2;
      continue;
    }
    if (c == '"') {
      const std::size_t close = i + 2 <= n ? text.find('"', i + 2) : std::string_view::npos;
      i = close == std::string_view::npos ? i + 1 : close + 1;
      continue;
    }
    if (c == '/' && i + 1 < n && text[i + 1] == '*') {
      const std::size_t end = text.find("*/", i + 2);
      if (end == std::string_view::npos) break;  // open to the end: the line is kept whole
      const std::string_view comment = text.substr(i, end + 2 - i);
      quoted = quoted || comment.find('"') != std::string_view::npos;
      block.append(comment).append(" ");
      i = end + 2;
      continue;
    }
    if (c == '/' && i + 1 < n && text[i + 1] == '/') {
      if (i + 2 < n) {
        line.assign(text.substr(i));
        quoted = quoted || line.find('"') != std::string::npos;
      }
      break;
    }
    ++i;
  }
  return quoted;
}

// Literals and comments removed from code, comments collected; closed tells that the line ended
// a block comment that began on an earlier line or earlier in this line. ascii: the line holds
// ASCII bytes only.
void CleanCollecting(std::string_view line, bool ascii, std::string& code, CommentState& state,
                     const CleaningPatterns& cp, const DefinitionPatterns& dp,
                     LineComments& comments, bool& closed, std::string& scratch) {
  using extract::CleaningStep;
  closed = false;
  code.assign(line);
  std::string_view rest = line;
  // A block comment from an earlier line ends at its first "*/": a "//" or "/*" before it is
  // comment text. (A line without "*/" inside a comment never comes here.)
  if (state.in_block) {
    const std::size_t end = code.find("*/");
    if (end != std::string::npos) {
      comments.open_close.assign(line);
      code.erase(0, end + 2);
      rest.remove_prefix(end + 2);
      state.in_block = false;
      closed = true;
    }
  }
  // Each step needs its marker texts in the code as the earlier steps left it.
  extract::CleaningMarks has = extract::MarksOf(code);
  // Literals go before comments, so a quoted word inside a comment would vanish from the
  // collected text; such a line's comments are taken from the line itself.
  const bool quoted_comments =
      has.quote && (has.open || has.line) &&
      CollectCommentsInOrder(rest, comments.quoted_block, comments.quoted_line);
  if (has.quote &&
      RemoveMatches(code, cp.literal, CleaningStep::Literal, ascii, nullptr, {}, scratch)) {
    has = extract::MarksOf(code);
  }
  if (has.open && has.close &&
      RemoveMatches(code, cp.block_comment, CleaningStep::BlockComment, ascii, &comments.block, " ",
                    scratch)) {
    state.in_block = false;
    has = extract::MarksOf(code);
  }
  if (has.line && RemoveMatches(code, cp.line_comment, CleaningStep::LineComment, ascii,
                                &comments.line, "", scratch)) {
    state.in_block = false;
    has = extract::MarksOf(code);
  }
  if (quoted_comments) {
    comments.block.swap(comments.quoted_block);
    comments.line.swap(comments.quoted_line);
  }
  MatchSpan m;
  if (has.open && SearchStep(code, dp.open_block, CleaningStep::OpenComment, ascii, m)) {
    comments.open_close.assign(line);
    code.erase(m.pos, m.len);
    state.in_block = true;
    has = extract::MarksOf(code);
  }
  if (has.close && SearchStep(code, dp.close_block, CleaningStep::CloseComment, ascii, m)) {
    comments.open_close.assign(line);
    code.erase(m.pos, m.len);
    state.in_block = false;
    closed = true;
  }
}

// The pending header comment made ready for the comment column.
std::string PrepareHeaderComment(std::string text, const RegexService& regex,
                                 const DefinitionPatterns& dp) {
  auto step = [&](const Regex& re, std::string_view replacement) {
    std::string replaced = regex.ReplaceMatches(text, re, replacement);
    if (!replaced.empty()) text = std::move(replaced);
  };
  step(dp.header_condition, "");
  text = ReplaceByte(text, '\t', ' ');
  step(dp.blank_run, " ");
  step(dp.open_marker, "");
  step(dp.close_marker, "");
  std::string out(TrimBlanks(text));
  if (out.rfind("//", 0) != 0) out.insert(0, "// ");
  return out;
}

// Header comments above a definition: collected while they match the condition and stay within
// the line range.
class HeaderComment {
 public:
  // needs_high_byte: the condition matches no text of plain ASCII bytes.
  HeaderComment(const Regex& condition, bool needs_high_byte, long range)
      : condition_(condition), needs_high_byte_(needs_high_byte), range_(range) {}

  // Offers the texts of one used line and forgets a comment that is now out of range; bytes
  // are those of code.
  void Offer(std::string_view code, const extract::LineBytes& bytes, const LineComments& comments,
             long line_no) {
    const bool high = bytes.high;
    if (bytes.first_non_blank != std::string_view::npos) {
      if (high || !needs_high_byte_) Append(code, line_no);
    } else {
      Append(comments.block, line_no);
      Append(comments.line, line_no);
      Append(comments.open_close, line_no);
    }
    if (start_ + range_ < line_no) Drop();
  }
  bool pending() const { return !text_.empty(); }
  const std::string& text() const { return text_; }
  void Drop() {
    text_.clear();
    start_ = 0;
  }

 private:
  void Append(std::string_view t, long line_no) {
    if (t.empty() || text_.size() + t.size() >= kHeaderCommentLimit) return;
    if (!condition_.Matches(t)) return;
    if (start_ == 0) start_ = line_no;
    text_.append(t);
  }

  const Regex& condition_;
  bool needs_high_byte_;
  long range_;
  std::string text_;
  long start_ = 0;
};

struct DetectionRefs {
  const Regex& detect;
  const Regex& name1;
  const Regex& name2;
  const HeadPrefilter& prefilter;
  bool fixed_defines = false;  // see DetectionPatterns::fixed_defines
};

// Text without any of the bytes in chars, into out (the loop over the few bytes: find() on the
// set would call memchr for every byte of text).
void RemoveBytesInto(std::string_view text, std::string_view chars, std::string& out) {
  out.clear();
  for (char c : text) {
    bool listed = false;
    for (char r : chars) listed = listed || r == c;
    if (!listed) out.push_back(c);
  }
}

// NAME of a detection match "[ \t]*#define[ \t]+NAME[ \t]": what follows "#define" and its
// blanks, without the last byte.
std::string_view DefineNameOfMatch(std::string_view matched) {
  std::size_t start = 0;
  while (IsBlankOrTab(matched[start])) ++start;
  start += std::string_view("#define").size();
  while (IsBlankOrTab(matched[start])) ++start;
  return matched.substr(start, matched.size() - 1 - start);
}

// The detection match of a head text, or false. facts: what is known of the head's bytes.
bool DetectHead(std::string_view head, const HeadFacts& facts, const DetectionRefs& det,
                std::string& matched) {
  if (head.size() > kHeadLimit || !det.prefilter.MayMatch(head, facts)) return false;
  MatchSpan m;
  if (!det.detect.Search(head, m)) return false;
  matched.assign(head.substr(m.pos, m.len));
  return true;
}

int Extract(LineSource& source, DefinitionSink& sink, DefinitionMode mode, const DetectionRefs& det,
            ExtractorEnv& env) {
  if (!env.regex.available() || !env.cleaning.ok()) return -1;
  const DefinitionPatterns& dp = PatternsOf(env);
  if (!dp.ok() || !det.detect.ok() || !det.name1.ok() || !det.name2.ok()) return -1;

  const bool function_mode = mode == DefinitionMode::Function;
  const bool header_on = function_mode && !env.settings.func_header_str.empty() &&
                         env.settings.func_header_line > 0 && dp.has_header_condition();
  const bool euc = env.settings.char_change == 1;

  CommentState comments;
  ConditionalState cond;
  HeaderComment header(dp.header_condition, dp.header_needs_high_byte(),
                       env.settings.func_header_line);
  std::string converted, cleaned, scratch, matched, name1, name2, name;
  std::string ahead_converted, ahead_cleaned;  // the look-ahead's own buffers
  LineComments collected;
  // Code after the end of a multi-line block comment: tried in front of the next head text.
  std::string carry;
  long line_no = 0;
  // The #define pass passes most lines by on their markers alone (below).
  LookaheadSource reader(source, !euc, !function_mode);
  std::string_view raw;
  extract::LineBytes bytes;
  bool scanned = false;

  while (reader.NextLine(raw, bytes, scanned)) {
    ++line_no;
    if (euc) {
      converted = ConvertEucToSjis(raw);
      raw = converted;
    }
    // Views of the line, its code and its head: they stay valid until the look-ahead of a
    // prototype or the next line is read.
    const std::string_view line(
        raw.data(), raw.size() <= kWorkBytes ? raw.size() : Cp932SafeCut(raw, kWorkBytes));
    if (!scanned || line.size() != raw.size()) bytes = extract::ScanLineBytes(line);
    std::string_view code;
    extract::LineBytes code_bytes;

    // A line without quote, slash or hash gives cleaning nothing to take out and is no
    // directive.
    const bool plain = !bytes.marker;
    // Nor does it hold a "#define": in the #define pass it is passed by, unless code carried
    // from the end of a comment waits to be tried in front of it.
    if (plain && !function_mode && carry.empty()) continue;
    if (scanned && !function_mode) bytes = extract::ScanLineBytes(line);
    // A line wholly inside a block comment is comment text: nothing in it is code.
    const bool comment_only = comments.in_block && (plain || !Contains(line, "*/"));
    collected.Clear();
    bool closed = false;
    bool used;
    if (comment_only) {
      used = cond.mask == 0xFFFFFFFFu;
    } else if (plain) {
      code = line;
      code_bytes = bytes;
      used = cond.mask == 0xFFFFFFFFu;
    } else if (!bytes.cleanable && !comments.in_block) {
      // A directive without quote or slash: cleaning would leave it as it is.
      code = line;
      code_bytes = bytes;
      used = FilterLine(code, cond, env.macros, env.cleaning);
    } else {
      CleanCollecting(line, !bytes.high, cleaned, comments, env.cleaning, dp, collected, closed,
                      scratch);
      code = cleaned;
      code_bytes = extract::ScanLineBytes(code);
      used = FilterLine(code, cond, env.macros, env.cleaning);
    }
    if (!used) continue;

    const bool in_comment = comments.in_block;
    if (header_on) {
      header.Offer(in_comment ? line : code, in_comment ? bytes : code_bytes, collected, line_no);
    }
    if (in_comment) continue;

    const std::size_t paren = code_bytes.paren;
    // With "FuncHeadWords" 1 a column-0 head may hold its body, whose ";" is no prototype's.
    if (paren != std::string_view::npos && code_bytes.semicolon_after_paren &&
        !(function_mode && dp.extended_heads() && IsWordStartByte(code[0]) &&
          BodyBeforeSemicolon(code, paren))) {
      continue;
    }
    const std::string_view head =
        paren == std::string_view::npos ? code : code.substr(0, paren + 1);
    if (code_bytes.first_non_blank >= head.size()) continue;  // a blank head

    // The head holds a "(" exactly when the code does, and a "#" only when the code holds a
    // marker byte.
    const HeadFacts facts{true, paren != std::string_view::npos, code_bytes.marker};
    bool found = det.prefilter.MayMatch(head, facts) && DetectHead(head, facts, det, matched);
    // With "FuncHeadWords" 1 a head with more words before its name is one too; its name and
    // its list's "(" come from the head itself (attribute groups hold the first "(").
    // With "FuncHeadWords" 1 a head of words at column 0 is read by its own rules: words,
    // attribute groups, the name and its "(" (attribute groups hold the first "("). A name
    // alone at column 0 is left to the patterns; what the rules turn away (a macro invocation,
    // a statement) is no head even where the patterns match.
    ExtendedHead extended;
    bool extended_found = false;
    if (function_mode && dp.extended_heads() && paren != std::string_view::npos &&
        IsWordStartByte(code[0])) {
      extended_found = FindExtendedHead(code, extended);
      if (!extended_found && !extended.name_first) found = false;
      if (extended_found) found = false;
    }
    if (!found && !extended_found && !carry.empty()) {
      carry += ' ';
      carry += head;
      found = DetectHead(carry, HeadFacts{}, det, matched);
    }
    carry.clear();
    if (closed) carry.assign(TrimBlanks(code));
    if (extended_found) {
      found = true;
      matched.assign(code.substr(0, extended.paren + 1));
      name.assign(extended.name);  // a view into code, which the look-ahead may overwrite
    }
    if (!found) continue;
    if (function_mode && matched.rfind("extern", 0) == 0) continue;
    // What the row takes from the line is looked at before the look-ahead below may read into
    // the line's buffer.
    const bool define_line = function_mode && Contains(line, "#define");
    const bool has_equals = !function_mode && Contains(line, "=");
    const std::size_t list_open = extended_found ? extended.paren : paren;
    // With "FuncHeadWords" 1 a name alone at column 0 is a head only with a body after its
    // list (which no prototype has), and not an annotation of the head above it
    // ("__acquires(lock)" before the "{").
    if (function_mode && dp.extended_heads() && extended.name_first) {
      const std::string_view list = code.substr(paren);
      const std::size_t list_end = AfterGroupEnd(list);
      if ((code.starts_with("__") && list_end != std::string_view::npos &&
           !HoldsDeclaration(list.substr(0, list_end))) ||
          !BodyFollowsList(list, comments, reader, env, ahead_converted, ahead_cleaned)) {
        continue;
      }
    } else if (function_mode && paren != std::string::npos &&
               IsPrototypeOverLines(code.substr(list_open), comments, reader, env, ahead_converted,
                                    ahead_cleaned, extended_found)) {
      continue;
    }

    if (extended_found) {
      // name holds the head's name already.
    } else if (!function_mode && det.fixed_defines) {
      // What the name chain gives: "#define" and its blanks, then the word.
      name.assign(DefineNameOfMatch(matched));
    } else {
      const int chain = env.regex.ExtractMatchChain(matched, det.name1, det.name2, name1, name2);
      if (chain < 0) break;
      std::string_view chosen;
      if (!function_mode) {
        if (chain == 0) chosen = name2;
      } else {
        chosen = (chain == 0 && !define_line) ? name2 : name1;
      }
      RemoveBytesInto(chosen, " \t(", name);
    }
    if (name.empty()) continue;
    if (function_mode && name.size() < kKeywordCheckLimit && IsKeyword(name)) continue;

    std::string_view marker;
    if (function_mode) {
      if (define_line) marker = "#define";
    } else if (has_equals) {
      marker = "=";
    }
    std::string comment;
    if (function_mode && header.pending()) {
      comment = PrepareHeaderComment(header.text(), env.regex, dp);
      header.Drop();
    } else {
      const std::string& same_line = collected.line.empty() ? collected.block : collected.line;
      if (!same_line.empty()) comment = ReplaceByte(same_line, '\t', ' ');
    }
    carry.clear();
    if (!sink.Add(FoundDefinition{name, line_no, marker, comment})) return -1;
  }
  return 0;
}

}  // namespace

ListDefinitionSink::ListDefinitionSink(RegistrationList& target, DefinitionMode mode,
                                       std::string_view path, ExtractorEnv& env)
    : target_(target),
      label_(mode == DefinitionMode::Function ? "関数…" : "#define…"),
      path_(path),
      env_(env) {}

bool ListDefinitionSink::Add(const FoundDefinition& found) {
  return AddRow(found.name, env_.data.CompressPosition(FormatPosition(path_, found.line_no)),
                found.marker, found.comment);
}

bool ListDefinitionSink::AddRow(std::string_view name, std::string_view position,
                                std::string_view marker, std::string_view comment) {
  // The row is stored once, whole: setting its cells one by one re-wrote it for each of them and
  // left the earlier copies behind as waste until the next sort.
  static_assert(col::kName == 0 && col::kPosition == 1 && col::kMarker == 2 && col::kComment == 3);
  const std::string_view cells[] = {name, position, marker, comment};
  target_.AppendRow(cells);
  return Added(name);
}

bool ListDefinitionSink::AddRowAt(std::string_view name, std::string_view path, long line,
                                  std::string_view marker, std::string_view comment) {
  const std::string_view cells[] = {name, {}, marker, comment};
  target_.AppendRow(cells, RegistrationList::PositionAt{path, line});
  return Added(name);
}

bool ListDefinitionSink::Added(std::string_view name) {
  std::size_t count = target_.RowCount();
  if (count % 10 == 0) {
    env_.ui.SetStatus(1, ToDisplay(name));
    env_.ui.SetStatus(2, std::string(label_) + std::to_string(count));
  }
  return !PollAnalysisCancel(env_.ui);
}

int FindDefinitions(LineSource& reader, DefinitionSink& sink, DefinitionMode mode,
                    const DetectionPatterns& detection, ExtractorEnv& env) {
  return Extract(reader, sink, mode,
                 DetectionRefs{detection.detect, detection.name1, detection.name2,
                               detection.prefilter, detection.fixed_defines},
                 env);
}

long ExtractDefinitions(LineSource& reader, std::string_view path, RegistrationList& target,
                        DefinitionMode mode, const Regex& detect, const Regex& name1,
                        const Regex& name2, ExtractorEnv& env) {
  const HeadPrefilter none;
  ListDefinitionSink sink(target, mode, path, env);
  if (Extract(reader, sink, mode, DetectionRefs{detect, name1, name2, none}, env) < 0) return -1;
  return static_cast<long>(target.RowCount());
}

long ExtractDefinitions(LineSource& reader, std::string_view path, RegistrationList& target,
                        DefinitionMode mode, const DetectionPatterns& detection,
                        ExtractorEnv& env) {
  ListDefinitionSink sink(target, mode, path, env);
  if (FindDefinitions(reader, sink, mode, detection, env) < 0) return -1;
  return static_cast<long>(target.RowCount());
}

}  // namespace kelvora
