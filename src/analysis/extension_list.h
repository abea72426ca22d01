// Extension filters of the analysis ("*.c;*.cpp") taken apart into extensions with their dot.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

class RegexService;

constexpr std::size_t kMaxExtensions = 20;

// Takes items with [.][A-Za-z0-9_]+;? one at a time, removing every occurrence of each match
// from the rest of the list; stops when nothing matches or after 20 items. ".c", ".cpp", ...
std::vector<std::string> ParseExtensionList(std::string_view list, const RegexService& regex);

// The extension of a file name: the text from its last "." on, empty without a ".".
std::string_view FileExtension(std::string_view name);

// ASCII comparison without regard to case.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace kelvora
