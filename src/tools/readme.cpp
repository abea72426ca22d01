#include "tools/readme.h"

#include <sys/stat.h>

#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/files.h"
#include "platform/line_reader.h"
#include "platform/ui.h"

namespace kelvora {

namespace {}  // namespace

int ChangeHistoryLine(LineSource& lines) {
  static const std::string kUtf8 = "■変更履歴";
  static const std::string kSjis = Utf8ToCp932(kUtf8);
  std::string line;
  for (int number = 1; lines.ReadLine(line); ++number) {
    std::string_view text = line;
    if (number == 1 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (EqualsIgnoringAsciiCase(text, kUtf8) || EqualsIgnoringAsciiCase(text, kSjis)) return number;
  }
  return 1;
}

std::vector<std::string> ReadmeCandidates(const std::string& program_dir) {
  std::vector<std::string> out{program_dir + "/readme.txt"};
  const std::size_t slash = program_dir.rfind('/');
  if (slash != std::string::npos)
    out.push_back(program_dir.substr(0, slash) + "/share/kelvora/readme.txt");
  return out;
}

bool ShowReadme(const std::string& program_dir, const EditorLauncher& editor, Ui& ui) {
  const std::vector<std::string> candidates = ReadmeCandidates(program_dir);
  for (const std::string& path : candidates) {
    if (!IsFile(path)) continue;
    FileLineReader reader;
    int line = 1;
    if (reader.Open(path)) line = ChangeHistoryLine(reader);
    return editor.Open(path, std::to_string(line), ui) == OpenResult::Started;
  }
  ui.Message("readme.txt がありません。　\n\n" + ToDisplay(candidates.front()) + "　", Ui::kCaption,
             MsgIcon::Warning);
  return false;
}

std::vector<std::string> ManualCandidates(const std::string& program_dir) {
  std::vector<std::string> out{program_dir + "/manual/index.html"};
  const std::size_t slash = program_dir.rfind('/');
  if (slash != std::string::npos)
    out.push_back(program_dir.substr(0, slash) + "/share/doc/kelvora/manual/index.html");
  return out;
}

bool ShowManual(const std::string& program_dir, Ui& ui) {
  const std::vector<std::string> candidates = ManualCandidates(program_dir);
  for (const std::string& path : candidates) {
    if (!IsFile(path)) continue;
    if (ui.OpenWithDefaultApp(path)) return true;
    ui.Message("マニュアルを開けませんでした。　\n\n" + ToDisplay(path) + "　", Ui::kCaption,
               MsgIcon::Warning);
    return false;
  }
  ui.Message("マニュアルがありません。　\n\n" + ToDisplay(candidates.back()) + "　", Ui::kCaption,
             MsgIcon::Warning);
  return false;
}

}  // namespace kelvora
