#include "platform/files.h"

#include "platform/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

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

// Writes through the output writer: fill(out) writes the content, which then replaces path;
// errno says why on failure.
template <typename Fill>
bool ReplaceFile(const std::string& path, Fill fill) {
  OutputFile out;
  if (!out.Open(path)) {
    errno = out.error_number();
    return false;
  }
  if (!fill(out)) {
    const int e = errno;
    out.Discard();
    errno = e;
    return false;
  }
  if (out.Commit()) return true;
  errno = out.error_number();
  return false;
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

PrivateTempFolder::~PrivateTempFolder() {
  if (path_.empty()) return;
  if (DIR* d = ::opendir(path_.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      const std::string_view name = e->d_name;
      if (name != "." && name != "..") ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
  }
  ::rmdir(path_.c_str());
}

bool PrivateTempFolder::Create(std::string_view prefix) {
  std::string name(prefix);
  if (name.empty() || name.find('/') != std::string::npos) name = "kelvora";
  std::string tmpl = TempDirectory() + "/" + name + "-XXXXXX";
  if (!::mkdtemp(tmpl.data())) return false;
  path_ = std::move(tmpl);
  return true;
}

std::string InputErrorText(int err, std::uint64_t limit) {
  if (err == EINVAL) return "not a regular file (a FIFO, device or socket is not read)";
  if (err == EFBIG && limit != kUnlimitedInput)
    return "file too large (over " + std::to_string(limit) + " bytes)";
  return std::strerror(err);
}

int OpenInputFile(const std::string& path, std::uint64_t limit, std::string* why) {
  const auto refuse = [&](int fd, int err) {
    if (fd >= 0) ::close(fd);
    if (why) *why = InputErrorText(err, limit);
    errno = err;
    return -1;
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return refuse(-1, errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) return refuse(fd, errno);
  if (S_ISDIR(st.st_mode)) return refuse(fd, EISDIR);
  if (!S_ISREG(st.st_mode)) return refuse(fd, EINVAL);
  if (static_cast<std::uint64_t>(st.st_size) > limit) return refuse(fd, EFBIG);
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return refuse(fd, errno);
  return fd;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::uint64_t limit,
                                         std::string* why) {
  const int fd = OpenInputFile(path, limit, why);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::string out;
  if (::fstat(fd, &st) == 0 && st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
  char buf[64 * 1024];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      out.append(buf, static_cast<std::size_t>(n));
      if (out.size() > limit) {  // grew while being read
        ::close(fd);
        if (why) *why = InputErrorText(EFBIG, limit);
        errno = EFBIG;
        return std::nullopt;
      }
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      const int err = errno;
      ::close(fd);
      if (why) *why = InputErrorText(err, limit);
      errno = err;
      return std::nullopt;
    }
  }
  ::close(fd);
  return out;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  return ReplaceFile(path, [&](OutputFile& out) {
    out.Write(bytes);
    return true;
  });
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
  bool ok = ReplaceFile(to, [&](OutputFile& out) {
    char buf[64 * 1024];
    for (;;) {
      ssize_t n = ::read(in, buf, sizeof buf);
      if (n == 0) return true;
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      out.Write(std::string_view(buf, static_cast<std::size_t>(n)));
    }
  });
  ::close(in);
  return ok;
}

}  // namespace kelvora
