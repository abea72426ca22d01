// Runs a test body in a child process without root's rights, so permission bits count.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace kelvora::testing {

// The child runs as "nobody" when the tests run as root; its exit code comes back, 125 when it
// could not start, 126 when it did not exit normally.
inline int RunWithoutRootRights(const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid < 0) return 125;
  if (pid == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(125);
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 126;
}

}  // namespace kelvora::testing
