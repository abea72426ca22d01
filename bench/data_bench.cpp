// Registration lists at 100 000 rows: sorting a list built the way the extractors build it, and
// an add-to-existing run inserting its rows before all the old ones.
#include <benchmark/benchmark.h>

#include <string>

#include "data/registration_lists.h"

namespace kelvora {
namespace {

constexpr std::size_t kRows = 100000;

// Inserts at a growing index near the end, with a row left behind every thousand inserts.
RegistrationList BuiltLikeTheExtractors() {
  RegistrationList list(ListKind::Function);
  std::size_t at = 0;
  unsigned seed = 12345;
  for (std::size_t i = 0; i < kRows; ++i) {
    if (i % 1000 == 0) list.AppendRow();
    std::size_t r = list.InsertRow(at++);
    seed = seed * 1103515245u + 12345u;
    list.SetCell(r, col::kName, "fn_" + std::to_string(seed % 100000));
  }
  return list;
}

void BM_SortLargeList(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    RegistrationList list = BuiltLikeTheExtractors();
    state.ResumeTiming();
    list.Sort();
    state.PauseTiming();
    for (std::size_t r = 1; r < list.RowCount(); ++r) {
      if (CompareNamesNoCase(list.Cell(r - 1, col::kName), list.Cell(r, col::kName)) > 0) {
        state.SkipWithError("the list is not sorted");
        break;
      }
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kRows));
}
BENCHMARK(BM_SortLargeList)->Unit(benchmark::kMillisecond);

void BM_InsertNewRowsBeforeOldOnes(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    RegistrationList list(ListKind::Struct);
    for (std::size_t i = 0; i < kRows; ++i) list.SetCell(list.AppendRow(), col::kName, "old");
    state.ResumeTiming();
    for (std::size_t i = 0; i < kRows; ++i) list.SetCell(list.InsertRow(i), col::kName, "new");
    benchmark::DoNotOptimize(list.RowCount());
    if (list.Cell(kRows - 1, col::kName) != "new" || list.Cell(kRows, col::kName) != "old")
      state.SkipWithError("rows out of place");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kRows));
}
BENCHMARK(BM_InsertNewRowsBeforeOldOnes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvora
