// The directory walk of the analysis: registers the files of one extension in FileList.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

class RegistrationList;

struct WalkOptions {
  std::string_view extension;  // ".c": compared with a file's extension ignoring case
  bool subfolders = false;
  bool header = false;  // rows get the type ".h"
  // The header list file; each registered file adds "dir/name(1)", a directory that cannot be
  // listed adds "検索失敗".
  std::ostream* header_list = nullptr;
  // When given, each folder that cannot be listed adds "path: reason".
  std::vector<std::string>* skipped = nullptr;
};

// Walks dir (the file-system root is "") and appends a FileList row per matching regular file:
// name, "dir/name(1)" and the type. Entries are visited in byte order of their names; a
// directory already walked (a link back up the tree, or a second link to one folder) is not
// entered again, so each file is registered once per walk; a directory that cannot be listed
// is left out and its siblings are still walked. Returns the number of rows appended.
std::size_t WalkFiles(const std::string& dir, const WalkOptions& options, RegistrationList& files);

// The same walk for files of any of several extensions (options.extension is not used).
std::size_t WalkFiles(const std::string& dir, const std::vector<std::string_view>& extensions,
                      const WalkOptions& options, RegistrationList& files);

}  // namespace kelvora
