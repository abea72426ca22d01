// The per-file scan of the greps: the candidate lines CollectLines writes, over a file held in
// memory.
#pragma once

#include <string>
#include <string_view>

namespace kelvora {

class CleaningPatterns;
class MacroList;
class Regex;

// Appends to out exactly what CollectLines writes for the same text: "%s(%d):  %s" and CR LF for
// every used, cleaned line that matches pattern. A line without a quote, slash or hash byte is
// one that cleaning and the preprocessor step leave as it is, so it is matched as it stands
// without a copy. Returns the number of lines written, -1 when the engine is missing.
long GrepText(std::string_view text, std::string_view path, std::string& out, const Regex& pattern,
              const MacroList& macros, int char_change, const CleaningPatterns& pats);

}  // namespace kelvora
