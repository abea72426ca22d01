#include "gui_common/fs_names.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <QStringList>
#include <optional>

namespace kelvora {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// The entry of dir whose name decodes to name.
std::optional<std::string> FindEntry(const std::string& dir, const QString& name) {
  DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str());
  if (d == nullptr) return std::nullopt;
  std::optional<std::string> found;
  while (dirent* entry = ::readdir(d)) {
    if (QFile::decodeName(entry->d_name) == name) {
      found = entry->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

}  // namespace

std::string FileSystemBytes(const QString& path, bool last_may_be_new) {
  const QByteArray encoded = QFile::encodeName(path);
  std::string direct(encoded.constData(), encoded.size());
  if (!path.startsWith(u'/') || Exists(direct)) return direct;

  const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
  std::string result;  // "" is the root
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const QByteArray part = QFile::encodeName(parts[i]);
    std::string candidate = result + "/" + std::string(part.constData(), part.size());
    if (Exists(candidate)) {
      result = std::move(candidate);
    } else if (auto entry = FindEntry(result, parts[i])) {
      result += "/" + *entry;
    } else if (last_may_be_new && i + 1 == parts.size()) {
      result = std::move(candidate);
    } else {
      return direct;
    }
  }
  return result.empty() ? direct : result;
}

}  // namespace kelvora
