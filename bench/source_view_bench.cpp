// The TREE viewer's source display: a definition at the end of a 200 000-line file with the
// inactive ranges hidden and an emphasis pattern, the 3000 lines of an item without a step count,
// and an 8 MiB file of one line.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "text/regex_service.h"
#include "text/source_clean.h"
#include "tree/source_view.h"

namespace {

using namespace kelvora;

std::string Fixture(const char* name, long lines, bool one_line) {
  const auto path = std::filesystem::temp_directory_path() / name;
  if (!std::filesystem::exists(path)) {
    std::ofstream out(path, std::ios::binary);
    if (one_line) {
      out << std::string(8u << 20, 'x');
    } else {
      for (long i = 1; i <= lines; ++i) {
        if (i % 50 == 1) out << "#ifdef CONFIG_FEATURE_" << i % 7 << "\n";
        out << "\tvalue_" << i << " = compute(value_" << i - 1 << ");\t/* step " << i << " */\n";
        if (i % 50 == 25) out << "#endif\n";
      }
    }
  }
  return path.string();
}

void Run(benchmark::State& state, const std::string& data, bool hide) {
  RegexService regex;
  CleaningPatterns pats(regex);
  Regex re;
  regex.Compile("value_[0-9]+", re);
  const Regex* patterns[] = {&re};
  SourceViewSettings s;
  s.hide_inactive = hide;
  s.src_line = 10;
  for (auto _ : state) {
    SourceView view = BuildSourceView(data, "CONFIG_FEATURE_3", s, pats, patterns);
    benchmark::DoNotOptimize(view.lines.data());
  }
}

void BM_EndOfLargeFileHidingInactive(benchmark::State& state) {
  const std::string file = Fixture("kelvora_bench_source_200k.c", 200000, false);
  Run(state, "1,80,120,0," + file + "(200000)", true);
}
BENCHMARK(BM_EndOfLargeFileHidingInactive)->Unit(benchmark::kMillisecond);

void BM_EndOfLargeFile(benchmark::State& state) {
  const std::string file = Fixture("kelvora_bench_source_200k.c", 200000, false);
  Run(state, "1,80,120,0," + file + "(200000)", false);
}
BENCHMARK(BM_EndOfLargeFile)->Unit(benchmark::kMillisecond);

void BM_ThreeThousandLines(benchmark::State& state) {
  const std::string file = Fixture("kelvora_bench_source_200k.c", 200000, false);
  Run(state, "1,0,0,0," + file + "(1000)", false);
}
BENCHMARK(BM_ThreeThousandLines)->Unit(benchmark::kMillisecond);

void BM_HugeSingleLine(benchmark::State& state) {
  const std::string file = Fixture("kelvora_bench_source_line.c", 1, true);
  Run(state, "1,1,1,0," + file + "(1)", false);
}
BENCHMARK(BM_HugeSingleLine)->Unit(benchmark::kMillisecond);

}  // namespace
