#include "output/function_info.h"

#include <algorithm>

#include "data/registration_lists.h"
#include "platform/file_names.h"

namespace kelvora {

namespace {

const RegistrationList& Functions(const RegisteredData& data) {
  return data.List(ListKind::Function);
}

std::string WithoutStars(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name)
    if (c != '*') out.push_back(c);
  return out;
}

}  // namespace

FunctionInfoTable::FunctionInfoTable(const RegisteredData& data) : data_(data) {
  const RegistrationList& list = Functions(data);
  const std::size_t rows = list.RowCount();
  index_.reserve(rows);
  std::vector<std::size_t> starred;
  for (std::size_t r = 0; r < rows; ++r) {
    const std::string_view name = list.PlainCell(r, col::kName);
    if (name.find('*') != std::string::npos || name.size() > kCellReadLimit) {
      starred.push_back(r);
      continue;
    }
    auto [it, added] = index_.emplace(std::string_view(name), r);
    if (!added) {
      auto& rows = shared_[it->first];
      if (rows.empty()) rows.push_back(it->second);
      rows.push_back(r);
    }
  }
  // Keys that need their own text: made after the loop so the texts never move.
  owned_keys_.reserve(starred.size());
  for (std::size_t r : starred) owned_keys_.push_back(WithoutStars(list.CellText(r, col::kName)));
  for (std::size_t i = 0; i < starred.size(); ++i) {
    auto [it, added] = index_.emplace(std::string_view(owned_keys_[i]), starred[i]);
    if (added) continue;
    auto& rows = shared_[it->first];
    if (rows.empty()) rows.push_back(it->second);
    rows.insert(std::lower_bound(rows.begin(), rows.end(), starred[i]), starred[i]);
    if (starred[i] < it->second) it->second = starred[i];
  }
}

std::span<const std::size_t> FunctionInfoTable::RowsOf(std::string_view name,
                                                       std::size_t& first) const {
  std::string key_text;
  std::string_view key = name;
  if (name.find('*') != std::string_view::npos) {
    key_text = WithoutStars(name);
    key = key_text;
  }
  auto it = index_.find(key);
  if (it == index_.end()) return {};
  auto shared = shared_.find(key);
  if (shared != shared_.end()) return shared->second;
  first = it->second;
  return {&first, 1};
}

std::string FunctionInfoTable::StoredPosition(std::size_t row) const {
  const std::string stored = Functions(data_).CellText(row, col::kPosition);
  std::string full = data_.ExpandPosition(stored);
  return full.empty() ? stored : full;
}

long FunctionInfoTable::FindDefinition(std::string_view name, std::string_view path,
                                       long line) const {
  std::size_t first = 0;
  const std::span<const std::size_t> rows = RowsOf(name, first);
  if (rows.empty()) return -1;
  std::string wanted(path);
  wanted += '(';
  wanted += std::to_string(line);
  wanted += ')';
  for (std::size_t r : rows)
    if (StoredPosition(r) == wanted) return static_cast<long>(r);
  return -1;
}

long FunctionInfoTable::FindCallee(std::string_view name, std::string_view path) const {
  std::size_t first = 0;
  const std::span<const std::size_t> rows = RowsOf(name, first);
  if (rows.empty()) return -1;
  if (rows.size() > 1) {
    for (std::size_t r : rows) {
      const std::string position = StoredPosition(r);
      const std::size_t open = position.rfind('(');
      if (open != std::string::npos && std::string_view(position).substr(0, open) == path)
        return static_cast<long>(r);
    }
  }
  return static_cast<long>(rows.front());
}

long FunctionInfoTable::Find(std::string_view name) const {
  if (name.find('*') != std::string_view::npos) {
    const std::string key = WithoutStars(name);
    auto it = index_.find(std::string_view(key));
    return it == index_.end() ? -1 : static_cast<long>(it->second);
  }
  auto it = index_.find(name);
  return it == index_.end() ? -1 : static_cast<long>(it->second);
}

void FunctionInfoTable::AppendInfoText(std::string_view name, std::string& out) const {
  AppendRowInfoText(Find(name), out);
}

void FunctionInfoTable::AppendRowInfoText(long row, std::string& out) const {
  if (row < 0) return;
  const std::size_t r = static_cast<std::size_t>(row);
  out += RealSteps(r);
  out += ',';
  out += TotalSteps(r);
  out += IsMacro(r) ? ",1," : ",0,";
  out += Position(r);
}

std::string_view FunctionInfoTable::Name(std::size_t row) const {
  return Functions(data_).PlainCell(row, col::kName);
}

std::string FunctionInfoTable::Position(std::size_t row) const {
  const std::string stored = Functions(data_).CellText(row, col::kPosition);
  std::string full = data_.ExpandPosition(stored);
  return NameToCp932(full.empty() ? stored : full);
}

bool FunctionInfoTable::IsMacro(std::size_t row) const {
  return Functions(data_).Cell(row, col::kMarker) == "#define";
}

std::string_view FunctionInfoTable::Comment(std::size_t row) const {
  return Functions(data_).PlainCell(row, col::kComment);
}

std::string_view FunctionInfoTable::TotalSteps(std::size_t row) const {
  return Functions(data_).PlainCell(row, col::kTotalSteps);
}

std::string_view FunctionInfoTable::RealSteps(std::size_t row) const {
  return Functions(data_).PlainCell(row, col::kRealSteps);
}

}  // namespace kelvora
