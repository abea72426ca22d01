#include "data/row_arena.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <ostream>

namespace kelvora {

namespace {

// Rows are carved from chunks of this size; a larger row gets a chunk of its own.
constexpr std::size_t kChunkSize = std::size_t{1} << 20;

void PutVarint(std::string& out, std::uint64_t n) {
  while (n >= 0x80) {
    out += static_cast<char>((n & 0x7F) | 0x80);
    n >>= 7;
  }
  out += static_cast<char>(n);
}

std::size_t VarintSize(std::uint64_t n) {
  std::size_t size = 1;
  for (; n >= 0x80; n >>= 7) ++size;
  return size;
}

// PutVarint into memory; the first byte after it.
char* WriteVarint(char* p, std::uint64_t n) {
  for (; n >= 0x80; n >>= 7) *p++ = static_cast<char>((n & 0x7F) | 0x80);
  *p++ = static_cast<char>(n);
  return p;
}

// Splits "path(line)" whose line is a decimal number without leading zeros that fits 64 bits,
// so that the path and number give back the very same text; false for any other text.
bool SplitCompactPosition(std::string_view text, std::string_view& path, std::uint64_t& line) {
  if (text.size() < 3 || text.back() != ')') return false;
  const std::size_t close = text.size() - 1;
  std::size_t open = close;
  while (open > 0 && text[open - 1] >= '0' && text[open - 1] <= '9') --open;
  if (open == close || open == 0 || text[open - 1] != '(') return false;
  if (text[open] == '0' && close - open > 1) return false;
  const auto [end, ec] = std::from_chars(text.data() + open, text.data() + close, line);
  if (ec != std::errc() || end != text.data() + close) return false;
  path = text.substr(0, open - 1);
  return true;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const CellView& cell) {
  return out << cell.view();
}

std::uint32_t PathTable::Intern(std::string_view path) {
  if (last_ != kFull && Path(last_) == path) return last_;
  if ((Count() + 1) * 2 > slots_.size()) {
    if (Count() >= kFull - 1) return kFull;
    Grow();
  }
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = std::hash<std::string_view>{}(path)&mask;; i = (i + 1) & mask) {
    const std::uint32_t slot = slots_[i];
    if (slot == 0) {
      const auto number = static_cast<std::uint32_t>(Count());
      text_.append(path);
      starts_.push_back(text_.size());
      slots_[i] = number + 1;
      return last_ = number;
    }
    if (Path(slot - 1) == path) return last_ = slot - 1;
  }
}

void PathTable::Grow() {
  std::vector<std::uint32_t> slots(std::max<std::size_t>(64, slots_.size() * 2), 0);
  const std::size_t mask = slots.size() - 1;
  for (std::uint32_t n = 0; n < Count(); ++n) {
    std::size_t i = std::hash<std::string_view>{}(Path(n)) & mask;
    while (slots[i] != 0) i = (i + 1) & mask;
    slots[i] = n + 1;
  }
  slots_ = std::move(slots);
}

RowArena RowArena::EmptyCopyOf(const RowArena& other) {
  RowArena fresh(other.columns_, other.position_column_);
  fresh.paths_ = other.paths_;
  return fresh;
}

char* RowArena::Reserve(std::size_t size) {
  if (static_cast<std::size_t>(end_ - next_) < size) {
    const std::size_t capacity = std::max(kChunkSize, size);
    // Not value-initialised: only the bytes rows are written into are ever touched.
    chunks_.push_back(std::make_unique_for_overwrite<char[]>(capacity));
    next_ = chunks_.back().get();
    end_ = next_ + capacity;
  }
  char* at = next_;
  next_ += size;
  used_ += size;
  return at;
}

void RowArena::Encode(int column, std::string_view text, std::string& out) {
  if (column != position_column_) {
    PutVarint(out, text.size());
    out.append(text);
    return;
  }
  std::string_view path;
  std::uint64_t line = 0;
  if (SplitCompactPosition(text, path, line)) {
    const std::uint32_t number = paths_.Intern(path);
    if (number != PathTable::kFull) {
      PutVarint(out, (std::uint64_t{number} << 1) | 1);
      PutVarint(out, line);
      return;
    }
  }
  PutVarint(out, std::uint64_t{text.size()} << 1);
  out.append(text);
}

CellView RowArena::PositionText(std::size_t path, std::size_t line) const {
  const std::string_view text = paths_.Path(static_cast<std::uint32_t>(path));
  std::string out;
  out.reserve(text.size() + 22);
  out.append(text);
  char digits[24];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, line);
  out += '(';
  out.append(digits, end);
  out += ')';
  return CellView::Owning(std::move(out));
}

RowArena::RowRef RowArena::Add(std::span<const std::string_view> cells) {
  if (cells.empty()) {
    // Every empty cell, a position too, is a single zero length byte.
    char* at = Reserve(static_cast<std::size_t>(columns_));
    std::memset(at, 0, static_cast<std::size_t>(columns_));
    return at;
  }
  scratch_.clear();
  for (int c = 0; c < columns_; ++c) {
    const std::string_view text =
        static_cast<std::size_t>(c) < cells.size() ? cells[static_cast<std::size_t>(c)] : "";
    Encode(c, text, scratch_);
  }
  char* at = Reserve(scratch_.size());
  std::memcpy(at, scratch_.data(), scratch_.size());
  return at;
}

RowArena::RowRef RowArena::AddAt(std::span<const std::string_view> cells, std::uint32_t path_number,
                                 std::uint64_t line) {
  // Written straight into the chunk: the row's size is known beforehand.
  const std::uint64_t position = (std::uint64_t{path_number} << 1) | 1;
  auto text_of = [&cells](int c) {
    return static_cast<std::size_t>(c) < cells.size() ? cells[static_cast<std::size_t>(c)]
                                                      : std::string_view();
  };
  std::size_t size = 0;
  for (int c = 0; c < columns_; ++c) {
    if (c == position_column_) {
      size += VarintSize(position) + VarintSize(line);
    } else {
      const std::size_t n = text_of(c).size();
      size += VarintSize(n) + n;
    }
  }
  char* const at = Reserve(size);
  char* p = at;
  for (int c = 0; c < columns_; ++c) {
    if (c == position_column_) {
      p = WriteVarint(p, position);
      p = WriteVarint(p, line);
      continue;
    }
    const std::string_view text = text_of(c);
    p = WriteVarint(p, text.size());
    if (!text.empty()) std::memcpy(p, text.data(), text.size());
    p += text.size();
  }
  return at;
}

RowArena::RowRef RowArena::AddCopy(RowRef row) {
  const std::size_t size = RowSize(row);
  char* at = Reserve(size);
  std::memcpy(at, row, size);
  return at;
}

RowArena::RowRef RowArena::Replace(RowRef row, int column, std::string_view text) {
  // The new cell is encoded aside first: text may lie inside this arena. A text has exactly one
  // stored form, so equal bytes mean an equal text.
  cell_.clear();
  Encode(column, text, cell_);
  const char* start = row;
  for (int c = 0; c < column; ++c) start = SkipCell(start, c);
  const char* stop = SkipCell(start, column);
  if (std::string_view(start, static_cast<std::size_t>(stop - start)) == cell_) return row;
  const char* p = stop;
  for (int c = column + 1; c < columns_; ++c) p = SkipCell(p, c);
  scratch_.assign(row, start);
  scratch_.append(cell_);
  scratch_.append(stop, p);
  const std::size_t old_size = static_cast<std::size_t>(p - row);
  const std::size_t new_size = scratch_.size();
  char* at = const_cast<char*>(row);
  if (at + old_size == next_ && new_size <= static_cast<std::size_t>(end_ - at)) {
    // The newest row of the current chunk grows or shrinks where it stands.
    next_ = at + new_size;
    used_ = used_ - old_size + new_size;
  } else if (new_size <= old_size) {
    wasted_ += old_size - new_size;
  } else {
    at = Reserve(new_size);
    wasted_ += old_size;
  }
  std::memcpy(at, scratch_.data(), new_size);
  return at;
}

void RowArena::Release(RowRef row) {
  wasted_ += RowSize(row);
}

std::size_t RowArena::RowSize(RowRef row) const {
  const char* p = row;
  for (int c = 0; c < columns_; ++c) p = SkipCell(p, c);
  return static_cast<std::size_t>(p - row);
}

bool RowArena::WorthCompacting() const {
  return wasted_ >= kChunkSize && wasted_ * 2 >= used_;
}

void RowArena::Compact(std::vector<RowRef>& refs) {
  RowArena fresh(columns_, position_column_);
  fresh.paths_ = std::move(paths_);
  for (RowRef& ref : refs) ref = fresh.AddCopy(ref);
  fresh.scratch_ = std::move(scratch_);
  fresh.cell_ = std::move(cell_);
  *this = std::move(fresh);
}

void RowArena::Clear() {
  chunks_.clear();
  chunks_.shrink_to_fit();
  next_ = end_ = nullptr;
  used_ = wasted_ = 0;
  paths_.Clear();
}

}  // namespace kelvora
