#include "text/regex_pattern.h"

#include <cctype>
#include <cstdint>
#include <cstring>

#include "platform/bytes.h"

namespace kelvora {
namespace {

// Stands in a required run for "any number of blanks and tabs" (patterns never hold NUL).
constexpr char kBlankGap = '\0';

std::size_t CharLen(std::string_view p, std::size_t i) {
  return Cp932CharLength(p, i);
}

// One member of a character class: a character or an escape, with its code when it stands
// for a single known character (code < 0 for class escapes such as \d or \x41).
struct ClassItem {
  std::size_t len = 0;
  long code = -1;
};

long EscapeCode(unsigned char c) {
  switch (c) {
    case 't':
      return '\t';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 'f':
      return '\f';
    case 'a':
      return '\a';
    case 'e':
      return 0x1B;
    default:
      break;
  }
  if (c < 0x80 && !std::isalnum(c)) return c;
  return -1;
}

// Escapes that stand alone: the control characters above and the class and anchor escapes
// (\d, \w, \s, \h and their negations, \b, \B, \A, \z, \Z, \G).
bool IsEscapeWithoutArgument(unsigned char c) {
  return c != 0 && std::string_view("tnrfaedDwWsShHbBAzZG").find(static_cast<char>(c)) !=
                       std::string_view::npos;
}

ClassItem ReadClassItem(std::string_view p, std::size_t i) {
  ClassItem item;
  if (p[i] == '\\' && i + 1 < p.size()) {
    unsigned char c = static_cast<unsigned char>(p[i + 1]);
    std::size_t n = CharLen(p, i + 1);
    item.len = 1 + n;
    item.code = n == 1 ? EscapeCode(c) : -1;
    return item;
  }
  item.len = CharLen(p, i);
  unsigned char b0 = static_cast<unsigned char>(p[i]);
  item.code = item.len == 2 ? (long{b0} << 8) | static_cast<unsigned char>(p[i + 1]) : long{b0};
  return item;
}

// Copies the class that starts at p[i] == '[' and returns the index after its closing "]".
std::size_t CopyClass(std::string_view p, std::size_t i, std::string& out) {
  out += p[i++];
  if (i < p.size() && p[i] == '^') out += p[i++];
  // A "]" right after the opening bracket is a member, not the end.
  bool first = true;
  while (i < p.size()) {
    if (p[i] == ']' && !first) {
      out += p[i++];
      return i;
    }
    if (p[i] == '[' && i + 1 < p.size() && p[i + 1] == ':') {
      std::size_t close = p.find(":]", i + 2);
      if (close != std::string_view::npos) {
        out.append(p.substr(i, close + 2 - i));
        i = close + 2;
        continue;
      }
    }
    first = false;
    ClassItem lo = ReadClassItem(p, i);
    std::size_t dash = i + lo.len;
    if (dash + 1 < p.size() && p[dash] == '-' && p[dash + 1] != ']') {
      ClassItem hi = ReadClassItem(p, dash + 1);
      if (lo.code >= 0 && hi.code >= 0 && lo.code > hi.code) {
        out.append(p.substr(i, lo.len));
        out += "\\-";
        out.append(p.substr(dash + 1, hi.len));
      } else {
        out.append(p.substr(i, dash + 1 + hi.len - i));
      }
      i = dash + 1 + hi.len;
      continue;
    }
    out.append(p.substr(i, lo.len));
    i += lo.len;
  }
  return i;
}

// Index after the group that opens at p[i] == '(', or npos when it is not closed.
std::size_t SkipGroup(std::string_view p, std::size_t i) {
  int depth = 0;
  std::string scratch;
  while (i < p.size()) {
    char c = p[i];
    if (c == '\\' && i + 1 < p.size()) {
      i += 1 + CharLen(p, i + 1);
    } else if (c == '[') {
      i = CopyClass(p, i, scratch);
    } else {
      if (c == '(') ++depth;
      if (c == ')' && --depth == 0) return i + 1;
      i += CharLen(p, i);
    }
  }
  return std::string_view::npos;
}

bool IsQuantifierAt(std::string_view p, std::size_t i) {
  if (i >= p.size()) return false;
  char c = p[i];
  if (c == '*' || c == '+' || c == '?') return true;
  return c == '{' && i + 1 < p.size() &&
         (std::isdigit(static_cast<unsigned char>(p[i + 1])) || p[i + 1] == ',');
}

bool IsBlankClass(std::string_view cls) {
  return cls == "[ \\t]" || cls == "[\\t ]" || cls == "[ \t]" || cls == "[\t ]";
}

// True when the run stands at the start of s, each gap mark taking any number of blanks and tabs.
bool RunMatchesAt(std::string_view s, std::string_view run) {
  std::size_t j = 0;
  for (char c : run) {
    if (c == kBlankGap) {
      while (j < s.size() && (s[j] == ' ' || s[j] == '\t')) ++j;
    } else if (j < s.size() && s[j] == c) {
      ++j;
    } else {
      return false;
    }
  }
  return true;
}

// True when the subject holds the run somewhere.
bool ContainsRun(std::string_view subject, std::string_view run) {
  std::size_t gap = run.find(kBlankGap);
  if (gap == std::string_view::npos) return subject.find(run) != std::string_view::npos;
  std::string_view head = run.substr(0, gap);
  for (std::size_t at = subject.find(head); at != std::string_view::npos;
       at = subject.find(head, at + 1)) {
    if (RunMatchesAt(subject.substr(at), run)) return true;
  }
  return false;
}

// True when some byte of s is over 0x7F; eight bytes at a time.
bool HasHighByte(std::string_view s) {
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + i, 8);
    if (word & 0x8080808080808080ull) return true;
  }
  for (; i < s.size(); ++i) {
    if (static_cast<unsigned char>(s[i]) > 0x7F) return true;
  }
  return false;
}

}  // namespace

bool LiteralFilter::Passes(std::string_view subject) const {
  if (alternatives.empty()) return true;
  if (needs_high_byte && !HasHighByte(subject)) return false;
  for (const auto& runs : alternatives) {
    bool all = true;
    for (const auto& run : runs) {
      if (!ContainsRun(subject, run)) {
        all = false;
        break;
      }
    }
    if (all) return true;
  }
  return false;
}

LiteralFilter RequiredLiterals(std::string_view p) {
  LiteralFilter filter;
  if (p.find("(?") != std::string_view::npos || p.find("\\Q") != std::string_view::npos)
    return filter;
  std::vector<std::vector<std::string>> alternatives(1);
  std::string run;
  auto end_run = [&] {
    while (!run.empty() && run.back() == kBlankGap) run.pop_back();
    if (!run.empty()) alternatives.back().push_back(run);
    run.clear();
  };
  std::size_t i = 0;
  while (i < p.size()) {
    const char c = p[i];
    // The bytes this atom stands for, when it is one fixed character.
    std::string_view literal;
    char escaped = 0;
    if (c == ')') return filter;
    if (c == '|') {
      end_run();
      alternatives.emplace_back();
      ++i;
      continue;
    }
    if (c == '\\' && i + 1 < p.size()) {
      std::size_t n = CharLen(p, i + 1);
      const unsigned char e = static_cast<unsigned char>(p[i + 1]);
      // "\x41", "\101", "\p{Alpha}", "\k<n>": the escape's argument is no text of the line,
      // and how far it reaches is the engine's business. Give the filter up.
      if (n == 1 && std::isalnum(e) && !IsEscapeWithoutArgument(e)) return filter;
      long code = n == 1 ? EscapeCode(e) : -1;
      if (code >= 0) {
        escaped = static_cast<char>(code);
        literal = std::string_view(&escaped, 1);
      }
      i += 1 + n;
    } else if (c == '[') {
      std::string scratch;
      i = CopyClass(p, i, scratch);
      // Blanks and tabs any number of times between two fixed texts: the run goes on with a
      // gap mark, so "=[ \t]*{" needs "=", blanks, "{" rather than "=" and "{" anywhere.
      if (!run.empty() && IsBlankClass(scratch) && i < p.size() && p[i] == '*') {
        ++i;
        if (run.back() != kBlankGap) run += kBlankGap;
        continue;
      }
    } else if (c == '(') {
      i = SkipGroup(p, i);
      if (i == std::string_view::npos) return filter;
    } else if (c == '{' && IsQuantifierAt(p, i)) {
      std::size_t close = p.find('}', i);
      i = close == std::string_view::npos ? p.size() : close + 1;
    } else if (c == '.' || c == '^' || c == '$' || IsQuantifierAt(p, i)) {
      ++i;
    } else {
      std::size_t n = CharLen(p, i);
      literal = p.substr(i, n);
      i += n;
    }
    if (literal.empty()) {
      end_run();
      continue;
    }
    // "*", "?" or an interval may take the atom zero times; after "+" the run cannot go on.
    if (IsQuantifierAt(p, i) && p[i] != '+') {
      end_run();
      continue;
    }
    // A gap followed by a blank would need backtracking to check; give the gap up there.
    if (!run.empty() && run.back() == kBlankGap && (literal == " " || literal == "\t")) end_run();
    run += literal;
    if (IsQuantifierAt(p, i)) end_run();
  }
  end_run();
  for (const auto& runs : alternatives) {
    if (runs.empty()) return filter;  // this alternative can match anything
  }
  filter.needs_high_byte = true;
  for (const auto& runs : alternatives) {
    bool high = false;
    for (const auto& run : runs) high = high || HasHighByte(run);
    filter.needs_high_byte = filter.needs_high_byte && high;
  }
  filter.alternatives = std::move(alternatives);
  return filter;
}

std::string RewriteDescendingRanges(std::string_view pattern) {
  std::string out;
  out.reserve(pattern.size() + 8);
  std::size_t i = 0;
  while (i < pattern.size()) {
    char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      std::size_t n = 1 + CharLen(pattern, i + 1);
      out.append(pattern.substr(i, n));
      i += n;
    } else if (c == '[') {
      i = CopyClass(pattern, i, out);
    } else {
      std::size_t n = CharLen(pattern, i);
      out.append(pattern.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace kelvora
