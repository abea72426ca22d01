// kelvora_bench_false_lines: reads file paths (one a line) from standard input and prints, for
// each file with any, "path<TAB>first-last,..." of the lines the analysis drops as false
// preprocessor branches (default settings: no macros defined, #if 0 false). Comment lines are
// not counted. heads_vs_ctags.sh leaves out the reference definitions on those lines.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "text/regex_service.h"
#include "text/source_clean.h"

int main() {
  kelvora::RegexService regex;
  const kelvora::CleaningPatterns pats(regex);
  const kelvora::MacroList macros;
  std::string path, raw, cleaned;
  while (std::getline(std::cin, path)) {
    std::ifstream in(path, std::ios::binary);
    if (!in) continue;
    kelvora::CommentState comments;
    kelvora::ConditionalState cond;
    std::vector<std::pair<long, long>> ranges;
    long line_no = 0;
    while (std::getline(in, raw)) {
      ++line_no;
      if (!raw.empty() && raw.back() == '\r') raw.pop_back();
      if (!kelvora::CleanLine(raw, comments, pats, cleaned)) continue;
      if (kelvora::FilterLine(cleaned, cond, macros, pats)) continue;
      if (!ranges.empty() && ranges.back().second == line_no - 1)
        ranges.back().second = line_no;
      else
        ranges.emplace_back(line_no, line_no);
    }
    if (ranges.empty()) continue;
    std::string out = path + "\t";
    for (std::size_t i = 0; i < ranges.size(); ++i) {
      if (i) out += ',';
      out += std::to_string(ranges[i].first) + "-" + std::to_string(ranges[i].second);
    }
    std::puts(out.c_str());
  }
  return 0;
}
