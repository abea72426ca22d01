// Source line cleaning: literals and comments removed, preprocessor branches evaluated against
// the user's macro list, EUC-JP converted to Shift-JIS, and the two candidate-line collectors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bytes.h"
#include "text/regex_service.h"

namespace kelvora {

class LineSource;

// The user's macro list ("Preprocessor", names separated by ","): an item is the text up to the
// next ",", leading blanks and tabs dropped, trailing ones kept; an item of 512 bytes or more
// ends the list. Membership is exact and case-sensitive.
class MacroList {
 public:
  MacroList() = default;
  explicit MacroList(std::string_view text);
  bool Contains(std::string_view item) const;
  const std::string& text() const { return text_; }
  const std::vector<std::string>& items() const { return items_; }

 private:
  std::string text_;
  std::vector<std::string> items_;
};

// Items of a ","-separated list as the macro list reads them: leading blanks and tabs dropped,
// trailing ones kept, empty items skipped, an item of 512 bytes or more ending the list.
std::vector<std::string> SplitMacroItems(std::string_view text);

// Conditional state of one file and reader. Levels deeper than 32 have no bit and are never
// evaluated; a "#endif" outside any level leaves the depth at 0.
struct ConditionalState {
  std::uint32_t mask = 0xFFFFFFFFu;  // bit k-1: the branch open at level k is active
  std::uint8_t depth = 0;
  bool false_mark = false;
};

// Comment state of one file and reader: inside a block comment.
struct CommentState {
  bool in_block = false;
};

// The fixed patterns of the cleaning steps, compiled once and shared by every line of a run.
class CleaningPatterns {
 public:
  // Compiles all patterns; ok() is false when the regex engine is missing.
  explicit CleaningPatterns(const RegexService& regex);
  bool ok() const { return ok_; }
  const RegexService& regex() const { return *regex_; }

  Regex literal;        // \".+?\"
  Regex block_comment;  // /\*.*?\*/
  Regex line_comment;   // //.+$
  Regex open_comment;   // /\*.*$
  Regex close_comment;  // ^.*\*/
  Regex comment;        // //.+$|/\*.+?\*/ (the first comment of a line)
  Regex pp_if;          // #if(n)?(def)?
  Regex pp_else;        // #else
  Regex pp_endif;       // #endif
  Regex pp_elif;        // #elif

 private:
  const RegexService* regex_;
  bool ok_ = false;
};

// Removes every occurrence of the first match of re from text, then searches again, until the
// pattern no longer matches; each match (followed by sep) is appended to collected when given.
// Returns true when something was removed.
bool RemoveAllMatches(std::string& text, const Regex& re, std::string* collected = nullptr,
                      std::string_view sep = {});

// ReplaceAll(text, what, "") in place: every occurrence of what that begins on a character
// boundary, left to right. what must not point into text. The number of bytes removed.
std::size_t EraseAll(std::string& text, std::string_view what);

// True when the line holds a quote, slash or hash: a line without them is left as it is by
// cleaning and is no directive, so the cleaners and the preprocessor step can pass it by.
inline bool HasCleaningMarker(std::string_view line) {
  const char* p = line.data();
  std::size_t n = line.size();
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    if (ZeroByteMask(w ^ (kByteOnes * '"')) | ZeroByteMask(w ^ (kByteOnes * '/')) |
        ZeroByteMask(w ^ (kByteOnes * '#')))
      return true;
  }
  for (; n > 0; ++p, --n) {
    if (*p == '"' || *p == '/' || *p == '#') return true;
  }
  return false;
}

// Cleans a line (its first 2048 bytes): literals, complete block comments, line comments, an
// opening block comment, a closing one. False when the line is to be skipped (inside a block
// comment, or opening one without closing it).
bool CleanLine(std::string_view line, CommentState& comments, const CleaningPatterns& pats,
               std::string& cleaned);

// One preprocessor step on a cleaned line: -1 not interpreted (over 512 bytes or engine
// missing), 0 used, 1 a false branch starts, 2 an #endif.
int PreprocessorStep(std::string_view line, ConditionalState& state, const MacroList& macros,
                     const CleaningPatterns& pats);

// Evaluates an #if, #ifdef, #ifndef or #elif condition: 1 true, 0 false.
int EvaluateCondition(std::string_view keyword, std::string_view condition,
                      const MacroList& macros);

// PreprocessorStep followed by the line filter: true when the line is to be used.
bool FilterLine(std::string_view cleaned, ConditionalState& state, const MacroList& macros,
                const CleaningPatterns& pats);

// EUC-JP to Shift-JIS: JIS X 0208 pairs by the standard mapping, 0x8E + byte as half-width
// katakana; every other byte, and the first byte of an invalid pair, is kept as it is.
std::string ConvertEucToSjis(std::string_view line);

// Writes the candidate lines of one file: "%s(%d):  %s" (or "%s" without a path) and CR LF for
// every used, cleaned line that matches pattern. Returns the number written, -1 when the engine is
// missing. char_change = 1 converts lines from EUC first.
long CollectLines(LineSource& reader, std::string_view path, std::ostream& out,
                  const Regex& pattern, const MacroList& macros, int char_change,
                  const CleaningPatterns& pats);

// The same for table heads that may span two lines: the cleaned previous line + " " + the cleaned
// current line. A head that the current line holds on its own gives that raw line alone; a head
// that needs both lines gives, with the earlier line's number, the two lines' code and then the
// first comment of the earlier line (else of the current one). Candidates are cut to 300 bytes.
// Directive lines are never joined to a neighbour.
long CollectTableLines(LineSource& reader, std::string_view path, std::ostream& out,
                       const Regex& pattern, const MacroList& macros, const CleaningPatterns& pats);

// One collection of CollectCandidates: what CollectLines (table_heads false) or
// CollectTableLines (true) writes for pattern, with path ("" for none), appended to out.
// may_match, when given, is a byte condition every text the pattern matches meets; the engine
// only runs on texts that meet it. may_match_across, when given with may_match for table heads,
// tells whether first + " " + second meets that condition where neither text does on its own,
// so two lines are only joined when a head may span them. needs: bytes that every text the
// pattern matches holds (at most 29 different ones are looked for).
struct CandidateTarget {
  const Regex* pattern = nullptr;
  std::string* out = nullptr;
  std::string_view path = {};
  bool table_heads = false;
  long written = 0;
  bool (*may_match)(std::string_view text, int arg) = nullptr;
  int may_match_arg = 0;
  bool (*may_match_across)(std::string_view first, std::string_view second, int arg) = nullptr;
  std::string_view needs = {};

  bool Matches(std::string_view text) const {
    return (!may_match || may_match(text, may_match_arg)) && pattern->Matches(text);
  }
};

// Several collections over one walk of the file, each line converted (char_change = 1) and
// cleaned once. Table heads are collected from unconverted lines, so a table target only walks
// with char_change 0. 0, or -1 when the engine is missing.
int CollectCandidates(LineSource& reader, CandidateTarget* targets, std::size_t count,
                      const MacroList& macros, int char_change, const CleaningPatterns& pats);

}  // namespace kelvora
