// The per-file line pass of the tree, HTML and report outputs: line cleaning with the
// preprocessor evaluation, function definitions, their bodies and the functions they call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/source_clean.h"

namespace kelvora {

class DefinitionPatterns;
class LineSource;
struct Settings;

// Bytes of a line the output passes look at (a 512-byte buffer).
inline constexpr std::size_t kOutputLineBytes = 511;

// One file's lines as the output passes read them: each line cut to 511 bytes, literals and
// comments removed (CleanLine), lines of excluded preprocessor branches and, when asked, lines
// that begin with "#" dropped.
class CleanLineReader {
 public:
  struct Options {
    const MacroList* macros = nullptr;  // nullptr: no preprocessor evaluation
    bool skip_directives = true;        // drop lines whose first byte is "#"
    bool convert_euc = false;           // "CharChange" 1: lines are EUC-JP
  };
  CleanLineReader(LineSource& source, const CleaningPatterns& pats, Options options);

  // The next line, raw (cut) and cleaned; used is false for a line the cleaning or the
  // preprocessor drops (cleaned is then empty). False at the end of the file.
  bool Next(std::string_view& raw, std::string_view& cleaned, bool& used);
  // The same, the cleaned text made right in the caller's string; raw stays valid until the
  // next call.
  bool NextInto(std::string_view& raw, std::string& cleaned, bool& used);
  long line_number() const { return line_no_; }

 private:
  LineSource& source_;
  const CleaningPatterns& pats_;
  Options options_;
  CommentState comments_;
  ConditionalState cond_;
  std::string raw_, cut_, cleaned_;
  long line_no_ = 0;
};

// The first match of "[*]*[A-Za-z_][A-Za-z0-9_]*[ \t]*[(]" in text, read as CP932 (the second
// byte of a double-byte character never starts or continues a name). name is the match without
// its blanks and "(", end the offset just after the "(". False when there is none.
struct CallMatch {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string_view name;
};
bool FindCall(std::string_view text, CallMatch& match);

// The definition name of a cleaned line, or empty when the line is no function definition:
// one of the five definition heads matches, the line does not begin with "extern", and the
// name (after "__declspec(...)" when the first name is that) is no keyword and not excluded.
std::string DefinitionName(std::string_view cleaned, const DefinitionPatterns& defs,
                           const Settings& settings);

// What the walker reports while it reads one file.
class FunctionWalkVisitor {
 public:
  struct Head {
    std::string name;     // as found, with leading "*" when the head has one
    long line = 0;        // 1-based line of the head
    std::string cleaned;  // the cleaned head line
  };
  virtual ~FunctionWalkVisitor() = default;
  // A definition head was found; its body (if any) follows.
  virtual void OnDefinition(const Head& /*head*/) {}
  // A callee of the current function at its first call (each name once while the callee list
  // has room; see FunctionWalker). recursive: the callee is the function itself.
  virtual void OnCallee(const Head& /*head*/, std::string_view /*callee*/, bool /*recursive*/) {}
  // Every call of the current function's body in the order they stand, repeated calls too (the
  // names OnCallee never reports, keywords and excluded functions, not at all); OnCallee, when
  // it comes for the same call, comes after it.
  struct CallSite {
    std::string_view callee;
    long line = 0;             // 1-based
    std::string_view raw;      // the line as read (cut to 511 bytes)
    std::string_view cleaned;  // its cleaned text
    std::size_t offset = 0;    // where the callee's match begins in cleaned
  };
  virtual void OnCall(const Head& /*head*/, const CallSite& /*site*/) {}
  // Every line read as part of the body (the brace line excluded), with its line number.
  virtual void OnBodyLine(long /*line*/, std::string_view /*raw*/, std::string_view /*cleaned*/,
                          bool /*used*/) {}
  // The body ended at line (the last body line, or the last line of the file).
  virtual void OnBodyEnd(const Head& /*head*/, long /*line*/) {}
};

// Walks the function definitions of one file: the definition test on every line outside a
// body (a head whose parameter list, read on over the next lines, is followed by ";" before
// any "{" is none), the opening brace on the definition line or one of the next 100 lines (raw
// text), the body from the line after it up to the first line whose cleaned text, after its last
// call, begins with "}" in column 0 (or the end of the file). The calls on the brace line after its
// "{" are the body's first; a body opening and closing on that line is that line's text between
// its braces. Each callee is reported once per body, compared exactly; after 999 distinct names
// a new name is reported at every call.
class FunctionWalker {
 public:
  static constexpr std::size_t kCalleeMemory = 999;
  static constexpr int kBraceLookahead = 100;
  // Lines a parameter list open at the end of its head line is read on for.
  static constexpr int kParameterLines = 32;

  FunctionWalker(const CleaningPatterns& pats, const DefinitionPatterns& defs,
                 const Settings& settings, CleanLineReader::Options options);
  // Reads every line of source; returns the number of lines read.
  long Walk(LineSource& source, FunctionWalkVisitor& visitor);

 private:
  struct Line {
    std::string raw;
    std::string cleaned;
    bool used;
  };
  // Reports the callees of text, a part of line's cleaned text; returns the text after the last
  // call.
  std::string_view Calls(std::string_view text, const Line& line, long line_no,
                         FunctionWalkVisitor& visitor);
  bool IsExcluded(std::string_view name) const;
  // Remembers name among the current body's callees; false when it is there already (or the
  // memory is full: a name past the first 999 is new at every call).
  bool NewCallee(std::string_view name);

  const CleaningPatterns& pats_;
  const DefinitionPatterns& defs_;
  const Settings& settings_;
  CleanLineReader::Options options_;
  FunctionWalkVisitor::Head head_;
  std::vector<std::string> excluded_;  // the excluded function names in use
  // The current body's callees: their bytes one after the other, where each ends, and an
  // open-addressing table of (hash, index + 1) over them.
  std::string callee_text_;
  std::vector<std::uint32_t> callee_ends_;
  std::vector<std::uint64_t> callee_slots_;
};

}  // namespace kelvora
