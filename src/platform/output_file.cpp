#include "platform/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include "platform/cp932.h"
#include "platform/files.h"

namespace kelvora {

namespace {

constexpr std::size_t kFlushAt = 1 << 20;
constexpr std::string_view kTempMark = "~kelvora";

std::atomic<bool> g_stopped{false};

// The temporary files being written, removed when a run is interrupted.
struct Pending {
  std::mutex mutex;
  std::vector<std::string> temps;
  std::set<std::string> swept;  // folders already cleared of temporary files of dead runs
};

Pending& pending() {
  static Pending* p = new Pending;  // outlives every static object: used by a watchdog thread
  return *p;
}

bool WriteAll(int fd, const char* data, std::size_t size, int& error) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    if (n == 0) {
      error = EIO;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::string DirOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write to path replaces: the final target of a chain of symbolic links (which
// need not exist yet), else path itself. False with errno on a loop.
bool FollowLinks(const std::string& path, std::string& target) {
  target = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::string link(4096, '\0');
    const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
    if (n < 0) return false;
    link.resize(static_cast<std::size_t>(n));
    if (link.front() == '/') {
      target = link;
    } else {
      target = DirOf(target);
      target.append("/").append(link);
    }
  }
  errno = ELOOP;
  return false;
}

// "name~kelvora<pid>-<n>" of a process that no longer runs; with a base, only those of that
// output (whose name may have been cut to fit).
bool IsStaleTemp(std::string_view name, std::string_view base) {
  const std::size_t mark = name.rfind(kTempMark);
  if (mark == std::string_view::npos || mark == 0) return false;
  if (!base.empty() && !base.starts_with(name.substr(0, mark))) return false;
  std::string_view rest = name.substr(mark + kTempMark.size());
  const std::size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9 || dash + 1 == rest.size())
    return false;
  const auto digits = [](std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!digits(rest.substr(0, dash)) || !digits(rest.substr(dash + 1))) return false;
  const pid_t pid = static_cast<pid_t>(std::stol(std::string(rest.substr(0, dash))));
  if (pid == ::getpid()) return false;
  if (::kill(pid, 0) != 0) return errno == ESRCH;
  // A killed run its parent has not reaped yet (in a container whose first process never reaps,
  // that is for good) still answers kill(); it writes nothing any more.
  char stat_path[32];
  std::snprintf(stat_path, sizeof stat_path, "/proc/%d/stat", static_cast<int>(pid));
  std::FILE* f = std::fopen(stat_path, "r");
  if (!f) return false;
  char line[512] = {};
  const std::size_t n = std::fread(line, 1, sizeof line - 1, f);
  std::fclose(f);
  const char* close = std::strrchr(line, ')');  // the command name may hold blanks and ")"
  return n > 0 && close && close[1] == ' ' && (close[2] == 'Z' || close[2] == 'X');
}

// Removes the temporary files that killed runs left in dir: those of base each time, or (for
// the many pages of a site, base empty) those of any name once per folder and process.
void SweepStaleTemps(const std::string& dir, std::string_view base) {
  if (base.empty()) {
    std::lock_guard<std::mutex> lock(pending().mutex);
    if (!pending().swept.insert(dir).second) return;
  }
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  while (const dirent* e = ::readdir(d)) {
    if (IsStaleTemp(e->d_name, base)) ::unlinkat(::dirfd(d), e->d_name, 0);
  }
  ::closedir(d);
}

void Unregister(const std::string& temp) {
  std::lock_guard<std::mutex> lock(pending().mutex);
  auto& temps = pending().temps;
  temps.erase(std::remove(temps.begin(), temps.end(), temp), temps.end());
}

// Copies the bytes of an open file to fd.
bool CopyInto(int from, int to, int& error) {
  char buf[64 * 1024];
  for (;;) {
    const ssize_t n = ::read(from, buf, sizeof buf);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    if (!WriteAll(to, buf, static_cast<std::size_t>(n), error)) return false;
  }
}

// Opens a FIFO or a character device for writing through; -1 with a reason otherwise.
int OpenInPlace(const std::string& target, const struct stat& st, std::string& reason) {
  if (S_ISDIR(st.st_mode)) {
    reason = std::strerror(EISDIR);
  } else if (S_ISSOCK(st.st_mode)) {
    reason = "a socket is not written to";
  } else if (S_ISBLK(st.st_mode)) {
    reason = "a block device is not written to";
  } else {
    // A FIFO without a reader would wait for ever: it is refused instead.
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      return fd;
    }
    reason =
        errno == ENXIO && S_ISFIFO(st.st_mode) ? "FIFO without a reader" : std::strerror(errno);
  }
  return -1;
}

// The last step of every replacement: unless the run was interrupted, temp (given mode when not
// 0) is renamed over target, which is not followed if it is a link.
bool RenameOver(const std::string& temp, const std::string& target, mode_t mode) {
  std::lock_guard<std::mutex> lock(pending().mutex);
  auto& temps = pending().temps;
  temps.erase(std::remove(temps.begin(), temps.end(), temp), temps.end());
  if (g_stopped.load()) {
    ::unlink(temp.c_str());
    errno = EINTR;
    return false;
  }
  if (mode != 0) ::chmod(temp.c_str(), mode);
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int e = errno;
    ::unlink(temp.c_str());
    errno = e;
    return false;
  }
  return true;
}

}  // namespace

std::string OutputOpenErrorText(const std::string& path, int error) {
  return std::string(kOutputOpenError) + "\n" + ToDisplay(path) + "\n" + std::strerror(error);
}

int CreateTempBeside(const std::string& target, std::string& temp, bool page) {
  static std::atomic<unsigned> counter{0};
  const std::string dir = DirOf(target);
  const std::string base = BaseOf(target);
  SweepStaleTemps(dir, page ? std::string_view() : std::string_view(base));
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string suffix = std::string(kTempMark) + std::to_string(::getpid()) + "-" +
                               std::to_string(counter.fetch_add(1));
    // A name near the length limit is cut (at a byte that starts no multi-byte tail).
    std::string head = base;
    if (head.size() + suffix.size() > 255) head.resize(255 - suffix.size());
    temp = dir == "/" ? std::string() : dir;
    temp.append("/").append(head).append(suffix);
    std::lock_guard<std::mutex> lock(pending().mutex);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      pending().temps.push_back(temp);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

int CreateOutputTemp(const std::string& path, std::string& temp) {
  std::string target;
  if (!FollowLinks(path, target)) return -1;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      return -1;
    }
    target = TempDirectory() + "/" + BaseOf(target);
  }
  return CreateTempBeside(target, temp);
}

void ForgetPendingOutput(const std::string& temp) {
  Unregister(temp);
}

bool PlaceFinishedOutput(const std::string& temp, const std::string& target_path, bool sync) {
  std::string target;
  struct stat st {};
  if (!FollowLinks(target_path, target)) {
    const int e = errno;
    ::unlink(temp.c_str());
    Unregister(temp);
    errno = e;
    return false;
  }
  if (::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    std::string reason;
    const int out = OpenInPlace(target, st, reason);
    int error = EINVAL;
    bool ok = out >= 0;
    if (ok) {
      const int in = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
      ok = in >= 0 && CopyInto(in, out, error);
      if (in >= 0) ::close(in);
      ok = ::close(out) == 0 && ok;
    }
    ::unlink(temp.c_str());
    Unregister(temp);
    errno = ok ? 0 : error;
    return ok;
  }
  if (sync) {
    const int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fdatasync(fd) == 0;
    const int e = errno;
    if (fd >= 0) ::close(fd);
    if (!synced) {
      ::unlink(temp.c_str());
      Unregister(temp);
      errno = e;
      return false;
    }
  }
  return RenameOver(temp, target, S_ISREG(st.st_mode) ? st.st_mode & 07777 : 0);
}

void StopCommittingOutputs() {
  g_stopped.store(true);
}

bool OutputsStopped() {
  return g_stopped.load();
}

void RemovePendingOutputs() {
  g_stopped.store(true);
  std::lock_guard<std::mutex> lock(pending().mutex);
  for (const std::string& temp : pending().temps) ::unlink(temp.c_str());
  pending().temps.clear();
}

OutputFile::~OutputFile() {
  Discard();
}

void OutputFile::Fail(std::string_view first_line, int error) {
  Fail(first_line, std::strerror(error), error);
}

void OutputFile::Fail(std::string_view first_line, std::string_view reason, int error) {
  if (failed_) return;
  failed_ = true;
  error_ = error;
  message_ = std::string(first_line) + "\n" + ToDisplay(path_) + "\n" + std::string(reason);
}

bool OutputFile::Open(const std::string& path, Mode mode) {
  Discard();
  failed_ = false;
  error_ = 0;
  appended_ = false;
  in_place_ = false;
  sync_ = mode == Mode::Replace;
  message_.clear();
  path_ = path;
  buffer_.reserve(kFlushAt + 4096);
  if (path.empty()) {
    Fail(kOutputOpenError, ENOENT);
    return false;
  }
  struct stat st {};
  const bool page = mode != Mode::Replace;
  page_ = page;
  if (page) {
    target_ = path;
    if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
      Fail(kOutputOpenError, S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "not a regular file");
      return false;
    }
  } else {
    if (!FollowLinks(path, target_)) {
      Fail(kOutputOpenError, errno);
      return false;
    }
    if (::stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
      std::string reason;
      fd_ = OpenInPlace(target_, st, reason);
      if (fd_ < 0) {
        Fail(kOutputOpenError, reason);
        return false;
      }
      in_place_ = true;
      return true;
    }
  }
  fd_ = CreateTempBeside(target_, temp_, page);
  if (fd_ < 0) {
    Fail(kOutputOpenError, errno);
    temp_.clear();
    return false;
  }
  if (mode == Mode::PageAppend) {
    // The page so far, read without following a link: a link planted in its place is not
    // read, and the rename below replaces the link itself.
    const int old = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (old >= 0) {
      struct stat ost {};
      int error = 0;
      if (::fstat(old, &ost) == 0 && S_ISREG(ost.st_mode)) {
        appended_ = true;
        if (!CopyInto(old, fd_, error)) Fail(kOutputWriteError, error);
      }
      ::close(old);
    }
  }
  return !failed_;
}

void OutputFile::Write(std::string_view bytes) {
  if (fd_ < 0 || failed_) return;
  buffer_.append(bytes);
  if (buffer_.size() >= kFlushAt) Flush();
}

void OutputFile::Flush() {
  int error = 0;
  if (fd_ >= 0 && !failed_ && !WriteAll(fd_, buffer_.data(), buffer_.size(), error))
    Fail(kOutputWriteError, error);
  buffer_.clear();
}

bool OutputFile::Commit() {
  if (fd_ < 0) return false;
  Flush();
  if (!failed_ && !in_place_ && sync_ && ::fdatasync(fd_) != 0) Fail(kOutputWriteError, errno);
  if (::close(fd_) != 0) Fail(kOutputWriteError, errno);
  fd_ = -1;
  if (in_place_) return !failed_;
  if (failed_) {
    Discard();
    return false;
  }
  const std::string temp = std::move(temp_);
  temp_.clear();
  struct stat st {};
  const bool placed = page_ ? RenameOver(temp, target_,
                                         ::lstat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode)
                                             ? st.st_mode & 07777
                                             : 0)
                            : PlaceFinishedOutput(temp, target_);
  if (!placed) {
    Fail(kOutputWriteError, errno);
    return false;
  }
  return true;
}

void OutputFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffer_.clear();
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    Unregister(temp_);
    temp_.clear();
  }
}

}  // namespace kelvora
