// The function information table of the tree outputs: what the registered functions say about a
// name found in a source file (steps, macro flag, position).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kelvora {

class RegisteredData;

class FunctionInfoTable {
 public:
  // One entry per FunctionList row, keyed by the row's name with every "*" removed; of rows
  // with equal keys a lookup finds the first in list order. The table refers to the rows of
  // data, which must stay unchanged while it is used.
  explicit FunctionInfoTable(const RegisteredData& data);

  // The FunctionList row of a name (its "*" removed before the lookup), or -1.
  long Find(std::string_view name) const;
  // Appends the function information text of a name: "real,total,macro flag,full position",
  // nothing for a name without an entry.
  void AppendInfoText(std::string_view name, std::string& out) const;

  // Columns of an entry's row as the readers get them.
  std::string_view Name(std::size_t row) const;
  std::string Position(std::size_t row) const;  // full path(line)
  bool IsMacro(std::size_t row) const;          // marker exactly "#define"
  std::string_view Comment(std::size_t row) const;
  std::string_view TotalSteps(std::size_t row) const;
  std::string_view RealSteps(std::size_t row) const;
  std::size_t size() const { return index_.size(); }

 private:
  const RegisteredData& data_;
  std::vector<std::string> owned_keys_;  // keys that lost a "*"
  std::unordered_map<std::string_view, std::size_t> index_;
};

}  // namespace kelvora
