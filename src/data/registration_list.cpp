#include <algorithm>
#include <cstdint>
#include <cstring>
#include <numeric>

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

const std::string kNoCell;

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

int RegistrationList::column_count() const {
  return static_cast<int>(Columns(kind_).size());
}

RegistrationList::Row& RegistrationList::At(std::size_t row) {
  if (row < run_start_) return rows_[row];
  if (row - run_start_ < run_.size()) return run_[row - run_start_];
  return rows_[row - run_.size()];
}

const RegistrationList::Row& RegistrationList::At(std::size_t row) const {
  return const_cast<RegistrationList*>(this)->At(row);
}

void RegistrationList::MergeRun() {
  if (run_.empty()) return;
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(run_start_),
               std::make_move_iterator(run_.begin()), std::make_move_iterator(run_.end()));
  run_.clear();
}

std::size_t RegistrationList::AppendRow() {
  // rows_ keeps the rows after the run, so a new last row always goes there.
  rows_.emplace_back();
  return RowCount() - 1;
}

std::size_t RegistrationList::InsertRow(std::size_t row) {
  if (row >= RowCount()) return AppendRow();
  if (run_.empty() || row != run_start_ + run_.size()) {
    MergeRun();
    run_start_ = row;
  }
  run_.emplace_back();
  return row;
}

void RegistrationList::DeleteRow(std::size_t row) {
  if (row >= RowCount()) return;
  MergeRun();
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
}

void RegistrationList::DeleteRows(const std::vector<bool>& flags) {
  MergeRun();
  std::size_t kept = 0;
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    if (r < flags.size() && flags[r]) continue;
    if (kept != r) rows_[kept] = std::move(rows_[r]);
    ++kept;
  }
  rows_.resize(kept);
}

void RegistrationList::Clear() {
  rows_.clear();
  rows_.shrink_to_fit();
  run_.clear();
  run_.shrink_to_fit();
  run_start_ = 0;
  index_.clear();
}

void RegistrationList::SetCell(std::size_t row, int column, std::string_view text) {
  if (row >= RowCount() || column < 0 || column >= column_count()) return;
  At(row)[static_cast<std::size_t>(column)].assign(text.data(), text.size());
}

const std::string& RegistrationList::Cell(std::size_t row, int column) const {
  if (row >= RowCount() || column < 0 || column >= column_count()) return kNoCell;
  return At(row)[static_cast<std::size_t>(column)];
}

std::string RegistrationList::CellText(std::size_t row, int column) const {
  const std::string& text = Cell(row, column);
  return text.substr(0, CellCut(text, kCellReadLimit));
}

void RegistrationList::Sort() {
  MergeRun();
  // The names folded once into one buffer: comparing folded bytes is the name comparison, and
  // the first eight of them, big-endian and padded with zeros, decide most pairs without
  // touching the rows. This keeps a sort of millions of rows inside the cache.
  struct Keyed {
    std::uint64_t key;
    std::size_t offset;
    std::size_t length;
    std::size_t row;
  };
  std::size_t total = 0;
  for (const Row& r : rows_) total += r[col::kName].size();
  std::string folded;
  folded.reserve(total);
  std::vector<Keyed> order(rows_.size());
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    const std::string& name = rows_[r][col::kName];
    const std::size_t offset = folded.size();
    for (char c : name) folded += static_cast<char>(FoldAscii(static_cast<unsigned char>(c)));
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 8; ++i) {
      key = (key << 8) | (i < name.size() ? static_cast<unsigned char>(folded[offset + i]) : 0u);
    }
    order[r] = {key, offset, name.size(), r};
  }
  // Negative, zero or positive as folded name a sorts before, with or after folded name b.
  auto compare = [&](const Keyed& a, const Keyed& b) -> int {
    if (a.key != b.key) return a.key < b.key ? -1 : 1;
    const std::size_t n = std::min(a.length, b.length);
    int c = n ? std::memcmp(folded.data() + a.offset, folded.data() + b.offset, n) : 0;
    if (c != 0) return c;
    return a.length < b.length ? -1 : a.length > b.length ? 1 : 0;
  };
  const bool descending = sort_flag_ == 1;
  // Equal names keep their present order in both directions.
  std::sort(order.begin(), order.end(), [&](const Keyed& a, const Keyed& b) {
    int c = compare(a, b);
    if (c != 0) return descending ? c > 0 : c < 0;
    return a.row < b.row;
  });
  folded.clear();
  folded.shrink_to_fit();
  // Rows move into their places in place, cycle by cycle (row k takes order[k].row), so a sort
  // of millions of rows needs no second copy of the list.
  std::vector<bool> placed(rows_.size(), false);
  for (std::size_t start = 0; start < rows_.size(); ++start) {
    if (placed[start] || order[start].row == start) continue;
    Row held = std::move(rows_[start]);
    std::size_t k = start;
    while (true) {
      placed[k] = true;
      const std::size_t from = order[k].row;
      if (from == start) {
        rows_[k] = std::move(held);
        break;
      }
      rows_[k] = std::move(rows_[from]);
      k = from;
    }
  }
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
    const std::string& name = rows_[r][col::kName];
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
