// Extension filters of the analysis ("*.c;*.cpp") taken apart into extensions with their dot,
// and the FileList rows of the files they match.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_walk.h"

namespace kelvora {

class RegexService;
class RegistrationList;

constexpr std::size_t kMaxExtensions = 20;

// Takes items with [.][A-Za-z0-9_]+;? one at a time, removing every occurrence of each match
// from the rest of the list; stops when nothing matches or after 20 items. ".c", ".cpp", ...
std::vector<std::string> ParseExtensionList(std::string_view list, const RegexService& regex);

// Walks dir (WalkFiles) and appends a FileList row per file found: name, "dir/name(1)" and, for
// headers, the type ".h". Returns the number of rows appended.
std::size_t RegisterFiles(const std::string& dir, const WalkOptions& options, bool header,
                          RegistrationList& files);

}  // namespace kelvora
