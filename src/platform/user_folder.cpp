#include "platform/user_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace kelvora {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string StripTrailingSlashes(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

std::string EnsureFolder(std::string dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return StripTrailingSlashes(std::move(dir));
}

std::string HomeDirectory() {
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/tmp";
}

}  // namespace

std::string ProgramDirectory() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return std::filesystem::current_path(ec).string();
  return exe.parent_path().string();
}

std::string UserFolder() {
  std::string home = Env("KELVORA_HOME");
  if (!home.empty()) return EnsureFolder(home);
  // The XDG rules ignore a relative XDG_CONFIG_HOME.
  std::string config = Env("XDG_CONFIG_HOME");
  if (config.empty() || config.front() != '/') config = HomeDirectory() + "/.config";
  return EnsureFolder(StripTrailingSlashes(config) + "/Kelv");
}

std::string SettingsFolder() {
  std::string home = Env("KELVORA_HOME");
  if (!home.empty()) return EnsureFolder(home);
  std::string program = ProgramDirectory();
  if (!program.empty() && ::access(program.c_str(), W_OK) == 0) return program;
  return UserFolder();
}

std::string SettingsFilePath() {
  return SettingsFolder() + "/Kelvora.ini";
}

std::string UserStorePath() {
  return UserFolder() + "/registry.ini";
}

bool CheckSettingsSavable(const std::string& settings_file, Ui& ui) {
  const std::size_t slash = settings_file.rfind('/');
  const std::string dir = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : settings_file.substr(0, slash);
  // A real attempt: access() says yes to the super-user even where a write fails (a read-only
  // file system answers EROFS only to an attempt).
  std::string probe = dir + "/.kelvora-write-check-XXXXXX";
  const int fd = ::mkstemp(probe.data());
  if (fd >= 0) {
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
  }
  const int err = errno;
  ui.Message(
      "設定ファイルを保存できません（設定フォルダに書き込めません）。　\n"
      "変更した設定は、この実行の間だけ有効です。　\n" +
          settings_file + "\n" + std::strerror(err),
      Ui::kCaption, MsgIcon::Warning);
  return false;
}

}  // namespace kelvora
