// Test support for the extractors: an environment with a fresh list set, one analysis root and a
// scripted port, and helpers that run the extractors over source text written in UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/definitions.h"
#include "data/registration_lists.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

namespace kelvora::testing {

inline constexpr std::string_view kRoot = "/work root";
inline constexpr std::string_view kSourcePath = "/work root/src/main.c";

struct ExtractEnvFixture {
  RegexService regex;
  CleaningPatterns cleaning{regex};
  Settings settings;
  MacroList macros;
  RegisteredData data;
  ScriptedUi ui;
  ExtractorEnv env{regex, cleaning, settings, macros, data, ui};

  ExtractEnvFixture() { data.roots().Append(std::string(kRoot)); }

  // Runs the function extractor over UTF-8 source text (converted to CP932 first).
  long Functions(std::string_view utf8, int func_prop = 0, std::string_view path = kSourcePath) {
    StringLineSource reader(Utf8ToCp932(utf8));
    DetectionPatterns det = DetectionPatterns::ForFunctions(regex, func_prop);
    return ExtractDefinitions(reader, path, data.functions(), DefinitionMode::Function, det, env);
  }
  long Defines(std::string_view utf8, std::string_view path = kSourcePath) {
    StringLineSource reader(Utf8ToCp932(utf8));
    DetectionPatterns det = DetectionPatterns::ForDefines(regex);
    return ExtractDefinitions(reader, path, data.defines(), DefinitionMode::Define, det, env);
  }

  // Column 0 of every row of a list.
  std::vector<std::string> NamesOf(ListKind kind) const {
    std::vector<std::string> out;
    const RegistrationList& list = data.List(kind);
    for (std::size_t r = 0; r < list.RowCount(); ++r) out.push_back(list.Cell(r, col::kName));
    return out;
  }
  // A cell shown as UTF-8.
  std::string Text(ListKind kind, std::size_t row, int column) const {
    return Cp932ToUtf8(data.List(kind).Cell(row, column));
  }
};

}  // namespace kelvora::testing
