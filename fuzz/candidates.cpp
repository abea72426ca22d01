// The struct and table passes on one header: the candidate collectors write the run's temporary
// file and the registration joins and parses its lines. The input itself is also read as such a
// temporary file. Input: the macro list on the first line, the header after.
#include <fstream>

#include "analysis/analysis_passes.h"
#include "analysis/candidates.h"
#include "analysis/definitions.h"
#include "data/registration_lists.h"
#include "fuzz_support.h"
#include "platform/line_reader.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"

using namespace kelvora;

namespace {

// Rows of a list all point into the header, as the collectors wrote it.
void CheckRows(const RegisteredData& registered, const RegistrationList& list, long registered_rows,
               const std::string& header) {
  FUZZ_CHECK(registered_rows == static_cast<long>(list.RowCount()));
  for (std::size_t r = 0; r < list.RowCount(); ++r) {
    const std::string full = registered.ExpandPosition(list.Cell(r, col::kPosition));
    FUZZ_CHECK(full.starts_with(header + "("));
    FUZZ_CHECK(!list.Cell(r, col::kName).empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const RegexService regex;
  static const CleaningPatterns cleaning(regex);
  static const Settings defaults;
  static const RunPatterns patterns(regex, defaults);
  static const fuzz::ScratchFile header("candidates.h");
  static const fuzz::ScratchFile temp("candidates.tmp");
  FUZZ_CHECK(cleaning.ok() && patterns.struct_detect.ok() && patterns.table.ok());

  std::string_view file;
  const MacroList macros(fuzz::FirstLine(fuzz::AsText(data, size), file));
  header.Write(file);
  const std::string& path = header.path();
  const std::string root = path.substr(0, path.rfind('/'));

  for (bool tables : {false, true}) {
    Settings settings;
    RegisteredData registered;
    registered.roots().Append(root);
    ScriptedUi ui;
    ExtractorEnv env{regex, cleaning, settings, macros, registered, ui};
    long written = 0;
    {
      FileLineReader reader;
      FUZZ_CHECK(reader.Open(path));
      std::ofstream out(temp.path(), std::ios::binary | std::ios::trunc);
      written = tables
                    ? CollectTableLines(reader, path, out, patterns.table, macros, cleaning)
                    : CollectLines(reader, path, out, patterns.struct_detect, macros, 0, cleaning);
    }
    FUZZ_CHECK(written >= 0);
    RegistrationList& list = tables ? registered.tables() : registered.structs();
    const long rows =
        tables ? RegisterTables(temp.path(), 1, env) : RegisterStructs(temp.path(), 1, env);
    FUZZ_CHECK(rows <= written);
    CheckRows(registered, list, rows, path);
  }

  // The registration on whatever a temporary file may hold.
  temp.Write(file);
  for (bool tables : {false, true}) {
    Settings settings;
    RegisteredData registered;
    registered.roots().Append(root);
    ScriptedUi ui;
    ExtractorEnv env{regex, cleaning, settings, macros, registered, ui};
    const long rows =
        tables ? RegisterTables(temp.path(), 1, env) : RegisterStructs(temp.path(), 1, env);
    FUZZ_CHECK(rows >= 0 && rows <= settings.list_data_max);
    FUZZ_CHECK(rows ==
               static_cast<long>((tables ? registered.tables() : registered.structs()).RowCount()));
  }
  return 0;
}
