// Per-file encoding detection and conversion to CP932: the rule's order and tie, replacement
// counts, and the reader that serves a decoded file line by line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "text/encoding_detect.h"

namespace kelvora {
namespace {

using testing::TempDir;

struct Case {
  const char* what;
  std::string bytes;
  SourceEncoding encoding;
  std::string cp932;  // the text with CharChange=2
  long replaced;
};

TEST(DetectEncoding, EachRuleAndItsConversion) {
  const std::vector<Case> cases = {
      {"empty", "", SourceEncoding::Ascii, "", 0},
      {"ascii", "int a; /* x */\n", SourceEncoding::Ascii, "int a; /* x */\n", 0},
      // 表 ends in 0x5C; ソ too.
      {"cp932", "/* \x95\x5c \x83\x5c */", SourceEncoding::Cp932, "/* \x95\x5c \x83\x5c */", 0},
      {"utf-8", "/* \xE8\xA1\xA8 */", SourceEncoding::Utf8, "/* \x95\x5c */", 0},
      {"bom dropped", "\xEF\xBB\xBFint\r\n", SourceEncoding::Utf8Bom, "int\r\n", 0},
      {"bom, broken rest", "\xEF\xBB\xBF\xE8\xA1", SourceEncoding::Utf8Bom, "\x81\xAC", 1},
      // 表示する: the last byte 0xEB with a blank after it is no CP932 pair.
      {"euc", "\xC9\xBD\xBC\xA8\xA4\xB9\xA4\xEB ", SourceEncoding::EucJp,
       "\x95\x5c\x8e\xa6\x82\xb7\x82\xe9 ", 0},
      {"euc half-width kana", "\x8E\xB1\xC9\xBD\x0A", SourceEncoding::EucJp, "\xB1\x95\x5c\x0A", 0},
      // JIS X 0212 has no CP932 form.
      {"euc 0212", "\x8F\xA2\xB7\xC9\xBD", SourceEncoding::EucJp, "\x81\xAC\x95\x5c", 1},
      // Valid in both: only half-width katakana without 0xA1..0xA5 stay CP932 (ｺﾒﾝﾄ) ...
      {"tie, cp932 kana", "\xBA\xD2\xDD\xC4", SourceEncoding::Cp932, "\xBA\xD2\xDD\xC4", 0},
      // ... a quarter of them 0xA1..0xA5 make EUC-JP (データ) ...
      {"tie, euc kana", "\xA5\xC7\xA1\xBC\xA5\xBF", SourceEncoding::EucJp,
       "\x83\x66\x81\x5B\x83\x5E", 0},
      // ... and so does a double-byte character in the CP932 reading (初期化: 0xE9B4 there).
      {"tie, euc kanji", "\xBD\xE9\xB4\xFC\xB2\xBD", SourceEncoding::EucJp,
       "\x8F\x89\x8A\xFA\x89\xBB", 0},
      {"utf-8 without cp932 form", "\xE2\x99\xA5\xE6\x84\x9B", SourceEncoding::Utf8,
       "\x81\xAC\x88\xA4", 1},
      {"utf-8 jis variants", "\xE3\x80\x9C\xE2\x88\x92", SourceEncoding::Utf8, "\x81\x60\x81\x7C",
       0},
      {"valid in none", "\x80\xFF\xFE", SourceEncoding::Unknown, "\x80\xFF\xFE", 0},
      {"lone lead byte at the end", "ab\x95", SourceEncoding::Unknown, "ab\x95", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DetectEncoding(c.bytes), c.encoding);
    const SourceText text = DecodeSourceText(c.bytes, kCharChangeDetect);
    EXPECT_EQ(text.encoding, c.encoding);
    EXPECT_EQ(text.text, c.cp932);
    EXPECT_EQ(text.replaced, c.replaced);
    // 0 and 1 keep the bytes and read them as the setting says.
    EXPECT_EQ(DecodeSourceText(c.bytes, kCharChangeNone).text, c.bytes);
    EXPECT_EQ(DecodeSourceText(c.bytes, kCharChangeEuc).encoding, SourceEncoding::EucJp);
  }
}

TEST(SourceFileReader, ServesTheDecodedLinesAsTheFileReaderWould) {
  TempDir dir;
  const std::string path = (dir.path() / "a b (1).c").string();
  // A BOM, CR LF, a line without its end; the numbering of lines must not move.
  dir.Write("a b (1).c", "\xEF\xBB\xBF\xE8\xA1\xA8\r\n\r\nx\xE2\x99\xA5\ry");
  for (int char_change : {0, 2}) {
    SCOPED_TRACE(char_change);
    SourceFileReader reader(char_change);
    ASSERT_TRUE(reader.Open(path));
    std::vector<std::string> lines;
    for (int pass = 0; pass < 2; ++pass) {
      std::string line;
      while (reader.ReadLine(line)) lines.push_back(line);
      EXPECT_FALSE(reader.failed());
      ASSERT_TRUE(reader.Rewind());
    }
    const std::vector<std::string> expected =
        char_change == 2
            ? std::vector<std::string>{"\x95\x5c", "", "x\x81\xAC\ry"}
            : std::vector<std::string>{"\xEF\xBB\xBF\xE8\xA1\xA8", "", "x\xE2\x99\xA5\ry"};
    EXPECT_EQ(lines.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3), expected);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()), expected);
    EXPECT_EQ(reader.replaced(), char_change == 2 ? 1 : 0);
    EXPECT_FALSE(SourceFileReader(char_change).Open(dir.str()));  // a folder is no file
    EXPECT_FALSE(SourceFileReader(char_change).Open(path + ".missing"));
  }
}

}  // namespace
}  // namespace kelvora
