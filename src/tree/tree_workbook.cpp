#include "tree/tree_workbook.h"

#include <algorithm>
#include <vector>

#include "platform/cp932.h"
#include "sheet/workbook.h"
#include "tree/tree_lines.h"
#include "tree/tree_ops.h"
#include "tree/tree_text.h"

namespace kelvora {

namespace {

constexpr std::size_t kCellByteLimit = 2048;

struct TreeGlyphs {
  std::string bar, tee, corner, separator;
  TreeGlyphs()
      : bar(Utf8ToCp932("┃  ")),
        tee(Utf8ToCp932("┣")),
        corner(Utf8ToCp932("┗")),
        separator(Utf8ToCp932("┃≪")) {}
};

const TreeGlyphs& Glyphs() {
  static const TreeGlyphs glyphs;
  return glyphs;
}

std::string KeyField(std::string_view key) {
  if (key.find_first_of(",\"") == std::string_view::npos) return std::string(key);
  std::string out = "\"";
  for (char c : key) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// Cells(row, col) = value, with the value cut to the long-text mark at 2048 bytes.
void PutCell(Worksheet& sheet, int row, int col, std::string_view cp932) {
  if (cp932.empty()) return;
  if (cp932.size() >= kCellByteLimit)
    sheet.SetCell(row, col, "※文字列が長すぎます。");
  else
    sheet.SetCell(row, col, Cp932ToUtf8(cp932));
}

void NameSheet(Workbook& book, Worksheet& sheet, std::string_view first_text) {
  const std::string name = Cp932ToUtf8(FirstWord(first_text));
  if (!name.empty() && !SheetNameTooLong(name) && sheet.SetName(name) == SheetNameError::None)
    return;
  sheet.SetName("シートNo_" + std::to_string(book.Count()));
}

// Outline groups by depth: a stack of (depth, first row); leaving a depth groups its rows.
class Outline {
 public:
  explicit Outline(Worksheet& sheet) : sheet_(sheet) { open_.push_back({0, 0}); }

  void Row(int r, int depth) {
    if (depth == 0) return;
    if (depth > open_.back().depth) {
      open_.push_back({depth, r});
      return;
    }
    while (open_.size() > 1 && open_.back().depth > depth) {
      if (open_.back().first >= r) break;
      Close(r - 1);
    }
  }
  // Closes what is still open after the last row, so the last subtree folds like the others.
  void Finish(int last_row) {
    while (open_.size() > 1) Close(last_row);
  }

 private:
  struct Open {
    int depth;
    int first;
  };
  void Close(int last_row) {
    // The n-th open entry is outline level n; levels past the deepest a sheet can hold stay at
    // that deepest level instead of refusing the shallower groups around them.
    if (open_.size() - 1 <= static_cast<std::size_t>(kMaxOutlineLevel))
      sheet_.GroupRows(open_.back().first, last_row);
    open_.pop_back();
  }
  Worksheet& sheet_;
  std::vector<Open> open_;
};

void FormatSheet(Worksheet& sheet, int last_row) {
  sheet.SetFontColorIndex(*ParseRange("B:B"), 5);
  sheet.AutoFitColumns(1, 3);
  const CellRange a1 = *ParseRange("A1");
  sheet.SetFontSize(a1, 18);
  sheet.SetFontColorIndex(a1, 46);
  sheet.SetFontBold(a1, true);
  if (last_row < 2) return;
  sheet.SetBorder({1, 1, last_row, 1}, border::kEdgeLeft, line_style::kContinuous);
  sheet.SetBorder({1, 2, last_row, 2}, border::kEdgeRight, line_style::kContinuous);
  sheet.SetBorder({1, 3, last_row, 3}, border::kEdgeRight, line_style::kContinuous);
  sheet.SetBorder({1, 1, 1, 3}, border::kEdgeTop, line_style::kContinuous);
  sheet.SetBorder({last_row, 1, last_row, 3}, border::kEdgeBottom, line_style::kContinuous);
}

}  // namespace

std::string TreeRowKey(std::string_view data) {
  return ItemPosition(data);
}

WalkStop WriteTreeTable(CallTree& tree, std::int32_t start, unsigned nest_level_text,
                        std::ostream& out, WalkGuard& guard, bool& nest_limited, long long& rows,
                        long long row_cap) {
  out << ',' << tree.Text(start) << '\n';
  rows = 1;
  const TreeLineOptions options{false, "\n", nest_level_text};
  return WalkTreeLines(tree, start, options, guard, nest_limited, [&](const TreeLineEvent& e) {
    if (e.separator)
      out << "0,";
    else
      out << KeyField(TreeRowKey(tree.Data(e.item))) << ',';
    out << e.line << '\n';
    return ++rows != row_cap;
  });
}

bool SplitTableRow(std::string_view line, std::string& key, std::string_view& text) {
  key.clear();
  if (!line.empty() && line.front() == '"') {
    std::size_t i = 1;
    for (; i < line.size(); ++i) {
      if (line[i] != '"') {
        key += line[i];
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        key += '"';
        ++i;
      } else {
        break;
      }
    }
    if (i + 1 >= line.size() || line[i + 1] != ',') return false;
    text = line.substr(i + 2);
    return true;
  }
  const std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) return false;
  key = std::string(line.substr(0, comma));
  text = line.substr(comma + 1);
  return true;
}

int TreeLineDepth(std::string_view text) {
  const TreeGlyphs& g = Glyphs();
  std::size_t at = 0;
  while (text.substr(at).starts_with(g.bar) || text.substr(at).starts_with("    ")) at += 4;
  std::string_view rest = text.substr(at);
  if (rest.starts_with(g.tee) || rest.starts_with(g.corner) || rest.starts_with(g.separator))
    return static_cast<int>(at + 2);
  return 0;
}

TreeSheetResult WriteTreeSheet(Workbook& book, bool first, std::istream& table,
                               long long expected_rows, Ui& ui) {
  if (first) {
    for (int i = 0; i < Workbook::kMaxSheets && book.Count() >= 2; ++i)
      book.Delete(book.ActiveIndex());
  } else {
    if (book.Count() >= Workbook::kMaxSheets) {
      ui.Message("シート数が最大に達しました", Ui::kTreeCaption, MsgIcon::Warning);
      return TreeSheetResult::SheetLimit;
    }
    // A new sheet comes before the active one; the trees keep the order they were written in.
    book.Add();
    book.MoveToEnd(book.ActiveIndex());
  }
  Worksheet& sheet = book.ActiveSheet();
  const long long expected = std::min<long long>(expected_rows, kTreeSheetRowLimit);
  const std::string status_head = "EXCEL出力中・・・　";
  const std::string slash = " / " + std::to_string(expected);
  Outline outline(sheet);
  TreeSheetResult result = TreeSheetResult::Written;
  std::string line, key;
  int r = 0, depth = 0;
  while (r < kTreeSheetRowLimit && std::getline(table, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string_view text;
    if (!SplitTableRow(line, key, text)) break;
    ++r;
    std::string_view comment;
    for (std::size_t at = text.find('/'); at != std::string_view::npos; at = text.find('/', at + 1))
      if (at + 2 < text.size() && (text[at + 1] == '/' || text[at + 1] == '*')) {
        comment = text.substr(at);
        text = text.substr(0, at);
        break;
      }
    text = TrimRight(text);
    PutCell(sheet, r, 1, key);
    PutCell(sheet, r, 2, text);
    PutCell(sheet, r, 3, comment);
    sheet.SetBorder({r, 1, r, 3}, border::kEdgeBottom, line_style::kRowRule);
    if (r == 1) {
      NameSheet(book, sheet, text);
    } else {
      if (const int d = TreeLineDepth(text)) depth = d;
      outline.Row(r, depth);
    }
    if (r % 2 == 0) ui.SetStatus(3, status_head + std::to_string(r) + slash);
    if (ui.PollEscape() &&
        ui.AskYesNo(kAskStopTreeWorkbook,
                    "「ESCキー」が押されました。\n出力を中断し、終了しますか？　\n"
                    "（中断までの出力内容は保存されます）　",
                    Ui::kTreeCaption)) {
      result = TreeSheetResult::Stopped;
      break;
    }
  }
  outline.Finish(r);
  ui.SetStatus(3, "書式整形開始・・・");
  FormatSheet(sheet, r);
  return result;
}

bool SaveTreeWorkbook(const Workbook& book, const std::string& path, Ui& ui) {
  std::string detail;
  const SaveResult saved = book.SaveAs(path, &detail);
  ui.SetStatus(1, "");
  if (saved == SaveResult::Saved) return true;
  std::string text = "出力先に指定したファイルは現在開かれてるため、保存できません。　";
  if (!detail.empty()) text += "\n" + detail;
  ui.Message(text, Ui::kTreeCaption, MsgIcon::Warning);
  return false;
}

}  // namespace kelvora
