// An ini file with Windows private-profile semantics: sections and keys compared without case,
// values kept as bytes, a missing key gives the default, writing creates section and file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

class IniFile {
 public:
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }
  // A read-only file refuses every write (they return false) and is never touched.
  void set_read_only() { read_only_ = true; }
  bool read_only() const { return read_only_; }

  // Reads go to the file each time, as profile reads do, so other writers are seen.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback = {}) const;
  // Leading blanks and digits are read as a decimal number (an optional sign first); anything
  // else, or a missing key, gives the default.
  long long ReadInt(std::string_view section, std::string_view key, long long fallback) const;
  // True when the key exists in the section.
  bool HasKey(std::string_view section, std::string_view key) const;

  // Writes replace the value in place, or append the key to the section, or append the section;
  // false when the file cannot be written.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInt(std::string_view section, std::string_view key, long long value);

  // Every key of a section in file order (first occurrence of a duplicate wins).
  std::vector<std::pair<std::string, std::string>> Section(std::string_view section) const;

 private:
  std::string path_;
  bool read_only_ = false;
};

}  // namespace kelvora
