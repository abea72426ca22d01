#include "data/list_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "data/registration_lists.h"

namespace kelvora {
namespace {

// Names built to tie on the key's eight bytes at every depth: shared prefixes of 0, 7, 8, 9 and
// 17 bytes, case-folded duplicates, high bytes, NUL and bytes around the letters ('@', '[', '`',
// '{'), names ending on and just past an eight-byte boundary.
std::vector<std::string> TrickyNames(std::size_t count, std::uint32_t seed) {
  const std::string alphabet("aAzZ_@[`{\x81\x5c\xe0\x7f\xff\0", 15);
  const char* const prefixes[] = {"", "PREFIX_", "PREFIX_X", "prefix_x_", "MC_CMD_GET_CAPS_OUT"};
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
  std::vector<std::string> names;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0 && next() % 5 == 0) {
      // An earlier name again, in another case.
      std::string again = names[next() % names.size()];
      for (char& c : again)
        if (next() % 2)
          c = static_cast<char>(c ^ ((c | 0x20) >= 'a' && (c | 0x20) <= 'z' ? 0x20 : 0));
      names.push_back(again);
      continue;
    }
    std::string name = prefixes[next() % 5];
    for (std::size_t n = next() % 11; n > 0; --n) name += alphabet[next() % alphabet.size()];
    names.push_back(name);
  }
  return names;
}

// The order a stable sort gives by the list's name comparison.
std::vector<std::size_t> ReferenceOrder(const std::vector<std::string>& names, bool descending) {
  std::vector<std::size_t> order(names.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const int c = CompareNamesNoCase(names[a], names[b]);
    return descending ? c > 0 : c < 0;
  });
  return order;
}

TEST(ListSort, MatchesAStableSortInBothDirectionsOnOneAndTwoThreads) {
  for (std::size_t count : {0u, 1u, 2u, 7u, 5000u}) {
    const std::vector<std::string> names =
        TrickyNames(count, 7u + static_cast<std::uint32_t>(count));
    for (bool descending : {false, true}) {
      const std::vector<std::size_t> want = ReferenceOrder(names, descending);
      // 2 splits every table of two rows or more, as large lists are split.
      for (std::size_t parallel_from : {std::size_t{2}, kNameSortParallelRows}) {
        std::vector<std::size_t> refs(names.size());
        std::iota(refs.begin(), refs.end(), 0);
        SortRefsByName(
            refs, descending, [&](std::size_t r) -> std::string_view { return names[r]; },
            parallel_from);
        ASSERT_EQ(refs, want) << count << " names, descending " << descending << ", parallel from "
                              << parallel_from;
      }
    }
  }
}

TEST(ListSort, SplitsEvenWhenOneKeyHoldsMostRows) {
  // Most names share their first eight bytes, so the split key holds most rows: the tying run
  // must stay whole on one side.
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i)
    names.push_back(i % 10 == 0 ? "a" + std::to_string(i) : "SAME_KEY" + std::to_string(i % 97));
  for (bool descending : {false, true}) {
    std::vector<std::size_t> refs(names.size());
    std::iota(refs.begin(), refs.end(), 0);
    SortRefsByName(
        refs, descending, [&](std::size_t r) -> std::string_view { return names[r]; }, 2);
    EXPECT_EQ(refs, ReferenceOrder(names, descending));
  }
}

TEST(ListSort, AListOfManyRowsSortsLikeTheReferenceAndKeepsItsCells) {
  // Above the size from which the list sorts on two threads.
  const std::vector<std::string> names = TrickyNames(kNameSortParallelRows + 1000, 99);
  RegistrationList list(ListKind::Define);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string position = std::to_string(i);
    const std::string_view cells[] = {names[i], position};
    list.AppendRow(cells);
  }
  for (bool descending : {false, true}) {
    // The list sorts from insertion order each time.
    RegistrationList copy = list;
    copy.set_sort_flag(descending ? 1 : 0);
    copy.Sort();
    const std::vector<std::size_t> want = ReferenceOrder(names, descending);
    for (std::size_t r = 0; r < want.size(); ++r)
      ASSERT_EQ(copy.Cell(r, col::kPosition), std::to_string(want[r])) << r;
  }
}

}  // namespace
}  // namespace kelvora
