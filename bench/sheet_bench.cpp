// Workbook layer: a full 65 536-row tree sheet (three columns, a rule under every row, nested
// outline groups, whole-column formatting, auto-fit) built and saved as .xlsx; and the sheet
// names read back.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>

#include "sheet/sheet_names.h"
#include "sheet/workbook.h"

namespace {

using namespace kelvora;

void BuildTree(Worksheet& s, int rows) {
  for (int r = 1; r <= rows; ++r) {
    const int depth = r % 6;
    s.SetCell(r, 1, "drivers/net/ethernet/intel/e1000e/netdev.c(" + std::to_string(r) + ")");
    s.SetCell(r, 2,
              std::string(static_cast<std::size_t>(depth) * 4, ' ') + "┣ e1000_func_" +
                  std::to_string(r));
    if (r % 3 == 0) s.SetCell(r, 3, "// 受信キューの初期化");
    s.SetBorder({r, 1, r, 3}, border::kEdgeBottom, line_style::kRowRule);
  }
  for (int r = 2; r + 4 <= rows; r += 6) s.GroupRows(r + 1, r + 4);
  s.SetFontColorIndex(*ParseRange("B:B"), 5);
  s.AutoFitColumns(1, 3);
  s.SetBorder({1, 1, rows, 1}, border::kEdgeLeft, line_style::kContinuous);
  s.SetBorder({1, 3, rows, 3}, border::kEdgeRight, line_style::kContinuous);
}

void BM_TreeSheetBuildAndSave(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const std::string path = "/tmp/kelvora_bench_tree_" + std::to_string(getpid()) + ".xlsx";
  for (auto _ : state) {
    Workbook book;
    BuildTree(book.ActiveSheet(), rows);
    if (book.SaveAs(path) != SaveResult::Saved) state.SkipWithError("save failed");
  }
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_TreeSheetBuildAndSave)->Arg(65536)->Unit(benchmark::kMillisecond);

void BM_ReadSheetNames255(benchmark::State& state) {
  const std::string path = "/tmp/kelvora_bench_names_" + std::to_string(getpid()) + ".xlsx";
  Workbook book;
  while (book.Add()) {
  }
  book.SaveAs(path);
  for (auto _ : state) benchmark::DoNotOptimize(ReadSheetNames(path));
  unlink(path.c_str());
}
BENCHMARK(BM_ReadSheetNames255)->Unit(benchmark::kMillisecond);

}  // namespace
