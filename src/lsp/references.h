// References: every whole-identifier occurrence of a name in the registered files, outside
// comments, literals and false #if branches, found on the greps' cleaned lines.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {
class RegexService;
struct Settings;
}  // namespace kelvora

namespace kelvora::lsp {

// The settings and engine the files are read and cleaned with.
struct ReferenceSetup {
  const RegexService& regex;
  const Settings& settings;
};

struct Occurrence {
  std::string path;
  std::uint32_t line = 0;    // 1-based
  std::uint32_t column = 0;  // character index of the name in the decoded line
};

// The occurrences in files (in file order, then line and column), searched on `threads`
// threads. *cancelled_out is set (and what was found so far returned) when cancelled became true.
std::vector<Occurrence> FindReferences(const std::vector<std::string>& files, std::string_view name,
                                       const ReferenceSetup& setup, std::size_t threads,
                                       const std::atomic<bool>& cancelled, bool* cancelled_out);

// The occurrences in one file's text (CP932 as the analysis decodes it).
void FindReferencesInText(std::string_view text, std::string_view path, std::string_view name,
                          const ReferenceSetup& setup, std::vector<Occurrence>& out);

}  // namespace kelvora::lsp
