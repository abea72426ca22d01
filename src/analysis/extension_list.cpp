#include "analysis/extension_list.h"

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

std::string_view FileExtension(std::string_view name) {
  auto dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace kelvora
