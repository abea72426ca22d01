// The hand-written recognisers of the fixed analysis patterns against the regex engine. Input:
// the first byte chooses the pattern, the rest is the subject; both searches must agree on
// whether it matches and on the span of the match.
#include "text/line_matchers.h"
#include "analysis/analysis_passes.h"
#include "analysis/definitions_patterns.h"
#include "fuzz_support.h"

#include <vector>

using namespace kelvora;

namespace {

struct Pair {
  Regex engine;
  Regex fast;
};

std::vector<Pair> MakePairs() {
  const std::vector<std::string> texts = AnalysisPatternTexts();
  std::vector<Pair> pairs(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    FUZZ_CHECK(RecogniserFor(texts[i]) != nullptr);
    FUZZ_CHECK(pairs[i].engine.Compile(texts[i], true) && pairs[i].fast.Compile(texts[i]));
  }
  return pairs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<Pair> pairs = MakePairs();
  if (size == 0) return 0;
  const Pair& p = pairs[data[0] % pairs.size()];
  const std::string_view subject = fuzz::AsText(data + 1, size - 1);
  MatchSpan a, b;
  const bool engine = p.engine.Search(subject, a);
  const bool fast = p.fast.Search(subject, b);
  FUZZ_CHECK(engine == fast);
  FUZZ_CHECK(engine == p.fast.Matches(subject));
  FUZZ_CHECK(!engine || (a.pos == b.pos && a.len == b.len));
  return 0;
}
