// File-system helpers: unique temporary files, whole-file reads and writes, copies.
#pragma once

#include <cstdint>
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

// Limits on the size of input files, stated by each reader (a regular file over it is refused).
inline constexpr std::uint64_t kUnlimitedInput = ~std::uint64_t{0};
inline constexpr std::uint64_t kSettingsFileLimit = std::uint64_t{16} << 20;
inline constexpr std::uint64_t kTreeFileLimit = std::uint64_t{2} << 30;
inline constexpr std::uint64_t kCommentFileLimit = std::uint64_t{512} << 20;
inline constexpr std::uint64_t kSourceFileLimit = std::uint64_t{1} << 30;
inline constexpr std::uint64_t kWorkbookFileLimit = std::uint64_t{1} << 30;

// Opens an input file for reading without ever blocking: the open is non-blocking (a FIFO
// without a writer cannot hang it) and only a regular file (a link to one included) of at most
// limit bytes is kept; the descriptor returned reads normally. -1 otherwise, with errno set
// (EISDIR for a folder, EINVAL for a FIFO, device or socket, EFBIG over the limit) and *why, when
// given, saying it in words.
int OpenInputFile(const std::string& path, std::uint64_t limit = kUnlimitedInput,
                  std::string* why = nullptr);
// What went wrong with an input file, for a message: the system's reason, or the words for the
// refusals of OpenInputFile.
std::string InputErrorText(int err, std::uint64_t limit = kUnlimitedInput);

// Reads a whole regular file of at most limit bytes (one that grows past it while being read is
// refused too); nullopt when it cannot be read, with *why saying why when given.
std::optional<std::string> ReadWholeFile(const std::string& path,
                                         std::uint64_t limit = kSourceFileLimit,
                                         std::string* why = nullptr);

// Writes bytes to a file through a temporary sibling and a rename, so a failed write never
// leaves a half-written file; false on failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Copies a file; false on failure.
bool CopyFileBytes(const std::string& from, const std::string& to);

}  // namespace kelvora
