#include "grep/grep_search.h"

#include <memory>

#include "data/registration_lists.h"
#include "grep/grep_scan.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/output_file.h"
#include "platform/ui.h"
#include "settings/settings.h"
#include "text/encoding_detect.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

namespace kelvora {

namespace {

constexpr std::string_view kAssignTail =
    "[ \\t]*((\\[[_A-Za-z0-9*&]*\\])*)?[ \\t]*[+*/%&^~|]?[-]?=[ \\tA-Za-z0-9_*&('\\n\"]";

const std::array<GrepMenuRow, 4> kRows = {{
    {1, "指定変数への格納処理　検索", "指定変数名（配列・メンバ変数可）へ格納処理を検索します。",
     "　　通常、変数名でGrepするとその変数を”参照している処理”や”値を格納している処理”…等が"
     "検出されますが、\r\n　　この機能では値を格納している処理のみを検出します。\r\n"
     "　　配列の場合も、入力ダイアログには変数名のみを入力して下さい。\r\n\r\n"
     "　　※入力ダイアログにて入力した文字列と、完全一致しなくても（前になにか文字がついても）\r\n"
     "　　　　検出しますので、指定変数名の文字列を含む、別の変数も一緒に検出する場合があります。\r"
     "\n",
     "【 指定変数への格納処理　検索結果 】"},
    {2, "関数プロトタイプ宣言　検索", "関数プロトタイプ宣言を検索します。",
     "　　関数プロトタイプ宣言を検索します。\r\n"
     "　　（本ソフトで解析時に出力している「コメント取得ファイル.txt」と同じものを出力します）\r\n",
     "【 関数プロトタイプ宣言　検索結果 】"},
    {3, "関数マクロ　検索", "関数マクロを検索します。",
     "　　関数マクロを検索します。\r\n\r\n"
     "　　例）．#define   max(a,b)    (((a) > (b)) ? (a) : (b))\r\n",
     "【 関数マクロ　検索結果 】"},
    {4, "#if、#ifdef、#ifndef ディレクティブ　検索",
     "#if、#ifdef、#ifndef ディレクティブを検索します。",
     "　　#if、#ifdef、#ifndef ディレクティブを検索します。\r\n\r\n",
     "【 #if、#ifdef、#ifndef ﾃﾞｨﾚｸﾃｨﾌﾞ　検索結果 】"},
}};

// A FileList position without its "(1)".
std::string_view PathOfFileRow(std::string_view position) {
  if (position.ends_with("(1)")) position.remove_suffix(3);
  return position;
}

bool CancelledByEscape(Ui& ui) {
  if (!ui.PollEscape()) return false;
  return ui.AskYesNo(kAskCancelOnEscape,
                     "「ESCキー」が押されました。\nGrepをキャンセルしますか？　\n", Ui::kCaption);
}

}  // namespace

const std::array<GrepMenuRow, 4>& GrepMenuRows() {
  return kRows;
}

const GrepMenuRow& GrepMenuRowOf(GrepKind kind) {
  return kRows[static_cast<std::size_t>(kind) - 1];
}

std::string GrepLongDescription(GrepKind kind) {
  const GrepMenuRow& row = GrepMenuRowOf(kind);
  return "　　■■ " + std::string(row.item) + " ■■\r\n\r\n" + std::string(row.details);
}

std::string GrepPattern(GrepKind kind, std::string_view name) {
  switch (kind) {
    case GrepKind::Assign:
      return std::string(name) + std::string(kAssignTail);
    case GrepKind::Prototype:
      return "^[ \\t]*[A-Za-z0-9_]*[ \\t]*[A-Za-z0-9_]+[ \\t]+[*]*[A-Za-z_][A-Za-z0-9_]*[ \\t]*"
             "\\([ \\tA-Za-z0-9_,&*]*\\)[ \\t]*\\;";
    case GrepKind::FunctionMacro:
      return "#define[ \\t]+[_a-zA-Z][_a-zA-Z0-9]*\\([ \\t,_a-zA-Z0-9]*";
    case GrepKind::IfDirective:
      return "^[ \\t]*#if";
  }
  return {};
}

bool AcceptGrepMenuChoice(std::optional<int> selected_row, Ui& ui) {
  if (selected_row && *selected_row >= 1 && *selected_row <= 4) return true;
  ui.Message("選択されていません。　", Ui::kCaption, MsgIcon::Warning);
  return false;
}

bool AcceptGrepName(std::string_view name, Ui& ui) {
  if (!name.empty()) return true;
  ui.Message("入力されていません！　", Ui::kCaption, MsgIcon::Warning);
  return false;
}

std::string GrepFilesText(const GrepRun& run) {
  return "Grep実行File数：" + std::to_string(run.files);
}

std::string GrepWordText(const GrepRun& run) {
  return "Grep文字列：" + Cp932ToUtf8(run.name);
}

GrepOutcome GrepCommand(GrepContext& ctx, const GrepDialogs& dialogs) {
  Ui& ui = ctx.ui;
  GrepOutcome outcome;
  if (ctx.result_window_open) {
    ui.Message(
        "既に、Grep結果ダイアログが起動されています。\n\nダイアログを一度閉じてから再度実行して下さ"
        "い。　",
        Ui::kCaption, MsgIcon::Warning);
    outcome.result = GrepResult::WindowOpen;
    return outcome;
  }
  std::optional<int> choice = dialogs.choose_kind ? dialogs.choose_kind() : std::nullopt;
  if (!choice) {
    ui.Message("キャンセルします！　", Ui::kCaption, MsgIcon::Information);
    outcome.result = GrepResult::Cancelled;
    return outcome;
  }
  if (*choice < 1 || *choice > 4) {
    ui.Message("エラー発生！\n終了します。", Ui::kCaption, MsgIcon::Error);
    outcome.result = GrepResult::BadChoice;
    return outcome;
  }
  const GrepKind kind = static_cast<GrepKind>(*choice);
  std::string name;
  if (kind == GrepKind::Assign) {
    std::optional<std::string> typed = dialogs.enter_name ? dialogs.enter_name() : std::nullopt;
    if (!typed) {
      ui.Message("キャンセルします！　", Ui::kCaption, MsgIcon::Information);
      outcome.result = GrepResult::Cancelled;
      return outcome;
    }
    name = std::move(*typed);
  }
  return RunGrep(ctx, kind, name);
}

GrepOutcome RunGrep(GrepContext& ctx, GrepKind kind, std::string_view name) {
  Ui& ui = ctx.ui;
  GrepOutcome outcome;
  outcome.run.kind = kind;
  if (kind == GrepKind::Assign) {
    // A dialog that let an empty name through still searches nothing.
    if (!AcceptGrepName(name, ui)) {
      outcome.result = GrepResult::Cancelled;
      return outcome;
    }
    outcome.run.name = std::string(name);
  }

  // The name goes into the pattern unquoted, so a stray regex character can break it: say so
  // rather than search nothing (or everything).
  const std::string pattern_text = GrepPattern(kind, name);
  Regex pattern;
  if (!ctx.regex.Compile(pattern_text, pattern)) {
    std::string why = ctx.regex.available() ? pattern.error() : "正規表現エンジンが使えません";
    ui.Message("検索パターンが正しくありません！　\n\n" + Cp932ToUtf8(pattern_text) + "\n" + why,
               Ui::kCaption, MsgIcon::Error);
    outcome.result = GrepResult::BadPattern;
    return outcome;
  }
  CleaningPatterns cleaning(ctx.regex);
  MacroList macros(ctx.settings.preprocessor);

  const RegistrationList& files = ctx.data.List(ListKind::File);
  const std::size_t count = files.RowCount();
  outcome.run.files = static_cast<long>(count);
  outcome.run.result_path =
      ctx.work_dir.empty() ? kGrepResultFileName : ctx.work_dir + "/" + kGrepResultFileName;

  // The result file replaces the last one only when the search has ended.
  OutputFile out;
  if (!out.Open(outcome.run.result_path)) {
    ui.Message(out.message(), Ui::kCaption, MsgIcon::Error);
    outcome.result = GrepResult::OutputFailed;
    return outcome;
  }
  ui.SetProgressRange(static_cast<long long>(count));
  ui.SetProgressPos(0);
  ui.SetWaitCursor(true);

  long hits = 0;
  bool cancelled = false;
  std::string hit_text;
  for (std::size_t row = 0; row < count; ++row) {
    const CellView position = files.Cell(row, col::kPosition);
    std::string_view path = PathOfFileRow(position);
    std::optional<std::string> text;
    if (!path.empty() && (text = ReadWholeFile(std::string(path)))) {
      if (ctx.settings.char_change == kCharChangeDetect)
        *text = DecodeSourceText(std::move(*text), kCharChangeDetect).text;
      hit_text.clear();
      const long n =
          GrepText(*text, path, hit_text, pattern, macros, ctx.settings.char_change, cleaning);
      if (n > 0) {
        hits += n;
        out.Write(hit_text);
      }
    }
    ui.AdvanceProgress(1);
    if (CancelledByEscape(ui)) {
      cancelled = true;
      break;
    }
  }
  const bool written = out.Commit();
  ui.SetWaitCursor(false);
  ui.SetProgressPos(0);
  outcome.run.hits = hits;
  if (!written) {
    ui.Message(out.message(), Ui::kCaption, MsgIcon::Error);
    outcome.result = GrepResult::OutputFailed;
    return outcome;
  }
  if (cancelled) {
    ui.Message("キャンセルします！　", Ui::kCaption, MsgIcon::Information);
    outcome.result = GrepResult::Cancelled;
    return outcome;
  }
  if (hits == 0) {
    ui.Message("検出されませんでした！　", Ui::kCaption, MsgIcon::Information);
    outcome.result = GrepResult::NoHits;
    return outcome;
  }
  outcome.result = GrepResult::Found;
  return outcome;
}

}  // namespace kelvora
