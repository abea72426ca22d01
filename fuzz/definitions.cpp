// The definition extractor (functions and #defines) and the step counter on one file, read from
// disk as an analysis run reads it. Input: the macro list on the first line, the file after.
#include "analysis/definitions.h"
#include "data/registration_lists.h"
#include "fuzz_support.h"
#include "platform/line_reader.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"

using namespace kelvora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const RegexService regex;
  static const CleaningPatterns cleaning(regex);
  static const fuzz::ScratchFile source("definitions.c");
  static const DetectionPatterns functions = DetectionPatterns::ForFunctions(regex, 0);
  static const DetectionPatterns defines = DetectionPatterns::ForDefines(regex);
  FUZZ_CHECK(cleaning.ok() && functions.ok() && defines.ok());

  std::string_view file;
  const MacroList macros(fuzz::FirstLine(fuzz::AsText(data, size), file));
  source.Write(file);
  long line_count = 0;
  {
    StringLineSource counter{std::string(file)};
    std::string line;
    while (counter.ReadLine(line)) ++line_count;
  }

  Settings settings;
  RegisteredData registered;
  const std::string& path = source.path();
  registered.roots().Append(path.substr(0, path.rfind('/')));
  ScriptedUi ui;
  ExtractorEnv env{regex, cleaning, settings, macros, registered, ui};
  const DefinitionPatterns& defs = PatternsOf(env);

  for (DefinitionMode mode : {DefinitionMode::Function, DefinitionMode::Define}) {
    FileLineReader reader;
    FUZZ_CHECK(reader.Open(path));
    RegistrationList& list =
        mode == DefinitionMode::Function ? registered.functions() : registered.defines();
    const DetectionPatterns& detection = mode == DefinitionMode::Function ? functions : defines;
    const long rows = ExtractDefinitions(reader, path, list, mode, detection, env);
    FUZZ_CHECK(rows == static_cast<long>(list.RowCount()));
    // Every row points back into this file, at one of its lines.
    for (std::size_t r = 0; r < list.RowCount(); ++r) {
      std::string at;
      long line = 0;
      FUZZ_CHECK(SplitPosition(registered.ExpandPosition(list.Cell(r, col::kPosition)), at, line));
      FUZZ_CHECK(at == path);
      FUZZ_CHECK(line >= 1 && line <= line_count);
      FUZZ_CHECK(!list.Cell(r, col::kName).empty());
    }
  }

  // The counts of the file read once equal those of the file read again for every function.
  {
    FileLineReader reader;
    FUZZ_CHECK(reader.Open(path));
    const StepCountLines lines(reader);
    const RegistrationList& list = registered.functions();
    for (std::size_t r = 0; r < list.RowCount() && r < 20; ++r) {
      std::string at;
      long line = 0;
      SplitPosition(registered.ExpandPosition(list.Cell(r, col::kPosition)), at, line);
      StringLineSource again{std::string(file)};
      const StepCounts once = lines.Count(line, macros, cleaning, defs);
      const StepCounts streamed = CountSteps(again, line, macros, cleaning, defs);
      FUZZ_CHECK(once.total == streamed.total && once.real == streamed.real);
      FUZZ_CHECK(once.real >= 0 && once.real <= once.total);
    }
  }
  const std::size_t before = registered.functions().RowCount();
  FUZZ_CHECK(StepCountPass(env) == 0);
  FUZZ_CHECK(registered.functions().RowCount() <= before);
  return 0;
}
