// Source line cleaning, the preprocessor step and the line filter on a whole file, and the two
// candidate-line collectors built on them. Input: the macro list on the first line, the file after.
#include <sstream>

#include "fuzz_support.h"
#include "platform/line_reader.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

using namespace kelvora;

namespace {

constexpr std::size_t kCleanLimit = 2048;

// Records of a collector's output ("text\r\n" each); a text never holds an LF.
std::vector<std::string> Records(const std::string& out) {
  std::vector<std::string> records;
  std::size_t at = 0;
  while (at < out.size()) {
    std::size_t end = out.find("\r\n", at);
    FUZZ_CHECK(end != std::string::npos);
    records.push_back(out.substr(at, end - at));
    at = end + 2;
  }
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const RegexService regex;
  static const CleaningPatterns pats(regex);
  static Regex any_line, table_head;
  static const bool compiled =
      regex.Compile(".", any_line) && regex.Compile("[A-Za-z0-9_]+[ \\t]*=[ \\t]*{", table_head);
  FUZZ_CHECK(pats.ok() && compiled);

  std::string_view file;
  const MacroList macros(fuzz::FirstLine(fuzz::AsText(data, size), file));

  // Line by line: cleaning never grows a line, a line without quote or slash passes unchanged,
  // and a line that is no directive leaves the conditional state alone.
  std::vector<std::string> lines;
  {
    StringLineSource reader{std::string(file)};
    std::string line;
    while (reader.ReadLine(line)) lines.push_back(line);
  }
  CommentState comments;
  ConditionalState cond;
  std::string cleaned;
  bool any_hash = false;
  for (const std::string& line : lines) {
    const bool was_in_block = comments.in_block;
    const bool kept = CleanLine(line, comments, pats, cleaned);
    if (!kept) {
      FUZZ_CHECK(comments.in_block);
      continue;
    }
    FUZZ_CHECK(cleaned.size() <= std::min(line.size(), kCleanLimit));
    if (line.find_first_of("\"/") == std::string::npos) {
      FUZZ_CHECK(!was_in_block);
      FUZZ_CHECK(line.compare(0, cleaned.size(), cleaned) == 0);
      FUZZ_CHECK(cleaned.size() + 1 >= std::min(line.size(), kCleanLimit));
    }
    any_hash = any_hash || cleaned.find('#') != std::string::npos;
    const ConditionalState before = cond;
    const bool used = FilterLine(cleaned, cond, macros, pats);
    const std::size_t first = cleaned.find_first_not_of(" \t");
    if (first == std::string::npos || cleaned[first] != '#') {
      FUZZ_CHECK(cond.mask == before.mask && cond.depth == before.depth);
    }
    // Outside every directive all lines are used.
    if (!any_hash) FUZZ_CHECK(used);

    ConditionalState step_state = before;
    const int step = PreprocessorStep(cleaned, step_state, macros, pats);
    FUZZ_CHECK(step >= -1 && step <= 2);
  }

  // The collectors: as many records as they report, each one a line of the file (after the
  // EUC conversion when asked), table candidates cut to 300 bytes.
  for (int char_change : {0, 1}) {
    StringLineSource reader{std::string(file)};
    std::ostringstream out;
    const long written = CollectLines(reader, {}, out, any_line, macros, char_change, pats);
    const std::vector<std::string> records = Records(out.str());
    FUZZ_CHECK(written == static_cast<long>(records.size()));
    FUZZ_CHECK(records.size() <= lines.size());
    std::size_t next = 0;
    for (const std::string& rec : records) {
      while (next < lines.size() &&
             (char_change ? ConvertEucToSjis(lines[next]) : lines[next]) != rec)
        ++next;
      FUZZ_CHECK(next < lines.size());
      ++next;
    }
  }
  {
    StringLineSource reader{std::string(file)};
    std::ostringstream out;
    const long written = CollectTableLines(reader, "p", out, table_head, macros, pats);
    const std::vector<std::string> records = Records(out.str());
    FUZZ_CHECK(written == static_cast<long>(records.size()));
    long last_line = 0;
    for (const std::string& rec : records) {
      const std::size_t close = rec.find("):  ");
      FUZZ_CHECK(rec.starts_with("p(") && close != std::string::npos);
      const long line_no = std::stol(rec.substr(2, close - 2));
      FUZZ_CHECK(line_no >= 1 && line_no <= static_cast<long>(lines.size()));
      FUZZ_CHECK(line_no >= last_line);
      last_line = line_no;
      FUZZ_CHECK(rec.size() - close - 4 <= 300);
    }
  }
  return 0;
}
