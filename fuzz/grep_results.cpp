// The Grep result reader. Input: read both as a result file and as a source file that the grep
// scan turns into result lines. Read from disk and from memory the rows are the same; every row
// has a "path(digits)" position and the rest of its line; what the scan writes reads back row for
// row with the path it was given; sorting only reorders.
#include <algorithm>

#include "fuzz_support.h"
#include "grep/grep_results.h"
#include "grep/grep_scan.h"
#include "platform/cp932.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

using namespace kelvora;

namespace {

std::string TabsToBlanks(std::string_view text) {
  std::string out;
  for (char c : text) out += c == '\t' ? std::string("  ") : std::string(1, c);
  return out;
}

void CheckRows(const GrepResultList& list) {
  for (std::size_t r = 0; r < list.size(); ++r) {
    const GrepHit& hit = list.at(r);
    FUZZ_CHECK(hit.number == std::to_string(r + 1));
    const std::string& p = hit.position;
    FUZZ_CHECK(p.size() >= 4 && p.back() == ')');
    const std::size_t open = p.rfind('(');
    FUZZ_CHECK(open != std::string::npos && open > 0 && open + 2 < p.size());
    for (std::size_t i = open + 1; i + 1 < p.size(); ++i) FUZZ_CHECK(p[i] >= '0' && p[i] <= '9');
    FUZZ_CHECK(hit.rest.empty() || hit.rest[0] == ':');
    FUZZ_CHECK(hit.rest.find('\t') == std::string::npos);
  }
}

void CheckSorts(GrepResultList list) {
  const std::vector<GrepHit> before = list.rows();
  auto numbers = [](const std::vector<GrepHit>& rows) {
    std::vector<std::string> n;
    for (const GrepHit& h : rows) n.push_back(h.number + "\n" + h.position + "\n" + h.rest);
    std::sort(n.begin(), n.end());
    return n;
  };
  FUZZ_CHECK(list.SortByColumn(1));
  FUZZ_CHECK(numbers(list.rows()) == numbers(before));
  FUZZ_CHECK(!list.SortByColumn(2));
  FUZZ_CHECK(list.SortByColumn(0));
  FUZZ_CHECK(list.SortByColumn(0));  // second click: descending by number text
  FUZZ_CHECK(numbers(list.rows()) == numbers(before));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const RegexService regex;
  static const CleaningPatterns cleaning(regex);
  static const fuzz::ScratchFile file("grep.txt");
  static const std::string path = Utf8ToCp932("/src/a b (1)/ソース(2)/x.c");
  static Regex any;
  static const bool compiled = regex.Compile("[A-Za-z_]", any);
  FUZZ_CHECK(compiled && cleaning.ok());
  const std::string_view text = fuzz::AsText(data, size);

  // The input as a result file.
  file.Write(text);
  GrepResultList from_file, from_text;
  FUZZ_CHECK(from_file.Load(file.path()));
  from_text.LoadText(text);
  FUZZ_CHECK(from_file.size() == from_text.size());
  for (std::size_t r = 0; r < from_file.size(); ++r) {
    FUZZ_CHECK(from_file.at(r).position == from_text.at(r).position);
    FUZZ_CHECK(from_file.at(r).rest == from_text.at(r).rest);
  }
  CheckRows(from_file);
  CheckSorts(from_file);

  // The input as a source file: the scan's lines read back with the path as written.
  std::string out;
  const long written = GrepText(text, path, out, any, MacroList(), 0, cleaning);
  FUZZ_CHECK(written >= 0);
  GrepResultList hits;
  hits.LoadText(out);
  FUZZ_CHECK(hits.size() == static_cast<std::size_t>(written));
  CheckRows(hits);
  long last = 0;
  std::size_t at = 0;
  for (const GrepHit& hit : hits.rows()) {
    FUZZ_CHECK(hit.position.compare(0, path.size() + 1, path + "(") == 0);
    const long line = std::stol(hit.position.substr(path.size() + 1));
    FUZZ_CHECK(line > last);
    last = line;
    const std::size_t end = out.find("\r\n", at);
    FUZZ_CHECK(end != std::string::npos);
    FUZZ_CHECK(hit.position + TabsToBlanks(out.substr(at + hit.position.size(),
                                                      end - at - hit.position.size())) ==
               hit.position + hit.rest);
    at = end + 2;
  }
  return 0;
}
