// Every pattern match of the program: CP932 patterns and subjects, with the result codes the
// callers test (0 matched, 1.. the stage that failed, -1 engine missing, -2 subject too long).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kelvora {

class Ui;

struct MatchSpan {
  std::size_t pos = 0;  // byte offset of the match in the subject
  std::size_t len = 0;  // match length in bytes
};

// The fixed patterns of the cleaning steps: literal \".+?\", block comment /\*.*?\*/, line
// comment //.+$, opening /[*]+.*$ (or /\*.*$) and closing ^.*[*]+/ (or ^.*\*/) comment.
enum class CleaningStep { Literal, BlockComment, LineComment, OpenComment, CloseComment };

// The leftmost match of a cleaning step's pattern in one line of ASCII bytes, as the engine
// finds it there, without the engine; false when there is none. Regex::Search takes this way by
// itself for these patterns on ASCII subjects.
bool SearchCleaningStep(CleaningStep step, std::string_view ascii_line, MatchSpan& span);

// One compiled pattern, reused for every line (and every file) of a run. Cheap to move. A
// search reuses the pattern's own match buffers, so one Regex serves one thread at a time.
class Regex {
 public:
  Regex();
  ~Regex();
  Regex(Regex&&) noexcept;
  Regex& operator=(Regex&&) noexcept;

  // Compiles a CP932 pattern with the program's syntax; false (and error() set) when invalid.
  // A fixed pattern of the analysis is searched by its hand-written recogniser unless
  // engine_only is set (the recognisers are compared against the engine that way).
  bool Compile(std::string_view pattern, bool engine_only = false);
  bool ok() const;
  const std::string& error() const;  // the engine's message for a failed compile (UTF-8)

  // First (leftmost) match in the subject, searched from its start; false when none or when the
  // search gives up on a pathological line (retry limit).
  bool Search(std::string_view subject, MatchSpan& span) const;
  // Whether Search would find a match.
  bool Matches(std::string_view subject) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

class RegexService {
 public:
  static constexpr std::size_t kExtractLimit = 512;   // subject bytes of the extractors
  static constexpr std::size_t kReplaceLimit = 2048;  // subject bytes of ReplaceMatches
  static constexpr std::size_t kPatternLimit = 2048;  // pattern bytes of ValidatePattern

  // available = false stands for the engine that cannot be loaded: every operation then
  // reports -1 (or its empty result).
  explicit RegexService(bool available = true) : available_(available) {}
  bool available() const { return available_; }
  void set_available(bool on) { available_ = on; }

  // Compiles a pattern for reuse; false when the engine is missing or the pattern is invalid.
  bool Compile(std::string_view pattern, Regex& out) const;

  // First match of pattern into out: 0 matched, 1 no match, -1 engine missing, -2 text over 512.
  int ExtractMatch(std::string_view text, std::string_view pattern, std::string& out) const;
  int ExtractMatch(std::string_view text, const Regex& re, std::string& out) const;

  // p1, then p2 in the text after the p1 match: 0 both, 1 p1 failed, 2 p2 failed, -1, -2.
  int ExtractMatchChain(std::string_view text, std::string_view p1, std::string_view p2,
                        std::string& out1, std::string& out2) const;
  int ExtractMatchChain(std::string_view text, const Regex& p1, const Regex& p2, std::string& out1,
                        std::string& out2) const;
  // The same with p3 searched after the p2 match: 0, or 1, 2, 3 for the failing stage, -1, -2.
  int ExtractMatchChain3(std::string_view text, std::string_view p1, std::string_view p2,
                         std::string_view p3, std::string& out1, std::string& out2,
                         std::string& out3) const;
  int ExtractMatchChain3(std::string_view text, const Regex& p1, const Regex& p2, const Regex& p3,
                         std::string& out1, std::string& out2, std::string& out3) const;

  // Replaces every occurrence of the matched text, then searches the new text again, at most
  // 100 passes; subject at most 2048 bytes. Empty when the pattern never matched (or the engine
  // is missing, or the subject is too long).
  std::string ReplaceMatches(std::string_view text, std::string_view pattern,
                             std::string_view replacement) const;
  std::string ReplaceMatches(std::string_view text, const Regex& re,
                             std::string_view replacement) const;

  // Checks a user pattern: 0 valid or empty, -1 engine missing, -2 over 2048 bytes, -3 invalid
  // (the engine's message is shown through ui).
  int ValidatePattern(std::string_view pattern, Ui& ui) const;

  // The about-box text naming the engine, " Oniguruma (C) K.Kosako   Ver 6.9"; when the engine
  // is missing, "「 Oniguruma 」がありません！".
  std::string LibraryVersionText() const;

 private:
  bool available_;
};

// The version part of the about-box text, both numbers in decimal: "... Ver 6.10".
std::string EngineVersionText(int major, int minor);

// Replaces every occurrence of what in text by with (plain bytes, left to right).
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with);

}  // namespace kelvora
