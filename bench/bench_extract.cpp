// kelvora_bench_extract [--reps N] [--func-prop P] [--only functions|defines] <root>: the function
// and #define extraction alone, on one thread, over every .c and .h file of a tree read into
// memory first (default settings otherwise). The function pass gets each file split into lines
// beforehand, as a file scan gives it (the time includes the split); the #define pass reads it
// as a header read again does. Prints the rows found, a checksum of them and the best thread CPU
// time of N runs for each pass, so a change to the extraction is measured without the rest of a
// run.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/definitions.h"
#include "analysis/file_scan_result.h"
#include "bench_ui.h"
#include "data/registration_lists.h"
#include "settings/settings.h"
#include "text/regex_service.h"

namespace {

using namespace kelvora;

// Folds every row into a hash (FNV-1a over the cells and the line number).
class HashSink : public DefinitionSink {
 public:
  bool Add(const FoundDefinition& f) override {
    Mix(f.name);
    Mix(std::to_string(f.line_no));
    Mix(f.marker);
    Mix(f.comment);
    ++rows;
    return true;
  }
  void Mix(std::string_view s) {
    for (unsigned char c : s) hash = (hash ^ c) * 1099511628211ull;
    hash = (hash ^ 0xFF) * 1099511628211ull;
  }
  std::uint64_t hash = 1469598103934665603ull;
  long rows = 0;
};

}  // namespace

int main(int argc, char** argv) {
  int reps = 3;
  int func_prop = 0;
  std::string_view only;
  std::string root;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--reps" && i + 1 < argc) {
      reps = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--only" && i + 1 < argc) {
      only = argv[++i];
    } else if (arg == "--func-prop" && i + 1 < argc) {
      func_prop = std::atoi(argv[++i]);
    } else {
      root = arg;
    }
  }
  if (root.empty()) {
    std::fprintf(stderr,
                 "usage: kelvora_bench_extract [--reps N] [--func-prop P] [--only "
                 "functions|defines] ROOT\n");
    return 2;
  }

  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(
           root, std::filesystem::directory_options::skip_permission_denied)) {
    const std::string ext = entry.path().extension().string();
    if (entry.is_regular_file() && (ext == ".c" || ext == ".h")) paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<SourceFile> files;
  std::size_t bytes = 0;
  for (const std::string& path : paths) {
    files.push_back(ReadSourceFile(path, 0));
    bytes += files.back().bytes.size();
  }

  const RegexService regex;
  Settings settings;
  settings.func_prop = func_prop;
  const MacroList macros;
  RegisteredData data;
  QuietUi ui;
  ScanTools tools(regex, settings, macros, data, ui);
  const std::atomic<bool> stop{false};
  std::printf("files      %zu (%.1f MB)\n", files.size(), bytes / 1048576.0);

  for (DefinitionMode mode : {DefinitionMode::Function, DefinitionMode::Define}) {
    const bool functions = mode == DefinitionMode::Function;
    if (!only.empty() && only != (functions ? "functions" : "defines")) continue;
    const DetectionPatterns& detection =
        functions ? tools.patterns.functions : tools.patterns.defines;
    double best = 1e30;
    HashSink sink;
    for (int rep = 0; rep < reps; ++rep) {
      sink = HashSink();
      const std::uint64_t t0 = ThreadCpuNs();
      for (const SourceFile& file : files) {
        TextLines lines(file, stop);
        // As a file scan gives them: split beforehand for the function pass (the file is walked
        // again), read as it comes in the #define pass of a header read again.
        if (functions) lines.Split();
        FindDefinitions(lines, sink, mode, detection, tools.env);
      }
      best = std::min(best, (ThreadCpuNs() - t0) / 1e9);
    }
    std::printf("%-10s %ld rows, checksum %016llx, best CPU %.3f s of %d\n",
                functions ? "functions" : "#define", sink.rows,
                static_cast<unsigned long long>(sink.hash), best, reps);
  }
  return 0;
}
