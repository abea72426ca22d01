// The extraction passes of an analysis run, as one ordered list: functions, step counts,
// structs, #define macros, tables, prototype comments.
#pragma once

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "analysis/definitions_patterns.h"
#include "text/regex_service.h"

namespace kelvora {

class FileScans;
class RegistrationList;
struct AnalysisContext;
struct AnalysisRun;
struct ExtractorEnv;
struct Settings;

// The fixed patterns of a run, compiled once.
struct RunPatterns {
  DetectionPatterns functions;  // by func_prop
  DetectionPatterns defines;
  DefinitionPatterns definitions;  // the extractors' own fixed patterns
  Regex struct_detect;             // by struct_prop
  Regex table;                     // table heads with any number of bracket groups
  Regex prototype;                 // prototype declarations

  RunPatterns(const RegexService& regex, const Settings& settings);
};

// The struct detection pattern chosen by "struct_prop".
std::string StructDetectPattern(int struct_prop);
extern const char* const kTableHeadPattern;
extern const char* const kPrototypeDeclarationPattern;

// Byte conditions that every text the struct (by "struct_prop"), table head and prototype
// patterns match meets, so other lines never reach the engine.
bool StructMayMatch(std::string_view text, int struct_prop);
bool TableHeadMayMatch(std::string_view text, int);
// TableHeadMayMatch of first + " " + second where it fails for each text alone.
bool TableHeadAcrossMayMatch(std::string_view first, std::string_view second, int);
bool PrototypeMayMatch(std::string_view text, int);
// Bytes that every text those patterns match holds.
std::string_view StructNeeds(int struct_prop);
inline constexpr std::string_view kTableHeadNeeds = "={";
inline constexpr std::string_view kPrototypeNeeds = "();";

// The table and prototype candidate texts of the scanned files, in FileList order, and the
// struct candidate texts of the header-list files, in its order, kept in temporary files from
// the function pass on until their passes read them, instead of in memory beside the growing
// lists. Inactive (the texts stay with the scans) when no file can be made.
class CandidateSpool {
 public:
  enum Kind { kTables, kPrototypes, kStructs, kKinds };
  CandidateSpool();
  ~CandidateSpool();
  CandidateSpool(const CandidateSpool&) = delete;
  CandidateSpool& operator=(const CandidateSpool&) = delete;

  bool active() const { return active_; }
  // Appends the texts of the next file and frees them in the scan; false when a write failed.
  bool Add(std::string& table_text, std::string& prototype_text);
  bool AddStructs(std::string& struct_text);
  // Copies what was spooled for one kind to out; false when it cannot be read.
  bool CopyTo(Kind kind, std::ostream& out);

 private:
  struct File {
    std::string path;
    std::ofstream out;
    std::size_t bytes = 0;
  };
  bool Append(Kind kind, std::string& text);
  bool active_ = false;
  File files_[kKinds];
};

// Everything a pass may use.
struct PassContext {
  AnalysisContext& ctx;
  AnalysisRun& run;
  ExtractorEnv& env;
  const RunPatterns& patterns;
  std::string temp_file;
  std::string header_list_file;
  std::string prototype_file;
  std::string done_text;  // status line 3 (UTF-8): "完：" and the finished passes
  // What each file gives every pass, read once per file (ahead on worker threads).
  FileScans* scans = nullptr;
  CandidateSpool* spool = nullptr;
};

enum class PassResult { Done, Cancel };

class AnalysisPass {
 public:
  virtual ~AnalysisPass() = default;
  virtual bool Enabled(const Settings& settings) const = 0;
  // The progress steps the pass makes over H header and S source files.
  virtual long long ProgressSteps(long headers, long sources) const = 0;
  virtual PassResult Run(PassContext& pc) = 0;
};

// The passes in the order they run.
std::vector<std::unique_ptr<AnalysisPass>> MakeAnalysisPasses();

// The paths of the header list file: each line's path before its ".ext(" (lines without one
// and paths of 512 bytes or more are skipped); false when it cannot be read.
bool ReadHeaderList(const std::string& file, std::vector<std::string>& paths);

// Gives the room freed in the heap back to the system: the passes free the scans' results in
// many small pieces, which glibc keeps otherwise.
void ReturnFreedMemory();
// ReturnFreedMemory for the passes of a run: a run over a few files frees little, and trimming
// walks the whole heap (hundreds of MB after a kernel), so such a run skips it.
void ReturnFreedMemory(const AnalysisRun& run);

// The path of a FileList row: its position without the final "(1)"; empty when it has none.
std::string FilePathOfRow(const RegistrationList& files, std::size_t row);

// The path part of one header list line, or empty when the line has none.
std::string HeaderListPath(std::string_view line);

}  // namespace kelvora
