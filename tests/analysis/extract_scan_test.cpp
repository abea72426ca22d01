// The extractor's one-pass line scans against plain byte searches, and the extraction over every
// kind of line source: views into the file, copies, and views that the next read overwrites.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <vector>

#include "analysis/definitions.h"
#include "analysis/extract_env.h"
#include "analysis/file_scan_result.h"
#include "analysis/line_bytes.h"

namespace kelvora::testing {
namespace {

extract::LineBytes Reference(std::string_view line) {
  extract::LineBytes r;
  r.marker = line.find_first_of("\"/#") != std::string_view::npos;
  r.cleanable = line.find_first_of("\"/") != std::string_view::npos;
  for (unsigned char c : line) r.high = r.high || c >= 0x80;
  r.paren = line.find('(');
  r.semicolon_after_paren =
      r.paren != std::string_view::npos && line.find(';', r.paren) != std::string_view::npos;
  r.first_non_blank = line.find_first_not_of(" \t");
  return r;
}

void ExpectSameBytes(const extract::LineBytes& got, const extract::LineBytes& want,
                     std::string_view line) {
  EXPECT_EQ(got.marker, want.marker) << line;
  EXPECT_EQ(got.cleanable, want.cleanable) << line;
  EXPECT_EQ(got.high, want.high) << line;
  EXPECT_EQ(got.paren, want.paren) << line;
  EXPECT_EQ(got.semicolon_after_paren, want.semicolon_after_paren) << line;
  EXPECT_EQ(got.first_non_blank, want.first_non_blank) << line;
}

// Lines of every length around the 16-byte blocks, from bytes the scan treats apart, ended by
// LF, CR LF, a lone CR or nothing.
TEST(ExtractScan, LinesAndTheirBytesEqualPlainSearches) {
  std::mt19937 rng(7);
  const std::string alphabet("  \t\t(();;\"//**#ab_\x81\xFF:)=\r", 24);
  const char* const ends[] = {"\n", "\r\n", "\r", "\n\r\n"};
  std::string text;
  for (int n = 0; n < 20000; ++n) {
    std::string line(rng() % 70, 'x');
    for (char& c : line) c = rng() % 3 ? alphabet[rng() % alphabet.size()] : 'x';
    text += line + ends[rng() % std::size(ends)];
    // A line as a view inside a larger buffer.
    const std::string padded = "((;#" + line + "\";(/";
    const std::string_view view(padded.data() + 4, line.size());
    ExpectSameBytes(extract::ScanLineBytes(view), Reference(view), line);
    // Read on past its end where the memory after it may be read (up to the buffer's end).
    ExpectSameBytes(extract::ScanLineBytes(view, view.size() + 4, false), Reference(view), line);
    const extract::LineBytes markers = extract::ScanLineBytes(view, view.size() + 4, true);
    EXPECT_EQ(markers.marker, Reference(view).marker) << line;
    EXPECT_EQ(markers.high, Reference(view).high) << line;
    const extract::CleaningMarks marks = extract::MarksOf(view);
    EXPECT_EQ(marks.quote, view.find('"') != std::string_view::npos) << line;
    EXPECT_EQ(marks.open, view.find("/*") != std::string_view::npos) << line;
    EXPECT_EQ(marks.close, view.find("*/") != std::string_view::npos) << line;
    EXPECT_EQ(marks.line, view.find("//") != std::string_view::npos) << line;
    if (HasFailure()) return;
  }
  for (const std::string& whole : {text, text + "last ( ;\r", text + "  \r"}) {
    SourceFile file{true, false, whole};
    const std::atomic<bool> stop{false};
    TextLines reference(file, stop);
    std::string want;
    std::size_t pos = 0, pos_markers = 0;
    long lines = 0;
    while (reference.ReadLine(want)) {
      ASSERT_LT(pos, whole.size());
      extract::LineBytes bytes;
      const std::string_view got = extract::NextTextLine(whole, pos, bytes);
      ASSERT_EQ(got, want) << "line " << lines;
      ExpectSameBytes(bytes, Reference(got), got);
      extract::LineBytes markers;
      ASSERT_EQ(extract::NextTextLineMarkers(whole, pos_markers, markers), got);
      EXPECT_EQ(markers.marker, bytes.marker) << got;
      EXPECT_EQ(markers.cleanable, bytes.cleanable) << got;
      EXPECT_EQ(markers.high, bytes.high) << got;
      if (HasFailure()) return;
      ++lines;
    }
    EXPECT_EQ(pos, whole.size());
    EXPECT_GT(lines, 20000);
  }
}

// The cleaning searches on ASCII lines against the patterns as the analysis compiles them, and
// against the engine itself (the same patterns written so that no shortcut of the regex layer
// takes them).
TEST(ExtractScan, CleaningSearchesOnAsciiLinesEqualTheRegexLayerAndTheEngine) {
  using extract::CleaningStep;
  struct Step {
    CleaningStep step;
    const char* pattern;
    const char* engine_only;
  };
  const Step steps[] = {
      {CleaningStep::Literal, R"(\".+?\")", R"(\"(?:.+?)\")"},
      {CleaningStep::BlockComment, R"(/\*.*?\*/)", R"(/\*(?:.*?)\*/)"},
      {CleaningStep::LineComment, R"(//.+$)", R"(//(?:.+)$)"},
      {CleaningStep::OpenComment, R"(/[*]+.*$)", R"(/[*]+(?:.*)$)"},
      {CleaningStep::CloseComment, R"(^.*[*]+/)", R"(^(?:.*)[*]+/)"},
  };
  const RegexService regex;
  std::mt19937 rng(11);
  const std::string alphabet("\"\"//**ab \t\r\0", 13);
  for (const Step& step : steps) {
    Regex layer, engine;
    ASSERT_TRUE(regex.Compile(step.pattern, layer) && regex.Compile(step.engine_only, engine));
    for (int n = 0; n < 5000; ++n) {
      std::string line(rng() % 24, 'x');
      for (char& c : line) c = alphabet[rng() % alphabet.size()];
      MatchSpan want, fast, slow;
      const bool found = SearchCleaningStep(step.step, line, fast);
      ASSERT_EQ(found, layer.Search(line, want)) << step.pattern << " in " << line;
      ASSERT_EQ(found, engine.Search(line, slow)) << step.engine_only << " in " << line;
      if (found) {
        ASSERT_EQ(fast.pos, want.pos);
        ASSERT_EQ(fast.len, want.len);
        ASSERT_EQ(fast.pos, slow.pos);
        ASSERT_EQ(fast.len, slow.len);
      }
    }
  }
}

// Lines whose view lives in one buffer that every read overwrites: the extractor must be done
// with a line before it looks ahead.
class OverwritingSource : public LineSource {
 public:
  explicit OverwritingSource(std::string text) : inner_(std::move(text)) {}
  bool ReadLine(std::string& line) override {
    const bool ok = inner_.ReadLine(line);
    buffer_.assign(buffer_.size(), '?');
    return ok;
  }
  bool NextLine(std::string_view& line, std::string&) override {
    std::string next;
    if (!ReadLine(next)) return false;
    buffer_ = next;
    line = buffer_;
    return true;
  }

 private:
  StringLineSource inner_;
  std::string buffer_;
};

struct Row {
  std::string name, marker, comment;
  long line_no;
  bool operator==(const Row&) const = default;
};

class CollectingSink : public DefinitionSink {
 public:
  bool Add(const FoundDefinition& f) override {
    rows.push_back({std::string(f.name), std::string(f.marker), std::string(f.comment), f.line_no});
    return true;
  }
  std::vector<Row> rows;
};

// Source text with heads over several lines, comments around and inside them, literals,
// directives and false branches, Shift-JIS comments and long lines.
std::string GeneratedSource(std::mt19937& rng) {
  const char* const pieces[] = {
      "static int foo_%(struct device *dev,\n\t\tint flags)\n{\n",
      "int bar_%(int a, /* open\n   still */ int b);\n",
      "void baz_%(void)  // \x8A\xD6\x90\x94\x96\xBC\n",
      "/* \x8A\xD6\x90\x94\x96\xBC: qux_% */\nlong qux_%(\n#ifdef X\n int a,\n#endif\n int b)\n",
      "#define MAC_%(a, b) ((a) + (b))\n",
      "#define OPEN_%(a, \\\n\t\tb) (a)\n",
      "#define\tTAB_%\t0x1\n",
      "  #  define SPACED_% 1\n",
      "#define NOVAL_%\n",
      "#define EQ_% (a = b) // same line\n",
      "\t#define   LONG_%_aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\t1 /* c */\n",
      "#define VAL_% 12 /* twelve */\n",
      "char *s_% = \"int fake_%(void)\";\n",
      "#if 0\nint gone_%(void)\n#endif\n",
      "\tcall_%(x);\n",
      "}\n",
      "  */ int after_%(int x)\n",
      "/*\n * \x8F\x88\x97\x9D\x96\xBC int in_comment_%(void)\n */\n",
      "unsigned long long_%(unsigned a, unsigned b, unsigned c, unsigned d, unsigned e, "
      "unsigned f, unsigned g, unsigned h, unsigned i, unsigned j)\n",
      "int open_%(int a,\n",
      "EXPORT_SYMBOL(x_%);\n",
      "\n",
  };
  // Lines over the 2000 bytes the extractor looks at, and a NUL byte in a head.
  const std::string long_head = "int wide_%(" + std::string(2100, 'a') + ")\n";
  const std::string long_comment = "/* " + std::string(2100, '*') + " */ int after_long_%(void)\n";
  const std::string nul_head("static int nul_%(int\0 a)\n", 25);
  std::string text;
  for (int k = 0; k < 400; ++k) {
    std::string piece = pieces[rng() % std::size(pieces)];
    if (k % 97 == 0) piece = k % 2 ? long_head : long_comment;
    if (k % 89 == 0) piece = nul_head;
    for (std::size_t at = piece.find('%'); at != std::string::npos; at = piece.find('%'))
      piece.replace(at, 1, std::to_string(k));
    text += piece;
  }
  return text;
}

class ExtractSources : public ::testing::Test, public ExtractEnvFixture {};

TEST_F(ExtractSources, EveryLineSourceGivesTheSameRows) {
  std::mt19937 rng(3);
  long rows = 0;
  for (int file = 0; file < 20; ++file) {
    const std::string text = GeneratedSource(rng);
    for (DefinitionMode mode : {DefinitionMode::Function, DefinitionMode::Define}) {
      const DetectionPatterns det = mode == DefinitionMode::Function
                                        ? DetectionPatterns::ForFunctions(regex, 0)
                                        : DetectionPatterns::ForDefines(regex);
      CollectingSink copied, viewed, overwritten;
      StringLineSource strings(text);
      ASSERT_EQ(FindDefinitions(strings, copied, mode, det, env), 0);
      SourceFile source{true, false, text};
      const std::atomic<bool> stop{false};
      TextLines lines(source, stop);
      ASSERT_EQ(FindDefinitions(lines, viewed, mode, det, env), 0);
      CollectingSink split_rows;
      TextLines split(source, stop);
      split.Split();
      ASSERT_EQ(FindDefinitions(split, split_rows, mode, det, env), 0);
      ASSERT_EQ(split_rows.rows, copied.rows);
      OverwritingSource hostile(text);
      ASSERT_EQ(FindDefinitions(hostile, overwritten, mode, det, env), 0);
      ASSERT_EQ(viewed.rows, copied.rows);
      ASSERT_EQ(overwritten.rows, copied.rows);
      if (mode == DefinitionMode::Define) {
        // The #define names taken from the detection match equal the name chain's.
        DetectionPatterns chained = DetectionPatterns::ForDefines(regex);
        chained.fixed_defines = false;
        CollectingSink by_chain;
        StringLineSource again(text);
        ASSERT_EQ(FindDefinitions(again, by_chain, mode, chained, env), 0);
        ASSERT_EQ(by_chain.rows, copied.rows);
      }
      rows += static_cast<long>(copied.rows.size());
    }
  }
  EXPECT_GT(rows, 2000);
}

}  // namespace
}  // namespace kelvora::testing
