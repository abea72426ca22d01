// The background pattern table the settings sheet previews and the pattern window lists.
#include "settings/background_pattern_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kelvora {
namespace {

TEST(BackgroundPatterns, NinetyFiveEntriesInListOrder) {
  const auto& entries = BackgroundPatternEntries();
  ASSERT_EQ(95u, entries.size());
  EXPECT_EQ("ﾄﾞｯﾄ　赤", entries[0].name);
  EXPECT_EQ("ﾊｰﾄ　赤", entries[72].name);
  EXPECT_EQ("", entries[72].remark);
  EXPECT_EQ("ﾄﾞｯﾄ　白-灰", entries[73].name);
  EXPECT_EQ("XPｽﾀｲﾙ-manifest用", entries[73].remark);
  EXPECT_EQ("ﾀﾞｲﾔ　白-赤", entries[89].name);
  EXPECT_EQ("XPｽﾀｲﾙ-manifest用(半透明化必須?!)", entries[89].remark);
  EXPECT_EQ("XPｽﾀｲﾙ-manifest用(半透明化必須?!)", entries[92].remark);  // "ﾀﾞｲﾔ　白-紫"
  EXPECT_EQ("XPｽﾀｲﾙ-manifest用", entries[88].remark);                  // "ﾀﾞｲﾔ　白-灰"
  EXPECT_EQ("ﾊｰﾄ　白-灰", entries[94].name);
  std::set<std::string> names;
  for (const auto& e : entries) names.insert(e.name);
  EXPECT_EQ(95u, names.size());
}

}  // namespace
}  // namespace kelvora
