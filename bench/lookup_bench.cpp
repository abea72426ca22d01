// Word lookup over 500 000 functions and a browse page of 9 999 rows x 10 columns.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "data/registration_lists.h"
#include "lookup/menu_model.h"
#include "lookup/word_lookup.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"

namespace kelvora {
namespace {

// Names such as "Mod12_ReadBuffer7": mixed case, digits, underscores; every tenth carries a
// Japanese comment and every fifth starts with a full-width letter.
void FillFunctions(RegisteredData& data, std::size_t count) {
  static const char* const kWords[] = {"Read", "Write", "init", "Buffer", "Parse", "Node",
                                       "list", "Get",   "Set",  "Timer",  "Uart",  "Task"};
  const std::string comment = Utf8ToCp932("受信バッファを初期化する");
  const std::string wide = Utf8ToCp932("Ｍ");
  std::mt19937 rng(7);
  RegistrationList& list = data.functions();
  for (std::size_t i = 0; i < count; ++i) {
    std::string name = i % 5 == 0 ? wide : std::string();
    name += "Mod" + std::to_string(i % 97) + "_";
    name += kWords[rng() % 12];
    name += kWords[rng() % 12];
    name += std::to_string(i);
    std::size_t r = list.AppendRow();
    list.SetCell(r, col::kName, name);
    list.SetCell(
        r, col::kPosition,
        "%1/src/mod" + std::to_string(i % 97) + ".c(" + std::to_string(i % 3000 + 1) + ")");
    if (i % 10 == 0) list.SetCell(r, col::kComment, comment);
    if (i % 50 == 0) list.SetCell(r, col::kMarker, "#define");
  }
  data.roots().Append("/src");
}

const RegisteredData& Functions(std::size_t count) {
  static RegisteredData* data = [count] {
    auto* d = new RegisteredData;
    FillFunctions(*d, count);
    return d;
  }();
  return *data;
}

void BM_LookupWord500k(benchmark::State& state) {
  const RegisteredData& data = Functions(500000);
  MenuLayout layout;
  EditorLauncher editor(
      "/usr/bin/true", "+", [](const std::vector<std::string>&) { return true; },
      [](const std::string&) { return true; });
  const std::string word = state.range(0) == 0 ? "BUFFERPARSE" : Utf8ToCp932("ｍｏｄ96_task");
  for (auto _ : state) {
    ScriptedUi ui;
    MenuState menu;
    LookupOutcome out = LookupWord(data, ListKind::Function, word, layout, menu, editor, ui);
    benchmark::DoNotOptimize(out.menu.items.data());
  }
}
BENCHMARK(BM_LookupWord500k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LookupWord500kCached(benchmark::State& state) {
  const RegisteredData& data = Functions(500000);
  LoweredNames lowered(data.List(ListKind::Function));
  for (auto _ : state) {
    benchmark::DoNotOptimize(lowered.Find("bufferparse").data());
  }
}
BENCHMARK(BM_LookupWord500kCached)->Unit(benchmark::kMillisecond);

void BM_BrowsePage9999x10(benchmark::State& state) {
  const RegisteredData& data = Functions(500000);
  MenuLayout layout;
  layout.rows = 9999;
  layout.columns = 10;
  layout.comment_display = true;
  for (auto _ : state) {
    MenuState menu;
    MenuModel model = BuildBrowseMenu(data.List(ListKind::Function), layout, menu, 1);
    benchmark::DoNotOptimize(model.items.data());
  }
}
BENCHMARK(BM_BrowsePage9999x10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvora
