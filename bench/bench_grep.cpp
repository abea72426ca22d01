// kelvora_bench_grep grep <root> if|proto|fmacro|assign:NAME
// kelvora_bench_grep strip <file>
// grep: registers every *.c, *.cpp and *.h file below root in FileList (as an analysis does),
// runs the search with default settings and prints the files, hits and elapsed milliseconds;
// "Grep結果.txt" is written to the current folder. strip: runs the conditional-region removal
// copy pass over one file (output to /dev/null) and prints its lines and milliseconds.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_ui.h"
#include "data/registration_lists.h"
#include "grep/grep_search.h"
#include "platform/line_reader.h"
#include "platform/ui.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "text/source_clean.h"
#include "text/strip_if.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

int Grep(const std::string& root, const std::string& what) {
  namespace fs = std::filesystem;
  kelvora::RegisteredData data;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; it != end; it.increment(ec)) {
    if (ec || !it->is_regular_file(ec)) continue;
    const std::string ext = it->path().extension().string();
    if (ext != ".c" && ext != ".cpp" && ext != ".h") continue;
    std::size_t r = data.files().AppendRow();
    data.files().SetCell(r, kelvora::col::kPosition, it->path().string() + "(1)");
  }
  kelvora::GrepKind kind = kelvora::GrepKind::IfDirective;
  std::string name;
  if (what == "proto") kind = kelvora::GrepKind::Prototype;
  if (what == "fmacro") kind = kelvora::GrepKind::FunctionMacro;
  if (what.rfind("assign:", 0) == 0) {
    kind = kelvora::GrepKind::Assign;
    name = what.substr(7);
  }
  kelvora::Settings settings;
  kelvora::RegexService regex;
  QuietUi ui;
  kelvora::GrepContext ctx{data, settings, regex, ui, "."};
  const auto t0 = Clock::now();
  kelvora::GrepOutcome out = kelvora::RunGrep(ctx, kind, name);
  std::printf("files %ld hits %ld ms %.0f\n", out.run.files, out.run.hits, MsSince(t0));
  return 0;
}

int Strip(const std::string& file) {
  kelvora::RegexService regex;
  kelvora::CleaningPatterns pats(regex);
  kelvora::MacroList macros;
  std::ofstream out("/dev/null", std::ios::binary);
  const auto t0 = Clock::now();
  long written = kelvora::StripFalseRegionsFile(file, out, macros, pats);
  const double ms = MsSince(t0);
  long lines = 0;
  kelvora::FileLineReader reader;
  std::string line;
  if (reader.Open(file))
    while (reader.ReadLine(line)) ++lines;
  std::printf("lines %ld written %ld ms %.0f\n", lines, written, ms);
  return written < 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "grep") return Grep(args[1], args[2]);
  if (args.size() == 2 && args[0] == "strip") return Strip(args[1]);
  std::fprintf(stderr,
               "usage: kelvora_bench_grep grep <root> if|proto|fmacro|assign:NAME\n"
               "       kelvora_bench_grep strip <file>\n");
  return 2;
}
