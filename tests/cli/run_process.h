// Runs a program without a shell and captures its exit status, standard output and error.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace kelvora::testing {

struct ProcessResult {
  int status = -1;
  std::string out;
  std::string err;
  bool timed_out = false;
};

// A child still running after timeout_seconds (when above 0) is killed; its status is then -1
// and timed_out is set. stdout_path sends standard output to that file (for example /dev/full)
// instead of result.out.
inline ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& work_dir,
                                const std::vector<std::string>& extra_env = {},
                                int timeout_seconds = 0, const std::string& stdout_path = {}) {
  ProcessResult result;
  TempDir io;
  const std::string out_path = stdout_path.empty() ? (io.path() / "out").string() : stdout_path;
  const std::string err_path = (io.path() / "err").string();

  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> env_text;
  for (char** e = environ; *e; ++e) env_text.emplace_back(*e);
  for (const auto& e : extra_env) env_text.push_back(e);
  std::vector<char*> env;
  for (auto& e : env_text) env.push_back(e.data());
  env.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

  // The child changes to work_dir by running from it: spawn from a saved and restored cwd.
  std::string old_cwd = std::filesystem::current_path().string();
  std::filesystem::current_path(work_dir);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
  std::filesystem::current_path(old_cwd);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return result;

  int wstatus = 0;
  if (timeout_seconds > 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    while (waitpid(pid, &wstatus, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &wstatus, 0);
        result.timed_out = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  } else {
    waitpid(pid, &wstatus, 0);
  }
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  if (stdout_path.empty()) result.out = TempDir::Read(out_path);
  result.err = TempDir::Read(err_path);
  return result;
}

}  // namespace kelvora::testing
