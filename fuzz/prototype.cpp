// Name and comment of a prototype line. The name and the comment are pieces of the line, the
// result codes are the documented ones, and a line over 512 bytes is never read.
#include "analysis/definitions.h"
#include "fuzz_support.h"

using namespace kelvora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const RegexService regex;
  static const DefinitionPatterns defs(regex, {});
  FUZZ_CHECK(defs.ok());
  const std::string_view line = fuzz::AsText(data, size);
  std::string name, comment;
  const int r = ParsePrototypeLine(line, regex, defs, name, comment);
  FUZZ_CHECK(r >= -2 && r <= 2);
  FUZZ_CHECK((r == -2) == (size > RegexService::kExtractLimit));
  if (r == 0 || r == 2) {
    FUZZ_CHECK(!name.empty());
    FUZZ_CHECK(line.find(name) != std::string_view::npos);
  }
  if (r == 0) {
    FUZZ_CHECK(!comment.empty());
    FUZZ_CHECK(line.find(comment) != std::string_view::npos);
  }
  std::string name2, comment2;
  FUZZ_CHECK(ParsePrototypeLine(line, regex, name2, comment2) == r);
  FUZZ_CHECK(name2 == name && comment2 == comment);
  return 0;
}
