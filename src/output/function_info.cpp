#include "output/function_info.h"

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
    index_.emplace(std::string_view(name), r);
  }
  // Keys that need their own text: made after the loop so the texts never move.
  owned_keys_.reserve(starred.size());
  for (std::size_t r : starred) owned_keys_.push_back(WithoutStars(list.CellText(r, col::kName)));
  for (std::size_t i = 0; i < starred.size(); ++i) {
    auto [it, added] = index_.emplace(std::string_view(owned_keys_[i]), starred[i]);
    if (!added && starred[i] < it->second) it->second = starred[i];
  }
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
  const long row = Find(name);
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
