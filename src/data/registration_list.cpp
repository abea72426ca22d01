#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <numeric>

#include "data/list_sort.h"
#include "data/registration_lists.h"
#include "platform/bytes.h"
#include "platform/cp932.h"

namespace kelvora {

namespace {

// Length of the first at most max bytes of text that ends on a character boundary: UTF-8 text
// (file names) by its own sequences, anything else as CP932.
std::size_t CellCut(std::string_view text, std::size_t max) {
  if (text.size() <= max) return text.size();
  if (!IsValidUtf8(text)) return Cp932SafeCut(text, max);
  std::size_t cut = max;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

}  // namespace

int CompareNamesNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = FoldAscii(static_cast<unsigned char>(a[i]));
    unsigned char y = FoldAscii(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

RegistrationList::RegistrationList(ListKind kind)
    // A file is listed once, so its position shares its path with no other row: the FileList
    // keeps positions as text.
    : kind_(kind),
      arena_(static_cast<int>(Columns(kind).size()), kind == ListKind::File ? -1 : col::kPosition) {
}

RegistrationList::RegistrationList(const RegistrationList& other)
    : kind_(other.kind_),
      arena_(RowArena::EmptyCopyOf(other.arena_)),
      run_start_(other.run_start_),
      sort_flag_(other.sort_flag_),
      index_(other.index_) {
  rows_.reserve(other.rows_.size());
  for (RowRef row : other.rows_) rows_.push_back(arena_.AddCopy(row));
  run_.reserve(other.run_.size());
  for (RowRef row : other.run_) run_.push_back(arena_.AddCopy(row));
}

RegistrationList& RegistrationList::operator=(const RegistrationList& other) {
  if (this != &other) *this = RegistrationList(other);
  return *this;
}

int RegistrationList::column_count() const {
  return arena_.columns();
}

RegistrationList::RowRef& RegistrationList::At(std::size_t row) {
  if (row < run_start_) return rows_[row];
  if (row - run_start_ < run_.size()) return run_[row - run_start_];
  return rows_[row - run_.size()];
}

RegistrationList::RowRef RegistrationList::At(std::size_t row) const {
  return const_cast<RegistrationList*>(this)->At(row);
}

void RegistrationList::MergeRun() {
  if (run_.empty()) return;
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(run_start_), run_.begin(), run_.end());
  run_.clear();
}

void RegistrationList::CompactIfWorthIt() {
  if (!arena_.WorthCompacting()) return;
  MergeRun();
  arena_.Compact(rows_);
}

std::size_t RegistrationList::AppendRow() {
  return AppendRow(std::span<const std::string_view>());
}

std::size_t RegistrationList::AppendRow(std::span<const std::string_view> cells) {
  // rows_ keeps the rows after the run, so a new last row always goes there.
  rows_.push_back(arena_.Add(cells));
  return RowCount() - 1;
}

std::size_t RegistrationList::AppendRow(std::span<const std::string_view> cells,
                                        PositionAt position) {
  const std::uint32_t number =
      position.line >= 0 ? arena_.InternPath(position.path) : PathTable::kFull;
  if (number != PathTable::kFull) {
    rows_.push_back(arena_.AddAt(cells, number, static_cast<std::uint64_t>(position.line)));
    return RowCount() - 1;
  }
  // Kept as text (a FileList position, a full path table, a negative line).
  std::vector<std::string_view> all(cells.begin(), cells.end());
  if (all.size() <= static_cast<std::size_t>(col::kPosition)) all.resize(col::kPosition + 1);
  const std::string text = FormatPosition(position.path, position.line);
  all[col::kPosition] = text;
  return AppendRow(all);
}

std::size_t RegistrationList::InsertRow(std::size_t row) {
  if (row >= RowCount()) return AppendRow();
  if (run_.empty() || row != run_start_ + run_.size()) {
    MergeRun();
    run_start_ = row;
  }
  run_.push_back(arena_.Add({}));
  return row;
}

void RegistrationList::DeleteRow(std::size_t row) {
  if (row >= RowCount()) return;
  MergeRun();
  arena_.Release(rows_[row]);
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
  CompactIfWorthIt();
}

void RegistrationList::DeleteRows(const std::vector<bool>& flags) {
  MergeRun();
  std::size_t kept = 0;
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    if (r < flags.size() && flags[r]) {
      arena_.Release(rows_[r]);
      continue;
    }
    rows_[kept++] = rows_[r];
  }
  rows_.resize(kept);
  CompactIfWorthIt();
}

void RegistrationList::Clear() {
  rows_.clear();
  rows_.shrink_to_fit();
  run_.clear();
  run_.shrink_to_fit();
  run_start_ = 0;
  arena_.Clear();
  index_.clear();
}

void RegistrationList::SetCell(std::size_t row, int column, std::string_view text) {
  if (row >= RowCount() || column < 0 || column >= column_count()) return;
  RowRef& ref = At(row);
  ref = arena_.Replace(ref, column, text);
}

CellView RegistrationList::Cell(std::size_t row, int column) const {
  if (row >= RowCount() || column < 0 || column >= column_count()) return {};
  return arena_.Cell(At(row), column);
}

std::string_view RegistrationList::PlainCell(std::size_t row, int column) const {
  assert(column != col::kPosition);
  if (row >= RowCount() || column < 0 || column >= column_count() || column == col::kPosition)
    return {};
  return arena_.Text(At(row), column);
}

bool RegistrationList::CompactPosition(std::size_t row, std::uint32_t& path_number,
                                       std::string_view& path, std::uint64_t& line) const {
  if (row >= RowCount()) return false;
  return arena_.CompactPosition(At(row), path_number, path, line);
}

CellView RegistrationList::CellTextView(std::size_t row, int column) const {
  CellView text = Cell(row, column);
  text.Truncate(CellCut(text, kCellReadLimit));
  return text;
}

std::string RegistrationList::CellText(std::size_t row, int column) const {
  return CellTextView(row, column).ToString();
}

void RegistrationList::Sort() {
  MergeRun();
  const bool descending = sort_flag_ == 1;
  SortRefsByName(rows_, descending, [this](std::size_t r) { return arena_.Name(rows_[r]); });
  // Sorted rows are copied out in their new order when changes left much waste behind.
  CompactIfWorthIt();
  sort_flag_ = descending ? 0 : 1;
  RebuildIndex();
}

void RegistrationList::RebuildIndex() {
  MergeRun();
  index_.clear();
  bool have_group = false;
  unsigned char group = 0;
  bool have_other = false;
  for (std::size_t r = 0; r < rows_.size() && index_.size() < kIndexMaxEntries; ++r) {
    const std::string_view name = arena_.Name(rows_[r]);
    // An empty name reads as its terminating NUL, a control byte.
    unsigned char first = name.empty() ? 0 : static_cast<unsigned char>(name[0]);
    if (first >= 0x20 && first <= 0x7F) {
      if (!have_group || FoldAscii(first) != FoldAscii(group)) {
        index_.push_back({first, r});
        group = first;
        have_group = true;
      }
    } else if (!have_other) {
      index_.push_back({first, r});
      have_other = true;
    }
  }
}

}  // namespace kelvora
