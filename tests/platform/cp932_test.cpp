#include "platform/cp932.h"

#include <gtest/gtest.h>

namespace kelvora {
namespace {

TEST(Cp932, RoundTripsCharactersThatNeedCp932) {
  // 表 and ソ end in 0x5C; ① 髙 ～ exist only in the Windows extensions.
  struct Case {
    const char* utf8;
    std::string cp932;
  };
  const Case cases[] = {
      {"表", "\x95\x5C"}, {"ソ", "\x83\x5C"}, {"①", "\x87\x40"},  {"髙", "\xFB\xFC"},
      {"～", "\x81\x60"}, {"a\\b~", "a\\b~"}, {"ｱｲ", "\xB1\xB2"}, {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.utf8;
  }
  std::string mixed = "表示ソース①髙～\\end";
  EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932(mixed)), mixed);
}

TEST(Cp932, InvalidBytesBecomeReplacementAndKeepTheRest) {
  const std::string fffd = "\xEF\xBF\xBD";
  // 0xFF is never valid; a lead byte followed by a blank is a broken character, the blank stays.
  EXPECT_EQ(Cp932ToUtf8("a\xFF"
                        "b"),
            "a" + fffd + "b");
  EXPECT_EQ(Cp932ToUtf8("\x81 x"), fffd + " x");
  // A lone lead byte at the very end.
  EXPECT_EQ(Cp932ToUtf8("\x95\x5C\x95"), "表" + fffd);
  // An unassigned double-byte code is one replacement, not two.
  EXPECT_EQ(Cp932ToUtf8("\x85\x40"
                        "z"),
            fffd + "z");
  // NUL bytes are data.
  EXPECT_EQ(Cp932ToUtf8(std::string("a\0\x95\x5C", 4)), std::string("a\0表", 5));
}

TEST(Cp932, Utf8WithoutCp932FormBecomesQuestionMark) {
  EXPECT_EQ(Utf8ToCp932("a😀b"), "a?b");
  EXPECT_EQ(Utf8ToCp932("x\xC3(y"), "x?(y");  // broken UTF-8 input
  EXPECT_EQ(Utf8ToCp932("表\xE3\x81"), "\x95\x5C?");
}

TEST(Cp932, Utf8Validity) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("日本語.c"));
  EXPECT_FALSE(IsValidUtf8("\x95\x5C"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE6\x97"));          // cut short
}

TEST(Cp932, ToDisplayKeepsUtf8AndConvertsCp932) {
  EXPECT_EQ(ToDisplay("/home/user/日本語/main.c"), "/home/user/日本語/main.c");
  EXPECT_EQ(ToDisplay(Utf8ToCp932("関数名")), "関数名");
}

TEST(Cp932, SafeCutNeverSplitsADoubleByteCharacter) {
  std::string text = "a" + Utf8ToCp932("表ソ") + "b";  // a 95 5C 83 5C b
  EXPECT_EQ(Cp932SafeCut(text, 0), 0u);
  EXPECT_EQ(Cp932SafeCut(text, 1), 1u);
  EXPECT_EQ(Cp932SafeCut(text, 2), 1u);
  EXPECT_EQ(Cp932SafeCut(text, 3), 3u);
  EXPECT_EQ(Cp932SafeCut(text, 4), 3u);
  EXPECT_EQ(Cp932SafeCut(text, 5), 5u);
  EXPECT_EQ(Cp932SafeCut(text, 100), text.size());
  // A second byte that looks like a lead byte is still a second byte.
  std::string two = "\x81\x81\x81\x81";  // two characters 0x8181
  EXPECT_EQ(Cp932SafeCut(two, 3), 2u);
  // A lone lead byte at the end counts as one byte.
  EXPECT_EQ(Cp932SafeCut("ab\x95", 3), 3u);
}

// Every lead byte of the encoding keeps its second byte with it, 0x5C included: 0x81-0x9F and
// 0xE0-0xFC, so the user-defined rows (0xF0-0xF9) and the IBM extensions (0xFA-0xFC) too.
TEST(Cp932, EveryLeadByteAndNoOtherKeepsItsSecondByte) {
  for (int b = 0; b < 256; ++b) {
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    const std::string text{static_cast<char>(b), '\x5C', 'x'};
    EXPECT_EQ(Cp932SafeCut(text, 1), lead ? 0u : 1u) << "byte " << b;
    EXPECT_EQ(IsCp932LeadByte(static_cast<unsigned char>(b)), lead) << "byte " << b;
  }
  EXPECT_EQ(Cp932SafeCut(Utf8ToCp932("髙") + "\xFA\x5C", 3), 2u);
}

}  // namespace
}  // namespace kelvora
