// The 95 background bitmap patterns: names and remarks in list order (stored values 6..100).
#pragma once

#include <string>
#include <vector>

namespace kelvora {

struct BackgroundPatternEntry {
  std::string name;    // "ﾄﾞｯﾄ　赤", UTF-8
  std::string remark;  // "" or "XPｽﾀｲﾙ-manifest用..."
};

// All 95 entries: 73 one-colour patterns, then 22 two-colour ones.
const std::vector<BackgroundPatternEntry>& BackgroundPatternEntries();

}  // namespace kelvora
