#include <string>

#include "data/registration_lists.h"

namespace kelvora {

namespace {

constexpr std::string_view kPositionHeader = "ファイルパス（行番号）";
constexpr std::string_view kMarkerHeader = "ビットマップ表示";
constexpr std::string_view kCommentHeader = "コメント";

std::vector<ColumnInfo> NameListColumns(std::string_view first_header) {
  return {{first_header, 200}, {kPositionHeader, 70}, {kMarkerHeader, 70}, {kCommentHeader, 70}};
}

}  // namespace

const std::vector<ColumnInfo>& Columns(ListKind kind) {
  static const std::vector<ColumnInfo> functions = {{"関数名", 200},      {kPositionHeader, 70},
                                                    {kMarkerHeader, 70},  {kCommentHeader, 70},
                                                    {"総ステップ数", 70}, {"実ステップ数", 70}};
  static const std::vector<ColumnInfo> structs = NameListColumns("構造体");
  static const std::vector<ColumnInfo> defines = NameListColumns("#define");
  static const std::vector<ColumnInfo> tables = NameListColumns("テーブル");
  static const std::vector<ColumnInfo> files = {
      {"File", 100}, {kPositionHeader, 140}, {"種別", 40}};
  switch (kind) {
    case ListKind::Function:
      return functions;
    case ListKind::Struct:
      return structs;
    case ListKind::Define:
      return defines;
    case ListKind::File:
      return files;
    case ListKind::Table:
      break;
  }
  return tables;
}

std::string CountLabel(ListKind kind, std::size_t count) {
  std::string_view head;
  switch (kind) {
    case ListKind::Function:
      head = "◆関数 登録数：";
      break;
    case ListKind::Struct:
      head = "◆構造体 登録数：";
      break;
    case ListKind::Define:
      head = "◆#define 登録数：";
      break;
    case ListKind::File:
      head = "◆File 登録数：";
      break;
    case ListKind::Table:
      head = "◆ﾃｰﾌﾞﾙ 登録数：";
      break;
  }
  return std::string(head) + std::to_string(count);
}

std::string CountTooltip(ListKind kind, std::size_t count) {
  std::string_view what;
  switch (kind) {
    case ListKind::Function:
      what = "関数";
      break;
    case ListKind::Struct:
      what = "構造体";
      break;
    case ListKind::Define:
      what = "#define";
      break;
    case ListKind::File:
      what = "ﾌｧｲﾙ";
      break;
    case ListKind::Table:
      what = "ﾃｰﾌﾞﾙ";
      break;
  }
  return std::string(what) + "を検索（登録数：" + std::to_string(count) + "）";
}

}  // namespace kelvora
