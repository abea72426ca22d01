// The directory walk of the analysis and the folder tools: every regular file of one extension
// (or of several) below a folder, in byte order of the names.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

struct WalkOptions {
  std::string_view extension;  // ".c": compared with a file's extension ignoring case
  bool subfolders = false;
  // The header list file; each file found adds "dir/name(1)", a directory that cannot be listed
  // adds "検索失敗".
  std::ostream* header_list = nullptr;
  // When given, each folder that cannot be listed adds "path: reason".
  std::vector<std::string>* skipped = nullptr;
};

// Called for each file found: its name and its path "dir/name".
using FoundFile = std::function<void(const std::string& name, const std::string& path)>;

// Walks dir (the file-system root is "") and calls found for every matching regular file.
// Entries are visited in byte order of their names; a directory already walked (a link back up
// the tree, or a second link to one folder) is not entered again, so each file is found once per
// walk; a directory that cannot be listed is left out and its siblings are still walked. Returns
// the number of files found.
std::size_t WalkFiles(const std::string& dir, const WalkOptions& options, const FoundFile& found);

// The same walk for files of any of several extensions (options.extension is not used).
std::size_t WalkFiles(const std::string& dir, const std::vector<std::string_view>& extensions,
                      const WalkOptions& options, const FoundFile& found);

// The extension of a file name: the text from its last "." on, empty without a ".".
std::string_view FileExtension(std::string_view name);

}  // namespace kelvora
