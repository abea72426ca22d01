// The workbook layer: an in-memory workbook with the calls of the spreadsheet tools and the tree
// outputs (sheets, cells, borders, fonts, row outline groups, column auto-fit), saved as .xlsx.
//
// Numbers follow the spreadsheet application's automation constants, so callers write the values
// they know; this is how they map onto the .xlsx file:
//
//   Border items (Range.Borders(item)):  7 left edge, 8 top edge, 9 bottom edge, 10 right edge,
//     11 inside vertical, 12 inside horizontal. An edge item borders the cells along that edge of
//     the range; an inside item the edges between its cells. Other items are ignored.
//   Line styles (Border.LineStyle):  1 continuous -> thin, -4115 dash -> dashed,
//     -4118 dot -> dotted, -4119 double -> double, 4 dash-dot -> dashDot,
//     5 dash-dot-dot -> dashDotDot, 13 slant dash-dot -> slantDashDot, -4142 none -> no border.
//     3 names no constant; the tree outputs use it for the rule under each row, and it is drawn
//     as a hair line. Any other value draws a thin line.
//   Colour indexes (Font.ColorIndex):  1..56 of the default palette (1 black, 3 red, 5 blue,
//     10 green, 46 orange ...) become their RGB colours; 0, -4105 (automatic) and -4142 (none)
//     leave the font colour automatic.
//   Outline groups (Range("a:b").Group):  each call raises the outline level of the rows by one,
//     up to 7, the deepest level an .xlsx row can have; the summary rows are below the detail.
//   AutoFit:  the width is the longest cell text of the column in character cells (a wide
//     East-Asian character counts two), scaled by the cell's font size against 11 points.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

inline constexpr int kXlsxMaxRows = 1048576;
inline constexpr int kXlsxMaxColumns = 16384;
inline constexpr int kMaxOutlineLevel = 7;

namespace border {
inline constexpr int kEdgeLeft = 7, kEdgeTop = 8, kEdgeBottom = 9, kEdgeRight = 10;
inline constexpr int kInsideVertical = 11, kInsideHorizontal = 12;
}  // namespace border

namespace line_style {
inline constexpr int kContinuous = 1, kRowRule = 3, kDashDot = 4, kDashDotDot = 5,
                     kSlantDashDot = 13, kDash = -4115, kDot = -4118, kDouble = -4119,
                     kNone = -4142;
}  // namespace line_style

// The libxlsxwriter border style for a line style (0 for none).
std::uint8_t XlsxBorderStyle(int line_style);
// The RGB colour of a palette index 1..56; nullopt for automatic and unknown indexes.
std::optional<std::uint32_t> PaletteColour(int color_index);

// Rows and columns from 1, bounds inclusive; a whole column reaches to the last row.
struct CellRange {
  int first_row = 1, first_col = 1, last_row = 1, last_col = 1;
};

// "A1", "A1:C5", "B:B", "A:C", "3:7"; nullopt for anything else.
std::optional<CellRange> ParseRange(std::string_view a1);

struct CellStyle {
  std::uint8_t left = 0, top = 0, bottom = 0, right = 0;  // libxlsxwriter border styles
  double font_size = 0;                                   // 0: the default size
  int color_index = 0;                                    // 0: automatic
  bool bold = false;
  auto operator<=>(const CellStyle&) const = default;
};

enum class SheetNameError { None, Empty, TooLong, ForbiddenCharacter, Apostrophe, Duplicate };

class Workbook;

class Worksheet {
 public:
  const std::string& Name() const { return name_; }
  // Renames the sheet (UTF-8); the name must be 1..31 characters, without : \ / ? * [ ], not
  // start or end with an apostrophe and differ, ignoring ASCII case, from the other sheets.
  SheetNameError SetName(std::string_view name);

  // Cells(row, col) = text. The cell takes its column's style when it is new.
  void SetCell(int row, int col, std::string_view text);
  // The text of a cell; empty when it was never set.
  const std::string* Cell(int row, int col) const;
  int LastRow() const { return rows_.empty() ? 0 : rows_.rbegin()->first; }

  // Range.Borders(item).LineStyle = line_style.
  void SetBorder(const CellRange& range, int item, int line_style);
  // Range.Font.Size / .ColorIndex / .Bold.
  void SetFontSize(const CellRange& range, double points);
  void SetFontColorIndex(const CellRange& range, int color_index);
  void SetFontBold(const CellRange& range, bool bold);
  // Range("first:last").Group on rows: false when a row is already at the deepest level.
  bool GroupRows(int first_row, int last_row);
  int OutlineLevel(int row) const;
  // Range(columns).Columns.AutoFit.
  void AutoFitColumns(int first_col, int last_col);
  double ColumnWidth(int col) const;  // 0: the default width

  // The style of a cell as it will be written.
  CellStyle StyleAt(int row, int col) const;

 private:
  friend class Workbook;
  struct CellData {
    std::string text;
    bool has_text = false;
    CellStyle style;
  };
  struct RowData {
    std::map<int, CellData> cells;
    int level = 0;
  };
  struct ColumnData {
    CellStyle style;
    bool styled = false;
    double width = 0;
  };
  template <class Change>
  void ApplyStyle(const CellRange& range, Change change);
  CellData& CellAt(int row, int col);

  Workbook* book_ = nullptr;
  std::string name_;
  std::map<int, RowData> rows_;
  std::map<int, ColumnData> columns_;
};

enum class SaveResult { Saved, CannotWrite, WriterError };

// Workbooks.Add: a new workbook with one sheet, "Sheet1", active. A workbook is never read back
// from a file: a command that adds sheets to a workbook it wrote earlier in the same run keeps
// this object and saves it again.
class Workbook {
 public:
  Workbook();
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;

  int Count() const { return static_cast<int>(sheets_.size()); }
  // Worksheets.Item(k), k from 1.
  Worksheet& Item(int k) { return *sheets_.at(static_cast<std::size_t>(k - 1)); }
  const Worksheet& Item(int k) const { return *sheets_.at(static_cast<std::size_t>(k - 1)); }
  Worksheet& ActiveSheet() { return Item(active_); }
  int ActiveIndex() const { return active_; }
  // Worksheet.Select / Activate.
  void Select(int k);
  // Worksheets.Add: a new sheet "SheetN" before the active sheet, which it becomes; nullptr
  // when the workbook is at the sheet limit of 255.
  Worksheet* Add();
  // Worksheet.Delete; false for the last remaining sheet.
  bool Delete(int k);

  // Workbook.SaveAs(path) in .xlsx form. The file is written beside the target and renamed
  // over it, so a failed save leaves an existing file untouched. detail says why it failed.
  SaveResult SaveAs(const std::string& path, std::string* detail = nullptr) const;

  static constexpr int kMaxSheets = 255;

 private:
  friend class Worksheet;
  bool NameTaken(std::string_view name, const Worksheet* except) const;
  std::vector<std::unique_ptr<Worksheet>> sheets_;
  int active_ = 1;
  int added_ = 0;  // the N of the last "SheetN"
};

// True when a name is too long for a sheet in this system: 32 bytes or more in CP932 (a
// character without a CP932 form counts one byte), or more than the 31 characters a sheet
// name can hold.
bool SheetNameTooLong(std::string_view utf8);

// True when the names are equal ignoring ASCII case, the way sheet names clash.
bool SameSheetName(std::string_view a, std::string_view b);

// Display width of UTF-8 text in character cells: wide East-Asian characters count two.
int DisplayWidth(std::string_view utf8);

}  // namespace kelvora
