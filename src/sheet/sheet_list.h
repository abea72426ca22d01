// Sheet-name listings: the sheet names of one workbook, or of every workbook below a folder, as
// text or CSV; and the main-window commands that write them to a file.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"

namespace kelvora {

class EditorLauncher;

enum class SheetListForm { Text, Csv };

// "出力が完了しました。ファイルを開きますか？　" after a listing was written.
inline constexpr QuestionId kAskOpenSheetList{"sheet.open-list"};

inline constexpr std::string_view kSheetListCsvHeader =
    "パス(ディレクトリのみ),ファイル名,シート数,シート名1,シート名2,シート名3,…\n";

// The workbooks (.xls, .xlsx, .xlsm, .ods) in folder and below it ("" is the file-system root),
// found by the analysis run's directory walk: names in byte order, each folder before the
// folders below it.
std::vector<std::string> FindWorkbooks(const std::string& folder);

// Receives the listing as UTF-8 text with "\n" line ends, one workbook at a time.
using ListSink = std::function<void(std::string_view)>;

struct SheetListRun {
  int listed = 0;
  int unreadable = 0;  // workbooks that gave a message and were left out
  bool cancelled = false;
};

// Lists each workbook in the given form. A workbook that cannot be read shows a message naming
// it and the listing goes on. With poll_escape, Escape between workbooks asks whether to stop.
SheetListRun ListSheetNames(const std::vector<std::string>& workbooks, SheetListForm form, Ui& ui,
                            const ListSink& sink, bool poll_escape = false);

// The listing of one workbook whose names are known (the folder and file come from path).
std::string FormatSheetList(std::string_view path, const std::vector<std::string>& names,
                            SheetListForm form);

// "(&1) シート名一覧取得（ファイル指定）": one workbook, text file.
void ListSheetNamesOfFile(Ui& ui, const EditorLauncher& editor);
// "(&2) …（フォルダ指定-CSV出力）" and "(&3) …（フォルダ指定-TEXT出力）".
void ListSheetNamesOfFolder(Ui& ui, const EditorLauncher& editor, SheetListForm form);

// Shared by the listing and generation commands.
inline constexpr std::string_view kMissingFileMessage =
    "指定されたファイルが存在しません。　\n終了します。";
inline constexpr std::string_view kCancelMessage = "キャンセルします！　";

}  // namespace kelvora
