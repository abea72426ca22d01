#include "data/row_arena.h"

#include <algorithm>
#include <cstring>

namespace kelvora {

namespace {

// Rows are carved from chunks of this size; a larger row gets a chunk of its own.
constexpr std::size_t kChunkSize = std::size_t{1} << 20;

void PutLength(std::string& out, std::size_t n) {
  while (n >= 0x80) {
    out += static_cast<char>((n & 0x7F) | 0x80);
    n >>= 7;
  }
  out += static_cast<char>(n);
}

std::size_t TakeLength(const char*& p) {
  std::size_t n = static_cast<unsigned char>(*p++);
  if (n < 0x80) return n;
  n &= 0x7F;
  for (int shift = 7;; shift += 7) {
    const std::size_t b = static_cast<unsigned char>(*p++);
    n |= (b & 0x7F) << shift;
    if (b < 0x80) return n;
  }
}

}  // namespace

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

RowArena::RowRef RowArena::Add(std::span<const std::string_view> cells) {
  scratch_.clear();
  for (int c = 0; c < columns_; ++c) {
    const std::string_view text =
        static_cast<std::size_t>(c) < cells.size() ? cells[static_cast<std::size_t>(c)] : "";
    PutLength(scratch_, text.size());
    scratch_.append(text);
  }
  char* at = Reserve(scratch_.size());
  std::memcpy(at, scratch_.data(), scratch_.size());
  return at;
}

RowArena::RowRef RowArena::AddCopy(RowRef row) {
  const std::size_t size = RowSize(row);
  char* at = Reserve(size);
  std::memcpy(at, row, size);
  return at;
}

RowArena::RowRef RowArena::Replace(RowRef row, int column, std::string_view text) {
  if (Cell(row, column) == text) return row;
  // The new row is put together aside first: text may lie inside this arena.
  scratch_.clear();
  const char* p = row;
  for (int c = 0; c < columns_; ++c) {
    const std::size_t n = TakeLength(p);
    const std::string_view cell = c == column ? text : std::string_view(p, n);
    PutLength(scratch_, cell.size());
    scratch_.append(cell);
    p += n;
  }
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

std::string_view RowArena::Cell(RowRef row, int column) const {
  const char* p = row;
  for (int c = 0; c < column; ++c) p += TakeLength(p);
  const std::size_t n = TakeLength(p);
  return {p, n};
}

std::size_t RowArena::RowSize(RowRef row) const {
  const char* p = row;
  for (int c = 0; c < columns_; ++c) p += TakeLength(p);
  return static_cast<std::size_t>(p - row);
}

bool RowArena::WorthCompacting() const {
  return wasted_ >= kChunkSize && wasted_ * 2 >= used_;
}

void RowArena::Compact(std::vector<RowRef>& refs) {
  RowArena fresh(columns_);
  for (RowRef& ref : refs) ref = fresh.AddCopy(ref);
  fresh.scratch_ = std::move(scratch_);
  *this = std::move(fresh);
}

void RowArena::Clear() {
  chunks_.clear();
  chunks_.shrink_to_fit();
  next_ = end_ = nullptr;
  used_ = wasted_ = 0;
}

}  // namespace kelvora
