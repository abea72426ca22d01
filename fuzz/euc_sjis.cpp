// EUC-JP to Shift-JIS line conversion. A JIS X 0208 pair must come out as iconv's Shift-JIS
// form of the same character, a half-width katakana as its single byte, and every other byte
// unchanged and in its place; the line never grows.
#include <iconv.h>

#include "fuzz_support.h"
#include "text/source_clean.h"

using namespace kelvora;

namespace {

// iconv's Shift-JIS bytes of one EUC-JP pair; empty when iconv has no mapping for it.
std::string IconvPair(unsigned char b1, unsigned char b2) {
  static iconv_t cd = iconv_open("SHIFT_JIS", "EUC-JP");
  FUZZ_CHECK(cd != reinterpret_cast<iconv_t>(-1));
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in[2] = {static_cast<char>(b1), static_cast<char>(b2)};
  char out[8];
  char* src = in;
  char* dst = out;
  std::size_t in_left = 2, out_left = sizeof out;
  if (iconv(cd, &src, &in_left, &dst, &out_left) == static_cast<std::size_t>(-1)) return {};
  return std::string(out, dst);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line = fuzz::AsText(data, size);
  const std::string sjis = ConvertEucToSjis(line);
  FUZZ_CHECK(sjis.size() <= line.size());

  std::size_t i = 0, o = 0;
  while (i < line.size()) {
    const unsigned char b = data[i];
    const bool has_next = i + 1 < size;
    const unsigned char n = has_next ? data[i + 1] : 0;
    if (b == 0x8E && has_next && n >= 0xA1 && n <= 0xDF) {
      FUZZ_CHECK(o < sjis.size() && static_cast<unsigned char>(sjis[o]) == n);
      i += 2;
      o += 1;
    } else if (b >= 0xA1 && b <= 0xFE && n >= 0xA1 && n <= 0xFE) {
      FUZZ_CHECK(o + 2 <= sjis.size());
      const std::string expected = IconvPair(b, n);
      if (expected.size() == 2) FUZZ_CHECK(sjis.compare(o, 2, expected) == 0);
      i += 2;
      o += 2;
    } else {
      FUZZ_CHECK(o < sjis.size() && sjis[o] == line[i]);
      i += 1;
      o += 1;
    }
  }
  FUZZ_CHECK(o == sjis.size());
  return 0;
}
