#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "data/registration_lists.h"
#include "support/rows.h"

namespace kelvora {
namespace {

std::vector<std::string> Names(const RegistrationList& list) {
  std::vector<std::string> out;
  for (std::size_t r = 0; r < list.RowCount(); ++r) out.push_back(list.Cell(r, col::kName));
  return out;
}

using testing::AddRow;

TEST(CompareNamesNoCase, FoldsAsciiLettersOnlyAndPutsPrefixesFirst) {
  EXPECT_EQ(CompareNamesNoCase("abc", "ABC"), 0);
  EXPECT_LT(CompareNamesNoCase("Ab", "abc"), 0);
  EXPECT_LT(CompareNamesNoCase("_x", "Ab"), 0);         // 0x5F against the folded 0x61
  EXPECT_GT(CompareNamesNoCase("Z", "_"), 0);           // 'z' 0x7A after '_' 0x5F
  EXPECT_GT(CompareNamesNoCase("\x82\xa0", "zzz"), 0);  // bytes compare unsigned
  EXPECT_LT(CompareNamesNoCase("", "a"), 0);
  EXPECT_EQ(CompareNamesNoCase("\x82\xa0", "\x82\xa0"), 0);
  // Only ASCII letters fold: the full-width forms stay apart.
  EXPECT_NE(CompareNamesNoCase("\x82\x60", "\x82\x81"), 0);
}

TEST(RegistrationListSort, AscendingThenDescendingAndFlagFlips) {
  RegistrationList list(ListKind::Function);
  AddRow(list, "abc", "%1/a.c(1)");
  AddRow(list, "ABD", "%1/b.c(2)");
  AddRow(list, "_x", "%1/c.c(3)");
  AddRow(list, "Ab", "%1/d.c(4)");
  list.SetCell(0, col::kRealSteps, "42");
  ASSERT_EQ(list.sort_flag(), 0);

  list.Sort();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"_x", "Ab", "abc", "ABD"}));
  EXPECT_EQ(list.sort_flag(), 1);
  // Whole rows move.
  EXPECT_EQ(list.Cell(0, col::kPosition), "%1/c.c(3)");
  EXPECT_EQ(list.Cell(2, col::kPosition), "%1/a.c(1)");
  EXPECT_EQ(list.Cell(2, col::kRealSteps), "42");

  list.Sort();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"ABD", "abc", "Ab", "_x"}));
  EXPECT_EQ(list.sort_flag(), 0);
  EXPECT_EQ(list.Cell(1, col::kRealSteps), "42");
}

TEST(RegistrationListSort, EqualNamesKeepTheirOrderInBothDirections) {
  RegistrationList list(ListKind::Struct);
  AddRow(list, "node", "%1/one.h(1)");
  AddRow(list, "b");
  AddRow(list, "NODE", "%1/two.h(2)");
  AddRow(list, "a");
  AddRow(list, "Node", "%1/three.h(3)");
  list.Sort();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "node", "NODE", "Node"}));
  list.Sort();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"node", "NODE", "Node", "b", "a"}));
  EXPECT_EQ(list.Cell(0, col::kPosition), "%1/one.h(1)");
  EXPECT_EQ(list.Cell(2, col::kPosition), "%1/three.h(3)");
}

TEST(RegistrationListSort, RandomNamesFollowTheComparisonAndStayStable) {
  // Names that share long prefixes, differ only in case, hold high bytes or NUL, or are empty:
  // both directions must agree pair by pair with CompareNamesNoCase, ties in insertion order.
  const std::string alphabet("aAbB_Z\x81\x5c\xe0\x7f\0", 11);
  std::uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
  RegistrationList list(ListKind::Define);
  for (int i = 0; i < 3000; ++i) {
    std::string name = (next() % 3 == 0) ? "SHARED_PREFIX_" : "";
    for (std::size_t n = next() % 12; n > 0; --n) name += alphabet[next() % alphabet.size()];
    AddRow(list, name, std::to_string(i));
  }
  for (int direction = 0; direction < 2; ++direction) {
    list.Sort();
    for (std::size_t r = 1; r < list.RowCount(); ++r) {
      int c = CompareNamesNoCase(list.Cell(r - 1, col::kName), list.Cell(r, col::kName));
      if (direction == 0) {
        ASSERT_LE(c, 0) << r;
      } else {
        ASSERT_GE(c, 0) << r;
      }
      if (c == 0) {
        ASSERT_LT(std::stoi(list.Cell(r - 1, col::kPosition)),
                  std::stoi(list.Cell(r, col::kPosition)))
            << "equal names out of their present order at row " << r;
      }
    }
    // Restore insertion order for the second direction's stability check.
    std::vector<std::pair<int, std::string>> back;
    for (std::size_t r = 0; r < list.RowCount(); ++r)
      back.emplace_back(std::stoi(list.Cell(r, col::kPosition)), list.Cell(r, col::kName));
    std::sort(back.begin(), back.end());
    int flag = list.sort_flag();
    list.Clear();
    for (auto& [i, name] : back) AddRow(list, name, std::to_string(i));
    list.set_sort_flag(flag);
  }
}

TEST(RegistrationListSort, EmptyListStillFlipsItsFlag) {
  RegistrationList list(ListKind::Table);
  list.Sort();
  EXPECT_EQ(list.sort_flag(), 1);
  EXPECT_TRUE(list.index().empty());
}

TEST(RegistrationListRows, InsertAppendAndDelete) {
  RegistrationList list(ListKind::Define);
  AddRow(list, "last");
  EXPECT_EQ(list.InsertRow(0), 0u);
  list.SetCell(0, col::kName, "first");
  EXPECT_EQ(list.InsertRow(1), 1u);
  list.SetCell(1, col::kName, "second");
  EXPECT_EQ(list.InsertRow(99), 3u);  // past the end appends
  list.SetCell(3, col::kName, "appended");
  EXPECT_EQ(Names(list), (std::vector<std::string>{"first", "second", "last", "appended"}));

  list.DeleteRow(1);
  list.DeleteRow(10);  // no such row: nothing happens
  EXPECT_EQ(Names(list), (std::vector<std::string>{"first", "last", "appended"}));

  // Several rows at once, including a pending run of inserts; flags past the end are ignored.
  EXPECT_EQ(list.InsertRow(0), 0u);
  list.SetCell(0, col::kName, "zero");
  EXPECT_EQ(list.InsertRow(1), 1u);
  list.SetCell(1, col::kName, "one");
  list.DeleteRows({true, false, false, true, false, true, true});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"one", "first", "appended"}));
  list.DeleteRows({});
  EXPECT_EQ(list.RowCount(), 3u);
  list.Clear();
  EXPECT_TRUE(list.empty());
}

TEST(RegistrationListRows, MixedInsertsAppendsAndDeletesMatchAPlainVector) {
  RegistrationList list(ListKind::Table);
  std::vector<std::string> model;
  unsigned seed = 7;
  auto next = [&seed](unsigned bound) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % bound;
  };
  std::size_t cursor = 0;
  for (int step = 0; step < 3000; ++step) {
    std::string name = "r" + std::to_string(step);
    unsigned what = next(10);
    if (what < 5) {  // the extractors' pattern: insert at a growing index
      cursor = std::min(cursor, model.size());
      std::size_t r = list.InsertRow(cursor);
      ASSERT_EQ(r, cursor);
      list.SetCell(r, col::kName, name);
      model.insert(model.begin() + static_cast<std::ptrdiff_t>(cursor), name);
      ++cursor;
    } else if (what < 7) {
      std::size_t r = list.AppendRow();
      list.SetCell(r, col::kName, name);
      model.push_back(name);
    } else if (what < 8 && !model.empty()) {
      std::size_t r = next(static_cast<unsigned>(model.size()));
      list.DeleteRow(r);
      model.erase(model.begin() + static_cast<std::ptrdiff_t>(r));
    } else if (what < 9) {
      cursor = next(static_cast<unsigned>(model.size() + 1));
    } else if (!model.empty()) {
      std::size_t r = next(static_cast<unsigned>(model.size()));
      list.SetCell(r, col::kComment, name);
      ASSERT_EQ(list.Cell(r, col::kComment), name);
    }
    ASSERT_EQ(list.RowCount(), model.size());
  }
  EXPECT_EQ(Names(list), model);
  list.Sort();
  std::stable_sort(model.begin(), model.end(), [](const std::string& a, const std::string& b) {
    return CompareNamesNoCase(a, b) < 0;
  });
  EXPECT_EQ(Names(list), model);
}

TEST(RegistrationListCells, ColumnsOutsideTheLayoutAndMissingRowsReadEmpty) {
  RegistrationList files(ListKind::File);
  std::size_t r = files.AppendRow();
  files.SetCell(r, col::kComment, "no such column in FileList");
  files.SetCell(r, col::kMarker, ".h");
  files.SetCell(5, col::kName, "no such row");
  EXPECT_EQ(files.Cell(r, col::kComment), "");
  EXPECT_EQ(files.Cell(r, col::kMarker), ".h");
  EXPECT_EQ(files.CellText(7, col::kName), "");
  EXPECT_EQ(files.Cell(r, -1), "");
  EXPECT_EQ(files.RowCount(), 1u);
}

TEST(RegistrationListCells, ReadersGetAtMost511BytesWithoutHalfCharacters) {
  RegistrationList list(ListKind::Function);
  std::size_t r = list.AppendRow();

  list.SetCell(r, col::kName, std::string(600, 'n'));
  EXPECT_EQ(list.CellText(r, col::kName), std::string(511, 'n'));
  EXPECT_EQ(list.Cell(r, col::kName).size(), 600u);  // stored whole

  // CP932: a double-byte character whose lead byte would be byte 511 is left out entirely.
  std::string cp932 = std::string(510, 'a');
  for (int i = 0; i < 20; ++i) cp932 += "\x95\x5c";  // 表, trail byte 0x5C
  list.SetCell(r, col::kComment, cp932);
  EXPECT_EQ(list.CellText(r, col::kComment), std::string(510, 'a'));

  std::string odd = std::string(509, 'a');
  for (int i = 0; i < 20; ++i) odd += "\x95\x5c";
  list.SetCell(r, col::kComment, odd);
  EXPECT_EQ(list.CellText(r, col::kComment), std::string(509, 'a') + "\x95\x5c");

  // A pair whose trail byte lies in the lead range is still one character.
  std::string pairs;
  for (int i = 0; i < 300; ++i) pairs += "\x88\x9f";  // 亜: both bytes in the lead range
  list.SetCell(r, col::kComment, pairs);
  EXPECT_EQ(list.CellText(r, col::kComment), pairs.substr(0, 510));

  // A UTF-8 file name (as the file system gives it) is cut at a character boundary.
  std::string utf8;
  for (int i = 0; i < 200; ++i) utf8 += "\xe3\x81\x82";  // あ
  list.SetCell(r, col::kPosition, utf8);
  EXPECT_EQ(list.CellText(r, col::kPosition), utf8.substr(0, 510));

  // NUL bytes are data like any other.
  list.SetCell(r, col::kName, std::string("a\0b", 3));
  EXPECT_EQ(list.CellText(r, col::kName), std::string("a\0b", 3));
}

TEST(RegistrationListIndex, OneEntryPerCharacterRunAndOneOtherEntry) {
  RegistrationList list(ListKind::Function);
  for (const char* name :
       {"zz", "\x82\xa0kana", "abc", "1x", "\xb1half", "Abd", "b1", "_x", "\x81\x40", "ABE"}) {
    AddRow(list, name);
  }
  list.Sort();
  ASSERT_EQ(Names(list), (std::vector<std::string>{"1x", "_x", "abc", "Abd", "ABE", "b1", "zz",
                                                   "\x81\x40", "\x82\xa0kana", "\xb1half"}));
  const auto& index = list.index();
  ASSERT_EQ(index.size(), 6u);
  EXPECT_EQ(index[0].first, '1');
  EXPECT_EQ(index[0].row, 0u);
  EXPECT_EQ(index[1].first, '_');
  EXPECT_EQ(index[1].row, 1u);
  EXPECT_EQ(index[2].first, 'a');  // abc, Abd, ABE are one group
  EXPECT_EQ(index[2].row, 2u);
  EXPECT_EQ(index[3].first, 'b');
  EXPECT_EQ(index[3].row, 5u);
  EXPECT_EQ(index[4].first, 'z');
  EXPECT_EQ(index[4].row, 6u);
  EXPECT_EQ(index[5].first, 0x81);  // the only "other" entry
  EXPECT_EQ(index[5].row, 7u);

  // Descending: the other entry comes first, and letter groups start at their first row.
  list.Sort();
  ASSERT_EQ(list.index().size(), 6u);
  EXPECT_EQ(list.index()[0].first, 0xb1);
  EXPECT_EQ(list.index()[0].row, 0u);
  EXPECT_EQ(list.index()[3].first, 'A');  // ABE is first of its group now
  EXPECT_EQ(list.index()[3].row, 5u);
}

TEST(RegistrationListIndex, DoubleByteNamesGiveOneEntryAndTableIsCapped) {
  RegistrationList kanji(ListKind::Struct);
  AddRow(kanji, "\x8a\xbf");
  AddRow(kanji, "\x95\x5c");
  AddRow(kanji, "\x88\x9f");
  kanji.Sort();
  ASSERT_EQ(kanji.index().size(), 1u);
  EXPECT_EQ(kanji.index()[0].row, 0u);

  // A table rebuilt on an unsorted order never grows past 100 entries.
  RegistrationList mixed(ListKind::Define);
  for (int i = 0; i < 300; ++i) AddRow(mixed, i % 2 ? "alpha" : "beta");
  mixed.RebuildIndex();
  EXPECT_EQ(mixed.index().size(), kIndexMaxEntries);
  EXPECT_EQ(mixed.index().back().row, 99u);
}

TEST(ListLayout, ColumnsLabelsAndTooltips) {
  EXPECT_EQ(Columns(ListKind::Function).size(), 6u);
  EXPECT_EQ(Columns(ListKind::Function)[0].header, "関数名");
  EXPECT_EQ(Columns(ListKind::Function)[5].header, "実ステップ数");
  EXPECT_EQ(Columns(ListKind::Table)[0].header, "テーブル");
  EXPECT_EQ(Columns(ListKind::Table).size(), 4u);
  EXPECT_EQ(Columns(ListKind::File).size(), 3u);
  EXPECT_EQ(Columns(ListKind::File)[1].width, 140);
  EXPECT_EQ(Columns(ListKind::File)[2].header, "種別");
  EXPECT_EQ(RegistrationList(ListKind::Struct).column_count(), 4);

  EXPECT_EQ(CountLabel(ListKind::Define, 12), "◆#define 登録数：12");
  EXPECT_EQ(CountLabel(ListKind::Table, 0), "◆ﾃｰﾌﾞﾙ 登録数：0");
  EXPECT_EQ(CountTooltip(ListKind::File, 3), "ﾌｧｲﾙを検索（登録数：3）");
  EXPECT_EQ(CountTooltip(ListKind::Function, 500000), "関数を検索（登録数：500000）");
}

}  // namespace
}  // namespace kelvora
