// The function tree's walk of one file, as the tree writer and the analysis' call index both run
// it, and what turns the walk into the index's call sites and back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "analysis/call_index.h"
#include "analysis/definitions_patterns.h"
#include "output/source_pass.h"
#include "text/source_clean.h"

namespace kelvora {

class RegexService;
struct AnalysisContext;
struct Settings;

// The patterns, macro list and walker of the function tree, set up from the settings: the tree
// writer walks every file with one, the analysis each of its scan threads.
class FunctionTreeWalk {
 public:
  FunctionTreeWalk(const RegexService& regex, const Settings& settings);
  // Walks the file's lines (nothing when the regex engine is missing).
  void Walk(LineSource& lines, FunctionWalkVisitor& visitor);

 private:
  CleaningPatterns cleaning_;
  DefinitionPatterns defs_;
  MacroList macros_;
  FunctionWalker walker_;
};

// Keeps what a walk reports as one file's calls: every definition, every call with its column
// in the raw line, and which calls the function tree lists.
class CallGatherer : public FunctionWalkVisitor {
 public:
  explicit CallGatherer(FileCalls& out) : out_(out) {}
  void OnDefinition(const Head& head) override;
  void OnCall(const Head& head, const CallSite& site) override;
  void OnCallee(const Head& head, std::string_view callee, bool recursive) override;
  void OnBodyEnd(const Head& head, long line) override;

 private:
  std::uint32_t Intern(std::string_view name);
  FileCalls& out_;
  std::vector<std::uint64_t> slots_;  // open addressing: (hash, name index + 1)
  long mapped_line_ = -1;             // the line columns_ maps
  std::vector<std::uint16_t> columns_;
};

// Where each byte of cleaned stands in raw, the cleaning having removed literals and comments
// from raw (and nothing else): columns[i] for cleaned[i], and one more entry for its end.
void MapCleanedColumns(std::string_view raw, std::string_view cleaned,
                       std::vector<std::uint16_t>& columns);

// Makes the analysis keep its call index in index: every scan thread walks its files with a
// FunctionTreeWalk into CallGatherer.
void KeepCallIndex(AnalysisContext& ctx, CallIndex& index);

// Reports a file's definitions and the callees the function tree lists, as the walk reported
// them (OnDefinition, OnCallee, OnBodyEnd; no OnCall or OnBodyLine; the head's cleaned text is
// empty).
void ReplayCalls(const CallIndex& index, CallIndex::FileId file, FunctionWalkVisitor& visitor);

}  // namespace kelvora
