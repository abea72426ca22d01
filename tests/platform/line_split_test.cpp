// The one rule for line ends, held by every reader: the splitter one line at a time (with and
// without a scan riding along), all lines at once, the file reader and the string source.
#include "platform/line_split.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/line_reader.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using Lines = std::vector<std::string>;

// Remembers every byte a scan is handed, by its offset in the line, and the dropped CR.
struct RecordingScan {
  std::string seen;
  std::size_t dropped = std::string::npos;
  void Put(char c, std::size_t i) {
    ASSERT_EQ(i, seen.size()) << "bytes handed out of order";
    seen += c;
  }
#if defined(__SSE2__)
  void Block(__m128i w, unsigned fresh, std::size_t base) {
    alignas(16) char bytes[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(bytes), w);
    for (int k = 0; k < 16; ++k)
      if (fresh & (1u << k)) Put(bytes[k], base + static_cast<std::size_t>(k));
  }
#endif
  void Byte(char c, std::size_t i) {
    Put(c, i);
  }
  void DropFinalCr(std::size_t i) {
    dropped = i;
  }
};

Lines ByLineAt(std::string_view text) {
  Lines out;
  for (std::size_t pos = 0; pos < text.size();) out.emplace_back(LineAt(text, pos));
  return out;
}

Lines ByScan(std::string_view text) {
  Lines out;
  for (std::size_t pos = 0; pos < text.size();) {
    RecordingScan scan;
    const std::string_view line = LineAt(text, pos, scan);
    // The scan saw the line's bytes, and the CR it was told to drop was the one after them.
    if (scan.dropped == std::string::npos) {
      EXPECT_EQ(scan.seen, line);
    } else {
      EXPECT_EQ(scan.dropped, line.size());
      EXPECT_EQ(scan.seen, std::string(line) + "\r");
    }
    out.emplace_back(line);
  }
  return out;
}

Lines BySplitLines(std::string_view text) {
  std::vector<std::string_view> views;
  SplitLines(text, views);
  return Lines(views.begin(), views.end());
}

Lines ByReader(LineSource& source) {
  Lines out;
  std::string line;
  while (source.ReadLine(line)) out.push_back(line);
  return out;
}

// Every way of reading gives the expected lines of the text.
void ExpectLines(const std::string& text, const Lines& expected) {
  SCOPED_TRACE(::testing::PrintToString(text));
  EXPECT_EQ(ByLineAt(text), expected);
  EXPECT_EQ(ByScan(text), expected);
  EXPECT_EQ(BySplitLines(text), expected);
  StringLineSource source(text);
  EXPECT_EQ(ByReader(source), expected);
  testing::TempDir dir;
  FileLineReader file;
  ASSERT_TRUE(file.Open(dir.Write("t.c", text)));
  EXPECT_EQ(ByReader(file), expected);
}

TEST(LineSplit, OneRuleForCrCrLfAndTheLastLine) {
  const std::string long_line(40, 'x');
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a\nb", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      // A last line without LF keeps its final CR: "count = 3;\r" is read as it stands.
      {"x\r\ncount = 3;\r", {"x", "count = 3;\r"}},
      {"\r", {"\r"}},
      // A lone CR is a byte of its line; only the CR right before an LF goes.
      {"a\rb\r\n", {"a\rb"}},
      {"a\r\r\n\r\n", {"a\r", ""}},
      {"\n\n\r\n", {"", "", ""}},
      // Lines across the sixteen-byte blocks, ends on either side of a block's edge.
      {long_line + "\r\n" + long_line + "\n" + "y\r", {long_line, long_line, "y\r"}},
      {std::string(15, 'a') + "\r\n" + std::string(16, 'b') + "\n",
       {std::string(15, 'a'), std::string(16, 'b')}},
      {std::string(31, 'c') + "\r", {std::string(31, 'c') + "\r"}},
  };
  for (const auto& c : cases) ExpectLines(c.text, c.lines);
}

// Random texts of the bytes that matter, read every way, against a plain reading of the rule.
TEST(LineSplit, EveryReaderAgreesOnRandomTexts) {
  std::mt19937 rng(27);
  const std::string alphabet = "ab\r\n\n \xE0\\";
  for (int n = 0; n < 300; ++n) {
    std::string text(rng() % 80, 'x');
    for (char& c : text) c = alphabet[rng() % alphabet.size()];
    Lines expected;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\n') {
        line += text[i];
        continue;
      }
      if (!line.empty() && line.back() == '\r') line.pop_back();
      expected.push_back(line);
      line.clear();
    }
    if (!line.empty()) expected.push_back(line);
    ExpectLines(text, expected);
  }
}

}  // namespace
}  // namespace kelvora
