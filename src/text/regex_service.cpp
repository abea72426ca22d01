#include "text/regex_service.h"

#include <oniguruma.h>

#include <cstdio>
#include <mutex>

#include "platform/cp932.h"
#include "platform/ui.h"
#include "text/line_matchers.h"
#include "text/regex_pattern.h"

namespace kelvora {
namespace {

// Backtracking steps one match attempt may take before it counts as no match, and the steps a
// whole search over one subject may take.
constexpr unsigned long kRetryLimitInMatch = 100000;
constexpr unsigned long kRetryLimitInSearch = 10000000;

// Perl syntax, except that "[" and "&&" inside a class are plain characters and "{" is a plain
// character where it opens no interval.
OnigSyntaxType* ProgramSyntax() {
  static OnigSyntaxType syntax = [] {
    OnigSyntaxType s = *ONIG_SYNTAX_PERL;
    s.op2 &= ~ONIG_SYN_OP2_CCLASS_SET_OP;
    s.behavior |= ONIG_SYN_ALLOW_INVALID_INTERVAL;
    return s;
  }();
  return &syntax;
}

void InitEngine() {
  static std::once_flag once;
  std::call_once(once, [] {
    OnigEncoding encodings[] = {ONIG_ENCODING_SJIS};
    onig_initialize(encodings, 1);
  });
}

std::string EngineMessage(int code, OnigErrorInfo* info) {
  OnigUChar buf[ONIG_MAX_ERROR_MESSAGE_LEN + 1] = {};
  int n = info ? onig_error_code_to_str(buf, code, info) : onig_error_code_to_str(buf, code);
  if (n < 0) n = 0;
  return ToDisplay(
      std::string_view(reinterpret_cast<const char*>(buf), static_cast<std::size_t>(n)));
}

// Searches each stage in the text after the previous stage's match: 0, or the failing stage.
int RunChain(bool available, std::string_view text, const Regex* const* stages,
             std::string* const* outs, int count) {
  for (int i = 0; i < count; ++i) outs[i]->clear();
  if (!available) return -1;
  if (text.size() > RegexService::kExtractLimit) return -2;
  std::string_view rest = text;
  for (int i = 0; i < count; ++i) {
    MatchSpan span;
    if (!stages[i]->Search(rest, span)) return i + 1;
    outs[i]->assign(rest.substr(span.pos, span.len));
    rest = rest.substr(span.pos + span.len);
  }
  return 0;
}

}  // namespace

namespace {

// The fixed cleaning patterns that every line of an analysis meets. On a subject of plain ASCII
// bytes their leftmost match is found by a byte scan that gives exactly the engine's answer.
// The cleaning step a pattern is, searched without the engine on ASCII subjects.
std::optional<CleaningStep> FastPathOf(std::string_view pattern) {
  if (pattern == R"(\".+?\")") return CleaningStep::Literal;
  if (pattern == R"(/\*.*?\*/)") return CleaningStep::BlockComment;
  if (pattern == R"(//.+$)") return CleaningStep::LineComment;
  if (pattern == R"(/\*.*$)" || pattern == R"(/[*]+.*$)") return CleaningStep::OpenComment;
  if (pattern == R"(^.*\*/)" || pattern == R"(^.*[*]+/)") return CleaningStep::CloseComment;
  return std::nullopt;
}

bool IsPlainAscii(std::string_view s) {
  unsigned char any = 0;
  for (char c : s) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

// A lead byte at the end of the subject or before a byte that cannot end a double-byte
// character: the engine would fail on it (nothing left for its second byte) or swallow the next
// character with it ("*/" after a cut character would never be seen).
bool IsLoneLeadAt(std::string_view s, std::size_t i) {
  return IsCp932LeadByte(static_cast<unsigned char>(s[i])) &&
         (i + 1 >= s.size() || !IsCp932TrailByte(static_cast<unsigned char>(s[i + 1])));
}

// The subject as the engine is to read it: every lone lead byte replaced by 0x80, a single-byte
// character that no pattern of the program names, so it counts as one character of the line
// and matches "." and negated classes only. Same length, so every match span holds for the
// original bytes. Returns false (and leaves out alone) when the subject has no such byte.
bool WithLoneLeadsReplaced(std::string_view s, std::string& out) {
  std::size_t i = 0;
  while (i < s.size() && !IsLoneLeadAt(s, i))
    i += IsCp932LeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
  if (i >= s.size()) return false;
  out.assign(s);
  while (i < out.size()) {
    if (IsLoneLeadAt(out, i)) {
      out[i] = '\x80';
      ++i;
    } else {
      i += IsCp932LeadByte(static_cast<unsigned char>(out[i])) ? 2 : 1;
    }
  }
  return true;
}

bool Found(std::size_t pos, std::size_t end, MatchSpan& span) {
  span.pos = pos;
  span.len = end - pos;
  return true;
}

}  // namespace

bool SearchCleaningStep(CleaningStep step, std::string_view s, MatchSpan& span) {
  const auto npos = std::string_view::npos;
  switch (step) {
    case CleaningStep::Literal: {  // a quote, at least one character, the next quote after it
      std::size_t i = s.find('"');
      if (i == npos || i + 2 > s.size()) return false;
      std::size_t k = s.find('"', i + 2);
      return k != npos && Found(i, k + 1, span);
    }
    case CleaningStep::BlockComment: {  // "/*" and the first "*/" after it
      std::size_t i = s.find("/*");
      if (i == npos) return false;
      std::size_t k = s.find("*/", i + 2);
      return k != npos && Found(i, k + 2, span);
    }
    case CleaningStep::LineComment: {  // "//" with at least one character after it
      std::size_t i = s.find("//");
      return i != npos && i + 2 < s.size() && Found(i, s.size(), span);
    }
    case CleaningStep::OpenComment: {
      std::size_t i = s.find("/*");
      return i != npos && Found(i, s.size(), span);
    }
    case CleaningStep::CloseComment: {  // from the start to the end of the last "*/"
      std::size_t k = s.rfind("*/");
      return k != npos && Found(0, k + 2, span);
    }
  }
  return false;
}

struct Regex::Impl {
  regex_t* reg = nullptr;
  std::optional<CleaningStep> fast;
  Recogniser recognise = nullptr;  // the hand-written search of a fixed pattern
  MatchTest test = nullptr;        // its hand-written yes/no, where that is cheaper
  OnigRegion* region = nullptr;
  OnigMatchParam* param = nullptr;
  LiteralFilter required;  // texts a subject must hold to be worth a search
  std::string readable;    // the subject with its lone lead bytes replaced
  std::string error;

  Impl() {
    region = onig_region_new();
    param = onig_new_match_param();
    onig_initialize_match_param(param);
    onig_set_retry_limit_in_match_of_match_param(param, kRetryLimitInMatch);
    onig_set_retry_limit_in_search_of_match_param(param, kRetryLimitInSearch);
  }
  ~Impl() {
    if (reg) onig_free(reg);
    onig_region_free(region, 1);
    onig_free_match_param(param);
  }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
};

Regex::Regex() = default;
Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

bool Regex::Compile(std::string_view pattern, bool engine_only) {
  InitEngine();
  if (!impl_) impl_ = std::make_unique<Impl>();
  if (impl_->reg) {
    onig_free(impl_->reg);
    impl_->reg = nullptr;
  }
  impl_->error.clear();
  std::string text = RewriteDescendingRanges(pattern);
  impl_->required = RequiredLiterals(text);
  impl_->fast = FastPathOf(pattern);
  impl_->recognise = engine_only ? nullptr : RecogniserFor(pattern);
  impl_->test = engine_only ? nullptr : MatchTestFor(pattern);
  const auto* begin = reinterpret_cast<const OnigUChar*>(text.data());
  const auto* end = begin + text.size();
  OnigErrorInfo info{};
  // Groups are compiled without capture (only the whole match is used); a pattern that refers
  // back to a group needs captures and is compiled again with them.
  int r = onig_new(&impl_->reg, begin, end, ONIG_OPTION_DONT_CAPTURE_GROUP, ONIG_ENCODING_SJIS,
                   ProgramSyntax(), &info);
  if (r != ONIG_NORMAL) {
    impl_->reg = nullptr;
    info = OnigErrorInfo{};
    r = onig_new(&impl_->reg, begin, end, ONIG_OPTION_NONE, ONIG_ENCODING_SJIS, ProgramSyntax(),
                 &info);
  }
  if (r != ONIG_NORMAL) {
    impl_->reg = nullptr;
    impl_->error = EngineMessage(r, &info);
    return false;
  }
  return true;
}

bool Regex::ok() const {
  return impl_ && impl_->reg;
}

const std::string& Regex::error() const {
  static const std::string none;
  return impl_ ? impl_->error : none;
}

bool Regex::Matches(std::string_view subject) const {
  if (ok() && impl_->test && subject.size() <= kRecogniserLimit) {
    const Recognised answer = impl_->test(subject);
    if (answer != Recognised::AskEngine) return answer == Recognised::Match;
  }
  MatchSpan span;
  return Search(subject, span);
}

bool Regex::Search(std::string_view subject, MatchSpan& span) const {
  if (!ok()) return false;
  if (impl_->recognise && subject.size() <= kRecogniserLimit) {
    const Recognised answer = impl_->recognise(subject, span);
    if (answer != Recognised::AskEngine) return answer == Recognised::Match;
  }
  if (!impl_->required.Passes(subject)) return false;
  const bool ascii = IsPlainAscii(subject);
  if (ascii && impl_->fast) return SearchCleaningStep(*impl_->fast, subject, span);
  if (!ascii && WithLoneLeadsReplaced(subject, impl_->readable)) subject = impl_->readable;
  const auto* begin = reinterpret_cast<const OnigUChar*>(subject.data());
  const auto* end = begin + subject.size();
  int r = onig_search_with_param(impl_->reg, begin, end, begin, end, impl_->region,
                                 ONIG_OPTION_NONE, impl_->param);
  if (r < 0) return false;  // no match, or the retry limit was hit
  span.pos = static_cast<std::size_t>(impl_->region->beg[0]);
  span.len = static_cast<std::size_t>(impl_->region->end[0] - impl_->region->beg[0]);
  return true;
}

bool RegexService::Compile(std::string_view pattern, Regex& out) const {
  if (!available_) {
    out = Regex();
    return false;
  }
  return out.Compile(pattern);
}

int RegexService::ExtractMatch(std::string_view text, std::string_view pattern,
                               std::string& out) const {
  out.clear();
  if (!available_) return -1;
  if (text.size() > kExtractLimit) return -2;
  Regex re;
  re.Compile(pattern);
  return ExtractMatch(text, re, out);
}

int RegexService::ExtractMatch(std::string_view text, const Regex& re, std::string& out) const {
  out.clear();
  if (!available_) return -1;
  if (text.size() > kExtractLimit) return -2;
  MatchSpan span;
  if (!re.Search(text, span)) return 1;
  out.assign(text.substr(span.pos, span.len));
  return 0;
}

int RegexService::ExtractMatchChain(std::string_view text, std::string_view p1, std::string_view p2,
                                    std::string& out1, std::string& out2) const {
  out1.clear();
  out2.clear();
  if (!available_) return -1;
  if (text.size() > kExtractLimit) return -2;
  Regex r1, r2;
  r1.Compile(p1);
  r2.Compile(p2);
  return ExtractMatchChain(text, r1, r2, out1, out2);
}

int RegexService::ExtractMatchChain(std::string_view text, const Regex& p1, const Regex& p2,
                                    std::string& out1, std::string& out2) const {
  const Regex* stages[] = {&p1, &p2};
  std::string* outs[] = {&out1, &out2};
  return RunChain(available_, text, stages, outs, 2);
}

int RegexService::ExtractMatchChain3(std::string_view text, std::string_view p1,
                                     std::string_view p2, std::string_view p3, std::string& out1,
                                     std::string& out2, std::string& out3) const {
  out1.clear();
  out2.clear();
  out3.clear();
  if (!available_) return -1;
  if (text.size() > kExtractLimit) return -2;
  Regex r1, r2, r3;
  r1.Compile(p1);
  r2.Compile(p2);
  r3.Compile(p3);
  return ExtractMatchChain3(text, r1, r2, r3, out1, out2, out3);
}

int RegexService::ExtractMatchChain3(std::string_view text, const Regex& p1, const Regex& p2,
                                     const Regex& p3, std::string& out1, std::string& out2,
                                     std::string& out3) const {
  const Regex* stages[] = {&p1, &p2, &p3};
  std::string* outs[] = {&out1, &out2, &out3};
  return RunChain(available_, text, stages, outs, 3);
}

std::string RegexService::ReplaceMatches(std::string_view text, std::string_view pattern,
                                         std::string_view replacement) const {
  if (!available_ || text.size() > kReplaceLimit) return {};
  Regex re;
  re.Compile(pattern);
  return ReplaceMatches(text, re, replacement);
}

std::string RegexService::ReplaceMatches(std::string_view text, const Regex& re,
                                         std::string_view replacement) const {
  if (!available_ || text.size() > kReplaceLimit) return {};
  std::string current(text);
  bool matched = false;
  for (int pass = 0; pass < 100; ++pass) {
    MatchSpan span;
    if (!re.Search(current, span)) break;
    matched = true;
    if (span.len == 0) break;  // an empty match replaces nothing
    std::string next =
        ReplaceAll(current, std::string_view(current).substr(span.pos, span.len), replacement);
    // A replacement that keeps growing the text stops at the subject limit.
    if (next.size() > kReplaceLimit) break;
    current.swap(next);
  }
  if (!matched) return {};
  return current;
}

int RegexService::ValidatePattern(std::string_view pattern, Ui& ui) const {
  if (!available_) return -1;
  if (pattern.empty()) return 0;
  if (pattern.size() > kPatternLimit) return -2;
  Regex re;
  if (re.Compile(pattern)) return 0;
  std::string text = "正規表現に誤りがあります。　\n\n";
  text += ToDisplay(pattern);
  text += "\n\nOniguruma: ";
  text += re.error();
  ui.Message(text, Ui::kCaption, MsgIcon::Warning);
  return -3;
}

std::string RegexService::LibraryVersionText() const {
  if (!available_) return "「 Oniguruma 」がありません！";
  return EngineVersionText(ONIGURUMA_VERSION_MAJOR, ONIGURUMA_VERSION_MINOR);
}

std::string EngineVersionText(int major, int minor) {
  return " Oniguruma (C) K.Kosako   Ver " + std::to_string(major) + "." + std::to_string(minor);
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with) {
  if (what.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t boundary = 0;  // a character boundary at or before every position looked at
  std::size_t copied = 0;
  std::size_t at = text.find(what);
  while (at != std::string_view::npos) {
    while (boundary < at) {
      // Characters as the engine reads them: a lead byte counts with its next byte only when
      // that byte can end a double-byte character.
      boundary += IsCp932LeadByte(static_cast<unsigned char>(text[boundary])) &&
                          boundary + 1 < text.size() &&
                          IsCp932TrailByte(static_cast<unsigned char>(text[boundary + 1]))
                      ? 2
                      : 1;
    }
    if (boundary == at) {
      out.append(text.substr(copied, at - copied));
      out.append(with);
      copied = boundary = at + what.size();
      at = text.find(what, copied);
    } else {
      at = text.find(what, at + 1);
    }
  }
  out.append(text.substr(copied));
  return out;
}

}  // namespace kelvora
