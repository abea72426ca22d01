// Extension points of kelvora-cli: the output kinds of `analyse --write KIND=PATH` and the
// commands beside `analyse`. Each feature adds one row to a table; the parsing stays in one place.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

class CallIndex;

class CliUi;
class RegexService;
class RegisteredData;
class SettingsStore;
struct CliOptions;

// What a writer of `--write KIND=PATH` works on: the data of the finished analysis.
struct CliWriteContext {
  RegisteredData& data;
  SettingsStore& store;
  RegexService& regex;
  CliUi& ui;
  const CliOptions& options;
  const CallIndex* calls = nullptr;  // the analysis' call index
};

struct CliOutputKind {
  std::string_view kind;  // the KIND of --write KIND=PATH
  std::string_view help;  // one line for --help
  // Writes the output to path; 0 when written, non-zero (an exit status) when not.
  int (*write)(CliWriteContext& ctx, const std::string& path);
};

// Every output kind, in the order --help lists them.
const std::vector<CliOutputKind>& CliOutputKinds();

struct CliCommand {
  std::string_view name;   // the word after kelvora-cli
  std::string_view usage;  // the usage lines for --help (command and options)
  // Runs the command with the arguments after its name; returns the exit status.
  int (*run)(const std::vector<std::string>& args, std::ostream& out, std::FILE* err);
};

// The commands beside `analyse`, in the order --help lists them.
const std::vector<CliCommand>& CliCommands();

}  // namespace kelvora
