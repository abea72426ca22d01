// kelvora-cli: the greps, the comment search and the comment import of `analyse`, and the
// `strip-if` command.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace kelvora {

class CliUi;
class RegexService;
class RegisteredData;
class SettingsStore;
struct CliOptions;

// "assign:NAME", "proto", "fmacro" or "if"; false with error set otherwise.
bool CheckGrepArgument(const std::string& arg, std::string& error);
// "KIND:WORD" with KIND func, struct, define or table; the list number 1..4 or 0 with error set.
int CommentListOfArgument(const std::string& arg, std::string& word, std::string& error);

struct CliGrepContext {
  RegisteredData& data;
  SettingsStore& store;
  RegexService& regex;
  CliUi& ui;
  const CliOptions& options;
  std::string work_dir;  // where "Grep結果.txt" is written
};

// --import-comments, in the order given: 0, or 1 when a file could not be read.
int RunCliCommentImports(CliGrepContext& ctx);
// --comment: name<TAB>position of the matching rows, in menu order.
void PrintCliCommentSearches(CliGrepContext& ctx, std::ostream& out);
// --grep: the hit lines of "Grep結果.txt" as UTF-8. 0, or 1 when a search could not run.
int RunCliGreps(CliGrepContext& ctx, std::ostream& out);

// kelvora-cli strip-if IN OUT [--settings FILE]: the menu's #if removal with its dialogs answered.
int RunStripIfCommand(const std::vector<std::string>& args, std::ostream& out, std::FILE* err);

}  // namespace kelvora
