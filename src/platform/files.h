// File-system helpers: unique temporary files, whole-file reads and writes, copies.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvora {

// True when the path names a regular file (a link to one included).
bool IsFile(const std::string& path);
// True when the path names a folder (a link to one included).
bool IsFolder(const std::string& path);
// True when anything exists at the path.
bool FileOrFolderExists(const std::string& path);

// The temporary folder: $TMPDIR when set and a folder, else /tmp.
std::string TempDirectory();

// Creates a new empty file with a unique name in the temporary folder (mkstemp) and returns its
// path; nullopt when that fails. prefix becomes the start of the file name.
std::optional<std::string> CreateUniqueTempFile(std::string_view prefix = "kelvora");

// A folder only this process writes in, made in the temporary folder (mkdtemp) and removed with
// the files in it when the object goes.
class PrivateTempFolder {
 public:
  PrivateTempFolder() = default;
  ~PrivateTempFolder();
  PrivateTempFolder(const PrivateTempFolder&) = delete;
  PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;
  // False when it cannot be made.
  bool Create(std::string_view prefix = "kelvora");
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Reads a whole file; nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes bytes to a file through a temporary sibling and a rename, so a failed write never
// leaves a half-written file; false on failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Copies a file; false on failure.
bool CopyFileBytes(const std::string& from, const std::string& to);

}  // namespace kelvora
