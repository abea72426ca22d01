// CP932 and UTF-8 conversion. Whatever the bytes, the UTF-8 side is well-formed; text that
// converted without a replacement character survives the way back and forth; cuts never grow.
#include "platform/cp932.h"
#include "fuzz_support.h"

using namespace kelvora;

namespace {
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::AsText(data, size);

  // Bytes read as CP932.
  const std::string utf8 = Cp932ToUtf8(bytes);
  FUZZ_CHECK(IsValidUtf8(utf8));
  if (utf8.find(kReplacement) == std::string::npos) {
    const std::string back = Utf8ToCp932(utf8);
    FUZZ_CHECK(back.find('?') == std::string::npos || bytes.find('?') != std::string_view::npos);
    FUZZ_CHECK(Cp932ToUtf8(back) == utf8);
  }
  FUZZ_CHECK(IsValidUtf8(ToDisplay(bytes)));
  if (IsValidUtf8(bytes)) FUZZ_CHECK(ToDisplay(bytes) == bytes);

  // Bytes read as UTF-8: a character CP932 has comes back unchanged.
  const std::string cp932 = Utf8ToCp932(bytes);
  if (IsValidUtf8(bytes) && cp932.find('?') == std::string::npos) {
    const std::string again = Cp932ToUtf8(cp932);
    FUZZ_CHECK(IsValidUtf8(again));
    FUZZ_CHECK(Utf8ToCp932(again) == cp932);
  }

  // Cuts: never longer than asked, at most one byte short of it.
  for (std::size_t max : {std::size_t{0}, std::size_t{1}, size / 2, size > 0 ? size - 1 : 0,
                          std::size_t{300}, std::size_t{511}}) {
    const std::size_t cut = Cp932SafeCut(bytes, max);
    FUZZ_CHECK(cut <= std::min(max, size));
    FUZZ_CHECK(cut + 1 >= std::min(max, size));
  }
  return 0;
}
