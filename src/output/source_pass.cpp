#include "output/source_pass.h"

#include <algorithm>
#include <deque>

#include "analysis/definitions.h"
#include "analysis/definitions_patterns.h"
#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "settings/settings.h"

namespace kelvora {

namespace {

bool IsIdentStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsIdent(char c) {
  return IsIdentStart(c) || (c >= '0' && c <= '9');
}

// Offset of the "}" that closes the "{" at open, or npos when the text does not close it.
std::size_t MatchingBrace(std::string_view text, std::size_t open) {
  long depth = 0;
  for (std::size_t i = open; i < text.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (IsCp932LeadByte(b) && i + 1 < text.size()) {
      ++i;
      continue;
    }
    if (text[i] == '{') ++depth;
    if (text[i] == '}' && --depth == 0) return i;
  }
  return std::string_view::npos;
}

}  // namespace

CleanLineReader::CleanLineReader(LineSource& source, const CleaningPatterns& pats, Options options)
    : source_(source), pats_(pats), options_(options) {}

bool CleanLineReader::Next(std::string_view& raw, std::string_view& cleaned, bool& used) {
  if (!NextInto(raw, cleaned_, used)) return false;
  cleaned = cleaned_;
  return true;
}

bool CleanLineReader::NextInto(std::string_view& raw, std::string& cleaned, bool& used) {
  // A source with its text in memory hands out views into it: the line is not copied.
  if (!source_.NextLine(raw, raw_)) return false;
  ++line_no_;
  if (options_.convert_euc) {
    cut_ = ConvertEucToSjis(raw);
    raw = cut_;
  }
  raw = raw.substr(0, Cp932SafeCut(raw, kOutputLineBytes));
  used = CleanLine(raw, comments_, pats_, cleaned);
  if (used && options_.macros) used = FilterLine(cleaned, cond_, *options_.macros, pats_);
  if (used && options_.skip_directives && !cleaned.empty() && cleaned.front() == '#') used = false;
  if (!used) cleaned.clear();
  return true;
}

bool FindCall(std::string_view t, CallMatch& match) {
  // Most lines hold no "(" at all: one quick look settles them.
  if (t.find('(') == std::string_view::npos) return false;
  const std::size_t n = t.size();
  std::size_t i = 0;
  while (i < n) {
    if (IsCp932LeadByte(static_cast<unsigned char>(t[i])) && i + 1 < n) {
      i += 2;
      continue;
    }
    std::size_t q = i;
    while (q < n && t[q] == '*') ++q;
    if (q < n && IsIdentStart(t[q])) {
      std::size_t r = q + 1;
      while (r < n && IsIdent(t[r])) ++r;
      std::size_t s = r;
      while (s < n && (t[s] == ' ' || t[s] == '\t')) ++s;
      if (s < n && t[s] == '(') {
        match.begin = i;
        match.end = s + 1;
        match.name = t.substr(i, r - i);
        return true;
      }
      // Every later start inside this name ends at the same place and fails the same way.
      i = r;
      continue;
    }
    i = q > i ? q : i + 1;
  }
  return false;
}

std::string DefinitionName(std::string_view cleaned, const DefinitionPatterns& defs,
                           const Settings& settings) {
  if (!defs.IsDefinitionHead(cleaned)) return {};
  if (TrimBlanks(cleaned).starts_with("extern")) return {};
  CallMatch m;
  if (!FindCall(cleaned, m)) return {};
  std::string_view name = m.name;
  // A head with attribute groups or more words before its name names itself.
  ExtendedHead extended;
  if (defs.extended_heads() && FindExtendedHead(cleaned, extended)) {
    name = extended.name;
  } else if (name.starts_with("__declspec")) {
    std::string_view rest = cleaned.substr(m.end);
    if (!FindCall(rest, m)) return {};
    name = m.name;
  }
  if (IsKeyword(name) || settings.IsExcludedFunction(name)) return {};
  return std::string(name);
}

FunctionWalker::FunctionWalker(const CleaningPatterns& pats, const DefinitionPatterns& defs,
                               const Settings& settings, CleanLineReader::Options options)
    : pats_(pats), defs_(defs), settings_(settings), options_(options) {
  for (int i = 0; i < kExcludedSlots; ++i)
    if (settings.excluded_flags[i] == 1 && !settings.excluded_names[i].empty())
      excluded_.push_back(settings.excluded_names[i]);
}

bool FunctionWalker::IsExcluded(std::string_view name) const {
  for (const std::string& e : excluded_)
    if (e == name) return true;
  return false;
}

namespace {

std::uint32_t NameHash(std::string_view name) {
  std::uint32_t h = 2166136261u;
  for (char c : name) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return h;
}

}  // namespace

bool FunctionWalker::NewCallee(std::string_view name) {
  const std::uint32_t hash = NameHash(name);
  std::size_t mask = callee_slots_.size() - 1;
  std::size_t at = hash & mask;
  for (; callee_slots_[at] != 0; at = (at + 1) & mask) {
    const std::uint64_t slot = callee_slots_[at];
    if (static_cast<std::uint32_t>(slot >> 32) != hash) continue;
    const std::size_t k = static_cast<std::uint32_t>(slot) - 1;
    const std::size_t begin = k == 0 ? 0 : callee_ends_[k - 1];
    if (std::string_view(callee_text_).substr(begin, callee_ends_[k] - begin) == name) return false;
  }
  if (callee_ends_.size() >= kCalleeMemory) return true;
  callee_text_.append(name);
  callee_ends_.push_back(static_cast<std::uint32_t>(callee_text_.size()));
  callee_slots_[at] = (std::uint64_t{hash} << 32) | callee_ends_.size();
  // Kept at most half full: 2048 slots hold the 999 names.
  if (callee_ends_.size() * 2 > callee_slots_.size()) {
    callee_slots_.assign(callee_slots_.size() * 2, 0);
    mask = callee_slots_.size() - 1;
    std::size_t begin = 0;
    for (std::size_t k = 0; k < callee_ends_.size(); ++k) {
      const std::uint32_t h =
          NameHash(std::string_view(callee_text_).substr(begin, callee_ends_[k] - begin));
      std::size_t a = h & mask;
      while (callee_slots_[a] != 0) a = (a + 1) & mask;
      callee_slots_[a] = (std::uint64_t{h} << 32) | (k + 1);
      begin = callee_ends_[k];
    }
  }
  return true;
}

std::string_view FunctionWalker::Calls(std::string_view text, const Line& line, long line_no,
                                       FunctionWalkVisitor& visitor) {
  CallMatch m;
  while (FindCall(text, m)) {
    std::string_view name = m.name;
    const std::size_t offset =
        static_cast<std::size_t>(text.data() - line.cleaned.data()) + m.begin;
    text.remove_prefix(m.end);
    if (IsKeyword(name) || IsExcluded(name)) continue;
    visitor.OnCall(head_, {name, line_no, line.raw, line.cleaned, offset});
    if (!NewCallee(name)) continue;
    visitor.OnCallee(head_, name, name == head_.name);
  }
  return text;
}

long FunctionWalker::Walk(LineSource& source, FunctionWalkVisitor& visitor) {
  CleanLineReader reader(source, pats_, options_);
  // Lines read ahead while looking for a brace that never came are read again from here.
  std::deque<std::pair<long, Line>> again;
  Line line;
  long line_no = 0;
  auto fetch = [&]() {
    if (!again.empty()) {
      line_no = again.front().first;
      line = std::move(again.front().second);
      again.pop_front();
      return true;
    }
    std::string_view raw;
    if (!reader.NextInto(raw, line.cleaned, line.used)) return false;
    line.raw.assign(raw);
    line_no = reader.line_number();
    return true;
  };

  while (fetch()) {
    if (!line.used) continue;
    std::string name = DefinitionName(line.cleaned, defs_, settings_);
    if (name.empty()) continue;
    const long head_no = line_no;
    Line head = line;

    // Lines read past the head: for its parameter list, then for its brace. Those not taken
    // into the definition are read again.
    std::vector<std::pair<long, Line>> ahead;
    auto give_back = [&](std::size_t from) {
      for (std::size_t i = ahead.size(); i-- > from;) again.push_front(std::move(ahead[i]));
    };
    // A parameter list still open at the end of the head line is read on to its ")", as the
    // registration reads it: a ";" inside it or after it before any "{" makes a prototype (or a
    // macro invocation over several lines), which is no definition.
    std::size_t list = head.cleaned.find('(');
    ExtendedHead extended;
    const bool extended_head = defs_.extended_heads() && FindExtendedHead(head.cleaned, extended);
    if (extended_head) list = extended.paren;
    // An extended head's list closed without a "{" after it is read on too, past attribute
    // words ("__alloc_size(1);" on the next line makes a prototype).
    const bool trailing = extended_head;
    long depth = 0;
    bool read_on = false;
    for (std::size_t i = list; i < head.cleaned.size(); ++i) {
      depth += head.cleaned[i] == '(' ? 1 : head.cleaned[i] == ')' ? -1 : 0;
      if (depth == 0) {  // closed on the head line
        read_on = trailing && head.cleaned.find('{', i) == std::string::npos;
        break;
      }
    }
    read_on = read_on || depth > 0;
    bool prototype = false, opened = false;
    for (int k = 0; read_on && k < kParameterLines && fetch(); ++k) {
      ahead.emplace_back(line_no, line);
      if (!line.used || line.cleaned.empty() || line.cleaned.front() == '#') continue;
      for (char c : line.cleaned) {
        if (c == ';') {
          prototype = true;
          break;
        }
        if (depth == 0 && c == '{') {
          opened = true;
          break;
        }
        if (depth > 0 || trailing) depth += c == '(' ? 1 : c == ')' ? -1 : 0;
      }
      if (prototype || opened || (depth == 0 && !trailing)) break;
    }
    if (prototype) {
      give_back(0);
      continue;
    }

    head_.name = std::move(name);
    head_.line = head_no;
    head_.cleaned = head.cleaned;
    callee_text_.clear();
    callee_ends_.clear();
    // A small table for the usual few callees; it grows with them.
    if (callee_slots_.size() != 64)
      callee_slots_.assign(64, 0);
    else
      std::fill(callee_slots_.begin(), callee_slots_.end(), 0);
    visitor.OnDefinition(head_);

    // The opening brace: the definition line or one of the next 100 lines, raw text.
    line = std::move(head);
    line_no = head_no;
    std::size_t taken = 0;
    bool found = FindCp932Char(line.raw, '{') != std::string::npos;
    for (int k = 0; !found && k < kBraceLookahead; ++k) {
      if (taken < ahead.size()) {
        line_no = ahead[taken].first;
        line = ahead[taken].second;
      } else if (fetch()) {
        ahead.emplace_back(line_no, line);
      } else {
        break;
      }
      ++taken;
      found = FindCp932Char(line.raw, '{') != std::string::npos;
    }
    if (!found) {
      give_back(0);
      visitor.OnBodyEnd(head_, head_.line);
      continue;
    }
    give_back(taken);

    // The brace line's calls after its "{" belong to the body; a body that opens and closes on
    // that line holds only those between its braces.
    const std::size_t open = FindCp932Char(line.cleaned, '{');
    if (open != std::string::npos) {
      const std::size_t close = MatchingBrace(line.cleaned, open);
      if (close != std::string::npos) {
        Calls(std::string_view(line.cleaned).substr(open + 1, close - open - 1), line, line_no,
              visitor);
        visitor.OnBodyEnd(head_, line_no);
        continue;
      }
      if (line.used) Calls(std::string_view(line.cleaned).substr(open + 1), line, line_no, visitor);
    }

    long last = line_no;
    while (fetch()) {
      last = line_no;
      visitor.OnBodyLine(line_no, line.raw, line.cleaned, line.used);
      if (!line.used) continue;
      const std::string_view rest = Calls(line.cleaned, line, line_no, visitor);
      if (!rest.empty() && rest.front() == '}') break;
    }
    visitor.OnBodyEnd(head_, last);
  }
  return reader.line_number();
}

}  // namespace kelvora
