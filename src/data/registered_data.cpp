#include <charconv>
#include <string>
#include <thread>

#include "data/list_sort.h"
#include "data/registration_lists.h"

namespace kelvora {

RegisteredData::RegisteredData()
    : lists_{RegistrationList(ListKind::Function), RegistrationList(ListKind::Struct),
             RegistrationList(ListKind::Define), RegistrationList(ListKind::File),
             RegistrationList(ListKind::Table)} {}

bool RegisteredData::AllEmpty() const {
  for (const RegistrationList& list : lists_)
    if (!list.empty()) return false;
  return true;
}

std::string RegisteredData::CompressPosition(std::string_view full) const {
  // The newest root that starts the path at a directory boundary: normally the root of the run
  // that found the file; after a re-analysis over several roots, the file's own root, so every
  // row still expands. An occurrence further on, or "/src" inside "/src2/...", is no match.
  for (std::size_t n = roots_.Count(); n >= 1; --n) {
    const std::string& root = roots_.Entry(n);
    if (full.size() <= root.size() || full.compare(0, root.size(), root) != 0 ||
        full[root.size()] != '/') {
      continue;
    }
    std::string out = "%" + std::to_string(n);
    out.append(full.substr(root.size()));
    return out;
  }
  return std::string(full);
}

std::string RegisteredData::ExpandPosition(std::string_view compressed) const {
  const std::size_t slash = compressed.find('/');
  if (slash == std::string_view::npos) return {};
  const std::size_t percent = compressed.substr(0, slash).find('%');
  if (percent == std::string_view::npos) return {};
  const char* first = compressed.data() + percent + 1;
  const char* last = compressed.data() + slash;
  std::size_t n = 0;
  auto [end, ec] = std::from_chars(first, last, n);
  if (ec != std::errc() || end != last) return {};
  if (n < 1 || n > roots_.Count()) return {};
  std::string out = roots_.Entry(n);
  out.append(compressed.substr(slash));
  return out;
}

std::string RegisteredData::FullPosition(ListKind kind, std::size_t row) const {
  return FullPositionOf(kind, List(kind).Cell(row, col::kPosition));
}

std::string RegisteredData::FullPositionOf(ListKind kind, std::string_view stored) const {
  if (kind == ListKind::File) return std::string(stored);
  return ExpandPosition(stored);
}

void RegisteredData::SortAllAscending() {
  for (RegistrationList& list : lists_) list.set_sort_flag(0);
  SortEveryList();
}

void RegisteredData::SortAllDescending() {
  for (RegistrationList& list : lists_) list.set_sort_flag(1);
  SortEveryList();
}

void RegisteredData::SortEveryList() {
  // The largest list (normally the #define list, itself sorted on two threads when large) sorts
  // beside the other four, which share one more thread.
  std::size_t largest = 0;
  for (std::size_t i = 1; i < lists_.size(); ++i)
    if (lists_[i].RowCount() > lists_[largest].RowCount()) largest = i;
  std::size_t others = 0;
  for (std::size_t i = 0; i < lists_.size(); ++i) others += i == largest ? 0 : lists_[i].RowCount();
  auto sort_others = [&] {
    for (std::size_t i = 0; i < lists_.size(); ++i)
      if (i != largest) lists_[i].Sort();
  };
  if (others < kNameSortParallelRows) {
    sort_others();
    lists_[largest].Sort();
    return;
  }
  std::thread helper(sort_others);
  lists_[largest].Sort();
  helper.join();
}

void RegisteredData::Clear() {
  for (RegistrationList& list : lists_) list.Clear();
  roots_.Clear();
}

}  // namespace kelvora
