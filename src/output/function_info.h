// The function information table of the tree outputs: what the registered functions say about a
// name found in a source file (steps, macro flag, position).
#pragma once

#include <cstddef>
#include <span>
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
  // The row of the definition of name registered at path(line) (path as the FileList holds
  // it), or -1 when that definition is not registered: never another file's row.
  long FindDefinition(std::string_view name, std::string_view path, long line) const;
  // The row a call of name in the file at path refers to: a definition in that file (a static
  // function), else the first in list order; -1 when the name has none.
  long FindCallee(std::string_view name, std::string_view path) const;
  // The information text of a row as AppendInfoText writes it; nothing for -1.
  void AppendRowInfoText(long row, std::string& out) const;

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
  // Every row of a key that more than one row holds, in list order.
  std::unordered_map<std::string_view, std::vector<std::size_t>> shared_;

  // The rows of a key: one (first) or those of shared_; empty when there is none.
  std::span<const std::size_t> RowsOf(std::string_view name, std::size_t& first) const;
  // The full path(line) of a row as stored in the lists (not converted for output).
  std::string StoredPosition(std::size_t row) const;
};

}  // namespace kelvora
