#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

namespace kelvora {

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileOrFolderExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}
namespace {

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The file a write to path really replaces: the target of a symbolic link, else path itself.
std::string ResolveTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      std::string out(real);
      std::free(real);
      return out;
    }
  }
  return path;
}

// Creates a new sibling of target for writing; the umask applies as for any new file.
int CreateSibling(const std::string& target, std::string& sibling) {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    sibling = target + ".tmp" + std::to_string(::getpid()) + "-" +
              std::to_string(counter.fetch_add(1)) + "-" + std::to_string(rd() % 100000);
    int fd = ::open(sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Writes through a sibling: fill(fd) writes the content; the sibling then replaces path.
template <typename Fill>
bool ReplaceFile(const std::string& path, Fill fill) {
  std::string target = ResolveTarget(path);
  std::string sibling;
  int fd = CreateSibling(target, sibling);
  if (fd < 0) return false;
  bool ok = fill(fd);
  struct stat st;
  if (ok && ::stat(target.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
  ok = ok && ::fdatasync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(sibling.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(sibling.c_str());
  return ok;
}

}  // namespace

std::string TempDirectory() {
  const char* env = std::getenv("TMPDIR");
  if (env && *env && IsDirectory(env)) {
    std::string dir(env);
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
  }
  return "/tmp";
}

std::optional<std::string> CreateUniqueTempFile(std::string_view prefix) {
  std::string name(prefix);
  if (name.empty() || name.find('/') != std::string::npos) name = "kelvora";
  std::string tmpl = TempDirectory() + "/" + name + "-XXXXXX";
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return std::nullopt;
  ::close(fd);
  return tmpl;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string out;
  if (S_ISREG(st.st_mode) && st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
  char buf[64 * 1024];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      out.append(buf, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      ::close(fd);
      return std::nullopt;
    }
  }
  ::close(fd);
  return out;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  return ReplaceFile(path, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); });
}

bool CopyFileBytes(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return false;
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat src, dst;
  if (::fstat(in, &src) != 0 || S_ISDIR(src.st_mode)) {
    ::close(in);
    return false;
  }
  if (::stat(to.c_str(), &dst) == 0 && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) {
    ::close(in);  // copying a file onto itself leaves it as it is
    return true;
  }
  bool ok = ReplaceFile(to, [&](int out) {
    char buf[64 * 1024];
    for (;;) {
      ssize_t n = ::read(in, buf, sizeof buf);
      if (n == 0) return true;
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (!WriteAll(out, buf, static_cast<std::size_t>(n))) return false;
    }
  });
  ::close(in);
  return ok;
}

}  // namespace kelvora
