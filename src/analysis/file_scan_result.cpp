#include "analysis/file_scan_result.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "data/registration_lists.h"
#include "platform/line_split.h"
#include "settings/settings.h"
#include "text/encoding_detect.h"

namespace kelvora {
namespace {

// Keeps the rows of one file with their line numbers.
class RowsSink : public DefinitionSink {
 public:
  explicit RowsSink(DefinitionRows& rows) : rows_(rows) {}
  bool Add(const FoundDefinition& f) override {
    rows_.Add(f.name, f.line_no, f.marker, f.comment);
    return true;
  }

 private:
  DefinitionRows& rows_;
};

}  // namespace

SourceFile ReadSourceFile(const std::string& path, int char_change) {
  SourceFile file;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return file;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return file;
  }
  file.opened = true;
  file.stamp = {static_cast<std::int64_t>(st.st_size),
                static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
  std::size_t size = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
  // One byte more than the size, so a file that grew is read to its end in the same loop.
  file.bytes.resize(size + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == file.bytes.size()) file.bytes.resize(file.bytes.size() * 2 + 4096);
    const ssize_t n = ::read(fd, file.bytes.data() + got, file.bytes.size() - got);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) file.failed = true;
    break;
  }
  file.bytes.resize(got);
  if (file.failed || got != size) file.stamp = {};
  ::close(fd);
  if (char_change == kCharChangeDetect) {
    file.bytes = DecodeSourceText(std::move(file.bytes), char_change).text;
  }
  return file;
}

bool TextLines::ReadLine(std::string& line) {
  std::string_view view;
  const bool ok = NextLine(view, line);
  line.assign(view);
  return ok;
}

bool TextLines::NextLine(std::string_view& line, std::string&) {
  if (stop_.load(std::memory_order_relaxed) ||
      (split_ ? index_ >= lines_.size() : pos_ >= text_.size())) {
    line = {};
    return false;
  }
  line = split_ ? lines_[index_++] : LineAt(text_, pos_);
  return true;
}

void TextLines::Split() {
  if (split_) return;
  const char* const p = text_.data();
  lines_.reserve(text_.size() / 32);
  SplitLines(text_, lines_);
  // A walk under way goes on from the same line.
  index_ = static_cast<std::size_t>(
      std::partition_point(lines_.begin(), lines_.end(),
                           [&](std::string_view line) { return line.data() < p + pos_; }) -
      lines_.begin());
  split_ = true;
}

const std::vector<std::string_view>& TextLines::All() {
  Split();
  return lines_;
}

ScanTools::ScanTools(const RegexService& regex, const Settings& settings, const MacroList& macros,
                     RegisteredData& data, Ui& ui)
    : cleaning(regex), patterns(regex, settings), env{regex, cleaning, settings, macros, data, ui} {
  env.patterns = &patterns.definitions;
}

namespace {

// Adds the CPU time since the last lap to a part of the stats; does nothing without stats.
class PartTimer {
 public:
  explicit PartTimer(ScanStats* stats) : stats_(stats), last_(stats ? ThreadCpuNs() : 0) {}
  void Lap(ScanStats::Part part) {
    if (!stats_) return;
    const std::uint64_t now = ThreadCpuNs();
    stats_->part_ns[part] += now - last_;
    last_ = now;
  }

 private:
  ScanStats* stats_;
  std::uint64_t last_;
};

}  // namespace

std::uint64_t ThreadCpuNs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u +
         static_cast<std::uint64_t>(ts.tv_nsec);
}

void ScanFile(const std::string& path, const ScanWants& wants, ScanTools& tools,
              const std::atomic<bool>& stop, FileScan& out, ScanStats* stats) {
  if (path.empty()) return;
  PartTimer timer(stats);
  const SourceFile file = ReadSourceFile(path, tools.env.settings.char_change);
  const bool defines_only = wants.defines && !wants.functions && !wants.structs && !wants.tables;
  timer.Lap(defines_only ? ScanStats::kDefineRead : ScanStats::kRead);
  out.opened = file.opened;
  out.read_failed = file.failed;
  if (!file.opened) return;
  TextLines lines(file, stop);
  // A file walked more than once is split into lines first, unless it is larger than any source
  // (a data file): sixteen bytes a line could then take many times its size.
  constexpr std::size_t kSplitLimit = std::size_t{64} << 20;
  if ((wants.functions || wants.calls || (wants.defines && (wants.structs || wants.tables))) &&
      file.bytes.size() <= kSplitLimit) {
    lines.Split();
    timer.Lap(ScanStats::kRead);
  }
  ExtractorEnv& env = tools.env;
  const RunPatterns& pats = tools.patterns;
  const MacroList& macros = env.macros;

  if (wants.functions || wants.defines) {
    // A position compresses by its path alone: "(line)" holds no "/" for a root to end at.
    std::string position = env.data.CompressPosition(FormatPosition(path, 0));
    position.resize(position.size() - 3);
    out.position_prefix = std::move(position);
  }
  if (wants.functions) {
    RowsSink sink(out.functions);
    if (FindDefinitions(lines, sink, DefinitionMode::Function, pats.functions, env) < 0)
      out.engine_failed = true;
    timer.Lap(ScanStats::kFunctions);
    if (!out.functions.empty()) {
      const StepCountLines body_lines(lines.All());
      for (std::size_t i = 0; i < out.functions.size() && !stop.load(std::memory_order_relaxed);
           ++i) {
        const DefinitionRows::Row row = out.functions[i];
        if (row.marker == "#define") continue;
        if (!out.steps.empty() && out.steps.back().first == row.line_no) continue;
        out.steps.emplace_back(
            row.line_no, body_lines.Count(row.line_no, macros, tools.cleaning, pats.definitions));
      }
    }
    timer.Lap(ScanStats::kSteps);
  }
  if (wants.defines) {
    lines.Rewind();
    RowsSink sink(out.defines);
    if (FindDefinitions(lines, sink, DefinitionMode::Define, pats.defines, env) < 0)
      out.engine_failed = true;
    timer.Lap(ScanStats::kDefines);
  }
  if (wants.calls && tools.call_walk) {
    lines.Rewind();
    tools.call_walk->Walk(lines, out.calls);
    out.calls.stamp = file.stamp;
    out.calls.complete = !file.failed && !stop.load(std::memory_order_relaxed);
    timer.Lap(ScanStats::kCalls);
  }
  // The struct, table and prototype candidates in one walk, each line cleaned once; the
  // prototype lines walk again when they are converted from EUC first.
  out.struct_text.clear();
  out.table_text.clear();
  out.prototype_text.clear();
  CandidateTarget targets[3];
  std::size_t count = 0;
  const int struct_prop = env.settings.struct_prop;
  if (wants.structs) {
    targets[count++] = {.pattern = &pats.struct_detect,
                        .out = &out.struct_text,
                        .path = path,
                        .may_match = StructMayMatch,
                        .may_match_arg = struct_prop,
                        .needs = StructNeeds(struct_prop)};
  }
  if (wants.tables) {
    targets[count++] = {.pattern = &pats.table,
                        .out = &out.table_text,
                        .path = path,
                        .table_heads = true,
                        .may_match = TableHeadMayMatch,
                        .may_match_across = TableHeadAcrossMayMatch,
                        .needs = kTableHeadNeeds};
  }
  const CandidateTarget prototypes{.pattern = &pats.prototype,
                                   .out = &out.prototype_text,
                                   .may_match = PrototypeMayMatch,
                                   .needs = kPrototypeNeeds};
  const bool euc = env.settings.char_change == 1;
  if (wants.functions && !euc) targets[count++] = prototypes;
  if (count > 0) {
    lines.Rewind();
    CollectCandidates(lines, targets, count, macros, 0, tools.cleaning);
  }
  if (wants.functions && euc) {
    lines.Rewind();
    targets[0] = prototypes;
    CollectCandidates(lines, targets, 1, macros, 1, tools.cleaning);
  }
  timer.Lap(ScanStats::kCandidates);
  if (stats)
    stats->candidate_bytes +=
        out.struct_text.size() + out.table_text.size() + out.prototype_text.size();
}

}  // namespace kelvora
