#include "sheet/workbook_generate.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/line_reader.h"
#include "platform/process.h"
#include "sheet/sheet_list.h"
#include "sheet/workbook.h"

namespace kelvora {

namespace {

constexpr std::string_view kIntroHead =
    "[機能説明]\n「出力ファイル・シート名を記述したCSV」の内容より、EXCELファイルを生成します。\n"
    "（ファイル名とシート名のみ指定した、空データのEXCELファイルを生成）\n"
    "ファイルは指定フォルダに生成されます。\n\n";
constexpr std::string_view kIntroTail =
    "\n\n【 出力ファイル・シート名を記述したCSV　形式(カンマ区切り) 】\n"
    "    出力ファイル名,シート名1,シート名2,シート名3…\n        ：\n\n【 制限 】\n"
    " ・出力1ファイル内のシート数最大255まで\n"
    " ・シート名は最大31バイトまで(オーバー時、\"文字数オーバー…\"でシート生成)\n"
    "   (出力1ファイル内でシート名の重複指定時は、重複分削除)\n";
constexpr std::string_view kCsvTitle = "■■ 出力ファイル・シート名を記述したCSVを指定 ■■";
constexpr std::string_view kCsvFilter = "*.* (*);;*.csv (*.csv);;*.txt (*.txt)";
constexpr std::string_view kOutFolderTitle = "■■出力先フォルダ指定■■";
constexpr std::string_view kEscapeQuestion =
    "「ESCキー」が押されました。\n処理をキャンセルしますか？　\n";
constexpr std::string_view kSaveFailed =
    "出力先に指定したファイルは現在開かれてるため、保存できません。　";

std::string_view ModeText(SheetOrder order) {
  switch (order) {
    case SheetOrder::Ascending:
      return "※シート名昇順ソート";
    case SheetOrder::Descending:
      return "※シート名降順ソート";
    default:
      return "※シート名ソートなし";
  }
}

std::string ForbiddenMessage(std::string_view file, std::string_view sheet) {
  return "出力指定シート名に不正文字が見つかったため、処理を強制終了します。\n\n出力指定ファイル名"
         "：" +
         std::string(file) + "\n出力指定シート名：" + std::string(sheet) +
         "\n\n※不正文字（下記文字は指定できません）\n    コロン         :\n"
         "    円記号       \\\n    疑問符       ?\n    角かっこ      [ ]\n"
         "    スラッシュ     /\n    アスタリスク   *\n";
}

// Drops whole UTF-8 characters from the end until the text plus tail is short enough.
std::string WithSuffix(std::string base, std::string_view tail) {
  while (!base.empty() && SheetNameTooLong(base + std::string(tail))) {
    std::size_t cut = base.size() - 1;
    while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) --cut;
    base.resize(cut);
  }
  return base + std::string(tail);
}

bool Taken(const std::vector<std::string>& names, std::string_view name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return SameSheetName(n, name); });
}

}  // namespace

GenerationLine SplitGenerationLine(std::string_view raw) {
  // A UTF-8 byte-order mark (the first line of a file saved by a Windows editor) is no part of
  // the name.
  if (raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
  const std::string line = IsValidUtf8(raw) ? std::string(raw) : Cp932ToUtf8(raw);
  GenerationLine out;
  bool first = true;
  std::size_t start = 0;
  while (start <= line.size()) {
    std::size_t comma = line.find(',', start);
    if (comma == std::string::npos) comma = line.size();
    std::size_t from = start;
    while (from < comma && (line[from] == ' ' || line[from] == '\t')) ++from;
    std::string field = line.substr(from, comma - from);
    if (first)
      out.file = std::move(field);
    else if (!field.empty())
      out.sheets.push_back(std::move(field));
    first = false;
    start = comma + 1;
  }
  return out;
}

std::string FindForbiddenSheetName(const std::vector<std::string>& names) {
  for (const std::string& n : names)
    if (n.find_first_of(":\\?[]/*") != std::string::npos || n.front() == '\'' || n.back() == '\'')
      return n;
  return {};
}

SheetPlan PlanSheetNames(const std::vector<std::string>& names, SheetOrder order) {
  std::vector<std::string> ordered;
  if (order == SheetOrder::AsGiven) {
    ordered = names;
  } else {
    // Exact byte order of the CP932 form; the UTF-8 text tells apart names that only differ
    // in characters without a CP932 form.
    std::set<std::pair<std::string, std::string>> set;
    for (const std::string& n : names) set.emplace(Utf8ToCp932(n), n);
    for (const auto& entry : set) ordered.push_back(entry.second);
    if (order == SheetOrder::Descending) std::reverse(ordered.begin(), ordered.end());
  }
  if (ordered.size() > static_cast<std::size_t>(kMaxGeneratedSheets))
    ordered.resize(kMaxGeneratedSheets);

  SheetPlan plan;
  for (std::size_t k = 0; k < ordered.size(); ++k) {
    std::string name =
        SheetNameTooLong(ordered[k]) ? "文字数オーバー" + std::to_string(k + 1) : ordered[k];
    if (Taken(plan.names, name)) {
      const std::string base = name;
      for (int n = 2; Taken(plan.names, name); ++n)
        name = WithSuffix(base, " (" + std::to_string(n) + ")");
      ++plan.renamed;
    }
    plan.names.push_back(std::move(name));
  }
  return plan;
}

namespace {

constexpr std::size_t kFileNameMax = 255;  // bytes of "<file>.xlsx"

// Builds and saves one workbook; false when it was not written (a message was shown).
bool WriteWorkbook(const GenerationLine& line, SheetOrder order, const std::string& out_dir, Ui& ui,
                   GenerationRun& run) {
  const std::string file_shown = ToDisplay(line.file);
  if (line.file.find('/') != std::string::npos || line.file == "." || line.file == "..") {
    ui.Message(
        "出力指定ファイル名が不正なため、このファイルは生成しません。　\n\n出力指定ファイル名：" +
            file_shown,
        Ui::kCaption, MsgIcon::Warning);
    return false;
  }
  // The file system holds names of at most 255 bytes and no NUL: say so, naming the line's name,
  // rather than fail at the save with a reason that fits neither.
  const std::size_t name_bytes = line.file.size() + std::string_view(".xlsx").size();
  if (line.file.find('\0') != std::string::npos || name_bytes > kFileNameMax) {
    std::string shown = file_shown;
    for (std::size_t at; (at = shown.find('\0')) != std::string::npos;) shown.replace(at, 1, "\\0");
    ui.Message(std::string("出力指定ファイル名が不正なため、このファイルは生成しません。　\n\n") +
                   (name_bytes > kFileNameMax
                        ? "ファイル名が長すぎます（" + std::to_string(name_bytes) + "バイト、上限" +
                              std::to_string(kFileNameMax) + "バイト）"
                        : std::string("ファイル名に NUL 文字があります")) +
                   "\n出力指定ファイル名：" + shown,
               Ui::kCaption, MsgIcon::Warning);
    return false;
  }
  if (std::string bad = FindForbiddenSheetName(line.sheets); !bad.empty()) {
    ui.Message(ForbiddenMessage(file_shown, bad), Ui::kCaption, MsgIcon::Warning);
    return false;
  }
  const SheetPlan plan = PlanSheetNames(line.sheets, order);
  run.renamed += plan.renamed;

  Workbook book;
  while (book.Count() < static_cast<int>(plan.names.size()) && book.Add()) {
  }
  // The default "SheetN" names step aside first, so no planned name meets one of them.
  for (int k = 1, n = 1; k <= book.Count(); ++k) {
    std::string temp;
    do temp = "~Sheet" + std::to_string(n++);
    while (Taken(plan.names, temp));
    book.Item(k).SetName(temp);
  }
  for (int k = 1; k <= book.Count() && k <= static_cast<int>(plan.names.size()); ++k) {
    book.Select(k);
    const std::string& name = plan.names[static_cast<std::size_t>(k - 1)];
    if (book.Item(k).SetName(name) != SheetNameError::None) {  // no name the plan lets through
      ui.Message(ForbiddenMessage(file_shown, name), Ui::kCaption, MsgIcon::Warning);
      return false;
    }
  }
  for (int k = static_cast<int>(plan.names.size()) + 1; k <= book.Count(); ++k)
    book.Item(k).SetName("Sheet" + std::to_string(k));
  book.Select(1);

  const std::string path = (out_dir == "/" ? "" : out_dir) + "/" + line.file + ".xlsx";
  std::string detail;
  if (book.SaveAs(path, &detail) != SaveResult::Saved) {
    ui.Message(std::string(kSaveFailed) + "\n" + ToDisplay(path) + "\n" + detail, Ui::kCaption,
               MsgIcon::Warning);
    return false;
  }
  return true;
}

}  // namespace

GenerationRun GenerateWorkbooksFromCsv(const std::string& csv_path, const std::string& out_dir,
                                       SheetOrder order, Ui& ui) {
  GenerationRun run;
  FileLineReader reader;
  struct stat st {};
  if (stat(csv_path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      !reader.Open(csv_path, kCommentFileLimit)) {
    run.missing_csv = true;
    ui.Message(kMissingFileMessage, Ui::kCaption, MsgIcon::Warning);
    return run;
  }
  std::string raw;
  for (int number = 1; reader.ReadLine(raw); ++number) {
    const GenerationLine line = SplitGenerationLine(raw);
    if (line.file.empty()) continue;
    ++run.lines;
    ui.SetStatus(2, "ファイル作成中  (" + std::to_string(number) + ")");
    ui.SetStatus(1, ToDisplay(line.file) + ".xlsx");
    if (WriteWorkbook(line, order, out_dir, ui, run))
      ++run.written;
    else
      ++run.failed;
    if (ui.PollEscape() && ui.AskYesNo(kAskCancelOnEscape, kEscapeQuestion)) {
      run.cancelled = true;
      break;
    }
  }
  return run;
}

std::string GenerationDoneMessage(std::uint64_t elapsed_ms, const GenerationRun& run) {
  std::string text = "完了しました！  所要時間：" + ElapsedSecondsText(elapsed_ms) + "秒  ";
  if (run.renamed > 0)
    text += "\n\n重複したシート名 " + std::to_string(run.renamed) +
            " 件は「シート名 (2)」のように番号を付けて生成しました。";
  return text;
}

void GenerateWorkbooks(Ui& ui, SheetOrder order) {
  ui.Message(std::string(kIntroHead) + std::string(ModeText(order)) + std::string(kIntroTail),
             Ui::kCaption, MsgIcon::Information);
  std::optional<std::string> csv = ui.ChooseOpenFile(kCsvTitle, kCsvFilter);
  if (!csv) return;
  if (access(csv->c_str(), F_OK) != 0) {
    ui.Message(kMissingFileMessage, Ui::kCaption, MsgIcon::Warning);
    return;
  }
  std::optional<std::string> out_dir = ui.ChooseFolder(kOutFolderTitle);
  if (!out_dir) {
    ui.Message(kCancelMessage, Ui::kCaption, MsgIcon::Information);
    return;
  }
  ui.SetWaitCursor(true);
  const std::uint64_t started = TickCountMs();
  GenerationRun run = GenerateWorkbooksFromCsv(*csv, *out_dir, order, ui);
  ui.SetWaitCursor(false);
  if (run.missing_csv) return;
  ui.Message(GenerationDoneMessage(TickCountMs() - started, run), Ui::kCaption,
             MsgIcon::Information);
}

}  // namespace kelvora
