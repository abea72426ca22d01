// The comment-file reader (--import-comments, and the analysis' prototype comments). Input: the
// registered function names on the first line (blank-separated; a name starting with "+" already
// has a comment), the comment file after. The import changes only comments, each to the comment
// of the last prototype line of its name (the first one when comments are not overwritten), and
// counts what it stored.
#include <map>

#include "analysis/definitions.h"
#include "data/registration_lists.h"
#include "fuzz_support.h"
#include "lookup/comment_search.h"
#include "platform/line_reader.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

using namespace kelvora;

namespace {

std::string Without(std::string_view text, char c) {
  std::string out;
  for (char x : text)
    if (x != c) out += x;
  return out;
}

void Register(RegisteredData& data, std::string_view names) {
  RegistrationList& list = data.functions();
  std::size_t at = 0;
  while (at < names.size() && list.RowCount() < 64) {
    std::size_t end = names.find(' ', at);
    if (end == std::string_view::npos) end = names.size();
    std::string_view name = names.substr(at, end - at);
    at = end + 1;
    if (name.empty()) continue;
    const bool commented = name[0] == '+';
    if (commented) name.remove_prefix(1);
    const std::size_t row = list.AppendRow();
    list.SetCell(row, col::kName, name);
    list.SetCell(row, col::kPosition, "%1/f.c(" + std::to_string(row + 1) + ")");
    if (commented) list.SetCell(row, col::kComment, "/* old */");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const RegexService regex;
  static const DefinitionPatterns defs(regex, {});
  static const CleaningPatterns cleaning(regex);
  static const fuzz::ScratchFile file("comments.txt");
  FUZZ_CHECK(defs.ok() && cleaning.ok());

  std::string_view text;
  const std::string_view names = fuzz::FirstLine(fuzz::AsText(data, size), text);
  file.Write(text);
  Settings settings;
  ScriptedUi ui;

  for (const bool overwrite : {true, false}) {
    RegisteredData registered;
    Register(registered, names);
    const RegistrationList& list = registered.functions();
    const RegistrationList before = list;

    // What the file says, line by line as a reader of the text splits it.
    std::map<std::string, std::size_t> row_of;
    for (std::size_t r = 0; r < list.RowCount(); ++r)
      row_of.emplace(Without(list.CellText(r, col::kName), '*'), r);
    std::vector<std::string> want(list.RowCount());
    for (std::size_t r = 0; r < list.RowCount(); ++r) want[r] = list.Cell(r, col::kComment);
    long count = 0;
    StringLineSource lines{std::string(text)};
    std::string line, name, comment;
    while (lines.ReadLine(line)) {
      if (ParsePrototypeLine(line, regex, defs, name, comment) != 0) continue;
      const auto it = row_of.find(Without(name, '*'));
      if (it == row_of.end() || (!overwrite && !want[it->second].empty())) continue;
      want[it->second] = Without(comment, '\t');
      ++count;
    }

    long stored;
    if (overwrite) {
      stored = ImportCommentFile(file.path(), registered, settings, regex, ui);
    } else {
      const MacroList macros;
      ExtractorEnv env{regex, cleaning, settings, macros, registered, ui};
      stored = AttachPrototypeComments(file.path(), false, env);
    }
    FUZZ_CHECK(stored == count);
    FUZZ_CHECK(list.RowCount() == before.RowCount());
    for (std::size_t r = 0; r < list.RowCount(); ++r) {
      FUZZ_CHECK(list.Cell(r, col::kName) == before.Cell(r, col::kName));
      FUZZ_CHECK(list.Cell(r, col::kPosition) == before.Cell(r, col::kPosition));
      FUZZ_CHECK(list.Cell(r, col::kComment) == want[r]);
    }
  }
  return 0;
}
