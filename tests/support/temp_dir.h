// A temporary folder for one test, removed with everything in it when the test ends; a test
// whose folder cannot be created fails.
#pragma once

#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvora::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  // Writes bytes to a file below the folder, creating parent folders; returns its full path.
  std::string Write(std::string_view relative, std::string_view bytes) const;
  // Reads a whole file as bytes.
  static std::string Read(const std::filesystem::path& file);

 private:
  std::filesystem::path path_;
};

inline TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "kelvora-case-XXXXXX").string();
  // Without a folder of its own the test cannot run: throwing fails it (Google Test reports an
  // exception from a test or its fixture), and the destructor never removes a shared folder.
  if (mkdtemp(tmpl.data()) == nullptr)
    throw std::runtime_error("cannot create a temporary folder from " + tmpl + ": " +
                             std::strerror(errno));
  path_ = tmpl;
}

inline TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

inline std::string TempDir::Write(std::string_view relative, std::string_view bytes) const {
  std::filesystem::path p = path_ / std::filesystem::path(std::string(relative));
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return p.string();
}

inline std::string TempDir::Read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace kelvora::testing
