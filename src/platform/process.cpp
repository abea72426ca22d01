#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "platform/cp932.h"
#include "platform/files.h"

extern char** environ;

namespace kelvora {
namespace {

bool IsSeparator(char c) {
  return c == ' ' || c == '\t';
}

// Waits for one child on a detached thread, so a started program never stays a zombie and no
// process-wide SIGCHLD handling disturbs other code that waits for its own children.
void ReapInBackground(pid_t pid) {
  std::thread([pid] {
    int status;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view s) {
  const bool cp932 = !IsValidUtf8(s);
  std::vector<std::string> args;
  std::size_t i = 0;
  while (i < s.size() && IsSeparator(s[i])) ++i;
  if (i >= s.size()) return args;

  // Copies one character (two bytes for a CP932 double-byte character) to arg.
  auto copy_char = [&](std::string& arg) {
    if (cp932 && IsCp932LeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size())
      arg.push_back(s[i++]);
    arg.push_back(s[i++]);
  };

  // The program name: quotes toggle grouping, nothing is escaped.
  std::string arg;
  bool quoted = false;
  while (i < s.size()) {
    if (s[i] == '"') {
      quoted = !quoted;
      ++i;
    } else if (IsSeparator(s[i]) && !quoted) {
      break;
    } else {
      copy_char(arg);
    }
  }
  args.push_back(std::move(arg));
  while (i < s.size() && IsSeparator(s[i])) ++i;
  if (i >= s.size()) return args;

  // The other arguments.
  arg.clear();
  int backslashes = 0;
  int quotes = 0;  // 0 outside quotes; counts consecutive quotes as Windows does
  while (i < s.size()) {
    char c = s[i];
    if (IsSeparator(c) && quotes == 0) {
      args.push_back(std::move(arg));
      arg.clear();
      while (i < s.size() && IsSeparator(s[i])) ++i;
      backslashes = 0;
      if (i >= s.size()) return args;
    } else if (c == '\\') {
      arg.push_back(c);
      ++i;
      ++backslashes;
    } else if (c == '"') {
      if (backslashes % 2 == 0) {
        arg.resize(arg.size() - backslashes / 2);
        ++quotes;
      } else {
        arg.resize(arg.size() - backslashes / 2 - 1);
        arg.push_back('"');
      }
      ++i;
      backslashes = 0;
      while (i < s.size() && s[i] == '"') {
        if (++quotes == 3) {
          arg.push_back('"');
          quotes = 0;
        }
        ++i;
      }
      if (quotes == 2) quotes = 0;
    } else {
      copy_char(arg);
      backslashes = 0;
    }
  }
  args.push_back(std::move(arg));
  return args;
}

int SpawnDetached(const std::vector<std::string>& argv) {
  int pid = -1;
  return StartProcessError(argv, &pid) == 0 ? pid : -1;
}

int StartProcessError(const std::vector<std::string>& argv, int* child) {
  if (argv.empty() || argv[0].empty()) return ENOENT;
  std::vector<char*> raw;
  raw.reserve(argv.size() + 1);
  for (const auto& a : argv) raw.push_back(const_cast<char*>(a.c_str()));
  raw.push_back(nullptr);

  posix_spawnattr_t attr;
  if (const int rc = posix_spawnattr_init(&attr); rc != 0) return rc;
  // The child starts with no blocked signals and default dispositions, whatever this
  // process (or the thread calling) has set up.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, raw[0], nullptr, &attr, raw.data(), environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return rc;
  ReapInBackground(pid);
  if (child != nullptr) *child = pid;
  return 0;
}

bool StartProcess(const std::vector<std::string>& argv) {
  return SpawnDetached(argv) > 0;
}

bool StartProcess(std::string_view command_line) {
  return StartProcess(SplitCommandLine(command_line));
}

bool OpenWithDesktop(std::string_view path) {
  if (path.empty()) return false;
  std::string target(path);
  if (target.front() == '-') target = "./" + target;  // never read as an option
  return StartProcess(std::vector<std::string>{"xdg-open", target});
}

InstanceLock::InstanceLock(std::string name) {
  if (name.find('/') != std::string::npos) {
    path_ = std::move(name);
  } else {
    std::string dir;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (runtime && *runtime == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
      dir = runtime;
    else
      dir = TempDirectory();
    path_ = dir + "/" + name;
  }
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) {
    // No lock file can be made, so no other instance can hold one either: start unguarded
    // rather than refuse to start.
    held_ = true;
    return;
  }
  int rc;
  while ((rc = ::flock(fd_, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  held_ = rc == 0;
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

std::uint64_t TickCountMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string ElapsedSecondsText(std::uint64_t ms) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%llu.%03u", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned>(ms % 1000));
  return buf;
}

}  // namespace kelvora
