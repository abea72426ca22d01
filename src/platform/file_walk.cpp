#include "platform/file_walk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "platform/bytes.h"
#include "platform/cp932.h"

namespace kelvora {
namespace {

enum class EntryType { File, Directory, Other };

struct Entry {
  std::string name;
  unsigned char d_type;
};

class Walker {
 public:
  Walker(const WalkOptions& options, const FoundFile& found,
         const std::vector<std::string_view>* extensions = nullptr)
      : opt_(options), found_(found), extensions_(extensions) {
    if (opt_.header_list) failed_line_ = Utf8ToCp932("検索失敗");
  }

  void Walk(const std::string& dir) {
    std::vector<Entry> entries;
    ListResult listed = List(dir, entries);
    if (listed == ListResult::Failed && opt_.header_list)
      *opt_.header_list << failed_line_ << "\r\n";
    if (listed == ListResult::Failed && opt_.skipped)
      opt_.skipped->push_back((dir.empty() ? "/" : dir) + ": " + std::strerror(errno));
    if (listed != ListResult::Listed) return;
    for (const Entry& e : entries) {
      std::string path = dir + "/" + e.name;
      EntryType type = TypeOf(path, e.d_type);
      if (type == EntryType::Directory) {
        if (opt_.subfolders) Walk(path);
      } else if (type == EntryType::File && Matches(FileExtension(e.name))) {
        Register(e.name, path);
      }
    }
  }

  std::size_t added() const { return added_; }

 private:
  enum class ListResult { Listed, Loop, Failed };

  // Reads the entries of dir, sorted by name, and pushes dir's identity on the walk's stack.
  // Loop when dir was walked already (a loop, or a folder reached by two links); Failed with
  // errno.
  ListResult List(const std::string& dir, std::vector<Entry>& entries) {
    DIR* d = opendir(dir.empty() ? "/" : dir.c_str());
    if (!d) return ListResult::Failed;
    struct stat st {};
    if (fstat(dirfd(d), &st) != 0) {
      const int error = errno;
      closedir(d);
      errno = error;
      return ListResult::Failed;
    }
    if (!walked_.insert({st.st_dev, st.st_ino}).second) {
      closedir(d);
      return ListResult::Loop;
    }
    while (dirent* de = readdir(d)) {
      std::string_view name = de->d_name;
      if (name == "." || name == "..") continue;
      entries.push_back({std::string(name), de->d_type});
    }
    closedir(d);
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return ListResult::Listed;
  }

  bool Matches(std::string_view ext) const {
    if (!extensions_) return EqualsIgnoringAsciiCase(ext, opt_.extension);
    for (std::string_view e : *extensions_)
      if (EqualsIgnoringAsciiCase(ext, e)) return true;
    return false;
  }

  static EntryType TypeOf(const std::string& path, unsigned char d_type) {
    if (d_type == DT_REG) return EntryType::File;
    if (d_type == DT_DIR) return EntryType::Directory;
    if (d_type != DT_LNK && d_type != DT_UNKNOWN) return EntryType::Other;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return EntryType::Other;
    if (S_ISDIR(st.st_mode)) return EntryType::Directory;
    if (S_ISREG(st.st_mode)) return EntryType::File;
    return EntryType::Other;  // fifos, sockets, devices: reading them could block
  }

  void Register(const std::string& name, const std::string& path) {
    found_(name, path);
    if (opt_.header_list) *opt_.header_list << path << "(1)\r\n";
    ++added_;
  }

  const WalkOptions& opt_;
  const FoundFile& found_;
  const std::vector<std::string_view>* extensions_;
  std::string failed_line_;
  std::set<std::pair<dev_t, ino_t>> walked_;
  std::size_t added_ = 0;
};

}  // namespace

std::size_t WalkFiles(const std::string& dir, const WalkOptions& options, const FoundFile& found) {
  Walker walker(options, found);
  walker.Walk(dir);
  return walker.added();
}

std::size_t WalkFiles(const std::string& dir, const std::vector<std::string_view>& extensions,
                      const WalkOptions& options, const FoundFile& found) {
  Walker walker(options, found, &extensions);
  walker.Walk(dir);
  return walker.added();
}

std::string_view FileExtension(std::string_view name) {
  auto dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

}  // namespace kelvora
