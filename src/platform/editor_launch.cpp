#include "platform/editor_launch.h"

#include <sys/stat.h>

#include <system_error>

#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/ui.h"

namespace kelvora {

namespace {

constexpr std::string_view kDefaultOption = "/j";

SpawnStatus StartForReal(const std::vector<std::string>& argv) {
  const int error = StartProcessError(argv);
  return error == 0 ? SpawnStatus() : SpawnStatus::Failed(error);
}

std::string StartFailedText(const std::string& program, int error) {
  const std::string reason =
      error > 0 ? std::error_code(error, std::generic_category()).message() : "原因不明";
  return "エディタを起動できませんでした。　\n\n" + ToDisplay(program) + "\n" + reason + "　";
}

}  // namespace

std::string QuoteEditorArgument(std::string_view path, bool cp932) {
  bool quote = path.find_first_of(" \t") != std::string_view::npos;
  std::string out;
  out.reserve(path.size() + 2);
  if (quote) out += '"';
  std::size_t backslashes = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (cp932 && IsCp932LeadByte(static_cast<unsigned char>(c)) && i + 1 < path.size()) {
      out.append(backslashes, '\\');
      backslashes = 0;
      out += c;
      out += path[++i];
      continue;
    }
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(quote ? backslashes * 2 : backslashes, '\\');
  if (quote) out += '"';
  return out;
}

bool IsEditorTemplate(std::string_view editor_option) {
  return editor_option.find("%f") != std::string_view::npos;
}

EditorCommand BuildEditorCommand(std::string_view editor_path, std::string_view editor_option,
                                 std::string_view path, std::string_view line) {
  std::string_view option = editor_option.empty() ? kDefaultOption : editor_option;
  const bool mifes = EqualsIgnoringAsciiCase(option, "MIFES");
  const bool templated = IsEditorTemplate(option);
  auto tail_with = [&](bool cp932) {
    std::string file = QuoteEditorArgument(path, cp932);
    if (templated) {
      // One pass, so a "%l" in the file's name is never replaced.
      std::string out;
      for (std::size_t i = 0; i < option.size(); ++i) {
        if (option[i] == '%' && i + 1 < option.size() && option[i + 1] == 'f') {
          out += file;
          ++i;
        } else if (option[i] == '%' && i + 1 < option.size() && option[i + 1] == 'l') {
          out += line;
          ++i;
        } else {
          out += option[i];
        }
      }
      return out;
    }
    if (mifes) return file + "+" + std::string(line);
    return std::string(option) + std::string(line) + " " + file;
  };
  // The splitter reads a line that is not UTF-8 as CP932, where 0x5C may be a second byte.
  std::string tail = tail_with(false);
  if (!IsValidUtf8(tail)) tail = tail_with(true);

  EditorCommand command;
  command.command_line = std::string(editor_path) + " " + tail;
  // Only the arguments are split: a placeholder stands in for the program name, whose own
  // splitting rules differ, and the editor path is taken whole.
  std::vector<std::string> args = SplitCommandLine("x " + tail);
  command.argv.emplace_back(editor_path);
  for (std::size_t i = 1; i < args.size(); ++i) command.argv.push_back(std::move(args[i]));
  return command;
}

EditorLauncher::EditorLauncher(std::string editor_path, std::string editor_option, Spawner spawn,
                               PathExists exists)
    : editor_path_(std::move(editor_path)),
      editor_option_(editor_option.empty() ? std::string(kDefaultOption)
                                           : std::move(editor_option)),
      spawn_(spawn ? std::move(spawn) : Spawner(StartForReal)),
      exists_(exists ? std::move(exists) : PathExists(FileOrFolderExists)) {}

OpenResult EditorLauncher::Open(std::string_view file, std::string_view line, Ui& ui) const {
  if (editor_path_.empty()) {
    ui.Message("エディタが設定されていません！　\nプロパティにてエディタ設定を行って下さい。　");
    return OpenResult::NoEditor;
  }
  // A position read back from a CP932 file holds a UTF-8 name in CP932 or escaped form.
  const std::string stored(file);
  const std::string path =
      stored.find('\0') != std::string::npos || exists_(stored)
          ? stored
          : RealPathOf(stored, [this](const std::string& p) { return exists_(p); });
  if (path.find('\0') != std::string::npos || !exists_(path)) {
    ui.Message("ファイルがありません。　\n\n" + ToDisplay(path) + "　");
    return OpenResult::NoFile;
  }
  EditorCommand command = BuildEditorCommand(editor_path_, editor_option_, path, line);
  const SpawnStatus status = spawn_(command.argv);
  if (status.started()) return OpenResult::Started;
  ui.Message(StartFailedText(command.argv.front(), status.error), Ui::kCaption, MsgIcon::Warning);
  return OpenResult::StartFailed;
}

}  // namespace kelvora
