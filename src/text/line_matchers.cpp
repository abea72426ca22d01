#include "text/line_matchers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <initializer_list>

#include "platform/cp932.h"

namespace kelvora {
namespace {

constexpr auto npos = std::string_view::npos;

// A set of single bytes, written as in a pattern's class: "A-Za-z0-9_".
struct ByteClass {
  std::array<bool, 256> in{};
  bool operator()(char c) const { return in[static_cast<unsigned char>(c)]; }
};

constexpr ByteClass Class(std::string_view members) {
  ByteClass c;
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (i + 2 < members.size() && members[i + 1] == '-') {
      for (int b = static_cast<unsigned char>(members[i]);
           b <= static_cast<unsigned char>(members[i + 2]); ++b)
        c.in[static_cast<unsigned char>(b)] = true;
      i += 2;
    } else {
      c.in[static_cast<unsigned char>(members[i])] = true;
    }
  }
  return c;
}

constexpr ByteClass kBlank = Class(" \t");
constexpr ByteClass kWord = Class("A-Za-z0-9_");
constexpr ByteClass kIdentHead = Class("A-Za-z_");
constexpr ByteClass kLower = Class("a-z");
constexpr ByteClass kNameBody = Class("A-Za-z0-9_:");
constexpr ByteClass kStars = Class("*~");
constexpr ByteClass kMacroArgs = Class(" \t,_a-zA-Z0-9");
constexpr ByteClass kCloseBody = Class(" \tA-Za-z0-9_[],");
constexpr ByteClass kTagTail = Class(" \t[]A-Za-z0-9_&*=");
constexpr ByteClass kBrace = Class("{");
constexpr ByteClass kHeadWordByte = Class("A-Za-z0-9_*~");
constexpr ByteClass kStar = Class("*");
constexpr ByteClass kOpenParen = Class("(");
constexpr ByteClass kCloseParen = Class(")");
constexpr ByteClass kSemicolon = Class(";");
constexpr ByteClass kPrototypeArgs = Class(" \tA-Za-z0-9_,&*");
constexpr ByteClass kStepHeadArgs = Class(" \tA-Za-z0-9_,&*[]");
constexpr ByteClass kStepHeadTail = Class("A-Za-z0-9_{ \t");
constexpr ByteClass kDigit = Class("0-9");
constexpr ByteClass kColon = Class(":");
// Every byte a table head holds before its last "=".
constexpr ByteClass kTableBody = Class(" \tA-Za-z0-9_&*=+[]-");
// Bytes after which the step heads' "[^\(=;:]*" stops.
constexpr ByteClass kHeadStop = Class("(=;:");
constexpr ByteClass kParenOrSemicolon = Class("(;");

// Every byte the classes above hold is below 0x80, so none is ever part of a double-byte
// character; and "#", "(", ")", ":", ";", "=", ",", blanks and tabs cannot be a second byte
// either, so a byte search for them finds characters. Letters, "_", "[", "]", "{" and "~" can
// be second bytes: where a match may begin with them, the start is checked against the
// character walk below.

// Where the character that begins at i ends, as the engine reads the subject: a lead byte with
// a byte that can end a double-byte character is one character, any other byte (a lone lead
// byte included) is a character of its own.
std::size_t CharEnd(std::string_view s, std::size_t i) {
  return IsCp932LeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
                 IsCp932TrailByte(static_cast<unsigned char>(s[i + 1]))
             ? i + 2
             : i + 1;
}

// Tells, for rising positions, whether a position begins a character.
class CharStarts {
 public:
  explicit CharStarts(std::string_view s) : s_(s) {}
  bool At(std::size_t pos) {
    while (boundary_ < pos) boundary_ = CharEnd(s_, boundary_);
    return boundary_ == pos;
  }

 private:
  std::string_view s_;
  std::size_t boundary_ = 0;
};

std::size_t SkipWhile(std::string_view s, std::size_t i, const ByteClass& c) {
  while (i < s.size() && c(s[i])) ++i;
  return i;
}

std::size_t FindIn(std::string_view s, std::size_t i, const ByteClass& c) {
  while (i < s.size() && !c(s[i])) ++i;
  return i < s.size() ? i : npos;
}

bool Is(std::string_view s, std::size_t i, const ByteClass& c) {
  return i < s.size() && c(s[i]);
}

Recognised Found(MatchSpan& span, std::size_t begin, std::size_t end) {
  span.pos = begin;
  span.len = end - begin;
  return Recognised::Match;
}

// ^[ \t]*#define[ \t]+[A-Za-z0-9_]+[ \t]
// Each part stops at a byte the next one cannot take, so the first try is the only one.
Recognised Define(std::string_view s, MatchSpan& span) {
  const std::size_t i = SkipWhile(s, 0, kBlank);
  if (s.substr(i, 7) != "#define") return Recognised::NoMatch;
  const std::size_t name = SkipWhile(s, i + 7, kBlank);
  if (name == i + 7) return Recognised::NoMatch;
  const std::size_t end = SkipWhile(s, name, kWord);
  if (end == name || !Is(s, end, kBlank)) return Recognised::NoMatch;
  return Found(span, 0, end + 1);
}

// #define[ \t]+ : the first "#define" followed by a blank, with all its blanks.
Recognised DefineWord(std::string_view s, MatchSpan& span) {
  for (std::size_t at = s.find("#define"); at != npos; at = s.find("#define", at + 7)) {
    const std::size_t end = SkipWhile(s, at + 7, kBlank);
    if (end > at + 7) return Found(span, at, end);
  }
  return Recognised::NoMatch;
}

// [A-Za-z0-9_]+ : the first word byte that begins a character, and the word bytes after it.
Recognised Identifier(std::string_view s, MatchSpan& span) {
  for (std::size_t i = 0; i < s.size(); i = CharEnd(s, i)) {
    if (kWord(s[i])) return Found(span, i, SkipWhile(s, i, kWord));
  }
  return Recognised::NoMatch;
}

// [*~]*[A-Za-z_][A-Za-z0-9_:]*[ \t]*\(  (and the same with "[(]")
// From a start, "*" and "~", a name byte, the name, blanks and "(" must follow as greedy runs:
// giving a run back leaves a byte that the next part cannot take. A start that fails at the
// "(" fails the same way from every later start up to the blanks, so the walk goes on there.
Recognised FunctionName(std::string_view s, MatchSpan& span) {
  std::size_t p = 0;
  while (p < s.size()) {
    if (!kStars(s[p]) && !kIdentHead(s[p])) {
      p = CharEnd(s, p);
      continue;
    }
    const std::size_t head = SkipWhile(s, p, kStars);
    if (!Is(s, head, kIdentHead)) {
      p = head;
      continue;
    }
    const std::size_t blanks = SkipWhile(s, SkipWhile(s, head + 1, kNameBody), kBlank);
    if (blanks < s.size() && s[blanks] == '(') return Found(span, p, blanks + 1);
    p = blanks;
  }
  return Recognised::NoMatch;
}

// #define[ \t]+[_a-zA-Z][_a-zA-Z0-9]*\([ \t,_a-zA-Z0-9]*
// The first "#define" that is followed by blanks, a name and "(" right after it.
Recognised FunctionC(std::string_view s, MatchSpan& span) {
  for (std::size_t at = s.find("#define"); at != npos; at = s.find("#define", at + 7)) {
    const std::size_t name = SkipWhile(s, at + 7, kBlank);
    if (name == at + 7 || !Is(s, name, kIdentHead)) continue;
    const std::size_t paren = SkipWhile(s, name + 1, kWord);
    if (paren < s.size() && s[paren] == '(')
      return Found(span, at, SkipWhile(s, paren + 1, kMacroArgs));
  }
  return Recognised::NoMatch;
}

// ^[_a-zA-Z][_a-zA-Z0-9]*[a-z]+[_a-zA-Z0-9]*[ \t]*\([^;]*$
// The word at the start must hold a lower-case letter after its first byte and be followed by
// blanks and "(" with no ";" after it; "[^;]*" then runs to the end, where "$" holds. A match
// is found after giving back at most the word's bytes, well within the engine's retry limit.
Recognised FunctionB(std::string_view s, MatchSpan& span) {
  if (!Is(s, 0, kIdentHead)) return Recognised::NoMatch;
  const std::size_t word_end = SkipWhile(s, 1, kWord);
  bool lower = false;
  for (std::size_t i = 1; i < word_end && !lower; ++i) lower = kLower(s[i]);
  if (!lower) return Recognised::NoMatch;
  const std::size_t paren = SkipWhile(s, word_end, kBlank);
  if (paren >= s.size() || s[paren] != '(' || s.find(';', paren + 1) != npos)
    return Recognised::NoMatch;
  return Found(span, 0, s.size());
}

// Pattern A on a simple head "X(" (see FunctionAB): X must be a text of
//   [A-Za-z0-9_]+ [ \t]* [A-Za-z0-9_*]+ [(:| \t)]* [*]* [*~]* [A-Za-z_] [A-Za-z0-9_:]* [ \t]*
// with the "(" that ends the head as A's "[\(]"; the parts after it all take nothing and "$"
// holds at the end. Decided by running the positions of that sequence over X, each position a
// bit (X holds no "(", ")", ":" or "|", so the classes reduce to the bytes it can hold).
struct SimpleHeadAutomaton {
  //  0 W  1 B  2 V  3 B  4 *  5 [*~]  6 L  7 N  8 B
  static constexpr std::uint32_t kEnds = 1u << 6 | 1u << 7 | 1u << 8;
  std::array<std::uint32_t, 256> holds{};
  std::array<std::uint32_t, 9> follow{};

  constexpr SimpleHeadAutomaton() {
    const ByteClass word = Class("A-Za-z0-9_"), blank = Class(" \t"), second = Class("A-Za-z0-9_*"),
                    star = Class("*"), stars = Class("*~"), lead = Class("A-Za-z_");
    const ByteClass* classes[9] = {&word,  &blank, &second, &blank, &star,
                                   &stars, &lead,  &word,   &blank};
    for (int c = 0; c < 256; ++c)
      for (int p = 0; p < 9; ++p)
        if (classes[p]->in[c]) holds[c] |= 1u << p;
    const std::uint32_t after_second = 0b1111100;  // 2..6
    follow[0] = 0b111;
    follow[1] = 0b110;
    follow[2] = after_second;
    follow[3] = 0b1111000;
    follow[4] = 0b1110000;
    follow[5] = 0b1100000;
    follow[6] = 0b110000000;
    follow[7] = 0b110000000;
    follow[8] = 0b100000000;
  }

  bool Accepts(std::string_view x) const {
    std::uint32_t now = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
      std::uint32_t next = i == 0 ? 1u : 0u;  // "^": only the first byte may begin
      for (std::uint32_t m = now; m; m &= m - 1) next |= follow[std::countr_zero(m)];
      now = next & holds[static_cast<unsigned char>(x[i])];
      if (now == 0) return false;
    }
    return (now & kEnds) != 0;
  }
};

constexpr SimpleHeadAutomaton kSimpleHeadAutomaton;

// Heads up to this length are decided without the engine: pattern A's backtracking on them
// stays far below the engine's retry limit (the tests hold the two answers together).
constexpr std::size_t kSimpleHeadLimit = 96;

// The number of words (runs of [A-Za-z0-9_*~] between blanks) before the final "(" of a head
// "X(" whose X holds only such bytes and blanks; -1 for any other subject.
int SimpleHeadWords(std::string_view s) {
  if (s.empty() || s.back() != '(') return -1;
  int words = 0;
  bool in_word = false;
  for (std::size_t i = 0; i + 1 < s.size(); ++i) {
    if (kBlank(s[i])) {
      in_word = false;
      continue;
    }
    if (!kHeadWordByte(s[i])) return -1;
    words += in_word ? 0 : 1;
    in_word = true;
  }
  return words;
}

// The function detection with A first. Pattern A backtracks heavily, and the engine may give up
// on it (no match) before it tries the others; it fails at once when the first byte is no word
// byte, and "^" keeps A and B to the start. A head "X(" whose X holds only words of
// [A-Za-z0-9_*~] between blanks: with four words or more it matches none of the three, whatever
// the engine spends on it (before its "[\(]" only "[ \t]*", "[(:| \t)]*" and "[ \t]*" can take
// blanks, each one run of them here, so A's part before "(" spans at most three words; B needs
// "(" after the first word and its blanks, and C needs "#define"); with fewer, and short, A or
// B decides it, and either one matches the whole head ("$" after the "("). Other subjects go to
// the engine.
Recognised SimpleHead(std::string_view s, MatchSpan& span) {
  const int words = SimpleHeadWords(s);
  if (words >= 4) return Recognised::NoMatch;
  if (words < 0 || s.size() > kSimpleHeadLimit) return Recognised::AskEngine;
  if (kSimpleHeadAutomaton.Accepts(s.substr(0, s.size() - 1)) ||
      FunctionB(s, span) == Recognised::Match) {
    return Found(span, 0, s.size());
  }
  return Recognised::NoMatch;
}

Recognised FunctionAB(std::string_view s, MatchSpan& span) {
  if (!Is(s, 0, kWord)) return Recognised::NoMatch;
  return SimpleHead(s, span);
}

Recognised FunctionABC(std::string_view s, MatchSpan& span) {
  if (!Is(s, 0, kWord)) return FunctionC(s, span);
  return SimpleHead(s, span);
}

// ^[ \t]*}([ \t]*[A-Za-z0-9_][ \tA-Za-z0-9_\[\]]+,?)+;
// After the "}" the bytes up to the first ";" must all belong to the group, and split at the
// commas into pieces of the form "[ \t]*[A-Za-z0-9_][ \tA-Za-z0-9_\[\]]+" (several items
// without commas between them have that form too); the last piece may be empty after a comma.
// When it holds, the engine finds it on its first, greedy try.
Recognised StructClose(std::string_view s, MatchSpan& span) {
  const std::size_t brace = SkipWhile(s, 0, kBlank);
  if (brace >= s.size() || s[brace] != '}') return Recognised::NoMatch;
  const std::size_t body = brace + 1;
  const std::size_t semicolon = SkipWhile(s, body, kCloseBody);
  if (semicolon >= s.size() || s[semicolon] != ';') return Recognised::NoMatch;
  auto piece = [&](std::size_t from, std::size_t to) {
    const std::size_t first = SkipWhile(s.substr(0, to), from, kBlank);
    return first + 1 < to && kWord(s[first]);
  };
  std::size_t from = body;
  for (;;) {
    const std::size_t comma = s.substr(0, semicolon).find(',', from);
    if (comma == npos) {
      const bool ok = (from == semicolon && from != body) || piece(from, semicolon);
      return ok ? Found(span, 0, semicolon + 1) : Recognised::NoMatch;
    }
    if (!piece(from, comma)) return Recognised::NoMatch;
    from = comma + 1;
  }
}

// struct[ \t]+[A-Za-z0-9_]+[ \t\[\]A-Za-z0-9_&*=]*{*
// The first "struct" that begins a character and is followed by blanks and a word; the rest
// takes what it can.
Recognised StructTag(std::string_view s, MatchSpan& span) {
  CharStarts starts(s);
  for (std::size_t at = s.find("struct"); at != npos; at = s.find("struct", at + 1)) {
    const std::size_t word = SkipWhile(s, at + 6, kBlank);
    if (word == at + 6 || !Is(s, word, kWord) || !starts.At(at)) continue;
    const std::size_t tail = SkipWhile(s, SkipWhile(s, word, kWord), kTagTail);
    return Found(span, at, SkipWhile(s, tail, kBrace));
  }
  return Recognised::NoMatch;
}

// The closing pattern, else the tag pattern. A closing line that fails may have cost the engine
// its retry limit (a failed search) before the tag pattern was tried: such a line with a tag
// goes to the engine.
Recognised StructCloseOrTag(std::string_view s, MatchSpan& span) {
  if (StructClose(s, span) == Recognised::Match) return Recognised::Match;
  const Recognised tag = StructTag(s, span);
  const std::size_t brace = SkipWhile(s, 0, kBlank);
  if (tag == Recognised::Match && brace < s.size() && s[brace] == '}') return Recognised::AskEngine;
  return tag;
}

// The "(" after a declaration head at the start of s, or npos. The common part of the
// prototype pattern and the first step head:
//   ^[ \t]*[A-Za-z0-9_]*[ \t]*[A-Za-z0-9_]+[ \t]+[*]*[A-Za-z_][A-Za-z0-9_]*[ \t]*\(
// Blanks, one or two words with blanks between them (the two words with optional blanks between
// may also split one word), blanks, "*"s, a name, blanks and "(". Each run is taken whole; the
// only choice is whether the second word is the name, and only one choice can reach a "(".
std::size_t DeclarationParen(std::string_view s) {
  const std::size_t first = SkipWhile(s, 0, kBlank);
  const std::size_t first_end = SkipWhile(s, first, kWord);
  const std::size_t gap = SkipWhile(s, first_end, kBlank);
  if (first_end == first || gap == first_end) return npos;
  auto paren_after_name = [&](std::size_t at) {
    const std::size_t name = SkipWhile(s, at, kStar);
    if (!Is(s, name, kIdentHead)) return npos;
    const std::size_t open = SkipWhile(s, SkipWhile(s, name + 1, kWord), kBlank);
    return Is(s, open, kOpenParen) ? open : npos;
  };
  const std::size_t open = paren_after_name(gap);
  if (open != npos) return open;
  const std::size_t second_end = SkipWhile(s, gap, kWord);
  const std::size_t gap2 = SkipWhile(s, second_end, kBlank);
  return second_end > gap && gap2 > second_end ? paren_after_name(gap2) : npos;
}

// The prototype declaration: the head as above, then
//   [ \tA-Za-z0-9_,&*]*\)[ \t]*\;
// the arguments, ")", blanks and ";".
Recognised Prototype(std::string_view s, MatchSpan& span) {
  const std::size_t open = DeclarationParen(s);
  if (open == npos) return Recognised::NoMatch;
  const std::size_t close = SkipWhile(s, open + 1, kPrototypeArgs);
  if (!Is(s, close, kCloseParen)) return Recognised::NoMatch;
  const std::size_t semicolon = SkipWhile(s, close + 1, kBlank);
  if (!Is(s, semicolon, kSemicolon)) return Recognised::NoMatch;
  return Found(span, 0, semicolon + 1);
}

// True when "$" holds at i: the end, or before a line feed that ends the subject.
bool AtEnd(std::string_view s, std::size_t i) {
  return i == s.size() || (i + 1 == s.size() && s[i] == '\n');
}

// The first step head: the head as above, then
//   [ \tA-Za-z0-9_,&*\[\]]*[\)]*[A-Za-z0-9_\{ \t]*$
// The three runs after "(", taken greedily, must reach the end: a shorter first run would leave
// a byte that neither ")" nor the last run takes. A subject that fails may cost the engine its
// retry limit, which is a failure too; one that holds is found on the first try.
Recognised StepHeadFirst(std::string_view s, MatchSpan& span) {
  const std::size_t open = DeclarationParen(s);
  if (open == npos) return Recognised::NoMatch;
  std::size_t end = SkipWhile(s, open + 1, kStepHeadArgs);
  end = SkipWhile(s, SkipWhile(s, end, kCloseParen), kStepHeadTail);
  if (!AtEnd(s, end)) return Recognised::NoMatch;
  return Found(span, 0, end);
}

// ^.+\([0-9]+\):[ \t]*
// ".+" runs to the first line feed and gives back to the last "(digits):" after the first
// byte; "(" is never part of a double-byte character, so bytes are characters here.
Recognised PositionPrefix(std::string_view s, MatchSpan& span) {
  const std::size_t line_end = std::min(s.find('\n'), s.size());
  for (std::size_t open = s.substr(0, line_end).rfind('('); open != npos && open >= 1;
       open = s.substr(0, open).rfind('(')) {
    const std::size_t digits_end = SkipWhile(s, open + 1, kDigit);
    if (digits_end == open + 1 || !Is(s, digits_end, kCloseParen) ||
        !Is(s, digits_end + 1, kColon)) {
      continue;
    }
    return Found(span, 0, SkipWhile(s, digits_end + 2, kBlank));
  }
  return Recognised::NoMatch;
}

// //.+$|/\*.+?\*/
// At the first "/" where either holds: "//", at least one character and no line feed after it
// up to the end (or a line feed that ends the subject); or "/*", at least one character and the
// first "*/" after that, with no line feed before it. "/" and "*" are never second bytes.
Recognised Comment(std::string_view s, MatchSpan& span) {
  for (std::size_t at = s.find('/'); at != npos && at + 1 < s.size(); at = s.find('/', at + 1)) {
    if (s[at + 1] == '/') {
      const std::size_t lf = s.find('\n', at + 2);
      const std::size_t end = lf == npos ? s.size() : lf;
      if (end > at + 2 && AtEnd(s, end)) return Found(span, at, end);
    } else if (s[at + 1] == '*' && at + 3 < s.size()) {
      const std::size_t close = s.find("*/", at + 3);
      if (close != npos && s.substr(at + 2, close - at - 2).find('\n') == npos)
        return Found(span, at, close + 2);
    }
  }
  return Recognised::NoMatch;
}

// [ \t]*X[ \t]* for a fixed text X: the first X that begins a character, with the blanks
// before it (a start among them is the leftmost) and after it.
Recognised BlanksAround(std::string_view s, std::string_view x, MatchSpan& span) {
  CharStarts starts(s);
  for (std::size_t at = s.find(x); at != npos; at = s.find(x, at + 1)) {
    if (!starts.At(at)) continue;
    std::size_t from = at;
    while (from > 0 && kBlank(s[from - 1])) --from;
    return Found(span, from, SkipWhile(s, at + x.size(), kBlank));
  }
  return Recognised::NoMatch;
}

// [ \t]*}[ \t]*
Recognised BraceKeyword(std::string_view s, MatchSpan& span) {
  return BlanksAround(s, "}", span);
}

// [ \t]*struct[ \t]*
Recognised StructKeyword(std::string_view s, MatchSpan& span) {
  return BlanksAround(s, "struct", span);
}

// Where the line of the subject that holds i ends: its line feed, or the end.
std::size_t LineEnd(std::string_view s, std::size_t i) {
  return std::min(s.find('\n', i), s.size());
}

// =.*$
// ".*" stops at a line feed, so "$" holds only on the last line (or before a line feed that
// ends the subject): the first "=" there.
Recognised Initialiser(std::string_view s, MatchSpan& span) {
  const std::size_t body = s.ends_with('\n') ? s.size() - 1 : s.size();
  const std::size_t last_lf = s.substr(0, body).rfind('\n');
  const std::size_t eq = s.find('=', last_lf == npos ? 0 : last_lf + 1);
  if (eq == npos) return Recognised::NoMatch;
  return Found(span, eq, body);
}

// \[.*\]
// The first "[" that begins a character and has a "]" character after it on its line, up to
// the last such "]" of the line.
Recognised Brackets(std::string_view s, MatchSpan& span) {
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] != '[') {
      i = CharEnd(s, i);
      continue;
    }
    const std::size_t end = LineEnd(s, i);
    std::size_t close = npos;
    for (std::size_t k = i + 1; k < end; k = CharEnd(s, k)) {
      if (s[k] == ']') close = k;
    }
    if (close != npos) return Found(span, i, close + 1);
    i = end;  // no later "[" of this line has a "]" after it either
  }
  return Recognised::NoMatch;
}

// True when text holds a word byte, "*"s, blanks, "*"s and a word byte in a row.
bool HasTwoWords(std::string_view text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (!kWord(text[i]) || kWord(text[i + 1])) continue;
    const std::size_t blanks = SkipWhile(text, i + 1, kStar);
    const std::size_t after = SkipWhile(text, blanks, kBlank);
    if (after > blanks && Is(text, SkipWhile(text, after, kStar), kWord)) return true;
  }
  return false;
}

// [A-Za-z0-9_]+[*]*[ \t]+[*]*[A-Za-z0-9_]+\[?[ \tA-Za-z0-9_&*=+-]*\]?([ \t]*\[[
// \tA-Za-z0-9_&*=+-]*\])* [ \t]*=[ \t]*{ Only the boolean answer is cheap to be sure of, and the
// engine may give up on long lines, so this decides "no match" alone: a match ends with an "="
// followed by blanks and "{", every byte before that "=" is one of kTableBody, and it begins with
// two words as HasTwoWords finds them. Lines that have such a place go to the engine.
Recognised TableHead(std::string_view s, MatchSpan&) {
  for (std::size_t eq = s.find('='); eq != npos; eq = s.find('=', eq + 1)) {
    if (!Is(s, SkipWhile(s, eq + 1, kBlank), kBrace)) continue;
    std::size_t from = eq;
    while (from > 0 && kTableBody(s[from - 1])) --from;
    if (HasTwoWords(s.substr(from, eq - from))) return Recognised::AskEngine;
  }
  return Recognised::NoMatch;
}

// Whether kTableHead matches anywhere, decided exactly by running its position automaton over
// the characters (each position of the pattern a bit; a double-byte character matches none).
// Used where only the answer counts, so the span the engine would pick is never needed.
struct TableHeadAutomaton {
  // The pattern's positions, in order:
  //  0 W  1 *  2 B  3 *  4 W  5 [  6 C  7 ]  8 B  9 [  10 C  11 ]  12 B  13 =  14 B  15 {
  // with W [A-Za-z0-9_], B [ \t], C [ \tA-Za-z0-9_&*=+-].
  static constexpr int kFinal = 15;
  std::array<std::uint32_t, 256> holds{};  // positions whose class holds a byte
  std::array<std::uint32_t, 16> follow{};  // positions that may come next after each one

  constexpr TableHeadAutomaton() {
    const ByteClass word = Class("A-Za-z0-9_"), blank = Class(" \t"),
                    body = Class(" \tA-Za-z0-9_&*=+-"), star = Class("*"), open = Class("["),
                    close = Class("]"), equals = Class("="), brace = Class("{");
    const ByteClass* classes[16] = {&word,  &star, &blank, &star,  &word,  &open,   &body,  &close,
                                    &blank, &open, &body,  &close, &blank, &equals, &blank, &brace};
    for (int c = 0; c < 256; ++c)
      for (int p = 0; p < 16; ++p)
        if (classes[p]->in[c]) holds[c] |= 1u << p;
    auto bits = [](std::initializer_list<int> ps) {
      std::uint32_t m = 0;
      for (int p : ps) m |= 1u << p;
      return m;
    };
    // After the second word: "[?", "C*", "]?", the bracket groups, "B*", "=".
    const std::uint32_t after_word = bits({4, 5, 6, 7, 8, 9, 12, 13});
    follow[0] = bits({0, 1, 2});
    follow[1] = bits({1, 2});
    follow[2] = bits({2, 3, 4});
    follow[3] = bits({3, 4});
    follow[4] = after_word;
    follow[5] = bits({6, 7, 8, 9, 12, 13});
    follow[6] = bits({6, 7, 8, 9, 12, 13});
    follow[7] = bits({8, 9, 12, 13});
    follow[8] = bits({8, 9});
    follow[9] = bits({10, 11});
    follow[10] = bits({10, 11});
    follow[11] = bits({8, 9, 12, 13});
    follow[12] = bits({12, 13});
    follow[13] = bits({14, 15});
    follow[14] = bits({14, 15});
  }

  bool Found(std::string_view s) const {
    std::uint32_t now = 0;  // the positions the text so far can end in
    for (std::size_t i = 0; i < s.size();) {
      const std::size_t end = CharEnd(s, i);
      std::uint32_t next = 1u;  // a match may begin at any character
      for (std::uint32_t m = now; m; m &= m - 1) next |= follow[std::countr_zero(m)];
      now = end - i == 1 ? next & holds[static_cast<unsigned char>(s[i])] : 0;
      if (now & (1u << kFinal)) return true;
      i = end;
    }
    return false;
  }
};

constexpr TableHeadAutomaton kTableHeadAutomaton;

Recognised TableHeadFound(std::string_view s) {
  return kTableHeadAutomaton.Found(s) ? Recognised::Match : Recognised::NoMatch;
}

// ^[_a-zA-Z][^\(=;:]*::[^\(;]+\([^;]*$
// The first of "(", "=", ";", ":" after the first byte must begin "::", then at least one
// character before the next "(" or ";", which must be "(", and no ";" after it.
Recognised StepHeadScope(std::string_view s, MatchSpan& span) {
  if (!Is(s, 0, kIdentHead)) return Recognised::NoMatch;
  const std::size_t colon = FindIn(s, 1, kHeadStop);
  if (colon == npos || s[colon] != ':' || colon + 1 >= s.size() || s[colon + 1] != ':')
    return Recognised::NoMatch;
  const std::size_t paren = FindIn(s, colon + 2, kParenOrSemicolon);
  if (paren == npos || paren == colon + 2 || s[paren] != '(' || s.find(';', paren + 1) != npos)
    return Recognised::NoMatch;
  return Found(span, 0, s.size());
}

// ^[_a-zA-Z][^\(=;:]*[ \t]+[_a-zA-Z][_a-zA-Z0-9]*\([^;]*$
// The first of "(", "=", ";", ":" must be "(", right after a name that follows a blank (not the
// first byte), with no ";" after it.
Recognised StepHeadNamed(std::string_view s, MatchSpan& span) {
  if (!Is(s, 0, kIdentHead)) return Recognised::NoMatch;
  const std::size_t paren = FindIn(s, 1, kHeadStop);
  if (paren == npos || s[paren] != '(') return Recognised::NoMatch;
  std::size_t name = paren;
  while (name > 0 && kWord(s[name - 1])) --name;
  if (name < 2 || name == paren || !kBlank(s[name - 1]) || !kIdentHead(s[name]) ||
      s.find(';', paren + 1) != npos) {
    return Recognised::NoMatch;
  }
  return Found(span, 0, s.size());
}

// ^[_a-zA-Z][^\(=;:]*[ \t]+operator[^\(;]+\([^;]*$
// An "operator" after a blank (not the first byte) with none of "(", "=", ";", ":" before it,
// then at least one character before the next "(" or ";", which must be "(", and no ";" after.
Recognised StepHeadOperator(std::string_view s, MatchSpan& span) {
  if (!Is(s, 0, kIdentHead)) return Recognised::NoMatch;
  const std::size_t stop = FindIn(s, 1, kHeadStop);
  for (std::size_t at = s.find("operator", 2); at != npos && (stop == npos || at < stop);
       at = s.find("operator", at + 1)) {
    if (!kBlank(s[at - 1])) continue;
    const std::size_t paren = FindIn(s, at + 8, kParenOrSemicolon);
    if (paren == npos || paren == at + 8 || s[paren] != '(' || s.find(';', paren + 1) != npos)
      continue;
    return Found(span, 0, s.size());
  }
  return Recognised::NoMatch;
}

// True when pattern is the alternation of parts in this order.
bool IsAlternation(std::string_view pattern, std::initializer_list<std::string_view> parts) {
  for (std::string_view part : parts) {
    if (!pattern.starts_with(part)) return false;
    pattern.remove_prefix(part.size());
    if (pattern.empty()) return true;
    if (pattern.front() != '|') return false;
    pattern.remove_prefix(1);
  }
  return false;
}

}  // namespace

Recogniser RecogniserFor(std::string_view pattern) {
  namespace fp = fixed_pattern;
  struct Entry {
    std::string_view pattern;
    Recogniser recogniser;
  };
  static constexpr Entry kSingles[] = {
      {fp::kDefine, Define},
      {fp::kDefineWord, DefineWord},
      {fp::kIdentifier, Identifier},
      {fp::kFunctionName, FunctionName},
      {fp::kPrototypeHead, FunctionName},
      {fp::kFunctionB, FunctionB},
      {fp::kFunctionC, FunctionC},
      {fp::kStructClose, StructClose},
      {fp::kStructTag, StructTag},
      {fp::kStepHeadScope, StepHeadScope},
      {fp::kStepHeadNamed, StepHeadNamed},
      {fp::kStepHeadOperator, StepHeadOperator},
      {fp::kPrototype, Prototype},
      {fp::kStepHeadFirst, StepHeadFirst},
      {fp::kPositionPrefix, PositionPrefix},
      {fp::kComment, Comment},
      {fp::kBraceKeyword, BraceKeyword},
      {fp::kStructKeyword, StructKeyword},
      {fp::kInitialiser, Initialiser},
      {fp::kBrackets, Brackets},
      {fp::kTableHead, TableHead},
  };
  for (const Entry& e : kSingles) {
    if (pattern == e.pattern) return e.recogniser;
  }
  if (IsAlternation(pattern, {fp::kFunctionA, fp::kFunctionB})) return FunctionAB;
  if (IsAlternation(pattern, {fp::kFunctionA, fp::kFunctionB, fp::kFunctionC})) return FunctionABC;
  if (IsAlternation(pattern, {fp::kStructClose, fp::kStructTag})) return StructCloseOrTag;
  return nullptr;
}

MatchTest MatchTestFor(std::string_view pattern) {
  return pattern == fixed_pattern::kTableHead ? TableHeadFound : nullptr;
}

}  // namespace kelvora
