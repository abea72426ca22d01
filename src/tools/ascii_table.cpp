#include "tools/ascii_table.h"

#include <cstdio>

namespace kelvora {

namespace {

struct Control {
  const char* name;
  const char* meaning;
  const char* escape;
};

// 0x00..0x20, then DEL.
const Control kControls[] = {
    {"NUL", "ヌル文字", "\\0"},   {"SOH", "ヘッダ開始", ""},   {"STX", "テキスト開始", ""},
    {"ETX", "テキスト終了", ""},  {"EOT", "伝送終了", ""},     {"ENQ", "問い合わせ", ""},
    {"ACK", "肯定応答", ""},      {"BEL", "ベル", "\\a"},      {"BS", "後退", "\\b"},
    {"HT", "水平タブ", "\\t"},    {"LF", "改行", "\\n"},       {"VT", "垂直タブ", "\\v"},
    {"FF", "改ページ", "\\f"},    {"CR", "復帰", "\\r"},       {"SO", "シフトアウト", ""},
    {"SI", "シフトイン", ""},     {"DLE", "伝送制御拡張", ""}, {"DC1", "装置制御１", ""},
    {"DC2", "装置制御２", ""},    {"DC3", "装置制御３", ""},   {"DC4", "装置制御４", ""},
    {"NAK", "否定応答", ""},      {"SYN", "同期信号", ""},     {"ETB", "伝送ブロック終了", ""},
    {"CAN", "取り消し", ""},      {"EM", "媒体終端", ""},      {"SUB", "置換", ""},
    {"ESC", "エスケープ", "\\e"}, {"FS", "ファイル分離", ""},  {"GS", "グループ分離", ""},
    {"RS", "レコード分離", ""},   {"US", "ユニット分離", ""},  {"SP", "空白", ""},
};
const Control kDel = {"DEL", "削除", ""};

std::string Pad(std::string text, int width) {
  int w = DisplayWidth(text);
  while (w < width) {
    text += ' ';
    ++w;
  }
  return text;
}

// One cell of a row; the heading uses the same columns.
std::string Columns(const std::string& sign, const std::string& meaning, const std::string& escape,
                    const std::string& dec, const std::string& hex) {
  return "│ " + Pad(sign, 5) + Pad(meaning, 17) + Pad(escape, 5) + "│" + Pad(dec, 5) + "│ " +
         Pad(hex, 5);
}

std::string Cell(int code) {
  const char* escape = "";
  std::string sign, meaning;
  if (code <= 0x20 || code == 0x7F) {
    const Control& c = code == 0x7F ? kDel : kControls[code];
    sign = c.name;
    meaning = c.meaning;
    escape = c.escape;
  } else {
    sign.assign(1, static_cast<char>(code));
    if (code == '\\') escape = "\\\\";
    if (code == '\'') escape = "\\'";
    if (code == '"') escape = "\\\"";
    if (code == '?') escape = "\\?";
  }
  char dec[8], hex[8];
  std::snprintf(dec, sizeof dec, "%4d", code);
  std::snprintf(hex, sizeof hex, "0x%02X", code);
  return Columns(sign, meaning, escape, dec, hex);
}

}  // namespace

int DisplayWidth(const std::string& utf8) {
  int width = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      width += 1;
      i += 1;
    } else if (c >= 0xF0) {
      width += 2;
      i += 4;
    } else if (c >= 0xE0) {
      // U+FF61..U+FF9F (half-width katakana) are one column: EF BD A1..EF BE 9F.
      const bool half = c == 0xEF && i + 2 < utf8.size() &&
                        ((static_cast<unsigned char>(utf8[i + 1]) == 0xBD &&
                          static_cast<unsigned char>(utf8[i + 2]) >= 0xA1) ||
                         static_cast<unsigned char>(utf8[i + 1]) == 0xBE);
      width += half ? 1 : 2;
      i += 3;
    } else {
      width += 2;
      i += 2;
    }
  }
  return width;
}

std::string AsciiTableText() {
  const std::string head = Columns("文字", "意味", "\\", "10進", "16進");
  std::string rule;
  for (int w = DisplayWidth(head + head + "│"); w > 0; w -= 2) rule += "─";
  std::string text = "≪ ASCIIコード表 ≫\r\n\r\n";
  text += rule + "\r\n" + head + head + "│\r\n" + rule + "\r\n";
  for (int row = 0; row < 0x40; ++row) text += Cell(row) + Cell(row + 0x40) + "│\r\n";
  text += rule + "\r\n\r\n";
  text += "0x00～0x1F : 制御文字\r\n";
  text += "0x20       : 空白 (SP)\r\n";
  text += "0x21～0x7E : 図形文字\r\n";
  text += "0x7F       : DEL\r\n";
  return text;
}

}  // namespace kelvora
