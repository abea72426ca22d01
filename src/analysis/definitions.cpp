#include "analysis/definitions.h"

#include <deque>
#include <string>

#include "analysis/definitions_text.h"
#include "analysis/escape_poll.h"
#include "data/registration_lists.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "platform/ui.h"
#include "settings/settings.h"

namespace kelvora {

namespace {

using extract::Contains;
using extract::IsBlank;
using extract::TrimBlanks;

constexpr std::size_t kWorkBytes = 2000;
constexpr std::size_t kHeadLimit = RegexService::kExtractLimit;
constexpr std::size_t kHeaderCommentLimit = 500;
constexpr std::size_t kKeywordCheckLimit = 2000;
// Lines read on, after a head whose parameter list stays open, to find the list's end.
constexpr std::size_t kParameterLines = 32;

// The lines of a file, with the lines after the current one visible before they are read.
class LookaheadSource {
 public:
  explicit LookaheadSource(LineSource& source) : source_(source) {}
  bool ReadLine(std::string& line) {
    if (ahead_.empty()) return source_.ReadLine(line);
    line = std::move(ahead_.front());
    ahead_.pop_front();
    return true;
  }
  // The k-th line after the last one read (0: the next one); null past the end of the file.
  const std::string* Peek(std::size_t k) {
    while (ahead_.size() <= k) {
      std::string line;
      if (!source_.ReadLine(line)) return nullptr;
      ahead_.push_back(std::move(line));
    }
    return &ahead_[k];
  }

 private:
  LineSource& source_;
  std::deque<std::string> ahead_;
};

// A head whose parameter list is not closed on its line (params: the code from its first "(")
// is a prototype when a ";" stands inside the list or after its closing ")" on the same line
// before any "{", as for a head on one line; a "{" there, or nothing, makes it a definition.
// The following lines are read ahead, cleaned with a copy of the comment state; directive lines
// are passed over. A list still open after kParameterLines lines counts as a definition.
bool IsPrototypeOverLines(std::string_view params, CommentState comments, LookaheadSource& ahead,
                          ExtractorEnv& env) {
  long depth = 0;
  for (char c : params) {
    depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    if (depth == 0) return false;  // closed on the head's own line
  }
  std::string raw, cleaned;
  for (std::size_t k = 0; k < kParameterLines; ++k) {
    const std::string* next = ahead.Peek(k);
    if (!next) return false;
    raw = env.settings.char_change == 1 ? ConvertEucToSjis(*next) : *next;
    raw.resize(Cp932SafeCut(raw, kWorkBytes));
    const std::size_t first = raw.find_first_not_of(" \t");
    if (first != std::string::npos && raw[first] == '#') continue;
    if (!CleanLine(raw, comments, env.cleaning, cleaned)) continue;
    for (char c : cleaned) {
      if (c == ';') return true;
      if (depth == 0 && c == '{') return false;
      if (depth > 0) depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    }
    if (depth == 0) return false;
  }
  return false;
}

// The comments taken out of one line while it is cleaned.
struct LineComments {
  std::string block;       // complete block comments, each followed by a blank
  std::string line;        // line comments
  std::string open_close;  // the line when it opens or closes a block comment
};

// Removes every occurrence of each match of re until none is left, appending each match (and
// sep) to collected. True when something was removed.
bool RemoveCollecting(std::string& text, const Regex& re, std::string& collected,
                      std::string_view sep) {
  return RemoveAllMatches(text, re, &collected, sep);
}

// Literals and comments removed from code, comments collected; closed tells that the line ended
// a block comment that began on an earlier line or earlier in this line.
void CleanCollecting(std::string_view line, std::string& code, CommentState& state,
                     const CleaningPatterns& cp, const DefinitionPatterns& dp,
                     LineComments& comments, bool& closed) {
  closed = false;
  code.assign(line);
  // A block comment from an earlier line ends at its first "*/": a "//" or "/*" before it is
  // comment text. (A line without "*/" inside a comment never comes here.)
  if (state.in_block) {
    const std::size_t end = code.find("*/");
    if (end != std::string::npos) {
      comments.open_close.assign(line);
      code.erase(0, end + 2);
      state.in_block = false;
      closed = true;
    }
  }
  if (Contains(code, "\"")) RemoveAllMatches(code, cp.literal);
  if (Contains(code, "/*") && Contains(code, "*/") &&
      RemoveCollecting(code, cp.block_comment, comments.block, " ")) {
    state.in_block = false;
  }
  if (Contains(code, "//") && RemoveCollecting(code, cp.line_comment, comments.line, "")) {
    state.in_block = false;
  }
  MatchSpan m;
  if (Contains(code, "/*") && dp.open_block.Search(code, m)) {
    comments.open_close.assign(line);
    code.erase(m.pos, m.len);
    state.in_block = true;
  }
  if (Contains(code, "*/") && dp.close_block.Search(code, m)) {
    comments.open_close.assign(line);
    code.erase(m.pos, m.len);
    state.in_block = false;
    closed = true;
  }
}

// The pending header comment made ready for the comment column.
std::string PrepareHeaderComment(std::string text, const RegexService& regex,
                                 const DefinitionPatterns& dp) {
  auto step = [&](const Regex& re, std::string_view replacement) {
    std::string replaced = regex.ReplaceMatches(text, re, replacement);
    if (!replaced.empty()) text = std::move(replaced);
  };
  step(dp.header_condition, "");
  text = extract::ReplaceByte(text, '\t', ' ');
  step(dp.blank_run, " ");
  step(dp.open_marker, "");
  step(dp.close_marker, "");
  std::string out(TrimBlanks(text));
  if (out.rfind("//", 0) != 0) out.insert(0, "// ");
  return out;
}

// Header comments above a definition: collected while they match the condition and stay within
// the line range.
class HeaderComment {
 public:
  HeaderComment(const Regex& condition, long range) : condition_(condition), range_(range) {}

  // Offers the texts of one used line and forgets a comment that is now out of range.
  void Offer(std::string_view code, const LineComments& comments, long line_no) {
    if (!IsBlank(code)) {
      Append(code, line_no);
    } else {
      Append(comments.block, line_no);
      Append(comments.line, line_no);
      Append(comments.open_close, line_no);
    }
    if (start_ + range_ < line_no) Drop();
  }
  bool pending() const { return !text_.empty(); }
  const std::string& text() const { return text_; }
  void Drop() {
    text_.clear();
    start_ = 0;
  }

 private:
  void Append(std::string_view t, long line_no) {
    if (t.empty() || text_.size() + t.size() >= kHeaderCommentLimit) return;
    if (!condition_.Matches(t)) return;
    if (start_ == 0) start_ = line_no;
    text_.append(t);
  }

  const Regex& condition_;
  long range_;
  std::string text_;
  long start_ = 0;
};

struct DetectionRefs {
  const Regex& detect;
  const Regex& name1;
  const Regex& name2;
  const HeadPrefilter& prefilter;
};

// The detection match of a head text, or false.
bool DetectHead(std::string_view head, const DetectionRefs& det, std::string& matched) {
  if (head.size() > kHeadLimit || !det.prefilter.MayMatch(head)) return false;
  MatchSpan m;
  if (!det.detect.Search(head, m)) return false;
  matched.assign(head.substr(m.pos, m.len));
  return true;
}

int Extract(LineSource& source, DefinitionSink& sink, DefinitionMode mode, const DetectionRefs& det,
            ExtractorEnv& env) {
  if (!env.regex.available() || !env.cleaning.ok()) return -1;
  const DefinitionPatterns& dp = PatternsOf(env);
  if (!dp.ok() || !det.detect.ok() || !det.name1.ok() || !det.name2.ok()) return -1;

  const bool function_mode = mode == DefinitionMode::Function;
  const bool header_on = function_mode && !env.settings.func_header_str.empty() &&
                         env.settings.func_header_line > 0 && dp.has_header_condition();

  CommentState comments;
  ConditionalState cond;
  HeaderComment header(dp.header_condition, env.settings.func_header_line);
  std::string raw, cleaned, matched, name1, name2;
  // Code after the end of a multi-line block comment: tried in front of the next head text.
  std::string carry;
  long line_no = 0;
  LookaheadSource reader(source);

  while (reader.ReadLine(raw)) {
    ++line_no;
    if (env.settings.char_change == 1) raw = ConvertEucToSjis(raw);
    // Views of the line, its code and its head: raw stays put until the next line is read (the
    // look-ahead of a prototype keeps lines of its own).
    const std::string_view line(raw.data(), Cp932SafeCut(raw, kWorkBytes));
    std::string_view code;

    // A line without quote, slash or hash gives cleaning nothing to take out and is no
    // directive.
    const bool plain = !HasCleaningMarker(line);
    // A line wholly inside a block comment is comment text: nothing in it is code.
    const bool comment_only = comments.in_block && (plain || !Contains(line, "*/"));
    LineComments collected;
    bool closed = false;
    bool used;
    if (comment_only) {
      used = cond.mask == 0xFFFFFFFFu;
    } else if (plain) {
      code = line;
      used = cond.mask == 0xFFFFFFFFu;
    } else {
      CleanCollecting(line, cleaned, comments, env.cleaning, dp, collected, closed);
      code = cleaned;
      used = FilterLine(code, cond, env.macros, env.cleaning);
    }
    if (!used) continue;

    const bool in_comment = comments.in_block;
    if (header_on) header.Offer(in_comment ? line : code, collected, line_no);
    if (in_comment) continue;

    const std::size_t paren = code.find('(');
    if (paren != std::string_view::npos && code.find(';', paren) != std::string_view::npos)
      continue;
    const std::string_view head =
        paren == std::string_view::npos ? code : code.substr(0, paren + 1);
    if (IsBlank(head)) continue;

    bool found = DetectHead(head, det, matched);
    if (!found && !carry.empty()) {
      carry += ' ';
      carry += head;
      found = DetectHead(carry, det, matched);
    }
    carry.clear();
    if (closed) carry.assign(TrimBlanks(code));
    if (!found) continue;
    if (function_mode && matched.rfind("extern", 0) == 0) continue;
    if (function_mode && paren != std::string::npos &&
        IsPrototypeOverLines(code.substr(paren), comments, reader, env)) {
      continue;
    }

    int chain = env.regex.ExtractMatchChain(matched, det.name1, det.name2, name1, name2);
    if (chain < 0) break;
    std::string name;
    if (!function_mode) {
      if (chain == 0) name = name2;
    } else {
      name = (chain == 0 && !Contains(line, "#define")) ? name2 : name1;
    }
    name = extract::RemoveBytes(name, " \t(");
    if (name.empty()) continue;
    if (function_mode && name.size() < kKeywordCheckLimit && IsKeyword(name)) continue;

    std::string_view marker;
    if (function_mode) {
      if (Contains(line, "#define")) marker = "#define";
    } else if (Contains(line, "=")) {
      marker = "=";
    }
    std::string comment;
    if (function_mode && header.pending()) {
      comment = PrepareHeaderComment(header.text(), env.regex, dp);
      header.Drop();
    } else {
      const std::string& same_line = collected.line.empty() ? collected.block : collected.line;
      if (!same_line.empty()) comment = extract::ReplaceByte(same_line, '\t', ' ');
    }
    carry.clear();
    if (!sink.Add(FoundDefinition{name, line_no, marker, comment})) return -1;
  }
  return 0;
}

}  // namespace

ListDefinitionSink::ListDefinitionSink(RegistrationList& target, DefinitionMode mode,
                                       std::string_view path, ExtractorEnv& env)
    : target_(target),
      label_(mode == DefinitionMode::Function ? "関数…" : "#define…"),
      path_(path),
      env_(env) {}

bool ListDefinitionSink::Add(const FoundDefinition& found) {
  return AddRow(found.name, env_.data.CompressPosition(FormatPosition(path_, found.line_no)),
                found.marker, found.comment);
}

bool ListDefinitionSink::AddRow(std::string_view name, std::string_view position,
                                std::string_view marker, std::string_view comment) {
  // The row is stored once, whole: setting its cells one by one re-wrote it for each of them and
  // left the earlier copies behind as waste until the next sort.
  static_assert(col::kName == 0 && col::kPosition == 1 && col::kMarker == 2 && col::kComment == 3);
  const std::string_view cells[] = {name, position, marker, comment};
  target_.AppendRow(cells);
  return Added(name);
}

bool ListDefinitionSink::AddRowAt(std::string_view name, std::string_view path, long line,
                                  std::string_view marker, std::string_view comment) {
  const std::string_view cells[] = {name, {}, marker, comment};
  target_.AppendRow(cells, RegistrationList::PositionAt{path, line});
  return Added(name);
}

bool ListDefinitionSink::Added(std::string_view name) {
  std::size_t count = target_.RowCount();
  if (count % 10 == 0) {
    env_.ui.SetStatus(1, ToDisplay(name));
    env_.ui.SetStatus(2, std::string(label_) + std::to_string(count));
  }
  return !PollAnalysisCancel(env_.ui);
}

int FindDefinitions(LineSource& reader, DefinitionSink& sink, DefinitionMode mode,
                    const DetectionPatterns& detection, ExtractorEnv& env) {
  return Extract(
      reader, sink, mode,
      DetectionRefs{detection.detect, detection.name1, detection.name2, detection.prefilter}, env);
}

long ExtractDefinitions(LineSource& reader, std::string_view path, RegistrationList& target,
                        DefinitionMode mode, const Regex& detect, const Regex& name1,
                        const Regex& name2, ExtractorEnv& env) {
  const HeadPrefilter none;
  ListDefinitionSink sink(target, mode, path, env);
  if (Extract(reader, sink, mode, DetectionRefs{detect, name1, name2, none}, env) < 0) return -1;
  return static_cast<long>(target.RowCount());
}

long ExtractDefinitions(LineSource& reader, std::string_view path, RegistrationList& target,
                        DefinitionMode mode, const DetectionPatterns& detection,
                        ExtractorEnv& env) {
  ListDefinitionSink sink(target, mode, path, env);
  if (FindDefinitions(reader, sink, mode, detection, env) < 0) return -1;
  return static_cast<long>(target.RowCount());
}

}  // namespace kelvora
