// The work of every pass on one file, done from one read of it: the function and #define rows,
// the step counts of the functions, and the struct, table and prototype candidate texts. Runs on
// any thread with that thread's own ScanTools; the passes register the results in their order.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/analysis_passes.h"
#include "analysis/call_index.h"
#include "analysis/definition_rows.h"
#include "analysis/definitions.h"
#include "platform/line_reader.h"
#include "text/source_clean.h"

namespace kelvora {

// A source file read at once, as every pass reads it: its text as the "CharChange" value
// decodes it (DecodeSourceText). opened is false when it cannot be opened; failed tells that a
// read failed part way, the text then holding what was read before.
struct SourceFile {
  bool opened = false;
  bool failed = false;
  std::string bytes;
  FileStamp stamp = {};  // size and modification time when it was read; size -1 when they changed
};
SourceFile ReadSourceFile(const std::string& path, int char_change);

// The lines of a text in memory, split exactly as SourceFileReader splits the file; reports
// the end of the text early once stop is set, and failed() as the read did.
class TextLines : public LineSource {
 public:
  TextLines(const SourceFile& file, const std::atomic<bool>& stop)
      : text_(file.bytes), failed_(file.failed), stop_(stop) {}
  bool ReadLine(std::string& line) override;
  // A view into the file's text: no copy of the line is made.
  bool NextLine(std::string_view& line, std::string& buffer) override;
  bool failed() const override { return failed_; }
  void Rewind() {
    pos_ = 0;
    index_ = 0;
  }
  // Splits the text into its lines once, for a file walked more than once: the walks then step
  // through the split instead of looking for every line's end again.
  void Split();
  bool split() const { return split_; }
  // For a reader that splits the lines itself (only while the text is not split): the whole
  // text, where the next line begins, and whether reading is to stop early.
  std::string_view text() const { return text_; }
  std::size_t position() const { return pos_; }
  void set_position(std::size_t pos) { pos_ = pos; }
  bool stopped() const { return stop_.load(std::memory_order_relaxed); }
  // Every line at once, as ReadLine gives them.
  const std::vector<std::string_view>& All();

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  bool failed_;
  bool split_ = false;
  std::vector<std::string_view> lines_;  // when split_
  std::size_t index_ = 0;                // the next of lines_
  const std::atomic<bool>& stop_;
};

// What the enabled passes want from a file.
struct ScanWants {
  bool functions = false;  // function rows, their step counts and the prototype candidates
  bool tables = false;
  bool structs = false;
  bool defines = false;
  bool calls = false;  // every definition's calls, by the function tree's walk
};

// One thread's compiled patterns and extractor environment.
struct ScanTools {
  ScanTools(const RegexService& regex, const Settings& settings, const MacroList& macros,
            RegisteredData& data, Ui& ui);
  CleaningPatterns cleaning;
  RunPatterns patterns;
  ExtractorEnv env;                     // never touches the port
  std::unique_ptr<CallWalk> call_walk;  // when the run keeps a call index
};

// Where the scans spend their time, for the benchmark: thread CPU time of each part of ScanFile,
// the busy time of each thread, and how long the passes and the workers waited for each other.
struct ScanStats {
  enum Part { kRead, kFunctions, kSteps, kDefines, kCandidates, kDefineRead, kCalls, kParts };
  static constexpr const char* kPartNames[kParts] = {
      "read+decode", "functions", "steps", "#define", "candidates", "read again for #define",
      "calls"};
  static constexpr std::size_t kMaxThreads = 64;
  std::atomic<std::uint64_t> part_ns[kParts] = {};
  std::atomic<std::uint64_t> thread_busy_ns[kMaxThreads + 1] = {};  // by slot; last: the passes
  std::atomic<std::uint64_t> passes_wait_ns{0};   // the passes waiting for a file's scan
  std::atomic<std::uint64_t> workers_wait_ns{0};  // workers held back by the window
  std::atomic<std::size_t> threads{0};
  // Bytes of struct, table and prototype candidate text the scans kept for their passes.
  std::atomic<std::uint64_t> candidate_bytes{0};
};
// This thread's CPU time in nanoseconds.
std::uint64_t ThreadCpuNs();

// Everything the passes take from one file.
struct FileScan {
  bool opened = false;
  bool read_failed = false;
  bool engine_failed = false;   // an extractor gave up: the pass fails as it would in place
  std::string position_prefix;  // the compressed position of the file without "(line)"
  DefinitionRows functions;
  DefinitionRows defines;
  std::vector<std::pair<long, StepCounts>> steps;  // by definition line, ascending
  std::string struct_text, table_text, prototype_text;
  FileCalls calls;
};

// stats, when given, gets the CPU time of each part.
void ScanFile(const std::string& path, const ScanWants& wants, ScanTools& tools,
              const std::atomic<bool>& stop, FileScan& out, ScanStats* stats = nullptr);

}  // namespace kelvora
