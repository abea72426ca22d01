// Preprocessor branches against the user's macro list, and the line filter built on them.
#include "text/source_clean.h"

#include "platform/bytes.h"

namespace kelvora {
namespace {

constexpr std::uint32_t kAllOnes = 0xFFFFFFFFu;
constexpr std::size_t kStepLimit = 512;
constexpr std::size_t kConditionLimit = 1024;
constexpr int kMaskLevels = 32;

std::string TabsToBlanksTrimmed(std::string_view s) {
  std::string out(TrimBlanks(s));
  for (char& c : out) {
    if (c == '\t') c = ' ';
  }
  return out;
}

// Name of a "defined" item once its keyword is dropped: parentheses deleted, blanks trimmed.
std::string DefinedName(std::string_view rest) {
  std::string name;
  for (char c : rest) {
    if (c != '(' && c != ')') name += c;
  }
  return std::string(TrimBlanks(name));
}

// Levels 1 to 32 own a bit of the mask; deeper levels (and level 0, outside any branch) have
// none and are never evaluated, so they can neither shift past the mask nor disturb it.
bool HasBit(int level) {
  return level >= 1 && level <= kMaskLevels;
}
std::uint32_t Bit(int level) {
  return std::uint32_t{1} << (level - 1);
}

// Splits "#if…"/"#elif" at the end of its keyword match into keyword and condition.
void SplitDirective(std::string_view line, const MatchSpan& span, std::string& keyword,
                    std::string& condition) {
  keyword = TabsToBlanksTrimmed(line.substr(span.pos, span.len));
  condition = TabsToBlanksTrimmed(line.substr(span.pos + span.len));
}

bool FindDirective(std::string_view line, std::string_view literal, const Regex& re,
                   MatchSpan& span) {
  return line.find(literal) != std::string_view::npos && re.Search(line, span);
}

}  // namespace

int EvaluateCondition(std::string_view keyword, std::string_view condition,
                      const MacroList& macros) {
  if (macros.text().size() >= kConditionLimit || condition.size() >= kConditionLimit) return 1;
  std::vector<std::string> items = SplitMacroItems(ReplaceAll(condition, "||", ","));
  const bool if_like =
      EqualsIgnoringAsciiCase(keyword, "#if") || EqualsIgnoringAsciiCase(keyword, "#elif");
  const bool ifdef = EqualsIgnoringAsciiCase(keyword, "#ifdef");
  const bool ifndef = EqualsIgnoringAsciiCase(keyword, "#ifndef");
  int result = 1;
  for (const std::string& item : items) {
    std::string_view it = item;
    if (if_like && it.starts_with("defined")) {
      if (macros.Contains(DefinedName(it.substr(7)))) return 1;
      result = 0;
      continue;
    }
    if (if_like && it.starts_with("!defined")) {
      if (!macros.Contains(DefinedName(it.substr(8)))) return 1;
      result = 0;
      continue;
    }
    if (if_like || ifdef) {
      if (it == "0") return 0;
      if (it == "1") return 1;
      return macros.Contains(it) ? 1 : 0;
    }
    if (ifndef) {
      if (it == "0") return 1;
      if (it == "1") return 0;
      return macros.Contains(it) ? 0 : 1;
    }
  }
  return result;
}

int PreprocessorStep(std::string_view line, ConditionalState& state, const MacroList& macros,
                     const CleaningPatterns& pats) {
  std::size_t first = 0;
  while (first < line.size() && IsBlankOrTab(line[first])) ++first;
  std::string_view head = line.substr(first);
  if (!head.starts_with('#')) return 0;
  if (head.starts_with("#define")) return 0;
  if (line.size() > kStepLimit || !pats.ok() || !pats.regex().available()) return -1;

  int result = 0;
  MatchSpan span;
  std::string keyword, condition;
  if (FindDirective(line, "#if", pats.pp_if, span)) {
    SplitDirective(line, span, keyword, condition);
    if (state.depth < 255) ++state.depth;
    const int d = state.depth;
    result = 0;
    if (HasBit(d)) {
      bool enclosing_active = d == 1 ? (state.mask & Bit(1)) != 0 : (state.mask & Bit(d - 1)) != 0;
      if (enclosing_active) {
        if (EvaluateCondition(keyword, condition, macros)) {
          state.mask |= Bit(d);
        } else {
          state.mask &= ~Bit(d);
          result = 1;
        }
      }
    }
  }
  if (FindDirective(line, "#else", pats.pp_else, span)) {
    if (HasBit(state.depth)) state.mask ^= Bit(state.depth);
    result = 1;
  }
  if (FindDirective(line, "#endif", pats.pp_endif, span)) {
    const int d = state.depth;
    if (d <= 1) {
      // Closing the outermost level (or a stray "#endif" outside any) makes every level active.
      if (d == 0 || (state.mask & Bit(1)) == 0) state.mask = kAllOnes;
    } else if (HasBit(d)) {
      state.mask |= Bit(d);
    }
    if (state.depth > 0) --state.depth;
    result = 2;
  }
  if (FindDirective(line, "#elif", pats.pp_elif, span)) {
    SplitDirective(line, span, keyword, condition);
    const int d = state.depth;
    result = 0;
    if (HasBit(d)) {
      if (EvaluateCondition(keyword, condition, macros)) {
        state.mask |= Bit(d);
      } else {
        state.mask &= ~Bit(d);
        result = 1;
      }
    }
  }
  return result;
}

bool FilterLine(std::string_view cleaned, ConditionalState& state, const MacroList& macros,
                const CleaningPatterns& pats) {
  const std::uint32_t m0 = state.mask;
  const int r = PreprocessorStep(cleaned, state, macros, pats);
  if (r == 1) {
    state.false_mark = true;
    return false;
  }
  if (r == 2 && state.false_mark) {
    state.false_mark = false;
    return false;
  }
  return state.mask == kAllOnes && (r != 2 || m0 == kAllOnes);
}

}  // namespace kelvora
