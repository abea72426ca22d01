// The kelvora-cli commands: argument parsing and the analyse command over the core.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace kelvora {

struct CliLookup {
  int kind = 0;      // 1..5
  std::string word;  // UTF-8 as typed
};

struct CliComment {
  int list = 0;      // 1 func, 2 struct, 3 define, 4 table
  std::string word;  // UTF-8 as typed
};

struct CliWrite {
  std::string kind;  // a --write kind of the command registry
  std::string path;
};

struct CliOptions {
  bool help = false;
  bool version = false;
  std::string command;        // "analyse" or a verb of the command registry
  std::string settings_file;  // --settings
  bool subfolders = true;     // --no-subfolders clears it
  bool dump = false;          // --dump
  bool encodings = false;     // --encodings
  std::vector<CliLookup> lookups;
  std::vector<CliWrite> writes;              // --write KIND=PATH, in the order given
  int html_font = 4;                         // --html-font N: 1-based choice of the HTML dialog
  int html_border = 6;                       // --html-border N
  bool html_comments = false;                // --html-comments
  std::vector<std::string> import_comments;  // --import-comments FILE, before --dump/--write
  std::vector<CliComment> comments;          // --comment KIND:WORD
  bool comment_exact = false;                // --exact: the comment must equal the word
  bool comment_case = false;                 // --case: letters compared with case
  std::vector<std::string> greps;            // --grep assign:NAME|proto|fmacro|if
  std::vector<std::string> command_args;     // the arguments of a command other than analyse
  std::vector<std::string> roots;
};

// Parses argv (without the program name). False with error set on a usage error.
bool ParseCliArguments(const std::vector<std::string>& args, CliOptions& options,
                       std::string& error);

// Turns a root argument into the form the folder chooser gives: absolute, without "." and ".."
// parts and without a trailing "/"; the file-system root becomes "".
std::string NormaliseRoot(const std::string& root);

// Runs the parsed command: exit status 0 done, 1 a run ended without data, 2 usage error.
int RunCli(const CliOptions& options, std::ostream& out, std::FILE* err);

std::string CliUsage();

}  // namespace kelvora
