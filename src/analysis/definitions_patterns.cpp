#include "analysis/definitions_patterns.h"

#include <array>

#include "analysis/analysis_passes.h"
#include "analysis/definitions.h"
#include "platform/bytes.h"
#include "settings/settings.h"
#include "text/regex_pattern.h"

namespace kelvora {

std::string DetectionPatterns::FunctionPatternText(int func_prop) {
  std::string text;
  if (func_prop == 1) {
    text.append(kFunctionA).append("|").append(kFunctionB);
  } else if (func_prop == 2) {
    text.append(kFunctionC);
  } else {
    text.append(kFunctionA).append("|").append(kFunctionB).append("|").append(kFunctionC);
  }
  return text;
}

DetectionPatterns DetectionPatterns::ForFunctions(const RegexService& regex, int func_prop) {
  DetectionPatterns p;
  regex.Compile(FunctionPatternText(func_prop), p.detect);
  regex.Compile(kFunctionName, p.name1);
  regex.Compile(kFunctionName, p.name2);
  // A and B start with an identifier byte at column 0; C needs "#define"; all three need "(".
  p.prefilter.need_paren = true;
  p.prefilter.ident_at_start = func_prop != 2;
  p.prefilter.define_word = func_prop != 1;
  return p;
}

DetectionPatterns DetectionPatterns::ForDefines(const RegexService& regex) {
  DetectionPatterns p;
  regex.Compile(kDefine, p.detect);
  regex.Compile(kDefineName1, p.name1);
  regex.Compile(kDefineName2, p.name2);
  p.prefilter.define_word = true;
  p.fixed_defines = true;
  return p;
}

DefinitionPatterns::DefinitionPatterns(const RegexService& regex, std::string_view header_words,
                                       int head_words)
    : header_words_(header_words), extended_heads_(head_words == 1) {
  static constexpr std::string_view kStepHeads[kStepHeadCount] = {
      fixed_pattern::kStepHeadFirst, fixed_pattern::kStepHeadScope,
      fixed_pattern::kStepHeadNamed, fixed_pattern::kStepHeadOperator,
      fixed_pattern::kFunctionB,
  };
  bool all = regex.available();
  auto compile = [&](std::string_view pattern, Regex& out) {
    if (!regex.Compile(pattern, out)) all = false;
  };
  compile("/[*]+.*$", open_block);
  compile("^.*[*]+/", close_block);
  compile("[ ][ ]+", blank_run);
  compile("/[*]", open_marker);
  compile("[*]/", close_marker);
  for (int k = 0; k < kStepHeadCount; ++k) compile(kStepHeads[k], step_heads[k]);
  compile(fixed_pattern::kPrototypeHead, proto_head);
  compile("[*~]*[A-Za-z_][A-Za-z0-9_:]*", proto_name);
  compile(fixed_pattern::kComment, comment);
  compile(fixed_pattern::kPositionPrefix, position_prefix);
  compile(fixed_pattern::kBraceKeyword, brace_keyword);
  compile(fixed_pattern::kStructKeyword, struct_keyword);
  compile(fixed_pattern::kIdentifier, identifier);
  compile(fixed_pattern::kInitialiser, initialiser);
  compile(fixed_pattern::kBrackets, brackets);
  ok_ = all;
  // The condition is the user's pattern: when it does not compile, header comments are off.
  if (!header_words_.empty() && regex.Compile(header_words_, header_condition)) {
    header_needs_high_byte_ =
        RequiredLiterals(RewriteDescendingRanges(header_words_)).needs_high_byte;
  }
}

namespace {

constexpr std::array<bool, 256> FirstHeadBytes() {
  std::array<bool, 256> t{};
  for (int c = 'a'; c <= 'z'; ++c) t[c] = true;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = true;
  for (int c = '0'; c <= '9'; ++c) t[c] = true;
  for (char c : std::string_view(" \t_,&*[](){")) t[static_cast<unsigned char>(c)] = true;
  return t;
}
constexpr std::array<bool, 256> kFirstHeadBytes = FirstHeadBytes();

// True when text could be matched whole by the first step head: only its bytes, one "(".
bool OnlyFirstHeadBytes(std::string_view text) {
  int parens = 0;
  for (char c : text) {
    if (!kFirstHeadBytes[static_cast<unsigned char>(c)]) return false;
    parens += c == '(';
  }
  return parens == 1;
}

}  // namespace

// Every head pattern needs a "(", no ";" anywhere, and an identifier character as the first
// character after leading blanks; statements are thus turned away without the engine.
bool DefinitionPatterns::IsDefinitionHead(std::string_view cleaned) const {
  if (cleaned.find('(') == std::string_view::npos) return false;
  if (cleaned.find(';') != std::string_view::npos) return false;
  const std::string_view trimmed = TrimBlanks(cleaned);
  if (trimmed.empty()) return false;
  unsigned char c = static_cast<unsigned char>(trimmed.front());
  bool ident =
      (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  if (!ident) return false;
  // The first head holds nothing but the bytes of its classes and a single "(" (none of its
  // parts before the "(" or after it takes one); the other four begin at the first byte with a
  // letter or "_".
  if (OnlyFirstHeadBytes(cleaned) && step_heads[0].Matches(cleaned)) return true;
  const unsigned char c0 = static_cast<unsigned char>(cleaned[0]);
  if (!((c0 >= 'a' && c0 <= 'z') || (c0 >= 'A' && c0 <= 'Z') || c0 == '_')) return false;
  for (int k = 1; k < kStepHeadCount; ++k) {
    if (step_heads[k].Matches(cleaned)) return true;
  }
  ExtendedHead head;
  return extended_heads_ && FindExtendedHead(cleaned, head);
}

namespace {

bool IsWordStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsWordByte(char c) {
  return IsWordStart(c) || (c >= '0' && c <= '9');
}

// Words that begin statements or declarations that are no function definition.
bool IsStatementWord(std::string_view word) {
  static constexpr std::string_view kWords[] = {
      "return", "else", "case", "goto", "typedef", "do", "if", "while", "for", "switch", "sizeof"};
  for (std::string_view w : kWords)
    if (w == word) return true;
  return false;
}

// Words whose parenthesised group is part of the head, not its parameter list.
bool IsAttributeWord(std::string_view word) {
  return word == "__attribute__" || word == "__attribute" || word == "__declspec" ||
         word == "__aligned" || word == "__section" || word == "__alignof__";
}

// The offset after the ")" closing the "(" at open, or npos when the text does not close it.
std::size_t AfterGroup(std::string_view text, std::size_t open) {
  long depth = 0;
  for (std::size_t i = open; i < text.size(); ++i) {
    if (text[i] == '(') ++depth;
    if (text[i] == ')' && --depth == 0) return i + 1;
  }
  return std::string_view::npos;
}

// True when a word that is not followed by "(" comes next at from: a "__x(...)" group before
// it is an attribute macro ("__alloc_size(1) void *kmalloc("), not the list of a function named
// __x (whose list may be followed by "__acquires(x)").
bool MoreHeadFollows(std::string_view text, std::size_t from) {
  std::size_t i = from;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '*')) ++i;
  if (i >= text.size() || !IsWordStart(text[i])) return false;
  while (i < text.size() && IsWordByte(text[i])) ++i;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  return i < text.size() && text[i] != '(';
}

}  // namespace

bool FindExtendedHead(std::string_view text, ExtendedHead& head) {
  if (text.empty() || !IsWordStart(text[0])) return false;
  const std::size_t n = text.size();
  int words = 0;
  std::size_t i = 0;
  while (true) {
    while (i < n && (text[i] == ' ' || text[i] == '\t' || text[i] == '*')) ++i;
    if (i >= n || !IsWordStart(text[i])) return false;
    // The "*"s right before a name belong to it, as the two-word heads take them.
    std::size_t stars = i;
    while (stars > 0 && text[stars - 1] == '*') --stars;
    const std::size_t start = i;
    while (i < n && (IsWordByte(text[i]) || (text[i] == ':' && i + 1 < n && text[i + 1] == ':'))) {
      i += text[i] == ':' ? 2 : 1;
    }
    const std::string_view word = text.substr(start, i - start);
    std::size_t at = i;
    while (at < n && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at < n && text[at] == '(') {
      const std::size_t group_end = AfterGroup(text, at);
      if (IsAttributeWord(word) || (word.starts_with("__") && group_end != std::string_view::npos &&
                                    MoreHeadFollows(text, group_end))) {
        if (group_end == std::string_view::npos) return false;
        i = group_end;
        ++words;
        continue;
      }
      if (words == 0) {  // a name alone is the two-word heads' affair
        head.name_first = true;
        return false;
      }
      // What follows the parameter list on the line: words, blanks, "{" and the groups of
      // "__x(...)" attribute words ("__acquires(lock)") only.
      const std::size_t after = AfterGroup(text, at);
      if (after != std::string_view::npos) {
        for (std::size_t k = after; k < n;) {
          const char c = text[k];
          if (c == '_' && k + 1 < n && text[k + 1] == '_') {
            std::size_t e = k;
            while (e < n && IsWordByte(text[e])) ++e;
            if (e < n && text[e] == '(') {
              e = AfterGroup(text, e);
              if (e == std::string_view::npos) return false;
            }
            k = e;
            continue;
          }
          if (c == '{') break;  // a body on the head line ("{ }") is the body's affair
          if (!(IsWordByte(c) || c == ' ' || c == '\t')) return false;
          ++k;
        }
      }
      // An attribute macro that ends the line ("static __printf(4, 0)" above its head) has
      // no declarations in its list.
      if (word.starts_with("__") && after != std::string_view::npos &&
          IsAllBlank(text.substr(after)) && !HoldsDeclaration(text.substr(at, after - at))) {
        return false;
      }
      head.name = text.substr(stars, i - stars);
      head.paren = at;
      return true;
    }
    if (IsStatementWord(word)) return false;
    ++words;
    i = at;
  }
}

bool HoldsDeclaration(std::string_view list) {
  if (list.size() < 2) return true;
  const std::string_view inner = TrimBlanks(list.substr(1, list.size() - 2));
  if (inner.empty() || inner == "void") return true;
  std::size_t start = 0;
  while (start <= inner.size()) {
    std::size_t comma = inner.find(',', start);
    if (comma == std::string_view::npos) comma = inner.size();
    const std::string_view item = TrimBlanks(inner.substr(start, comma - start));
    if (item.empty() || item == "..." || item.find_first_of(" \t*[") != std::string_view::npos) {
      return true;
    }
    start = comma + 1;
  }
  return false;
}

const DefinitionPatterns& PatternsOf(ExtractorEnv& env) {
  if (env.patterns) return *env.patterns;
  if (!env.own_patterns || env.own_patterns->header_words() != env.settings.func_header_str ||
      env.own_patterns->extended_heads() != (env.settings.func_head_words == 1)) {
    env.own_patterns = std::make_shared<const DefinitionPatterns>(
        env.regex, env.settings.func_header_str, env.settings.func_head_words);
  }
  return *env.own_patterns;
}

std::vector<std::string> AnalysisPatternTexts() {
  namespace fp = fixed_pattern;
  std::vector<std::string> out;
  for (std::string_view p :
       {fp::kDefine,        fp::kDefineWord,    fp::kIdentifier,    fp::kFunctionName,
        fp::kPrototypeHead, fp::kFunctionB,     fp::kFunctionC,     fp::kStructClose,
        fp::kStructTag,     fp::kStepHeadScope, fp::kStepHeadNamed, fp::kStepHeadOperator,
        fp::kPrototype,     fp::kTableHead,     fp::kStepHeadFirst, fp::kPositionPrefix,
        fp::kComment,       fp::kBraceKeyword,  fp::kStructKeyword, fp::kInitialiser,
        fp::kBrackets}) {
    out.emplace_back(p);
  }
  out.emplace_back(kPrototypeDeclarationPattern);
  out.emplace_back(kTableHeadPattern);
  for (int prop : {0, 1, 2}) {
    out.push_back(DetectionPatterns::FunctionPatternText(prop));
    out.push_back(StructDetectPattern(prop));
  }
  return out;
}

}  // namespace kelvora
