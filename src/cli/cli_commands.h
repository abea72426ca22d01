// kelvora-cli's side of the command registry (commands/registry.h): how the command line answers
// the dialogs of a row reached by `analyse --write KIND=PATH` (cli_writers.cpp), the runners of
// the verbs that parse arguments of their own (cli_verbs.cpp), and the exit status of a result.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/command_result.h"

namespace kelvora {

class CliUi;
class CallIndex;
class RegexService;
class RegisteredData;
class SettingsStore;
struct CliOptions;
struct CommandRow;
struct Settings;

// What a writer of `--write KIND=PATH` works on: the data of the finished analysis.
struct CliWriteContext {
  RegisteredData& data;
  SettingsStore& store;
  RegexService& regex;
  CliUi& ui;
  const CliOptions& options;
  CallIndex* calls = nullptr;  // the analysis' call index
};

// The answers of one --write kind: sets the CliUi's answers for path, runs the row's command
// (RunRowInCli) and returns the exit status.
struct CliWriter {
  std::string_view kind;  // the registry row's --write kind
  int (*write)(CliWriteContext& ctx, const CommandRow& row, const std::string& path);
};
const std::vector<CliWriter>& CliWriters();
const CliWriter* FindCliWriter(std::string_view kind);

// A verb's runner: the arguments after the verb; returns the exit status.
struct CliVerb {
  std::string_view verb;  // the registry row's verb
  int (*run)(const std::vector<std::string>& args, std::ostream& out, std::FILE* err);
};
const std::vector<CliVerb>& CliVerbs();
const CliVerb* FindCliVerb(std::string_view verb);
// The usage block of a verb as the registry holds it.
std::string_view VerbUsage(std::string_view verb);

// Runs the row's command over the analysed data as the menu does, with no window behind it
// (an HTML site takes its options from the command line). Returns what the command reported.
CommandResult RunRowInCli(const CommandRow& row, CliWriteContext& ctx, Settings& settings);

// The exit status of a command's result: 0 done, 1 failed or cancelled, 3 done with something
// left out.
int ExitStatusOf(const CommandResult& result);

}  // namespace kelvora
