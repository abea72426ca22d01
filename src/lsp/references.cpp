#include "lsp/references.h"

#include <cstring>
#include <thread>

#include "analysis/file_scan_result.h"
#include "lsp/lsp_text.h"
#include "output/source_pass.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "settings/settings.h"
#include "text/encoding_detect.h"
#include "text/source_clean.h"

namespace kelvora::lsp {

namespace {

void Search(std::string_view text, std::string_view path, std::string_view name,
            const CleaningPatterns& cleaning, const MacroList& macros, int char_change,
            std::vector<Occurrence>& out) {
  StringLineSource source{std::string(text)};
  CleanLineReader reader(source, cleaning, {&macros, false, char_change == kCharChangeEuc});
  std::string_view raw, cleaned;
  bool used = false;
  while (reader.Next(raw, cleaned, used)) {
    if (!used || cleaned.find(name) == std::string_view::npos) continue;
    const std::size_t in_cleaned = WordsCp932(cleaned, name).size();
    if (in_cleaned == 0) continue;
    const std::vector<std::size_t> in_raw = WordsCp932(raw, name);
    // The cleaned line drops comments and literals: its n-th occurrence is the raw line's n-th
    // one outside them, which the raw line's first occurrences stand for.
    for (std::size_t k = 0; k < in_cleaned && k < in_raw.size(); ++k)
      out.push_back({std::string(path), static_cast<std::uint32_t>(reader.line_number()),
                     static_cast<std::uint32_t>(Cp932CharIndex(raw, in_raw[k]))});
  }
}

}  // namespace

void FindReferencesInText(std::string_view text, std::string_view path, std::string_view name,
                          const ReferenceSetup& setup, std::vector<Occurrence>& out) {
  const CleaningPatterns cleaning(setup.regex);
  const MacroList macros(setup.settings.preprocessor);
  Search(text, path, name, cleaning, macros, setup.settings.char_change, out);
}

std::vector<Occurrence> FindReferences(const std::vector<std::string>& files, std::string_view name,
                                       const ReferenceSetup& setup, std::size_t threads,
                                       const std::atomic<bool>& cancelled, bool* cancelled_out) {
  std::vector<std::vector<Occurrence>> per_file(files.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    const CleaningPatterns cleaning(setup.regex);
    const MacroList macros(setup.settings.preprocessor);
    for (std::size_t i = next++; i < files.size() && !cancelled.load(); i = next++) {
      const SourceFile file = ReadSourceFile(files[i], setup.settings.char_change);
      if (!file.opened || name.empty()) continue;
      if (!memmem(file.bytes.data(), file.bytes.size(), name.data(), name.size())) continue;
      Search(file.bytes, files[i], name, cleaning, macros, setup.settings.char_change, per_file[i]);
    }
  };
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  if (cancelled_out) *cancelled_out = cancelled.load();
  std::vector<Occurrence> out;
  for (auto& f : per_file)
    for (Occurrence& o : f) out.push_back(std::move(o));
  return out;
}

}  // namespace kelvora::lsp
