#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "data/registration_lists.h"
#include "data/row_arena.h"

namespace kelvora {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// Cells whose lengths sit on the encoding's edges: empty, one length byte, two, three, and one
// larger than a chunk.
const std::vector<std::string>& EdgeCells() {
  static const std::vector<std::string> cells = {
      "",
      "x",
      std::string(127, 'a'),
      std::string(128, 'b'),
      std::string(16383, 'c'),
      std::string(16384, 'd'),
      std::string("nul\0inside", 10),
      std::string((1u << 20) + 3, 'e'),
      // Positions, kept compact in the position column when they read back byte for byte.
      "(0)",
      "%1/x(y)/z.h(12345)",
      "p(18446744073709551615)",
      "p(18446744073709551616)",
      "p(01)",
      "p(1)x",
      std::string("nul\0(1)", 7),
  };
  return cells;
}

TEST(RowArena, EveryCellReadsBackAfterReplacementsMovesAndCompaction) {
  const auto& edge = EdgeCells();
  RowArena arena(4, 1);
  std::vector<RowArena::RowRef> refs;
  Rows model;
  // Every edge cell in every column, next to empty and short neighbours.
  for (std::size_t i = 0; i < edge.size(); ++i) {
    for (int column = 0; column < 4; ++column) {
      std::vector<std::string> row(4, std::string(i % 3, 'n'));
      row[static_cast<std::size_t>(column)] = edge[i];
      std::vector<std::string_view> views(row.begin(), row.end());
      refs.push_back(arena.Add(views));
      model.push_back(row);
    }
  }
  // Growing, shrinking and equal replacements of the newest row, an older row and a row whose
  // new text lies in the arena itself.
  struct Change {
    std::size_t row;
    int column;
    std::string text;
  };
  const std::size_t last = refs.size() - 1;
  const std::vector<Change> changes = {
      {last, 0, "grown in place" + std::string(300, 'g')},
      {last, 0, "shrunk"},
      {last, 3, std::string(2u << 20, 'h')},
      {0, 1, std::string(200, 'o')},
      {0, 1, ""},
      {5, 2, edge[4]},
      {5, 2, edge[4]},
      {9, 0, "tail"},
  };
  for (const Change& c : changes) {
    refs[c.row] = arena.Replace(refs[c.row], c.column, c.text);
    model[c.row][static_cast<std::size_t>(c.column)] = c.text;
  }
  const std::string copied(arena.Cell(refs[3], 0));
  refs[7] = arena.Replace(refs[7], 2, arena.Cell(refs[3], 0));
  model[7][2] = copied;

  auto expect_model = [&](const char* when) {
    ASSERT_EQ(refs.size(), model.size());
    for (std::size_t r = 0; r < refs.size(); ++r)
      for (int c = 0; c < 4; ++c)
        ASSERT_EQ(arena.Cell(refs[r], c), model[r][static_cast<std::size_t>(c)])
            << when << " row " << r << " column " << c;
  };
  expect_model("after changes");
  EXPECT_GT(arena.wasted_bytes(), 0u);

  // Compaction in reverse order keeps every cell and drops the waste.
  std::reverse(refs.begin(), refs.end());
  std::reverse(model.begin(), model.end());
  arena.Compact(refs);
  expect_model("after compaction");
  EXPECT_EQ(arena.wasted_bytes(), 0u);

  arena.Clear();
  EXPECT_EQ(arena.used_bytes(), 0u);
  RowArena::RowRef empty = arena.Add({});
  for (int c = 0; c < 4; ++c) EXPECT_EQ(arena.Cell(empty, c), "");
}

// A list driven by random appends, inserts, cell changes and deletions, sorted both ways,
// against plain vectors of strings sorted stably by the same comparison.
TEST(RegistrationListStore, MatchesAVectorOfStringsThroughChangesAndSorts) {
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t bound) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % bound;
  };
  // Few distinct names differing in case and length, so equal names are common; names share
  // their first eight bytes so the comparison goes past them.
  const std::vector<std::string> names = {"",
                                          "a",
                                          "A",
                                          "_x",
                                          "longprefix_a",
                                          "LONGPREFIX_A",
                                          "longprefix_b",
                                          "longprefix",
                                          "\x82\xa0",
                                          "longprefix_a\x82\xa0"};
  // Positions of every form: shared and odd paths, lines with leading zeros or past 64 bits,
  // text after the ")", no "(" or ")".
  const std::vector<std::string> paths = {
      "%1/drivers/net/a.h", "%12/x(y)/z).c", "", "%n/", "\x82\xa0/\xe6\x97\xa5.h", "a(",
      std::string(600, 'p')};
  const std::vector<std::string> lines = {
      "0", "00", "007", "1", "18446744073709551615", "18446744073709551616", "", "-1", "1a"};
  const std::vector<std::string> closes = {")", ")", ")", ")x", "", "))"};
  auto random_text = [&]() -> std::string {
    switch (next(8)) {
      case 0:
        return "";
      case 1:
        return std::string(next(3000), static_cast<char>('a' + next(26)));
      case 2:
      case 3:
      case 4:
        return paths[next(static_cast<std::uint32_t>(paths.size()))] + "(" +
               (next(2) ? lines[next(static_cast<std::uint32_t>(lines.size()))]
                        : std::to_string(next(100000))) +
               closes[next(static_cast<std::uint32_t>(closes.size()))];
      default:
        return "t" + std::to_string(next(100000));
    }
  };

  RegistrationList list(ListKind::Function);
  const int columns = list.column_count();
  Rows model;
  std::size_t cursor = 0;
  bool compacted = false;
  auto all_rows = [&columns](const RegistrationList& from) {
    Rows rows(from.RowCount());
    for (std::size_t r = 0; r < rows.size(); ++r)
      for (int c = 0; c < columns; ++c) rows[r].emplace_back(from.Cell(r, c));
    return rows;
  };
  auto sort_model = [&](bool descending) {
    std::stable_sort(model.begin(), model.end(), [&](const auto& a, const auto& b) {
      const int c = CompareNamesNoCase(a[0], b[0]);
      return descending ? c > 0 : c < 0;
    });
  };

  for (int round = 0; round < 4; ++round) {
    for (int step = 0; step < 3000; ++step) {
      const std::uint32_t what = next(12);
      std::vector<std::string> row(static_cast<std::size_t>(columns));
      row[0] = names[next(static_cast<std::uint32_t>(names.size()))];
      for (int c = 1; c < columns; ++c) row[static_cast<std::size_t>(c)] = random_text();
      if (what < 4) {  // the extractors' pattern: insert at a growing index, then fill in
        cursor = std::min(cursor, model.size());
        const std::size_t r = list.InsertRow(cursor);
        for (int c = 0; c < columns; ++c) list.SetCell(r, c, row[static_cast<std::size_t>(c)]);
        model.insert(model.begin() + static_cast<std::ptrdiff_t>(cursor++), row);
      } else if (what < 7) {
        std::vector<std::string_view> views(row.begin(), row.end());
        views.resize(next(static_cast<std::uint32_t>(columns) + 1));  // missing cells read empty
        for (std::size_t c = views.size(); c < row.size(); ++c) row[c].clear();
        list.AppendRow(views);
        model.push_back(row);
      } else if (what < 10 && !model.empty()) {
        const std::size_t r = next(static_cast<std::uint32_t>(model.size()));
        const int c = static_cast<int>(next(static_cast<std::uint32_t>(columns)));
        list.SetCell(r, c, row[static_cast<std::size_t>(c)]);
        model[r][static_cast<std::size_t>(c)] = row[static_cast<std::size_t>(c)];
      } else if (what < 11 && !model.empty()) {
        const std::size_t r = next(static_cast<std::uint32_t>(model.size()));
        list.DeleteRow(r);
        model.erase(model.begin() + static_cast<std::ptrdiff_t>(r));
      } else {
        cursor = next(static_cast<std::uint32_t>(model.size() + 1));
      }
    }
    ASSERT_EQ(all_rows(list), model) << "round " << round;

    // Deleting two thirds of the rows at once compacts the store when they took enough room.
    std::vector<bool> doomed(model.size() + 5);
    Rows kept;
    for (std::size_t r = 0; r < model.size(); ++r) {
      doomed[r] = next(3) != 0;
      if (!doomed[r]) kept.push_back(model[r]);
    }
    const std::size_t stored = list.StoredBytes();
    list.DeleteRows(doomed);
    compacted = compacted || list.StoredBytes() < stored;
    model = kept;
    ASSERT_EQ(all_rows(list), model) << "round " << round << " after DeleteRows";

    // The 511-byte reader view of an ASCII cell is its first 511 bytes, in copies too.
    for (std::size_t r = 0; r < model.size(); ++r) {
      for (int c = 0; c < columns; ++c) {
        const std::string& cell = model[r][static_cast<std::size_t>(c)];
        if (!std::all_of(cell.begin(), cell.end(), [](char b) { return b > 0; })) continue;
        const CellView view = list.CellTextView(r, c);
        const CellView copied = view;
        ASSERT_EQ(copied, cell.substr(0, kCellReadLimit)) << "row " << r << " column " << c;
      }
    }

    const bool descending = list.sort_flag() == 1;
    list.Sort();
    sort_model(descending);
    ASSERT_EQ(all_rows(list), model) << "round " << round << " after sorting";

    // A copy has its own rows and paths: a new path in it leaves the original alone.
    RegistrationList copy = list;
    ASSERT_EQ(all_rows(copy), model);
    if (!model.empty()) copy.SetCell(0, col::kPosition, "new" + std::to_string(round) + "(1)");
    ASSERT_EQ(all_rows(list), model) << "round " << round << " after changing a copy";
  }
  EXPECT_TRUE(compacted);
}

// A position given by its path and line is stored as its text "path(line)" is: the same cells
// and the same bytes, in every list, the FileList (positions as text) included.
TEST(RegistrationListStore, PositionGivenByItsPartsIsStoredAsItsText) {
  const std::vector<std::string> paths = {
      "%1/drivers/net/a.h", "", "%1/x(7)/b.c", "(", "p)", std::string(600, 'p'),
      "%1/drivers/net/a.h"};
  const std::vector<long> lines = {0, 1, 12345, -1, 2147483647};
  for (ListKind kind : {ListKind::Function, ListKind::Define, ListKind::File}) {
    RegistrationList by_text(kind), by_parts(kind);
    for (const std::string& path : paths) {
      for (long line : lines) {
        const std::string position = FormatPosition(path, line);
        const std::string_view text_cells[] = {"name", position, "#define", "comment"};
        const std::string_view part_cells[] = {"name", "ignored", "#define", "comment"};
        by_text.AppendRow(text_cells);
        by_parts.AppendRow(part_cells, RegistrationList::PositionAt{path, line});
      }
    }
    ASSERT_EQ(by_parts.RowCount(), by_text.RowCount());
    for (std::size_t r = 0; r < by_text.RowCount(); ++r) {
      for (int c = 0; c < by_text.column_count(); ++c)
        ASSERT_EQ(by_parts.Cell(r, c), by_text.Cell(r, c)) << "row " << r << " column " << c;
      // A position read back in parts reads as its text.
      std::uint32_t number = 0;
      std::string_view path;
      std::uint64_t line = 0;
      const long given = lines[r % lines.size()];
      const bool compact = by_parts.CompactPosition(r, number, path, line);
      EXPECT_EQ(compact, kind != ListKind::File && given >= 0) << "row " << r;
      if (compact) {
        EXPECT_EQ(FormatPosition(path, static_cast<long>(line)), by_text.Cell(r, col::kPosition));
      }
    }
    EXPECT_EQ(by_parts.StoredBytes(), by_text.StoredBytes());
  }
}

}  // namespace
}  // namespace kelvora
