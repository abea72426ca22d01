// The fixed patterns of the extractors, compiled once per run and shared by every file and line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/line_matchers.h"
#include "text/regex_service.h"

namespace kelvora {

// What the caller already knows of a head text's bytes, so the prefilter need not look again.
struct HeadFacts {
  bool known = false;          // the two below tell; else the prefilter looks for itself
  bool holds_paren = false;    // the text holds "("
  bool may_hold_hash = false;  // false: the text holds no "#"
};

// Cheap byte conditions a head text must meet before its detection pattern can match at all.
struct HeadPrefilter {
  bool need_paren = false;      // the head text must hold "("
  bool ident_at_start = false;  // accepted when the first byte is [A-Za-z0-9_]
  bool define_word = false;     // accepted when the text holds "#define"
  // False only when the detection pattern cannot match head.
  bool MayMatch(std::string_view head, const HeadFacts& facts = {}) const {
    if (need_paren &&
        !(facts.known ? facts.holds_paren : head.find('(') != std::string_view::npos)) {
      return false;
    }
    if (!ident_at_start && !define_word) return true;
    if (ident_at_start && !head.empty()) {
      const unsigned char c = static_cast<unsigned char>(head.front());
      if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')
        return true;
    }
    return define_word && (!facts.known || facts.may_hold_hash) &&
           head.find("#define") != std::string_view::npos;
  }
};

// Detection and name patterns of one extraction mode, with the prefilter that fits them.
struct DetectionPatterns {
  // The texts with hand-written recognisers (text/line_matchers.h).
  static constexpr std::string_view kFunctionA = fixed_pattern::kFunctionA;
  static constexpr std::string_view kFunctionB = fixed_pattern::kFunctionB;
  static constexpr std::string_view kFunctionC = fixed_pattern::kFunctionC;
  static constexpr std::string_view kFunctionName = fixed_pattern::kFunctionName;
  static constexpr std::string_view kDefine = fixed_pattern::kDefine;
  static constexpr std::string_view kDefineName1 = fixed_pattern::kDefineWord;
  static constexpr std::string_view kDefineName2 = fixed_pattern::kIdentifier;

  // The detection pattern text of the function pass: 1 A and B, 2 C, otherwise A, B and C.
  static std::string FunctionPatternText(int func_prop);

  // Patterns of the function pass for a "func_prop" value, and of the #define pass.
  static DetectionPatterns ForFunctions(const RegexService& regex, int func_prop);
  static DetectionPatterns ForDefines(const RegexService& regex);

  bool ok() const { return detect.ok() && name1.ok() && name2.ok(); }

  Regex detect;
  Regex name1;
  Regex name2;
  HeadPrefilter prefilter;
  // The #define patterns as ForDefines makes them: a detection match is
  // "[ \t]*#define[ \t]+NAME[ \t]", and the name patterns take NAME out of it.
  bool fixed_defines = false;
};

// A definition head with any number of words before its name ("FuncHeadWords" 1), in cleaned
// code: at column 0, one or more specifier, type and attribute words, "*"s and attribute groups
// ("__attribute__((...))"), then the name and its "(". The list must not close on the line with
// anything but words, blanks and "{" after it (a macro invocation "DEFINE_X(a, b) = {" is no
// head), and no word before the name may be a statement word ("return", "else", ...). The name
// may be a keyword; callers reject those. name: with the "*"s right before it, as the two-word
// heads give it; paren: the offset of its "(".
struct ExtendedHead {
  std::string_view name;
  std::size_t paren = 0;
  bool name_first = false;  // no head: the text begins with a name and its "("
};
bool FindExtendedHead(std::string_view cleaned, ExtendedHead& head);

// True when a parenthesised list "(...)" declares something: "()", "(void)", "(int a)",
// "(char *)", "(...)"; false for single words or expressions ("(x)", "(&pool->lock)", "(4, 5)"),
// the arguments of a macro invocation or an annotation.
bool HoldsDeclaration(std::string_view list);

// Every other fixed pattern of the function, step-count, prototype, struct and table code, and
// the user's header-comment condition ("FuncHeaderStr").
class DefinitionPatterns {
 public:
  // ok() is false when the engine is missing. An empty or invalid condition switches header
  // comments off (has_header_condition() false). head_words: "FuncHeadWords" (1: the extended
  // heads count as definition heads too).
  DefinitionPatterns(const RegexService& regex, std::string_view header_words, int head_words = 0);

  bool ok() const { return ok_; }
  // True when a cleaned line matches one of the five definition heads (step_heads), or with
  // extended heads on, is an extended head.
  bool IsDefinitionHead(std::string_view cleaned) const;
  bool extended_heads() const { return extended_heads_; }
  bool has_header_condition() const { return header_condition.ok(); }
  // True when the header condition matches no text of plain ASCII bytes.
  bool header_needs_high_byte() const { return header_needs_high_byte_; }
  const std::string& header_words() const { return header_words_; }

  // Comment collection of the definition extractor.
  Regex open_block;   // /[*]+.*$
  Regex close_block;  // ^.*[*]+/
  // Preparation of a header comment.
  Regex header_condition;
  Regex blank_run;     // [ ][ ]+
  Regex open_marker;   // /[*]
  Regex close_marker;  // [*]/
  // Definition heads that end a step count.
  static constexpr int kStepHeadCount = 5;
  Regex step_heads[kStepHeadCount];
  // Prototype lines.
  Regex proto_head;  // [*~]*[A-Za-z_][A-Za-z0-9_:]*[ \t]*[(]
  Regex proto_name;  // [*~]*[A-Za-z_][A-Za-z0-9_:]*
  // Comments of prototype and candidate lines: //.+$|/\*.+?\*/
  Regex comment;
  // Candidate lines of the struct and table passes.
  Regex position_prefix;  // ^.+\([0-9]+\):[ \t]*
  Regex brace_keyword;    // [ \t]*}[ \t]*
  Regex struct_keyword;   // [ \t]*struct[ \t]*
  Regex identifier;       // [A-Za-z0-9_]+
  Regex initialiser;      // =.*$
  Regex brackets;         // \[.*\]

 private:
  std::string header_words_;
  bool extended_heads_ = false;
  bool header_needs_high_byte_ = false;
  bool ok_ = false;
};

// Every fixed pattern text the analysis compiles, for every "func_prop" and "struct_prop": each
// has a hand-written recogniser that must answer as the engine does.
std::vector<std::string> AnalysisPatternTexts();

}  // namespace kelvora
