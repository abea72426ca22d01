// Starting programs without a shell, the single-instance lock and the millisecond clock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

// Splits a command line by the Windows rules: blanks and tabs separate arguments, double quotes
// group (and are removed), 2n backslashes before a quote give n backslashes and a grouping quote,
// 2n+1 give n backslashes and a literal quote, other backslashes are literal. The program name
// (first argument) takes backslashes literally and quotes only group, as Windows reads it.
// A command line that is not UTF-8 is walked as CP932, so a second byte 0x5C is no backslash.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

// Starts the split command line with posix_spawnp (no shell) and does not wait for it;
// the child is reaped in the background. False when it cannot be started.
bool StartProcess(std::string_view command_line);
bool StartProcess(const std::vector<std::string>& argv);
// Like StartProcess, returning the child's process id, or -1 when it cannot be started.
int SpawnDetached(const std::vector<std::string>& argv);
// Like StartProcess: 0 when started (child, when given, receives its id), else the system's
// error number (a missing program, one not executable, a missing interpreter: ENOENT, EACCES...).
int StartProcessError(const std::vector<std::string>& argv, int* child = nullptr);

// Opens a path or URL with the desktop's default application (xdg-open, no shell).
bool OpenWithDesktop(std::string_view path);

// An exclusive lock on Kelvora_RarUviz.lock in $XDG_RUNTIME_DIR (else the temporary folder).
// held() is false when another instance already holds it. A name with a "/" is used as the
// lock file's path. When no lock file can be created at all, held() is true (nothing to guard).
class InstanceLock {
 public:
  explicit InstanceLock(std::string name = "Kelvora_RarUviz.lock");
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  bool held() const { return held_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
  bool held_ = false;
};

// Milliseconds of a steady clock, as a tick count.
std::uint64_t TickCountMs();

// "所要時間" text of an elapsed time: whole seconds, a point, three digits of milliseconds
// (5045 gives "5.045").
std::string ElapsedSecondsText(std::uint64_t ms);

}  // namespace kelvora
