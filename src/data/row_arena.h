// Compact storage for the rows of a registration list: the cells of a row lie one after the
// other in a large byte chunk, each behind its length as a varint, and a row is known by the
// address of its first byte. A list of millions of rows then costs its text plus one pointer and
// one or two bytes per cell, instead of a heap string per cell.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

class RowArena {
 public:
  // The address of a stored row. It stays valid until the row is changed, the arena is
  // compacted or cleared.
  using RowRef = const char*;

  explicit RowArena(int columns) : columns_(columns) {}
  RowArena(const RowArena&) = delete;
  RowArena& operator=(const RowArena&) = delete;
  RowArena(RowArena&&) noexcept = default;
  RowArena& operator=(RowArena&&) noexcept = default;

  int columns() const { return columns_; }

  // Stores a row whose first cells are cells (missing ones empty, extra ones dropped).
  RowRef Add(std::span<const std::string_view> cells);
  // Stores a copy of a row of another arena with the same column count.
  RowRef AddCopy(RowRef row);
  // Replaces one cell; returns the row's address, which changes when the row had to move.
  RowRef Replace(RowRef row, int column, std::string_view text);
  // Counts a row that is no longer referenced as waste.
  void Release(RowRef row);

  // Cell column (0 <= column < columns()) of a row.
  std::string_view Cell(RowRef row, int column) const;

  // Bytes held in rows, live and released.
  std::size_t used_bytes() const { return used_; }
  std::size_t wasted_bytes() const { return wasted_; }
  // True when the released rows take more room than is worth keeping.
  bool WorthCompacting() const;
  // Copies the rows refs names, in that order, into fresh chunks, updates refs and frees the
  // old chunks; the released rows are gone.
  void Compact(std::vector<RowRef>& refs);
  void Clear();

 private:
  // Bytes of a stored row.
  std::size_t RowSize(RowRef row) const;
  // Room for size bytes at the end of the current chunk, starting a new chunk when needed.
  char* Reserve(std::size_t size);

  int columns_;
  std::vector<std::unique_ptr<char[]>> chunks_;
  char* next_ = nullptr;  // the first free byte of the current chunk
  char* end_ = nullptr;   // the end of the current chunk
  std::size_t used_ = 0;
  std::size_t wasted_ = 0;
  std::string scratch_;  // a row being re-encoded
};

}  // namespace kelvora
