// References: every whole-identifier occurrence of a name in the registered files, outside
// comments, literals and false #if branches, found on the greps' cleaned lines.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/call_sites.h"

namespace kelvora::lsp {

struct Occurrence {
  std::string path;
  CallSite at;  // 1-based line, character index of the name
};

// The occurrences in files (in file order, then line and column), searched on `threads`
// threads. *cancelled_out is set (and what was found so far returned) when cancelled became true.
std::vector<Occurrence> FindReferences(const std::vector<std::string>& files, std::string_view name,
                                       const CallGatherSetup& setup, std::size_t threads,
                                       const std::atomic<bool>& cancelled, bool* cancelled_out);

// The occurrences in one file's text (CP932 as the analysis decodes it).
void FindReferencesInText(std::string_view text, std::string_view path, std::string_view name,
                          const CallGatherSetup& setup, std::vector<Occurrence>& out);

}  // namespace kelvora::lsp
