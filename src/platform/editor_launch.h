// Open at position: builds the editor's command line for a "path(line)" text and starts it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvora {

class Ui;

// What starting a program gave: started, or the system's error number. A spawner may answer
// with a bool; false then means a failure of unknown reason.
struct SpawnStatus {
  int error = 0;  // 0 started; > 0 the system's error number; -1 unknown
  SpawnStatus(bool started = true) : error(started ? 0 : -1) {}  // NOLINT: spawners answer bool
  static SpawnStatus Failed(int error_number) {
    SpawnStatus s;
    s.error = error_number != 0 ? error_number : -1;
    return s;
  }
  bool started() const { return error == 0; }
};

// Starts argv (argv[0] is the program) without waiting.
using Spawner = std::function<SpawnStatus(const std::vector<std::string>& argv)>;
// True when a file or folder exists at the path.
using PathExists = std::function<bool(const std::string& path)>;

enum class OpenResult {
  Started,
  NoEditor,     // EditorPath is empty (message shown)
  NoPosition,   // the text is no "path(line)" position (silent; see OpenPosition)
  NoFile,       // nothing exists at the path (message shown)
  StartFailed,  // the editor could not be started (message with the program and the reason)
};

// The editor command line and the arguments it is started with.
struct EditorCommand {
  std::string command_line;
  std::vector<std::string> argv;
};

// Writes a path as one argument for the Windows splitting rules: quoted when it holds a blank
// or tab, with quotes and the backslashes before them (or before the closing quote) escaped so
// the argument comes back unchanged. A plain path stays as it is. With cp932 a double-byte
// character is kept whole, so a second byte 0x5C is never taken for a backslash.
std::string QuoteEditorArgument(std::string_view path, bool cp932 = false);

// An option holding "%f" is a template: "%f" stands for the file, "%l" for the line
// ("--goto %f:%l", "-l %l %f", "+%l %f", "-n +%l %f").
bool IsEditorTemplate(std::string_view editor_option);

// A template option gives "%s %s" with the option's "%f" and "%l" replaced; otherwise
// "%s %s+%s" for the option "MIFES" (any case), else "%s %s%s %s"; an empty option is "/j".
// The editor path is the whole of argv[0] even when it holds blanks; the rest of the command
// line is split by the Windows rules.
EditorCommand BuildEditorCommand(std::string_view editor_path, std::string_view editor_option,
                                 std::string_view path, std::string_view line);

// Starts the configured editor at full positions.
class EditorLauncher {
 public:
  // An empty spawner starts processes for real (no shell, not waited for); an empty existence
  // check asks the file system.
  EditorLauncher(std::string editor_path, std::string editor_option, Spawner spawn = {},
                 PathExists exists = {});
  // The editor of a settings object (its editor_path and editor_option).
  template <class EditorSettings>
  static EditorLauncher FromSettings(const EditorSettings& settings, Spawner spawn = {},
                                     PathExists exists = {}) {
    return EditorLauncher(settings.editor_path, settings.editor_option, std::move(spawn),
                          std::move(exists));
  }

  const std::string& editor_path() const { return editor_path_; }
  const std::string& editor_option() const { return editor_option_; }

  // Opens the file at path (bytes as stored) at line, the text a position holds between its
  // parentheses. A path read back from a CP932 file that does not exist as it stands is looked
  // for in its UTF-8 form (RealPathOf). When the editor cannot be started, says so naming the
  // program and the system's reason. A "path(line)" text goes through OpenPosition.
  OpenResult Open(std::string_view path, std::string_view line, Ui& ui) const;

 private:
  std::string editor_path_;
  std::string editor_option_;
  Spawner spawn_;
  PathExists exists_;
};

}  // namespace kelvora
