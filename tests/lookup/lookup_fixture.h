// Registered data built in memory for the tag-jump tests.
#pragma once

#include <string>
#include <vector>

#include "data/registration_lists.h"
#include "support/rows.h"

namespace kelvora::testing {

struct RowSpec {
  std::string name;
  std::string position;
  std::string marker;
  std::string comment;
};

// Appends rows in the given order, without sorting.
inline void AddRows(RegisteredData& data, ListKind kind, const std::vector<RowSpec>& rows) {
  RegistrationList& list = data.List(kind);
  for (const RowSpec& row_spec : rows) {
    const std::size_t r = AddRow(list, row_spec.name, row_spec.position, row_spec.marker);
    if (kind != ListKind::File) list.SetCell(r, col::kComment, row_spec.comment);
  }
}

// n functions "f01".., at "%1/a.c(line)" with line = row + 1 and comment "c<row+1>".
inline void AddNumberedFunctions(RegisteredData& data, int n) {
  std::vector<RowSpec> rows;
  for (int i = 1; i <= n; ++i) {
    std::string num = (i < 10 ? "0" : "") + std::to_string(i);
    rows.push_back({"f" + num, "%1/a.c(" + std::to_string(i) + ")", "", "c" + std::to_string(i)});
  }
  AddRows(data, ListKind::Function, rows);
}

}  // namespace kelvora::testing
