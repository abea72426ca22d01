#include "analysis/confirm_text.h"

#include "platform/cp932.h"
#include "settings/settings.h"

namespace kelvora {
namespace {

const char* FuncPropLabel(int prop) {
  switch (prop) {
    case 1:
      return "「関数」のみ";
    case 2:
      return "「関数マクロ」のみ";
    default:
      return "「関数」、「関数マクロ」、両方";
  }
}

const char* StructPropLabel(int prop) {
  switch (prop) {
    case 1:
      return "「タグ名」のみ";
    case 2:
      return "「typedef」のみ";
    default:
      return "「タグ名」、「typedef」、両方";
  }
}

}  // namespace

std::string DisplayRoot(std::string_view root) {
  return root.empty() ? std::string("/") : ToDisplay(root);
}

std::string ExistingDataQuestion(long sources, long headers) {
  return "既にデータが存在します\n(File登録数  ソースファイル：" + std::to_string(sources) +
         "  ヘッダファイル：" + std::to_string(headers) +
         ")　\n\n「はい」　：現在の登録データに追加する\n「いいえ」：現在の登録データを削除して新規"
         "登録"
         "する　";
}

std::string SubfolderQuestion(std::string_view root) {
  return DisplayRoot(root) +
         "\n\nサブフォルダのファイルも解析しますか？　\n「はい」　：サブフォルダを含める\n「いいえ"
         "」"
         "：サブフォルダを含めない\n";
}

std::string SettingsSummary(const Settings& s, bool with_preprocessor) {
  std::string out;
  if (s.func == 1)
    out += std::string("　・「関数」を取得する        ") + FuncPropLabel(s.func_prop) + "　\n";
  if (s.structs == 1)
    out += std::string("　・「構造体」を取得する     ") + StructPropLabel(s.struct_prop) + "　\n";
  if (s.define == 1) out += "　・「#define」を取得する\n";
  if (s.table == 1) out += "　・「ﾃｰﾌﾞﾙ」を取得する\n";
  if (!s.func_header_str.empty() && s.func_header_line != 0) {
    out += "\n　・関数ヘッダ内からコメントを取得する\n　　（ 取得条件文字：" +
           ToDisplay(s.func_header_str) + " ）\n　　（ 取得範囲　　　：" +
           std::to_string(static_cast<int>(s.func_header_line)) + " ）\n";
  } else {
    out += "\n　・関数ヘッダ内からコメントを取得しない";
  }
  if (with_preprocessor) {
    if (s.preprocessor.empty())
      out += "\n　・プリプロセッサ定義\n　　　　なし";
    else
      out += "\n　・プリプロセッサ定義\n　　　　" + ToDisplay(s.preprocessor) + "　\n";
  }
  return out;
}

std::string ConfirmationNotice(bool has_earlier_data) {
  std::string out =
      "\n\n・解析中、「ESCキー」押下で解析キャンセル可　\n　（登録データは全て削除されます。）\n・ｺ"
      "ﾒﾝﾄ"
      "、#if 0 "
      "ﾃﾞｨﾚｸﾃｨﾌﾞ範囲は解析対象から除外されます　\n\n解析を実施しますか？\n（ファイルが多い場"
      "合、時間がかかります）\n\n";
  if (has_earlier_data)
    out += "注意：「いいえ」押下でキャンセルできますが、\n登録データは全て削除されます。";
  return out;
}

std::string ConfirmationQuestion(std::string_view root, long sources, long headers,
                                 const Settings& settings, bool has_earlier_data) {
  return "■■ 解析ルートディレクトリ ■■\n " + DisplayRoot(root) +
         "　\n\n■■ 取得ファイル ■■\n ソースファイル数：" + std::to_string(sources) + "\n( " +
         ToDisplay(settings.ext_src) + " )\n\n ヘッダファイル数：" + std::to_string(headers) +
         "\n( " + ToDisplay(settings.ext_header) + " )\n\n■■ 解析内容設定 ■■\n" +
         SettingsSummary(settings, true) + ConfirmationNotice(has_earlier_data);
}

std::string ReanalysisQuestion(const Settings& settings) {
  return "■■ 解析内容設定 ■■\n" + SettingsSummary(settings, false) +
         "\n現在の設定は上記の通りです。\n\n\n登録ファイルを再解析（最新の情報に更新）しますか？　";
}

}  // namespace kelvora
