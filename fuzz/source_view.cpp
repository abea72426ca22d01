// The TREE viewer's source display on a file. Input: one settings byte, the macro list (the
// page's Data1 text) on the first line after it, the file after that. The shown lines stay in
// the asked range and in order, never longer than the display keeps, their emphasis inside the
// text and ascending; the text form of the display is built for every layout without failing.
#include "tree/source_view.h"
#include "fuzz_support.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

using namespace kelvora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const RegexService regex;
  static const CleaningPatterns pats(regex);
  static Regex word, digits;
  static const bool compiled = regex.Compile("[A-Za-z_]+", word) && regex.Compile("[0-9]", digits);
  FUZZ_CHECK(pats.ok() && compiled);
  static const fuzz::ScratchFile file("source-view");
  if (size < 3) return 0;

  const std::uint8_t flags = data[0], where = data[1];
  std::string_view rest;
  const std::string_view data1 = fuzz::FirstLine(fuzz::AsText(data + 2, size - 2), rest);
  file.Write(rest);

  SourceViewSettings s;
  s.tab = flags & 1 ? 8 : flags & 2 ? 2 : 4;
  s.columns = 1 + (flags >> 2 & 3);
  s.hide_inactive = flags & 0x10;
  s.euc = flags & 0x20;
  s.detect = flags & 0x40;
  s.src_line = flags & 0x80 ? 3 : 0;
  const long line = 1 + (where & 0x1f), total = where >> 5;  // total 0: up to 3000 lines
  const std::string item =
      "1,1," + std::to_string(total) + ",0," + file.path() + "(" + std::to_string(line) + ")";
  const Regex* patterns[] = {&word, &digits};
  const SourceView view = BuildSourceView(item, data1, s, pats, patterns);

  const long last = line + (total == 0 ? 3000 : total + 3);
  long previous = 0;
  for (const SourceLine& l : view.lines) {
    FUZZ_CHECK(l.number > previous && l.number >= line - s.src_line && l.number <= last);
    previous = l.number;
    FUZZ_CHECK(l.text.size() <= kShownLineBytes);
    FUZZ_CHECK(l.text.find('\t') == std::string::npos && l.text.find('\n') == std::string::npos);
    std::size_t from = 0;
    for (const MatchSpan& m : l.emphasis) {
      FUZZ_CHECK(m.pos >= from && m.len > 0 && m.pos + m.len <= l.text.size());
      from = m.pos;
    }
  }
  for (int width : {1, 40}) (void)RenderSourceText(view, s, 1 + (where & 7), width);
  return 0;
}
