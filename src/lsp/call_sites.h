// Who calls whom, by the function tree's rules, as the call hierarchy asks it: the analysis' call
// index for the files as the workspace analysis read them, and a one-file index of its own for
// each file analysed again since (which hides the file's part of the first).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "analysis/call_index.h"

namespace kelvora::lsp {

// A call: 1-based line, and the byte column (0-based) of the callee's first byte in the line as
// the analysis read it (CP932).
struct CallSite {
  std::uint32_t line = 0;
  std::uint32_t column = 0;
};

struct CalleeCalls {
  std::string name;  // without the "*" a call through a pointer has
  bool recursive = false;
  std::vector<CallSite> sites;  // every call of it in the body, in file order
};

// A definition the function tree's walk found.
struct FunctionCalls {
  std::string path;
  std::string name;  // without the "*" of a head that has one
  std::uint32_t line = 0;
  std::uint32_t end = 0;             // last line of the body
  std::vector<CalleeCalls> callees;  // as the function tree lists them, in that order
};

class CallSites {
 public:
  // first: the index the workspace analysis filled; it must outlive this.
  explicit CallSites(const CallIndex& first) : first_(first) {}

  // The calls of a file analysed again on its own (a one-file index; null when the file is gone).
  void Replace(const std::string& path, std::unique_ptr<CallIndex> index);

  // The definitions of one file in line order; callees only when with_callees.
  std::vector<FunctionCalls> DefinitionsOfFile(const std::string& path, bool with_callees) const;
  // Every definition of that name (callees left empty).
  std::vector<FunctionCalls> DefinitionsNamed(std::string_view name) const;

  struct Caller {
    FunctionCalls definition;     // callees left empty
    std::vector<CallSite> sites;  // the calls of the name in its body
  };
  // Every definition whose body calls the name (recursion included), in file order; empty when
  // cancelled became true.
  std::vector<Caller> CallersOf(std::string_view name, const std::atomic<bool>* cancelled) const;

 private:
  // The indexes in the order they are read, and whether a definition of the first is hidden.
  std::vector<const CallIndex*> Indexes() const;
  bool Hidden(const CallIndex& index, CallIndex::DefinitionId id) const;

  const CallIndex& first_;
  std::unordered_map<std::string, std::unique_ptr<CallIndex>> later_;
  std::unordered_set<CallIndex::FileId> hidden_;  // files of first_ analysed again
};

}  // namespace kelvora::lsp
