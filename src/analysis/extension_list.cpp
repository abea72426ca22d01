#include "analysis/extension_list.h"

#include "data/registration_lists.h"
#include "text/regex_service.h"

namespace kelvora {

std::vector<std::string> ParseExtensionList(std::string_view list, const RegexService& regex) {
  std::vector<std::string> out;
  Regex item;
  if (!regex.Compile("[.][A-Za-z0-9_]+;?", item)) return out;
  std::string rest(list);
  std::string match;
  while (out.size() < kMaxExtensions && regex.ExtractMatch(rest, item, match) == 0 &&
         !match.empty()) {
    rest = ReplaceAll(rest, match, "");
    if (match.back() == ';') match.pop_back();
    out.push_back(match);
  }
  return out;
}

std::size_t RegisterFiles(const std::string& dir, const WalkOptions& options, bool header,
                          RegistrationList& files) {
  return WalkFiles(dir, options, [&](const std::string& name, const std::string& path) {
    const std::size_t row = files.AppendRow();
    files.SetCell(row, 0, name);
    files.SetCell(row, 1, path + "(1)");
    if (header) files.SetCell(row, 2, ".h");
  });
}

}  // namespace kelvora
