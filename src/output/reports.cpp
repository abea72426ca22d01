#include "output/reports.h"

#include <sys/stat.h>
#include <optional>

#include "data/position.h"
#include "data/registration_lists.h"
#include "output/sjis_writer.h"
#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/output_date.h"
#include "platform/output_file.h"
#include "platform/version.h"

namespace kelvora {

namespace {

constexpr const char* kSaveTitle = "■■ ファイル出力先を指定 ■■";

const char* const kInfoLabels[] = {"関数一覧     ", "構造体一覧   ", "#define一覧  ",
                                   "ファイル一覧 ", "テーブル一覧 "};

std::tm Now() {
  const std::time_t now = std::time(nullptr);
  std::tm date{};
  localtime_r(&now, &date);
  return date;
}

// Opens the output or says why not; puts it in place with a check that every byte was written.
class ReportFile {
 public:
  bool Open(const std::string& path, Ui& ui) {
    if (file_.Open(path)) return true;
    ui.Message(file_.message(), Ui::kCaption, MsgIcon::Error);
    return false;
  }
  std::ostream& stream() { return stream_; }
  bool Close(Ui& ui) {
    stream_.flush();
    if (file_.Commit()) return true;
    ui.Message(file_.message(), Ui::kCaption, MsgIcon::Error);
    return false;
  }

 private:
  OutputFile file_;
  SinkStream stream_{file_};
};

std::optional<std::string> AskPath(Ui& ui, const char* filter, const char* name) {
  std::optional<std::string> path = ui.ChooseSaveFile(kSaveTitle, filter, name);
  if (!path || path->empty()) {
    ui.Message("キャンセルします！　", Ui::kCaption, MsgIcon::Information);
    return std::nullopt;
  }
  return path;
}

}  // namespace

void WriteInfoListText(std::ostream& out, const RegisteredData& data, bool with_positions,
                       const std::tm& date) {
  SjisWriter w(out);
  w.Text("Kelvora Ver.").Text(kVersionText).Text("\n");
  w.Text("【解析実施日付】").Text(OutputDateText(date)).Text("\n\n");
  for (int slot = 0; slot < kListCount; ++slot) {
    w.Text("・").Text(kInfoLabels[slot]).Text("総数：");
    w.Text(std::to_string(data.Count(KindOfSlot(slot)))).Text("\n");
  }
  for (int slot = 0; slot < kListCount; ++slot) {
    const ListKind kind = KindOfSlot(slot);
    const RegistrationList& list = data.List(kind);
    w.Text("\n---------------------------------------------------------------\n");
    w.Text("≪ ").Text(kInfoLabels[slot]).Text(" 総数：").Text(std::to_string(list.RowCount()));
    w.Text("≫\n\n");
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
      if (with_positions) w.Raw(NameToCp932(data.FullPosition(kind, row))).Text("\t");
      const std::string name = list.CellText(row, col::kName);
      w.Raw(kind == ListKind::File ? NameToCp932(name) : name);
      const std::string comment =
          kind == ListKind::File ? std::string() : list.CellText(row, col::kComment);
      if (!comment.empty()) w.Text("\t\t").Raw(comment);
      w.Text("\n");
    }
  }
}

std::string CommentField(std::string_view comment) {
  std::string text(comment);
  if (text.rfind("/*", 0) == 0 || text.rfind("//", 0) == 0) text.erase(0, 2);
  for (std::size_t at = text.find("*/"); at != std::string::npos; at = text.find("*/", at))
    text.erase(at, 2);
  text = std::string(TrimBlanks(text));
  // A comma or a quote anywhere makes the field quoted with its quotes doubled; a bare quote
  // would open a field that swallows the rows after it.
  return CsvField(text);
}

void WriteStepCountCsvText(std::ostream& out, const RegisteredData& data, const std::tm& date) {
  SjisWriter w(out);
  w.Text("Kelvora Ver.").Text(kVersionText).Text("\n");
  w.Text("【解析実施日付】\n").Text(OutputDateText(date)).Text("\n\n");
  w.Text("総ステップ数,実ステップ数,関数名,関数説明,ファイルパス,関数開始行,備考\n");
  const RegistrationList& list = data.List(ListKind::Function);
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    w.Raw(list.CellText(row, col::kTotalSteps)).Text(",");
    w.Raw(list.CellText(row, col::kRealSteps)).Text(",");
    w.Raw(CsvField(list.CellText(row, col::kName))).Text(",");
    w.Raw(CommentField(list.CellText(row, col::kComment))).Text(",");
    const std::string position = NameToCp932(data.FullPosition(ListKind::Function, row));
    const std::optional<Parentheses> at = LastParentheses(position);
    if (!at) {
      // A position without its parentheses: path, line and remark stay empty.
      w.Text(",,\n");
      continue;
    }
    // A folder name may hold a comma or a quote ("operator," a name): such fields are quoted.
    w.Raw(CsvField(position.substr(0, at->open))).Text(",");
    w.Raw(position.substr(at->open + 1, at->close - at->open - 1)).Text(",");
    if (!list.CellText(row, col::kMarker).empty()) w.Text("関数マクロ");
    w.Text("\n");
  }
}

bool WriteInfoList(const RegisteredData& data, const EditorLauncher& editor, Ui& ui) {
  if (data.AllEmpty()) {
    ui.Message("登録データがありません！　", Ui::kCaption, MsgIcon::Warning);
    return false;
  }
  const auto path = AskPath(ui, "テキストファイル (*.txt);;すべてのファイル (*)", "情報一覧.txt");
  if (!path) return false;
  const bool positions =
      ui.AskYesNo(kAskListPositions, "各一覧出力にファイルパスを出力しますか？　");
  ReportFile file;
  if (!file.Open(*path, ui)) return false;
  WriteInfoListText(file.stream(), data, positions, Now());
  if (!file.Close(ui)) return false;
  if (ui.AskYesNo(kAskOpenInfoList, "出力が完了しました。ファイルを開きますか？　"))
    editor.Open(*path, "1", ui);
  return true;
}

bool WriteStepCountCsv(const RegisteredData& data, Ui& ui) {
  if (data.Count(ListKind::Function) == 0) {
    ui.Message("登録データがありません！　", Ui::kCaption, MsgIcon::Warning);
    return false;
  }
  const auto path = AskPath(ui, "CSV (*.csv)", "ステップ数.csv");
  if (!path) return false;
  ReportFile file;
  if (!file.Open(*path, ui)) return false;
  WriteStepCountCsvText(file.stream(), data, Now());
  if (!file.Close(ui)) return false;
  if (ui.AskYesNo(
          kAskOpenStepCsv,
          "出力が完了しました。\n出力ファイルを関連付けられたアプリケーションで開きますか？　\n\n" +
              ToDisplay(*path))) {
    if (!IsFile(*path) || !ui.OpenWithDefaultApp(*path))
      ui.Message("ファイルが見つかりません", Ui::kCaption, MsgIcon::Warning);
  }
  return true;
}

}  // namespace kelvora
