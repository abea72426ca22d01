#include "lookup/word_history.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "settings/settings.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

class WordHistoryTest : public ::testing::Test {
 protected:
  WordHistoryTest() : store(dir.str() + "/Kelvora.ini", dir.str() + "/registry.ini") {}
  std::string Str(int n) { return store.ReadString("ComboHistory", "str" + std::to_string(n)); }

  testing::TempDir dir;
  SettingsStore store;
};

TEST_F(WordHistoryTest, AddSkipsEmptyLongAndKnownWords) {
  WordHistory h;
  EXPECT_FALSE(h.Add(""));
  EXPECT_FALSE(h.Add(std::string(50, 'x')));
  EXPECT_TRUE(h.Add(std::string(49, 'x')));
  EXPECT_TRUE(h.Add("Init"));
  EXPECT_FALSE(h.Add("INIT"));
  EXPECT_TRUE(h.Add(Utf8ToCp932("ＡＢ")));
  EXPECT_FALSE(h.Add(Utf8ToCp932("ａｂ")));
  EXPECT_EQ(h.dropdown().size(), 3u);
  EXPECT_EQ(h.next_slot(), 3u);
}

TEST_F(WordHistoryTest, RingWrapsAndDropDownKeepsTwenty) {
  WordHistory h;
  for (int i = 1; i <= 23; ++i) ASSERT_TRUE(h.Add("w" + std::to_string(i)));
  EXPECT_EQ(h.next_slot(), 3u);
  EXPECT_EQ(h.slots()[0], "w21");
  EXPECT_EQ(h.slots()[3], "w4");
  ASSERT_EQ(h.dropdown().size(), 20u);
  EXPECT_EQ(h.dropdown().front(), "w4");
  EXPECT_EQ(h.dropdown().back(), "w23");
  EXPECT_TRUE(h.Add("w1"));  // dropped from the ring, so new again

  h.Save(store);
  for (int n = 1; n <= 19; ++n) EXPECT_EQ(Str(n), "w" + std::to_string(n + 4)) << n;
  EXPECT_EQ(Str(20), "w1");
}

TEST_F(WordHistoryTest, LoadSkipsLongEntriesAndStopsAtTheFirstEmpty) {
  store.WriteString("ComboHistory", "str1", "alpha");
  store.WriteString("ComboHistory", "str2", std::string(50, 'L'));
  store.WriteString("ComboHistory", "str3", "gamma");
  store.WriteString("ComboHistory", "str5", "never read");
  WordHistory h;
  h.Load(store);
  EXPECT_EQ(h.dropdown(), (std::vector<std::string>{"alpha", "gamma"}));
  EXPECT_EQ(h.next_slot(), 3u);
  EXPECT_EQ(h.slots()[1], "");
  EXPECT_EQ(h.slots()[2], "gamma");

  h.Add("delta");
  h.Save(store);
  EXPECT_EQ(Str(1), "alpha");
  EXPECT_EQ(Str(2), "gamma");
  EXPECT_EQ(Str(3), "delta");
  EXPECT_EQ(Str(4), "");  // the stale entries behind are emptied
  EXPECT_EQ(Str(5), "");

  WordHistory again;
  again.Load(store);
  EXPECT_EQ(again.dropdown(), (std::vector<std::string>{"alpha", "gamma", "delta"}));
}

TEST_F(WordHistoryTest, FullHistoryRoundTripsOldestFirst) {
  for (int n = 1; n <= 20; ++n)
    store.WriteString("ComboHistory", "str" + std::to_string(n), "s" + std::to_string(n));
  WordHistory h;
  h.Load(store);
  EXPECT_EQ(h.next_slot(), 0u);
  EXPECT_EQ(h.dropdown().size(), 20u);
  h.Add("new");
  EXPECT_EQ(h.slots()[0], "new");
  EXPECT_EQ(h.dropdown().front(), "s2");
  h.Save(store);
  EXPECT_EQ(Str(1), "s2");
  EXPECT_EQ(Str(19), "s20");
  EXPECT_EQ(Str(20), "new");
}

}  // namespace
}  // namespace kelvora
