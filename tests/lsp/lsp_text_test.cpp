// URIs, columns over decoded text and the message reader, table-driven.
#include <gtest/gtest.h>

#include <cstdio>

#include "lsp/lsp_text.h"
#include "lsp/lsp_transport.h"
#include "lsp/lsp_uri.h"

namespace kelvora::lsp {
namespace {

TEST(LspUri, PathsRoundTripThroughPercentEncoding) {
  const struct {
    std::string path, uri;
  } cases[] = {
      {"/src/main.c", "file:///src/main.c"},
      {"/a b/%#?.c", "file:///a%20b/%25%23%3F.c"},
      {"/日本/名前.c", "file:///%E6%97%A5%E6%9C%AC/%E5%90%8D%E5%89%8D.c"},
      {"/sjis/\x83\x5C.c", "file:///sjis/%83%5C.c"},  // Shift-JIS name bytes stay bytes
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathToUri(c.path), c.uri);
    EXPECT_EQ(UriToPath(c.uri), c.path);
  }
  EXPECT_EQ(UriToPath("file://localhost/a%2fb#frag"), "/a/b");
  EXPECT_EQ(UriToPath("FILE:/x"), "/x");
  for (const char* bad : {"http://x/y", "file://host/y", "file:relative", "file:///a%2",
                          "file:///a%zz", "file:///a%00b", "file://"})
    EXPECT_FALSE(UriToPath(bad)) << bad;
}

TEST(LspText, ColumnsCountTheDecodedTextInEachEncoding) {
  // "\t/* 再帰😀 */ x": tab, 3 ASCII, two kanji, one astral character, 4 ASCII, then x.
  const std::string line = "\t/* 再帰😀 */ x";
  const std::size_t x = line.find('x');
  EXPECT_EQ(ColumnOfByte(line, x, PositionEncoding::kUtf8), x);
  EXPECT_EQ(ColumnOfByte(line, x, PositionEncoding::kUtf16), 12u);
  EXPECT_EQ(ColumnOfByte(line, x, PositionEncoding::kUtf32), 11u);
  for (auto e : {PositionEncoding::kUtf8, PositionEncoding::kUtf16, PositionEncoding::kUtf32})
    EXPECT_EQ(ByteOfColumn(line, ColumnOfByte(line, x, e), e), x);
  // A column inside a character falls on its start; past the end, on the end.
  EXPECT_EQ(ByteOfColumn(line, 7, PositionEncoding::kUtf16), line.find("😀"));
  EXPECT_EQ(ByteOfColumn(line, 99, PositionEncoding::kUtf16), line.size());
  EXPECT_EQ(ByteOfCharIndex(line, 11), x);
  // A CP932 character is one character whatever its second byte ("ソ" is 83 5C).
  EXPECT_EQ(Cp932CharIndex("\x83\x5Cx", 2), 1u);
}

TEST(LspText, FilesDecodeAsTheAnalysisReadsThem) {
  const std::string sjis = "/* \x8C\x76\x8E\x5A */ int f;\r\nx";  // "計算"
  const std::string euc = "/* \xB7\xD7\xBB\xBB */ int f;\nx";     // "計算"
  const std::string utf8 = "\xEF\xBB\xBF/* 😀 */ int f;\nx";
  for (const std::string* bytes : {&sjis, &euc, &utf8}) {
    const DecodedFile f = DecodeBytes(*bytes, kCharChangeDetect);
    ASSERT_EQ(f.lines.size(), 2u);
    EXPECT_EQ(f.lines[1], "x");
    EXPECT_EQ(FindWord(f.lines[0], "f"), f.lines[0].size() - 2);
  }
  EXPECT_EQ(DecodeBytes(sjis, kCharChangeDetect).lines[0], "/* 計算 */ int f;");
  EXPECT_EQ(DecodeBytes(euc, kCharChangeEuc).lines[0], "/* 計算 */ int f;");
  // CharChange 0 reads EUC-JP bytes as CP932: what does not map shows as "〓", never U+FFFD.
  EXPECT_EQ(DecodeBytes("\xFF", kCharChangeNone).lines[0], "〓");
  std::size_t begin = 0;
  EXPECT_EQ(IdentifierAt("a + foo_1(", 6, &begin), "foo_1");
  EXPECT_EQ(begin, 4u);
  EXPECT_EQ(IdentifierAt("foo ", 3, nullptr), "foo");  // just after the word
  EXPECT_EQ(IdentifierAt("1abc", 1, nullptr), "");
}

TEST(LspText, Cp932LengthOfDecodedLinesIsTheAnalysisLineLength) {
  // The call index counts columns in the lines the analysis reads (CP932); the decoded line's
  // CP932 length before a name must be that column, whatever the file's encoding.
  const std::string lines[] = {
      "\x8C\x76\x8E\x5A \xB6\xC5 x",             // Shift-JIS: kanji, half-width katakana
      "\xB7\xD7\xBB\xBB \x8E\xB6\x8E\xC5 x",     // EUC-JP: the same
      "計算 ｶﾅ 😀 é \xEF\xBD\xA1\xEF\xBE\x9F x",  // UTF-8: astral and Latin as "〓"
      "plain x",
  };
  for (const std::string& bytes : lines) {
    const std::string cp932 = DecodeSourceText(bytes, kCharChangeDetect).text;
    const std::string utf8 = DecodeBytes(bytes, kCharChangeDetect).lines.at(0);
    EXPECT_EQ(Cp932Length(utf8.substr(0, utf8.rfind('x'))), cp932.rfind('x')) << bytes;
  }
}

TEST(LspText, FindBytesFindsWhatFindFinds) {
  // Random texts over a small alphabet (many near misses, NUL separators, high bytes), every
  // needle length from 1 to 20 and every start, against std::string_view::find.
  std::uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  const char alphabet[] = {'a', 'b', '\0', '\x83', 'a'};
  for (int round = 0; round < 200; ++round) {
    std::string text(next() % 80, 'a');
    for (char& c : text) c = alphabet[next() % sizeof alphabet];
    const std::size_t n = 1 + next() % 20;
    std::string needle(n, 'a');
    if (text.size() >= n && next() % 2)
      needle = text.substr(next() % (text.size() - n + 1), n);
    else
      for (char& c : needle) c = alphabet[next() % sizeof alphabet];
    for (std::size_t from = 0; from <= text.size() + 1; ++from)
      ASSERT_EQ(FindBytes(text, needle, from), std::string_view(text).find(needle, from))
          << round << " " << from;
  }
}

TEST(LspText, RawLinesSplitAsTheAnalysisSplits) {
  const std::string path = ::testing::TempDir() + "/raw_lines.c";
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("a\r\nb\n\nlast", f);
    std::fclose(f);
  }
  RawLineCache cache(1);
  EXPECT_EQ(cache.Line(path, 0), "a");
  EXPECT_EQ(cache.Line(path, 1), "b");
  EXPECT_EQ(cache.Line(path, 3), "last");
  EXPECT_EQ(cache.Line(path, 4), "");
  EXPECT_EQ(cache.Line("/dev/zero", 0), "");  // never a device
  std::remove(path.c_str());
}

TEST(LspTransport, FramesAreReadAndBadHeadersSkipped) {
  const std::string input = Frame("{\"a\":1}") + "content-length:  3 \r\nX-Y: z\r\n\r\n[1]" +
                            "Content-Length: 99999999999999\r\n\r\n" + "no colon\nmore\n\n" +
                            Frame("é") + "Content-Length: 10\r\n\r\nabc";
  MessageReader reader = StringReader(input);
  std::string body;
  using S = MessageReader::Status;
  const std::pair<S, std::string> expected[] = {{S::kMessage, "{\"a\":1}"}, {S::kMessage, "[1]"},
                                                {S::kBadHeader, ""},        {S::kBadHeader, ""},
                                                {S::kMessage, "é"},         {S::kEnd, ""}};
  for (const auto& [status, text] : expected) {
    EXPECT_EQ(reader.Next(body), status);
    if (status == S::kMessage) {
      EXPECT_EQ(body, text);
    }
  }
}

}  // namespace
}  // namespace kelvora::lsp
