#include "sheet/sheet_list.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "data/registration_lists.h"
#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/file_walk.h"
#include "platform/files.h"
#include "sheet/sheet_names.h"
#include "sheet/sheet_output.h"

namespace kelvora {

namespace {

constexpr std::string_view kFileIntro =
    "[機能説明]\n指定されたEXCELファイルのシート名を取得し、\nTEXTファイルに一覧を出力します。\n";
constexpr std::string_view kFolderIntro =
    "[機能説明]"
    "\n指定されたフォルダ以下のEXCELファイルのシート名を取得し、\nファイルに一覧を出力します。"
    "\n";
constexpr std::string_view kOpenTitle = "■■ 読込EXCELファイルを指定 ■■";
constexpr std::string_view kOpenFilter = "EXCEL ﾌｧｲﾙ {*.xlsx} (*.xlsx *.xlsm *.xls *.ods)";
constexpr std::string_view kFolderTitle = "■■ルートディレクトリ指定■■";
constexpr std::string_view kTextSaveTitle = "■■ シート名一覧TEXTファイル出力先を指定 ■■";
constexpr std::string_view kCsvSaveTitle = "■■ シート名一覧CSVファイル出力先を指定 ■■";
constexpr std::string_view kTextFilter = "*.txt (*.txt);;*.* (*)";
constexpr std::string_view kCsvFilter = "*.csv (*.csv);;*.* (*)";
constexpr std::string_view kInitialName = "EXCELシート名一覧";
constexpr std::string_view kDoneQuestion = "出力が完了しました。ファイルを開きますか？　";
constexpr std::string_view kEscapeQuestion =
    "「ESCキー」が押されました。\n処理をキャンセルしますか？　\n";

// A CSV field: quoted, with its quotes doubled, when it holds a comma, a quote or a line end.
std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// Writes the listing to a file and offers to open it; the flow the three commands share.
void FinishListing(Ui& ui, const EditorLauncher& editor, TempOutput& temp, SheetListForm form) {
  const bool csv = form == SheetListForm::Csv;
  std::optional<std::string> target = ui.ChooseSaveFile(
      csv ? kCsvSaveTitle : kTextSaveTitle, csv ? kCsvFilter : kTextFilter, kInitialName);
  if (!target) {
    temp.Discard();
    ui.SetWaitCursor(false);
    ui.Message(kCancelMessage, Ui::kCaption, MsgIcon::Information);
    return;
  }
  const bool copied = temp.CopyTo(*target, ui);
  ui.SetWaitCursor(false);
  if (!copied) return;
  if (!ui.AskYesNo(kAskOpenSheetList, kDoneQuestion)) return;
  if (csv) {
    if (!ui.OpenWithDefaultApp(*target))
      ui.Message(kFileNotFoundMessage, Ui::kCaption, MsgIcon::Warning);
  } else {
    editor.Open(*target, "1", ui);
  }
}

}  // namespace

std::vector<std::string> FindWorkbooks(const std::string& folder) {
  WalkOptions options;
  options.subfolders = true;
  std::vector<std::string> paths;
  WalkFiles(folder, {".xls", ".xlsx", ".xlsm", ".ods"}, options,
            [&paths](const std::string&, const std::string& path) { paths.push_back(path); });
  return paths;
}

std::string FormatSheetList(std::string_view path, const std::vector<std::string>& names,
                            SheetListForm form) {
  const std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string_view::npos ? "." : ToDisplay(path.substr(0, slash));
  if (folder.empty()) folder = "/";
  const std::string name =
      ToDisplay(slash == std::string_view::npos ? path : path.substr(slash + 1));
  std::string out;
  if (form == SheetListForm::Text) {
    out = "パス(ディレクトリのみ)：" + folder + "\nファイル名：" + name +
          "\n\nシート名一覧\n------------------------------\n";
    char number[16];
    for (std::size_t k = 0; k < names.size(); ++k) {
      std::snprintf(number, sizeof number, "%3d.", static_cast<int>(k + 1));
      out += number + names[k] + "\n";
    }
  } else {
    out = CsvField(folder) + "," + CsvField(name) + "," + std::to_string(names.size());
    for (const std::string& n : names) out += "," + CsvField(n);
  }
  return out + "\n";
}

SheetListRun ListSheetNames(const std::vector<std::string>& workbooks, SheetListForm form, Ui& ui,
                            const ListSink& sink, bool poll_escape) {
  SheetListRun run;
  for (const std::string& path : workbooks) {
    if (poll_escape && ui.PollEscape() && ui.AskYesNo(kAskCancelOnEscape, kEscapeQuestion)) {
      run.cancelled = true;
      break;
    }
    SheetNames names = ReadSheetNames(path);
    if (names.error != WorkbookReadError::None) {
      ++run.unreadable;
      ui.Message(UnreadableWorkbookMessage(path, names), Ui::kCaption, MsgIcon::Warning);
      continue;
    }
    sink(FormatSheetList(path, names.names, form));
    ++run.listed;
  }
  return run;
}

void ListSheetNamesOfFile(Ui& ui, const EditorLauncher& editor) {
  ui.Message(kFileIntro, Ui::kCaption, MsgIcon::Information);
  std::optional<std::string> path = ui.ChooseOpenFile(kOpenTitle, kOpenFilter);
  if (!path) return;
  if (access(path->c_str(), F_OK) != 0) {
    ui.Message(kMissingFileMessage, Ui::kCaption, MsgIcon::Warning);
    return;
  }
  TempOutput temp;
  if (!temp.Create(ui)) return;
  ListSheetNames({*path}, SheetListForm::Text, ui,
                 [&](std::string_view text) { temp.Append(text); });
  FinishListing(ui, editor, temp, SheetListForm::Text);
}

void ListSheetNamesOfFolder(Ui& ui, const EditorLauncher& editor, SheetListForm form) {
  ui.Message(kFolderIntro, Ui::kCaption, MsgIcon::Information);
  std::optional<std::string> folder = ui.ChooseFolder(kFolderTitle);
  if (!folder) return;
  ui.SetWaitCursor(true);
  TempOutput temp;
  if (!temp.Create(ui)) {
    ui.SetWaitCursor(false);
    return;
  }
  if (form == SheetListForm::Csv) temp.Append(kSheetListCsvHeader);
  SheetListRun run = ListSheetNames(
      FindWorkbooks(*folder), form, ui, [&](std::string_view text) { temp.Append(text); },
      /*poll_escape=*/true);
  if (run.cancelled) {
    temp.Discard();
    ui.SetWaitCursor(false);
    return;
  }
  FinishListing(ui, editor, temp, form);
}

}  // namespace kelvora
