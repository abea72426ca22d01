// "エディタ設定": the editor's path and line option.
#include <sys/stat.h>

#include <cstdio>

#include "platform/ui.h"
#include "settings/property_pages.h"

namespace kelvora {
namespace {

std::string OverLimitText(const char* format, std::size_t limit) {
  char text[160];
  std::snprintf(text, sizeof text, format, static_cast<int>(limit));
  return text;
}

std::string OptionTooLongText() {
  return OverLimitText("起動オプションの指定文字数(%d)オーバーです。　", kEditorOptionLimit);
}

// The folder of a path, for the chooser to start in; empty when the path has none.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

bool EditorFileExists(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

EditorPage ReadEditorPage(const SettingsStore& store, Ui& ui) {
  EditorPage page;
  page.path = ReadText(store, keys::kEditorPath);
  std::string option = ReadText(store, keys::kEditorOption);
  if (option.size() > kEditorOptionLimit) {
    ui.Message(OptionTooLongText(), Ui::kCaption, MsgIcon::Warning);
  } else {
    page.option = std::move(option);
  }
  return page;
}

bool BrowseEditor(EditorPage& page, Ui& ui) {
  std::optional<std::string> chosen =
      ui.ChooseOpenFile(kEditorBrowseTitle, kEditorBrowseFilter, FolderOf(page.path));
  if (!chosen) return false;
  if (chosen->size() > kEditorPathLimit) {
    ui.Message(
        OverLimitText("エディタのファイルパスの指定文字数(%d)オーバーです。　", kEditorPathLimit),
        Ui::kCaption, MsgIcon::Warning);
    return false;
  }
  if (!EditorFileExists(*chosen)) {
    ui.Message("ファイルが存在しません！　", Ui::kCaption, MsgIcon::Warning);
    return false;
  }
  page.path = std::move(*chosen);
  return true;
}

bool SetEditorOption(EditorPage& page, std::string_view text, Ui& ui) {
  if (text.size() > kEditorOptionLimit) {
    ui.Message(OptionTooLongText(), Ui::kCaption, MsgIcon::Warning);
    return false;
  }
  page.option = std::string(text);
  return true;
}

void WriteEditorPage(const EditorPage& page, SettingsStore& store, Ui& ui) {
  WriteText(store, keys::kEditorOption, page.option);
  // No editor chosen yet is not a missing file: nothing to say, nothing to write.
  if (page.path.empty()) return;
  if (!EditorFileExists(page.path)) {
    ui.Message("エディタのファイルパスに指定ファイルが存在しません！　", Ui::kCaption,
               MsgIcon::Warning);
    return;
  }
  WriteText(store, keys::kEditorPath, page.path);
}

}  // namespace kelvora
