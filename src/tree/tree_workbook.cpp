#include "tree/tree_workbook.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/cp932.h"
#include "sheet/workbook.h"
#include "sheet/workbook_stream.h"
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

// A cell value: the long-text mark from 2048 bytes on, else the text as UTF-8.
std::string CellValue(std::string_view cp932) {
  if (cp932.size() >= kCellByteLimit) return "※文字列が長すぎます。";
  return Cp932ToUtf8(cp932);
}

std::string SheetName(std::string_view first_text) {
  const std::string name = Cp932ToUtf8(FirstWord(first_text));
  return !name.empty() && !SheetNameTooLong(name) ? name : std::string();
}

// Outline levels by depth: a stack of (depth, first row). A deeper row opens a group, a
// shallower one closes the deeper groups above the last row; groups still open after the last
// row close there too, so the last subtree folds like the others. A row's level is therefore
// the number of groups open once it is read (at most the deepest level a sheet can hold).
class Outline {
 public:
  Outline() { open_.push_back({0, 0}); }
  int Row(int r, int depth) {
    if (depth > open_.back().depth) {
      open_.push_back({depth, r});
    } else if (depth != 0) {
      while (open_.size() > 1 && open_.back().depth > depth && open_.back().first < r)
        open_.pop_back();
    }
    return std::min(static_cast<int>(open_.size()) - 1, kMaxOutlineLevel);
  }

 private:
  struct Open {
    int depth;
    int first;
  };
  std::vector<Open> open_;
};

// One row waiting to be written: its last-row borders depend on whether another follows.
struct SheetRow {
  int r = 0;
  std::string a, b, c;  // UTF-8
  int level = 0;
};

class SheetWriter {
 public:
  explicit SheetWriter(StreamedWorkbook& book) : book_(book) {}

  void Add(SheetRow row) {
    if (pending_.r) Write(pending_, /*last=*/false);
    pending_ = std::move(row);
  }

  // Writes the last row and the columns' widths and styles (the formatting of the sheet).
  void Finish() {
    if (pending_.r) Write(pending_, /*last=*/true);
    for (int c = 1; c <= 3; ++c) {
      CellStyle style;
      if (c == 2) style.color_index = 5;
      const double width = widest_[c] > 0 ? std::min(255.0, std::ceil(widest_[c] + 1)) : 0;
      book_.SetColumn(c, width, style);
    }
  }

 private:
  void Write(const SheetRow& row, bool last) {
    // Borders: a hair rule under every row; with more than one row a frame of thin lines
    // (left of A, right of B and C, top of row 1, bottom of the last row).
    const bool framed = row.r > 1 || !last;
    const std::uint8_t thin = XlsxBorderStyle(line_style::kContinuous);
    const std::uint8_t rule = XlsxBorderStyle(line_style::kRowRule);
    CellStyle base;
    base.bottom = framed && last ? thin : rule;
    if (framed && row.r == 1) base.top = thin;
    CellStyle a = base, b = base, c = base;
    if (framed) a.left = b.right = c.right = thin;
    b.color_index = 5;
    if (row.r == 1) {
      a.font_size = 18;
      a.color_index = 46;
      a.bold = true;
    }
    book_.SetRowLevel(row.r, row.level);
    const std::string* texts[3] = {&row.a, &row.b, &row.c};
    const CellStyle* styles[3] = {&a, &b, &c};
    for (int col = 1; col <= 3; ++col) {
      const std::string& text = *texts[col - 1];
      book_.WriteCell(row.r, col, text, *styles[col - 1]);
      if (text.empty()) continue;
      const double size = styles[col - 1]->font_size > 0 ? styles[col - 1]->font_size : 11;
      widest_[col] = std::max(widest_[col], DisplayWidth(text) * size / 11.0);
    }
  }

  StreamedWorkbook& book_;
  SheetRow pending_;
  double widest_[4] = {0, 0, 0, 0};
};

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

TreeSheetResult WriteTreeSheet(StreamedWorkbook& book, std::istream& table, long long expected_rows,
                               Ui& ui) {
  if (book.Count() >= Workbook::kMaxSheets) {
    ui.Message("シート数が最大に達しました", Ui::kTreeCaption, MsgIcon::Warning);
    return TreeSheetResult::SheetLimit;
  }
  const long long expected = std::min<long long>(expected_rows, kTreeSheetRowLimit);
  const std::string status_head = "EXCEL出力中・・・　";
  const std::string slash = " / " + std::to_string(expected);
  Outline outline;
  SheetWriter writer(book);
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
    SheetRow row;
    row.r = r;
    row.a = CellValue(key);
    row.b = CellValue(text);
    row.c = CellValue(comment);
    if (r == 1) {
      // The sheet is named after the start item, else "シートNo_%d" with the sheet count.
      const std::string name = SheetName(text);
      if (name.empty() || book.AddSheet(name) != SheetNameError::None)
        book.AddSheet("シートNo_" + std::to_string(book.Count() + 1));
    } else {
      if (const int d = TreeLineDepth(text)) depth = d;
      row.level = outline.Row(r, depth);
    }
    writer.Add(std::move(row));
    if (r % 2 == 0) {
      std::string status = status_head;
      status += std::to_string(r);
      status += slash;
      ui.SetStatus(3, status);
    }
    if (ui.PollEscape() &&
        ui.AskYesNo(kAskStopTreeWorkbook,
                    "「ESCキー」が押されました。\n出力を中断し、終了しますか？　\n"
                    "（中断までの出力内容は保存されます）　",
                    Ui::kTreeCaption)) {
      result = TreeSheetResult::Stopped;
      break;
    }
  }
  if (r == 0) book.AddSheet("シートNo_" + std::to_string(book.Count() + 1));
  ui.SetStatus(3, "書式整形開始・・・");
  writer.Finish();
  return result;
}

bool SaveTreeWorkbook(StreamedWorkbook& book, const std::string& path, Ui& ui) {
  std::string detail;
  const SaveResult saved = book.Close(&detail);
  ui.SetStatus(1, "");
  if (saved == SaveResult::Saved) return true;
  std::string text =
      "出力先に指定したファイルは現在開かれてるため、保存できません。　\n" + ToDisplay(path);
  if (!detail.empty()) text += "\n" + detail;
  ui.Message(text, Ui::kTreeCaption, MsgIcon::Warning);
  return false;
}

}  // namespace kelvora
