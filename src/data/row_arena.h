// Compact storage for the rows of a registration list: the cells of a row lie one after the
// other in a large byte chunk, each behind its length as a varint, and a row is known by the
// address of its first byte. A list of millions of rows then costs its text plus one pointer and
// one or two bytes per cell, instead of a heap string per cell.
//
// One column may be a position column. A position "path(line)" there is kept as the number of
// its path in the arena's path table and its line number, both varints, so the few thousand
// files millions of #define rows lie in are stored once. The varint in front of a cell of that
// column tells the two forms apart: an even value is twice the length of a text that follows,
// an odd value is twice the path number plus one and the line number follows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#if defined(__clang__)
#define KELVORA_CELL_OWNER [[gsl::Owner(char)]]
#define KELVORA_LIFETIMEBOUND [[clang::lifetimebound]]
#else
#define KELVORA_CELL_OWNER
#define KELVORA_LIFETIMEBOUND
#endif

namespace kelvora {

// A cell's text: either a view into the storage, which stays valid until rows are deleted, the
// list is sorted or cleared (changing or adding rows leaves it readable), or text put together
// from a compact position, which the CellView owns. Either way the text lives as long as the
// CellView does: keep the CellView, not a string_view taken from a temporary one.
class KELVORA_CELL_OWNER CellView {
 public:
  CellView() = default;
  CellView(std::string_view text) : view_(text) {}
  CellView(const char* text) : view_(text) {}
  // A CellView that owns text.
  static CellView Owning(std::string text) {
    CellView cell;
    cell.owned_ = std::move(text);
    cell.view_ = cell.owned_;
    return cell;
  }
  CellView(const CellView& other) : owned_(other.owned_) {
    view_ = other.Owns() ? std::string_view(owned_) : other.view_;
  }
  CellView(CellView&& other) noexcept { *this = std::move(other); }
  CellView& operator=(const CellView& other) {
    if (this != &other) *this = CellView(other);
    return *this;
  }
  CellView& operator=(CellView&& other) noexcept {
    if (this == &other) return *this;
    const bool owns = other.Owns();
    owned_ = std::move(other.owned_);
    view_ = owns ? std::string_view(owned_) : other.view_;
    other.view_ = {};
    return *this;
  }

  std::string_view view() const KELVORA_LIFETIMEBOUND { return view_; }
  operator std::string_view() const KELVORA_LIFETIMEBOUND { return view_; }
  operator std::string() const { return std::string(view_); }
  // The text as a string, moved out when owned.
  std::string ToString() && { return Owns() ? std::move(owned_) : std::string(view_); }
  // Keeps the first n bytes.
  void Truncate(std::size_t n) {
    if (n >= view_.size()) return;
    if (Owns()) owned_.resize(n);  // a copy then takes the shortened text
    view_ = view_.substr(0, n);
  }

  const char* data() const KELVORA_LIFETIMEBOUND { return view_.data(); }
  std::size_t size() const { return view_.size(); }
  bool empty() const { return view_.empty(); }
  char operator[](std::size_t i) const { return view_[i]; }
  std::string_view::const_iterator begin() const KELVORA_LIFETIMEBOUND { return view_.begin(); }
  std::string_view::const_iterator end() const KELVORA_LIFETIMEBOUND { return view_.end(); }
  std::string_view substr(std::size_t pos,
                          std::size_t n = std::string_view::npos) const KELVORA_LIFETIMEBOUND {
    return view_.substr(pos, n);
  }
  std::size_t find(std::string_view what, std::size_t pos = 0) const {
    return view_.find(what, pos);
  }
  std::size_t find(char c, std::size_t pos = 0) const { return view_.find(c, pos); }
  std::size_t rfind(char c, std::size_t pos = std::string_view::npos) const {
    return view_.rfind(c, pos);
  }
  bool starts_with(std::string_view prefix) const { return view_.starts_with(prefix); }
  bool ends_with(std::string_view suffix) const { return view_.ends_with(suffix); }

  friend bool operator==(const CellView& a, const CellView& b) { return a.view_ == b.view_; }
  friend bool operator==(const CellView& a, std::string_view b) { return a.view_ == b; }
  friend bool operator==(const CellView& a, const char* b) { return a.view_ == b; }
  friend bool operator==(const CellView& a, const std::string& b) { return a.view_ == b; }
  friend std::ostream& operator<<(std::ostream& out, const CellView& cell);

 private:
  bool Owns() const { return !view_.empty() && view_.data() == owned_.data(); }

  std::string_view view_;
  std::string owned_;
};

// The distinct paths of a position column, numbered from 0 in the order they were first seen,
// with a hash index to find a path's number.
class PathTable {
 public:
  static constexpr std::uint32_t kFull = 0xFFFFFFFFu;

  // The number of path, added when new; kFull when the table cannot take more paths.
  std::uint32_t Intern(std::string_view path);
  std::string_view Path(std::uint32_t number) const {
    return std::string_view(text_).substr(starts_[number], starts_[number + 1] - starts_[number]);
  }
  std::size_t Count() const { return starts_.size() - 1; }
  std::size_t bytes() const {
    return text_.capacity() + starts_.capacity() * sizeof(std::size_t) +
           slots_.capacity() * sizeof(std::uint32_t);
  }
  void Clear() { *this = PathTable(); }

 private:
  void Grow();

  std::string text_;                    // the paths one after the other
  std::vector<std::size_t> starts_{0};  // path n is text_[starts_[n], starts_[n + 1])
  std::vector<std::uint32_t> slots_;    // open addressing: a path number plus one, 0 free
  std::uint32_t last_ = kFull;          // the path found last: rows of one file come in runs
};

class RowArena {
 public:
  // The address of a stored row. It stays valid until the row is changed, the arena is
  // compacted or cleared.
  using RowRef = const char*;

  // position_column: the column whose positions are kept compact, or -1 for none.
  explicit RowArena(int columns, int position_column = -1)
      : columns_(columns), position_column_(position_column) {
    if (position_column_ == 0) position_column_ = -1;  // the name column is read in place
  }
  RowArena(const RowArena&) = delete;
  RowArena& operator=(const RowArena&) = delete;
  RowArena(RowArena&&) noexcept = default;
  RowArena& operator=(RowArena&&) noexcept = default;
  // An empty arena of the same layout with a copy of other's path table, so rows of other can
  // be copied into it with AddCopy.
  static RowArena EmptyCopyOf(const RowArena& other);

  int columns() const { return columns_; }

  // Stores a row whose first cells are cells (missing ones empty, extra ones dropped).
  RowRef Add(std::span<const std::string_view> cells);
  // The number of a path in the position column's path table, for AddAt; PathTable::kFull when
  // there is no position column or the table cannot take more paths.
  std::uint32_t InternPath(std::string_view path) {
    return position_column_ < 0 ? PathTable::kFull : paths_.Intern(path);
  }
  // Stores the row Add stores when the position cell is "path(line)", path being the path
  // numbered path_number by InternPath (the position cell of cells is not read): the same bytes,
  // without making the text and splitting it again.
  RowRef AddAt(std::span<const std::string_view> cells, std::uint32_t path_number,
               std::uint64_t line);
  // Stores a copy of a row of this arena or of an arena made by EmptyCopyOf this one.
  RowRef AddCopy(RowRef row);
  // Replaces one cell; returns the row's address, which changes when the row had to move.
  RowRef Replace(RowRef row, int column, std::string_view text);
  // Counts a row that is no longer referenced as waste.
  void Release(RowRef row);

  // Cell column (0 <= column < columns()) of a row.
  CellView Cell(RowRef row, int column) const {
    const char* p = row;
    for (int c = 0; c < column; ++c) p = SkipCell(p, c);
    std::size_t n = TakeVarint(p);
    if (column != position_column_) return std::string_view(p, n);
    if ((n & 1) == 0) return std::string_view(p, n >> 1);
    return PositionText(n >> 1, TakeVarint(p));
  }

  // The position cell of a row when it is kept compact: its path's number and text and its
  // line. False when there is no position column or the cell is kept as text.
  bool CompactPosition(RowRef row, std::uint32_t& path_number, std::string_view& path,
                       std::uint64_t& line) const {
    if (position_column_ < 0) return false;
    const char* p = row;
    for (int c = 0; c < position_column_; ++c) p = SkipCell(p, c);
    const std::size_t n = TakeVarint(p);
    if ((n & 1) == 0) return false;
    path_number = static_cast<std::uint32_t>(n >> 1);
    path = paths_.Path(path_number);
    line = TakeVarint(p);
    return true;
  }

  // Cell column of a row when column is not the position column: a view into the storage.
  std::string_view Text(RowRef row, int column) const {
    const char* p = row;
    for (int c = 0; c < column; ++c) p = SkipCell(p, c);
    const std::size_t n = TakeVarint(p);
    return {p, n};
  }
  // Cell 0, which is never the position column.
  std::string_view Name(RowRef row) const { return Text(row, 0); }

  // Bytes held in rows, live and released.
  std::size_t used_bytes() const { return used_; }
  std::size_t wasted_bytes() const { return wasted_; }
  // Bytes of the path table.
  std::size_t path_bytes() const { return paths_.bytes(); }
  // True when the released rows take more room than is worth keeping.
  bool WorthCompacting() const;
  // Copies the rows refs names, in that order, into fresh chunks, updates refs and frees the
  // old chunks; the released rows are gone.
  void Compact(std::vector<RowRef>& refs);
  void Clear();

  static std::size_t TakeVarint(const char*& p) {
    std::size_t n = static_cast<unsigned char>(*p++);
    if (n < 0x80) return n;
    n &= 0x7F;
    for (int shift = 7;; shift += 7) {
      const std::size_t b = static_cast<unsigned char>(*p++);
      n |= (b & 0x7F) << shift;
      if (b < 0x80) return n;
    }
  }

 private:
  // The first byte after cell column, which starts at p.
  const char* SkipCell(const char* p, int column) const {
    const std::size_t n = TakeVarint(p);
    if (column != position_column_) return p + n;
    if ((n & 1) == 0) return p + (n >> 1);
    TakeVarint(p);
    return p;
  }
  // "path(line)" of a compact position.
  CellView PositionText(std::size_t path, std::size_t line) const;
  // Appends the stored form of cell column to out.
  void Encode(int column, std::string_view text, std::string& out);
  // Bytes of a stored row.
  std::size_t RowSize(RowRef row) const;
  // Room for size bytes at the end of the current chunk, starting a new chunk when needed.
  char* Reserve(std::size_t size);

  int columns_;
  int position_column_;
  PathTable paths_;
  std::vector<std::unique_ptr<char[]>> chunks_;
  char* next_ = nullptr;  // the first free byte of the current chunk
  char* end_ = nullptr;   // the end of the current chunk
  std::size_t used_ = 0;
  std::size_t wasted_ = 0;
  std::string scratch_;  // a row being re-encoded
  std::string cell_;     // a cell being encoded
};

}  // namespace kelvora
