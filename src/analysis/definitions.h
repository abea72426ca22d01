// Function and #define registration, step counts and prototype comments.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/definitions_patterns.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

namespace kelvora {

class LineSource;
class RegisteredData;
class RegistrationList;
class Ui;
struct Settings;

// What the extractors share during one run: the engine, the compiled cleaning patterns, the
// settings and macro list, the registered data (for compressing positions) and the port.
struct ExtractorEnv {
  const RegexService& regex;
  const CleaningPatterns& cleaning;
  const Settings& settings;
  const MacroList& macros;
  RegisteredData& data;
  Ui& ui;
  // The run's compiled fixed patterns; when not given they are compiled on first use into
  // own_patterns and kept for the rest of the run.
  const DefinitionPatterns* patterns = nullptr;
  std::shared_ptr<const DefinitionPatterns> own_patterns{};
};

// The fixed patterns of env: env.patterns, or the ones compiled on first use.
const DefinitionPatterns& PatternsOf(ExtractorEnv& env);

enum class DefinitionMode { Function, Define };

// One definition as the extractor found it; marker and comment may be empty.
struct FoundDefinition {
  std::string_view name;
  long line_no = 0;
  std::string_view marker;
  std::string_view comment;
};

// Where the extractor puts each definition it finds, in file order.
class DefinitionSink {
 public:
  virtual ~DefinitionSink() = default;
  // False stops the file (the user cancelled).
  virtual bool Add(const FoundDefinition& found) = 0;
};

// Appends each definition to a list as a row, with the position compressed against the
// registered roots, shows every 10th row in the status lines and polls Escape after each row.
class ListDefinitionSink : public DefinitionSink {
 public:
  ListDefinitionSink(RegistrationList& target, DefinitionMode mode, std::string_view path,
                     ExtractorEnv& env);
  bool Add(const FoundDefinition& found) override;
  // The same row when the position is already made.
  bool AddRow(std::string_view name, std::string_view position, std::string_view marker,
              std::string_view comment);
  // The same with the position "path(line)" given by its parts.
  bool AddRowAt(std::string_view name, std::string_view path, long line, std::string_view marker,
                std::string_view comment);

 private:
  RegistrationList& target_;
  // The status lines and the Escape poll after a row.
  bool Added(std::string_view name);

  std::string_view label_;
  std::string path_;
  ExtractorEnv& env_;
};

// Finds the definitions of one file into sink: 0, or -1 when the engine is missing or the sink
// stopped. The extractor itself never touches the port.
int FindDefinitions(LineSource& reader, DefinitionSink& sink, DefinitionMode mode,
                    const DetectionPatterns& detection, ExtractorEnv& env);

// Registers the definitions of one file into target (FunctionList in function mode, DefineList
// in define mode): the row count of target after the file, or -1 when the engine is missing or
// the user cancelled with Escape.
long ExtractDefinitions(LineSource& reader, std::string_view path, RegistrationList& target,
                        DefinitionMode mode, const Regex& detect, const Regex& name1,
                        const Regex& name2, ExtractorEnv& env);
// The same with patterns made by DetectionPatterns, whose prefilter skips lines the detection
// pattern cannot match.
long ExtractDefinitions(LineSource& reader, std::string_view path, RegistrationList& target,
                        DefinitionMode mode, const DetectionPatterns& detection, ExtractorEnv& env);

// Total and real step counts of the function defined at definition_line (1-based).
struct StepCounts {
  long total = 0;
  long real = 0;
  bool braced = false;  // a "{" was found from the definition line on
};
StepCounts CountSteps(LineSource& reader, long definition_line, const MacroList& macros,
                      const CleaningPatterns& pats);
StepCounts CountSteps(LineSource& reader, long definition_line, const MacroList& macros,
                      const CleaningPatterns& pats, const DefinitionPatterns& defs);

// A file's lines as the step count needs them, read once for all functions of the file.
class StepCountLines {
 public:
  // Reads every line of reader.
  explicit StepCountLines(LineSource& reader);
  // The lines of a text that outlive this object.
  explicit StepCountLines(std::span<const std::string_view> lines) : lines_(lines) {}
  StepCountLines(const StepCountLines&) = delete;
  StepCountLines& operator=(const StepCountLines&) = delete;
  // The counts of the function defined at definition_line, equal to CountSteps on the file.
  StepCounts Count(long definition_line, const MacroList& macros, const CleaningPatterns& pats,
                   const DefinitionPatterns& defs) const;

 private:
  std::string text_;                    // the lines read by the first constructor
  std::vector<std::string_view> read_;  // and their views
  std::span<const std::string_view> lines_;
};

// Counts made beforehand for the functions of one file, at the given definition lines (one
// count per line); false when there are none, and the file is then read.
using KnownStepCounts = std::function<bool(const std::string& path, const std::vector<long>& lines,
                                           std::vector<StepCounts>& counts)>;

// Fills columns 4 and 5 of every FunctionList row; rows whose total is 0 are deleted.
// 0, or -1 when cancelled with Escape.
int StepCountPass(ExtractorEnv& env, const KnownStepCounts& known = {});

// Stores comments of prototype lines into FunctionList rows (empty comments only, or all when
// overwrite is on): the number stored, -1 when the file cannot be opened.
long AttachPrototypeComments(const std::string& file, bool overwrite, ExtractorEnv& env);

// Name and comment of a prototype line: 0 both, 1 no name, 2 no comment, -1 engine missing,
// -2 line over 512 bytes.
int ParsePrototypeLine(std::string_view line, const RegexService& regex, std::string& name,
                       std::string& comment);
int ParsePrototypeLine(std::string_view line, const RegexService& regex,
                       const DefinitionPatterns& defs, std::string& name, std::string& comment);

// The 47 words that are never function names.
bool IsKeyword(std::string_view name);
// The 47 keywords in the order the HTML site's exclusion page lists them.
const std::array<std::string_view, 47>& KeywordsInListOrder();

}  // namespace kelvora
