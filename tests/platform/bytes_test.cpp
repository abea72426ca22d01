// The byte helpers against the C library's "C" locale for every byte value.
#include "platform/bytes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace kelvora {
namespace {

TEST(Bytes, FoldAsciiAndWordStartEqualTheCLocaleOnEveryByte) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const auto c = static_cast<unsigned char>(b);
    const bool ascii = b < 128;
    EXPECT_EQ(FoldAscii(c), ascii ? static_cast<unsigned char>(std::tolower(b)) : c);
    EXPECT_EQ(IsWordStartByte(static_cast<char>(c)), ascii && (std::isalpha(b) != 0 || b == '_'));
    const std::string upper(1, static_cast<char>(ascii ? std::toupper(b) : b));
    EXPECT_TRUE(EqualsIgnoringAsciiCase(upper, std::string(1, static_cast<char>(c))));
  }
}

}  // namespace
}  // namespace kelvora
