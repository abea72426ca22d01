#include "sheet/workbook.h"

#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/cp932.h"
#include "platform/output_file.h"
#include "sheet/xlsx_writing.h"

namespace kelvora {

namespace {

// The default palette of the spreadsheet application, indexes 1..56.
constexpr std::uint32_t kPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
};

constexpr int kMaxStringBytes = 32767;

bool WholeColumns(const CellRange& r) {
  return r.first_row == 1 && r.last_row == kXlsxMaxRows;
}
bool WholeRows(const CellRange& r) {
  return r.first_col == 1 && r.last_col == kXlsxMaxColumns;
}

// Column letters ("A", "AB") to a number from 1; 0 when there are none or too many.
int ColumnNumber(std::string_view letters) {
  if (letters.empty() || letters.size() > 3) return 0;
  int n = 0;
  for (char c : letters) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') return 0;
    n = n * 26 + (c - 'A' + 1);
  }
  return n <= kXlsxMaxColumns ? n : 0;
}

int RowNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 7) return 0;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n >= 1 && n <= kXlsxMaxRows ? n : 0;
}

// One end of a range: letters, digits or both. Missing parts are 0.
bool ParseRef(std::string_view ref, int& row, int& col) {
  std::size_t split = 0;
  while (split < ref.size() && !(ref[split] >= '0' && ref[split] <= '9')) ++split;
  std::string_view letters = ref.substr(0, split), digits = ref.substr(split);
  col = letters.empty() ? 0 : ColumnNumber(letters);
  row = digits.empty() ? 0 : RowNumber(digits);
  if (!letters.empty() && col == 0) return false;
  if (!digits.empty() && row == 0) return false;
  return !ref.empty();
}

// UTF-16 code units of UTF-8 text: the unit in which sheet names are limited.
std::size_t Utf16Length(std::string_view utf8) {
  std::size_t n = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) != 0x80) ++n;
    if (c >= 0xF0) ++n;  // a surrogate pair
  }
  return n;
}

// Text as the file needs it: valid UTF-8 within the cell limit. Bytes that are no UTF-8 are
// taken as CP932, the encoding of the data the system reads.
std::string CellText(const std::string& text) {
  std::string utf8 = IsValidUtf8(text) ? text : Cp932ToUtf8(text);
  if (utf8.size() > kMaxStringBytes) {
    std::size_t cut = kMaxStringBytes;
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
    utf8.resize(cut);
  }
  return utf8;
}

}  // namespace

std::uint8_t XlsxBorderStyle(int style) {
  switch (style) {
    case line_style::kNone:
      return LXW_BORDER_NONE;
    case line_style::kContinuous:
      return LXW_BORDER_THIN;
    case line_style::kRowRule:
      return LXW_BORDER_HAIR;
    case line_style::kDash:
      return LXW_BORDER_DASHED;
    case line_style::kDot:
      return LXW_BORDER_DOTTED;
    case line_style::kDouble:
      return LXW_BORDER_DOUBLE;
    case line_style::kDashDot:
      return LXW_BORDER_DASH_DOT;
    case line_style::kDashDotDot:
      return LXW_BORDER_DASH_DOT_DOT;
    case line_style::kSlantDashDot:
      return LXW_BORDER_SLANT_DASH_DOT;
    default:
      return LXW_BORDER_THIN;
  }
}

std::optional<std::uint32_t> PaletteColour(int index) {
  if (index < 1 || index > 56) return std::nullopt;
  return kPalette[index - 1];
}

std::optional<CellRange> ParseRange(std::string_view a1) {
  std::size_t colon = a1.find(':');
  std::string_view first = a1.substr(0, colon);
  std::string_view last = colon == std::string_view::npos ? first : a1.substr(colon + 1);
  int r1, c1, r2, c2;
  if (!ParseRef(first, r1, c1) || !ParseRef(last, r2, c2)) return std::nullopt;
  CellRange r;
  if (r1 && c1 && r2 && c2) {
    r = {std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
  } else if (!r1 && !r2 && c1 && c2 && colon != std::string_view::npos) {
    r = {1, std::min(c1, c2), kXlsxMaxRows, std::max(c1, c2)};
  } else if (!c1 && !c2 && r1 && r2 && colon != std::string_view::npos) {
    r = {std::min(r1, r2), 1, std::max(r1, r2), kXlsxMaxColumns};
  } else {
    return std::nullopt;
  }
  return r;
}

bool SheetNameTooLong(std::string_view utf8) {
  return Utf8ToCp932(utf8).size() >= 32 || Utf16Length(utf8) > 31;
}

bool SameSheetName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

int DisplayWidth(std::string_view utf8) {
  int width = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    std::uint32_t cp = c;
    if (len > 1 && i + len <= utf8.size()) {
      cp = c & (0x3F >> (len - 1));
      for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
    }
    // Half-width katakana (U+FF61..FF9F) are narrow; the other East-Asian blocks are wide.
    bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x2500 && cp <= 0x257F) || cp >= 0x20000;
    width += wide ? 2 : 1;
    i += len;
  }
  return width;
}

// --- Worksheet ---

SheetNameError Worksheet::SetName(std::string_view name) {
  if (name.empty()) return SheetNameError::Empty;
  if (Utf16Length(name) > 31) return SheetNameError::TooLong;
  if (name.find_first_of(":\\/?*[]") != std::string_view::npos)
    return SheetNameError::ForbiddenCharacter;
  if (name.front() == '\'' || name.back() == '\'') return SheetNameError::Apostrophe;
  if (book_ && book_->NameTaken(name, this)) return SheetNameError::Duplicate;
  name_ = std::string(name);
  return SheetNameError::None;
}

Worksheet::CellData& Worksheet::CellAt(int row, int col) {
  auto& cells = rows_[row].cells;
  auto it = cells.find(col);
  if (it == cells.end()) {
    it = cells.emplace(col, CellData{}).first;
    if (auto c = columns_.find(col); c != columns_.end() && c->second.styled)
      it->second.style = c->second.style;
  }
  return it->second;
}

void Worksheet::SetCell(int row, int col, std::string_view text) {
  if (row < 1 || row > kXlsxMaxRows || col < 1 || col > kXlsxMaxColumns) return;
  CellData& cell = CellAt(row, col);
  cell.text = std::string(text);
  cell.has_text = true;
}

const std::string* Worksheet::Cell(int row, int col) const {
  auto r = rows_.find(row);
  if (r == rows_.end()) return nullptr;
  auto c = r->second.cells.find(col);
  return c != r->second.cells.end() && c->second.has_text ? &c->second.text : nullptr;
}

template <class Change>
void Worksheet::ApplyStyle(const CellRange& range, Change change) {
  if (WholeColumns(range) || WholeRows(range)) {
    // Whole columns change their own style and every cell already in them; whole rows only
    // change the cells they hold.
    if (WholeColumns(range)) {
      for (int c = range.first_col; c <= range.last_col; ++c) {
        ColumnData& column = columns_[c];
        change(column.style, 0, c);
        column.styled = true;
      }
    }
    for (auto r = rows_.lower_bound(range.first_row);
         r != rows_.end() && r->first <= range.last_row; ++r)
      for (auto c = r->second.cells.lower_bound(range.first_col);
           c != r->second.cells.end() && c->first <= range.last_col; ++c)
        change(c->second.style, r->first, c->first);
    return;
  }
  for (int r = range.first_row; r <= range.last_row; ++r)
    for (int c = range.first_col; c <= range.last_col; ++c) change(CellAt(r, c).style, r, c);
}

void Worksheet::SetBorder(const CellRange& range, int item, int style) {
  const std::uint8_t s = XlsxBorderStyle(style);
  // Row 0 stands for a column's own style: it lies inside the range, on no top or bottom edge.
  ApplyStyle(range, [&](CellStyle& cs, int row, int col) {
    const bool first_row = row == range.first_row, last_row = row == range.last_row;
    const bool first_col = col == range.first_col, last_col = col == range.last_col;
    switch (item) {
      case border::kEdgeLeft:
        if (first_col) cs.left = s;
        break;
      case border::kEdgeRight:
        if (last_col) cs.right = s;
        break;
      case border::kEdgeTop:
        if (first_row) cs.top = s;
        break;
      case border::kEdgeBottom:
        if (last_row) cs.bottom = s;
        break;
      case border::kInsideVertical:
        if (!first_col) cs.left = s;
        if (!last_col) cs.right = s;
        break;
      case border::kInsideHorizontal:
        if (!first_row && row != 0) cs.top = s;
        if (!last_row) cs.bottom = s;
        break;
      default:
        break;
    }
  });
}

void Worksheet::SetFontSize(const CellRange& range, double points) {
  ApplyStyle(range, [&](CellStyle& cs, int, int) { cs.font_size = points; });
}

void Worksheet::SetFontColorIndex(const CellRange& range, int index) {
  const int kept = PaletteColour(index) ? index : 0;
  ApplyStyle(range, [&](CellStyle& cs, int, int) { cs.color_index = kept; });
}

void Worksheet::SetFontBold(const CellRange& range, bool bold) {
  ApplyStyle(range, [&](CellStyle& cs, int, int) { cs.bold = bold; });
}

bool Worksheet::GroupRows(int first_row, int last_row) {
  if (first_row > last_row) std::swap(first_row, last_row);
  first_row = std::max(first_row, 1);
  last_row = std::min(last_row, kXlsxMaxRows);
  for (int r = first_row; r <= last_row; ++r)
    if (OutlineLevel(r) >= kMaxOutlineLevel) return false;
  for (int r = first_row; r <= last_row; ++r) ++rows_[r].level;
  return true;
}

int Worksheet::OutlineLevel(int row) const {
  auto r = rows_.find(row);
  return r == rows_.end() ? 0 : r->second.level;
}

CellStyle Worksheet::StyleAt(int row, int col) const {
  auto r = rows_.find(row);
  if (r != rows_.end())
    if (auto c = r->second.cells.find(col); c != r->second.cells.end()) return c->second.style;
  auto column = columns_.find(col);
  return column != columns_.end() && column->second.styled ? column->second.style : CellStyle{};
}

void Worksheet::AutoFitColumns(int first_col, int last_col) {
  for (int c = first_col; c <= last_col; ++c) {
    double widest = 0;
    for (const auto& [row, data] : rows_) {
      auto cell = data.cells.find(c);
      if (cell == data.cells.end() || !cell->second.has_text) continue;
      const double size = cell->second.style.font_size > 0 ? cell->second.style.font_size : 11;
      widest = std::max(widest, DisplayWidth(CellText(cell->second.text)) * size / 11.0);
    }
    if (widest > 0) columns_[c].width = std::min(255.0, std::ceil(widest + 1));
  }
}

double Worksheet::ColumnWidth(int col) const {
  auto c = columns_.find(col);
  return c == columns_.end() ? 0 : c->second.width;
}

// --- Workbook ---

Workbook::Workbook() {
  sheets_.push_back(std::make_unique<Worksheet>());
  sheets_.back()->book_ = this;
  sheets_.back()->name_ = "Sheet1";
  added_ = 1;
}

bool Workbook::NameTaken(std::string_view name, const Worksheet* except) const {
  for (const auto& s : sheets_)
    if (s.get() != except && SameSheetName(s->name_, name)) return true;
  return false;
}

void Workbook::Select(int k) {
  if (k >= 1 && k <= Count()) active_ = k;
}

Worksheet* Workbook::Add() {
  if (Count() >= kMaxSheets) return nullptr;
  auto sheet = std::make_unique<Worksheet>();
  sheet->book_ = this;
  std::string name;
  do name = "Sheet" + std::to_string(++added_);
  while (NameTaken(name, nullptr));
  sheet->name_ = name;
  Worksheet* added = sheet.get();
  sheets_.insert(sheets_.begin() + (active_ - 1), std::move(sheet));
  return added;  // it sits at the active position, so it is the active sheet now
}

bool Workbook::Delete(int k) {
  if (Count() <= 1 || k < 1 || k > Count()) return false;
  sheets_.erase(sheets_.begin() + (k - 1));
  if (active_ > k || active_ > Count()) active_ = std::max(1, active_ - 1);
  return true;
}

SaveResult Workbook::SaveAs(const std::string& path, std::string* detail) const {
  std::string tmp;
  const int fd = CreateOutputTemp(path, tmp);
  if (fd < 0) {
    if (detail) *detail = std::strerror(errno);
    return SaveResult::CannotWrite;
  }
  fchmod(fd, 0666 & ~ProcessUmask());
  close(fd);

  lxw_workbook_options options{};
  lxw_workbook* wb = workbook_new_opt(tmp.c_str(), &options);
  if (!wb) {
    unlink(tmp.c_str());
    ForgetPendingOutput(tmp);
    if (detail) *detail = "cannot create the workbook";
    return SaveResult::WriterError;
  }
  XlsxFormats formats(wb);
  for (int k = 1; k <= Count(); ++k) {
    const Worksheet& sheet = Item(k);
    lxw_worksheet* ws = workbook_add_worksheet(wb, sheet.name_.c_str());
    if (!ws) continue;  // the name was refused; workbook_close reports it
    if (k == active_) worksheet_activate(ws);
    for (const auto& [col, data] : sheet.columns_) {
      if (!data.styled && data.width == 0) continue;
      worksheet_set_column(ws, static_cast<lxw_col_t>(col - 1), static_cast<lxw_col_t>(col - 1),
                           data.width > 0 ? data.width : LXW_DEF_COL_WIDTH,
                           data.styled ? formats.For(data.style) : nullptr);
    }
    for (const auto& [row, data] : sheet.rows_) {
      const auto r = static_cast<lxw_row_t>(row - 1);
      if (data.level > 0) {
        lxw_row_col_options o{0, static_cast<std::uint8_t>(data.level), 0};
        worksheet_set_row_opt(ws, r, LXW_DEF_ROW_HEIGHT, nullptr, &o);
      }
      for (const auto& [col, cell] : data.cells) {
        const auto c = static_cast<lxw_col_t>(col - 1);
        lxw_format* f = formats.For(cell.style);
        if (cell.has_text && !cell.text.empty())
          worksheet_write_string(ws, r, c, CellText(cell.text).c_str(), f);
        else if (f)
          worksheet_write_blank(ws, r, c, f);
      }
    }
  }
  lxw_error err = workbook_close(wb);
  if (err != LXW_NO_ERROR) {
    unlink(tmp.c_str());
    ForgetPendingOutput(tmp);
    if (detail) *detail = lxw_strerror(err);
    return err == LXW_ERROR_CREATING_XLSX_FILE ? SaveResult::CannotWrite : SaveResult::WriterError;
  }
  if (!PlaceFinishedOutput(tmp, path, /*sync=*/true)) {
    if (detail) *detail = std::strerror(errno);
    return SaveResult::CannotWrite;
  }
  return SaveResult::Saved;
}

}  // namespace kelvora
