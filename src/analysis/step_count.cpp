#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "analysis/definitions.h"
#include "analysis/escape_poll.h"
#include "analysis/line_bytes.h"
#include "data/registration_lists.h"
#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "platform/ui.h"
#include "settings/settings.h"
#include "text/encoding_detect.h"
#include "text/source_clean.h"

namespace kelvora {

namespace {

constexpr std::size_t kStepLineBytes = 512;

// The bytes of a body line the count looks at, found in one pass over it: whether it holds a
// byte that cleaning acts on (HasCleaningMarker), and its "{" and "}" read as CP932 characters.
struct BodyBytes {
  bool marker = false;
  long open = 0, close = 0;
};

constexpr std::uint64_t kHigh = 0x8080808080808080ull;

// The sum of the eight byte lanes of w.
constexpr long LaneSum(std::uint64_t w) {
  constexpr std::uint64_t kPairs = 0x00FF00FF00FF00FFull;
  const std::uint64_t pairs = (w & kPairs) + ((w >> 8) & kPairs);
  return static_cast<long>((pairs * 0x0001000100010001ull) >> 48);
}

// Byte by byte, a lead byte taking the byte after it into its character.
BodyBytes ScanCp932BodyBytes(std::string_view text) {
  BodyBytes b;
  bool trail = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' || c == '/' || c == '#') b.marker = true;
    if (trail) {
      trail = false;
    } else if (IsCp932LeadByte(static_cast<unsigned char>(c)) && i + 1 < text.size()) {
      trail = true;
    } else if (c == '{') {
      ++b.open;
    } else if (c == '}') {
      ++b.close;
    }
  }
  return b;
}

BodyBytes ScanBodyBytes(std::string_view text) {
  const char* const p = text.data();
  const std::size_t n = text.size();
  // Eight bytes at a time, the last ones padded with zero bytes. Each lane counts its braces
  // up to 255 words, then the lanes are added up. A text with a byte over 0x7F may hold
  // double-byte characters and is read again byte by byte.
  BodyBytes b;
  std::uint64_t markers = 0, open = 0, close = 0, high = 0;
  int words = 0;
  auto add = [&](std::uint64_t w) {
    high |= w;
    markers |= ZeroByteMask(w ^ (kByteOnes * '"')) | ZeroByteMask(w ^ (kByteOnes * '/')) |
               ZeroByteMask(w ^ (kByteOnes * '#'));
    open += ZeroByteMask(w ^ (kByteOnes * '{')) >> 7;
    close += ZeroByteMask(w ^ (kByteOnes * '}')) >> 7;
    if (++words == 255) {
      b.open += LaneSum(open);
      b.close += LaneSum(close);
      open = close = 0;
      words = 0;
    }
  };
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    add(w);
  }
  if (i < n) {
    // The last 1..7 bytes in the low lanes of a word (the first byte is the lowest).
    static_assert(std::endian::native == std::endian::little);
    std::uint64_t w = 0;
    if (n >= 8) {
      std::memcpy(&w, p + n - 8, 8);
      w >>= 8 * (8 - (n - i));
    } else {
      for (std::size_t k = 0; k < n; ++k)
        w |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[k])) << (8 * k);
    }
    add(w);
  }
  if (high & kHigh) return ScanCp932BodyBytes(text);
  b.open += LaneSum(open);
  b.close += LaneSum(close);
  b.marker = markers != 0;
  return b;
}

// Counts the body that follows the line holding the opening brace; next(line) gives the
// following lines (each at most 512 bytes) and false at the end of the file.
template <class NextLine>
StepCounts CountBody(NextLine&& next, const MacroList& macros, const CleaningPatterns& cp,
                     const DefinitionPatterns& dp) {
  StepCounts counts;
  counts.braced = true;
  CommentState comments;
  ConditionalState cond;
  long depth = 1;
  std::string cleaned_text;
  std::string_view line, cleaned;
  while (next(line)) {
    ++counts.total;
    BodyBytes bytes = ScanBodyBytes(line);
    if (!bytes.marker) {
      // Cleaning keeps the line (or skips it inside a block comment), the filter uses it when
      // every level is active.
      if (comments.in_block || cond.mask != 0xFFFFFFFFu) continue;
      cleaned = line;
    } else {
      if (!CleanLine(line, comments, cp, cleaned_text)) continue;
      if (!FilterLine(cleaned_text, cond, macros, cp)) continue;
      cleaned = cleaned_text;
      bytes = ScanBodyBytes(cleaned);
    }
    if (IsAllBlank(cleaned)) continue;
    if (dp.IsDefinitionHead(cleaned)) break;
    if (depth + bytes.open != bytes.close) {
      ++counts.real;
      depth += bytes.open - bytes.close;
    } else {
      --counts.total;
      break;
    }
  }
  return counts;
}

// The first 512 bytes of a line, as the body count reads it.
std::string_view StepLine(std::string_view line) {
  return line.size() <= kStepLineBytes ? line : line.substr(0, Cp932SafeCut(line, kStepLineBytes));
}

bool HasOpenBrace(std::string_view line) {
  return FindCp932Char(line, '{') != std::string_view::npos;
}

// With "FuncHeadWords" 1: the counts of a body that closes on the line of its opening brace
// ("int f(void) { return 0; }", "{ }"), or nothing when it goes on below. Such a body is one
// line, a real step when it holds code.
std::optional<StepCounts> BodyOnBraceLine(std::string_view line, const CleaningPatterns& cp) {
  CommentState comments;
  std::string cleaned;
  if (!CleanLine(StepLine(line), comments, cp, cleaned)) return std::nullopt;
  const std::size_t open = FindCp932Char(cleaned, '{');
  if (open == std::string_view::npos) return std::nullopt;
  const std::string_view body = std::string_view(cleaned).substr(open);
  const BodyBytes bytes = ScanBodyBytes(body);
  if (bytes.open != bytes.close) return std::nullopt;
  bool code = false;
  for (char c : body) code = code || !(c == '{' || c == '}' || c == ' ' || c == '\t');
  StepCounts counts;
  counts.total = counts.real = code ? 1 : 0;
  counts.braced = true;
  return counts;
}

}  // namespace

StepCounts CountSteps(LineSource& reader, long definition_line, const MacroList& macros,
                      const CleaningPatterns& pats, const DefinitionPatterns& defs) {
  std::string raw;
  long line_no = 0;
  bool found = false;
  while (reader.ReadLine(raw)) {
    ++line_no;
    if (line_no >= definition_line && HasOpenBrace(raw)) {
      found = true;
      break;
    }
  }
  if (!found) return {};
  if (defs.extended_heads()) {
    if (const auto one_line = BodyOnBraceLine(raw, pats)) return *one_line;
  }
  std::string cut;
  auto next = [&](std::string_view& out) {
    if (!reader.ReadLine(raw)) return false;
    cut.assign(raw, 0, Cp932SafeCut(raw, kStepLineBytes));
    out = cut;
    return true;
  };
  return CountBody(next, macros, pats, defs);
}

StepCounts CountSteps(LineSource& reader, long definition_line, const MacroList& macros,
                      const CleaningPatterns& pats) {
  const DefinitionPatterns defs(pats.regex(), {});
  return CountSteps(reader, definition_line, macros, pats, defs);
}

StepCountLines::StepCountLines(LineSource& reader) {
  std::string raw;
  std::vector<std::size_t> ends;
  while (reader.ReadLine(raw)) {
    text_.append(raw);
    ends.push_back(text_.size());
  }
  std::size_t begin = 0;
  for (std::size_t end : ends) {
    read_.push_back(std::string_view(text_).substr(begin, end - begin));
    begin = end;
  }
  lines_ = read_;
}

StepCounts StepCountLines::Count(long definition_line, const MacroList& macros,
                                 const CleaningPatterns& pats,
                                 const DefinitionPatterns& defs) const {
  std::size_t i = definition_line > 1 ? static_cast<std::size_t>(definition_line - 1) : 0;
  while (i < lines_.size() && !HasOpenBrace(lines_[i])) ++i;
  if (i >= lines_.size()) return {};
  if (defs.extended_heads()) {
    if (const auto one_line = BodyOnBraceLine(lines_[i], pats)) return *one_line;
  }
  auto next = [&](std::string_view& out) {
    if (++i >= lines_.size()) return false;
    out = StepLine(lines_[i]);
    return true;
  };
  return CountBody(next, macros, pats, defs);
}

int StepCountPass(ExtractorEnv& env, const KnownStepCounts& known) {
  const DefinitionPatterns& defs = PatternsOf(env);
  RegistrationList& list = env.data.functions();
  env.ui.SetListRedraw(false);

  // Where each row is defined, and the rows of each file, so that every file is read once. A
  // row keeps the number of its file, not the path: a path per row was most of the run's peak.
  enum class Kind { Macro, Located, Unlocated };
  const std::size_t rows = list.RowCount();
  std::vector<Kind> kinds(rows, Kind::Unlocated);
  std::vector<std::uint32_t> file_of(rows, 0);
  std::vector<long> lines(rows, 0);
  std::vector<std::string> paths;  // by file number
  std::vector<std::vector<std::size_t>> rows_of_file;
  std::unordered_map<std::string, std::uint32_t> file_number;
  std::string path;
  std::uint32_t last_file = 0;
  // The file of row r by its position text, as a reader gets it: the row's line in lines[r];
  // kUnlocated when the position names no line of a file.
  constexpr std::uint32_t kUnlocated = 0xFFFFFFFFu, kUnknown = 0xFFFFFFFEu;
  auto locate = [&](std::size_t r) {
    std::string full = env.data.ExpandPosition(list.CellText(r, col::kPosition));
    if (full.empty() || !SplitPosition(full, path, lines[r])) return kUnlocated;
    // The rows of a file mostly come one after the other.
    if (paths.empty() || paths[last_file] != path) {
      auto [it, added] = file_number.emplace(path, static_cast<std::uint32_t>(paths.size()));
      if (added) {
        paths.push_back(path);
        rows_of_file.emplace_back();
      }
      last_file = it->second;
    }
    return last_file;
  };
  // A position kept as a path number and a line reads "path(line)", which expands and splits
  // into the expanded path and that line: the text is made and read once per path, not per row
  // (unless it is long enough for a reader to get it cut, or the line too long to read).
  std::vector<std::uint32_t> file_of_path;  // by the list's path number
  for (std::size_t r = 0; r < rows; ++r) {
    if (list.PlainCell(r, col::kMarker) == "#define") {
      kinds[r] = Kind::Macro;
      continue;
    }
    std::uint32_t number = 0;
    std::string_view stored;
    std::uint64_t line = 0;
    std::uint32_t file = kUnlocated;
    if (list.CompactPosition(r, number, stored, line) && stored.size() + 24 <= kCellReadLimit &&
        line <= 999999999u) {
      if (number >= file_of_path.size()) file_of_path.resize(number + 1, kUnknown);
      if (file_of_path[number] == kUnknown) file_of_path[number] = locate(r);
      file = file_of_path[number];
      lines[r] = static_cast<long>(line);
    } else {
      file = locate(r);
    }
    if (file == kUnlocated) continue;
    kinds[r] = Kind::Located;
    file_of[r] = file;
    rows_of_file[file].push_back(r);
  }
  file_number.clear();

  // Rows whose total is 0 are deleted together at the end; r is the number the row would
  // have after the deletions so far, as the status line counts.
  std::vector<std::optional<StepCounts>> results(rows);
  std::vector<bool> counted(rows, false);
  std::vector<bool> doomed(rows, false);
  std::size_t deleted = 0;
  for (std::size_t orig = 0; orig < rows; ++orig) {
    const std::size_t r = orig - deleted;
    if (r % 10 == 0) {
      env.ui.SetStatus(1, ToDisplay(list.CellText(orig, col::kName)));
      env.ui.SetStatus(2, "ステップ数…" + std::to_string(r));
    }
    if (kinds[orig] == Kind::Macro) {
      list.SetCell(orig, col::kTotalSteps, "1");
      list.SetCell(orig, col::kRealSteps, "1");
      continue;
    }
    if (kinds[orig] == Kind::Located && !counted[orig]) {
      const std::string& file = paths[file_of[orig]];
      const std::vector<std::size_t>& same_file = rows_of_file[file_of[orig]];
      std::vector<long> definition_lines;
      definition_lines.reserve(same_file.size());
      for (std::size_t k : same_file) definition_lines.push_back(lines[k]);
      std::vector<StepCounts> made;
      SourceFileReader reader(env.settings.char_change);
      if (known && known(file, definition_lines, made)) {
        for (std::size_t j = 0; j < same_file.size(); ++j) results[same_file[j]] = made[j];
      } else if (reader.Open(file)) {
        StepCountLines file_lines(reader);
        for (std::size_t k : same_file) {
          results[k] = file_lines.Count(lines[k], env.macros, env.cleaning, defs);
        }
      }
      for (std::size_t k : same_file) counted[k] = true;
    }
    if (results[orig]) {
      // A body without lines is deleted (as its braces on consecutive lines count 0); with
      // "FuncHeadWords" 1 the definition stays, with 0 steps: an empty body is still one.
      if (results[orig]->total == 0 && !(defs.extended_heads() && results[orig]->braced)) {
        doomed[orig] = true;
        ++deleted;
      } else {
        list.SetCell(orig, col::kTotalSteps, std::to_string(results[orig]->total));
        list.SetCell(orig, col::kRealSteps, std::to_string(results[orig]->real));
      }
    }
    if (PollAnalysisCancel(env.ui)) return -1;
  }
  if (deleted > 0) list.DeleteRows(doomed);
  return 0;
}

}  // namespace kelvora
