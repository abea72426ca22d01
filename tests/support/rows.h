// Rows of a registration list for tests: a name, a position and, where a test needs them, the
// cells after those.
#pragma once

#include <cstddef>
#include <string_view>

#include "data/registration_lists.h"

namespace kelvora::testing {

// Appends a row with its name and position (and marker, the type column); returns its index.
inline std::size_t AddRow(RegistrationList& list, std::string_view name,
                          std::string_view position = {}, std::string_view marker = {}) {
  const std::size_t row = list.AppendRow();
  list.SetCell(row, col::kName, name);
  list.SetCell(row, col::kPosition, position);
  if (!marker.empty()) list.SetCell(row, col::kMarker, marker);
  return row;
}

}  // namespace kelvora::testing
