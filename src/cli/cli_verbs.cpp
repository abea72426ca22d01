// The runners of kelvora-cli's verbs (the registry rows with CliForm::Verb): each parses the
// arguments after its verb. A verb that is also a menu item runs that row's command.
#include "cli/cli_commands.h"
#include "cli/cli_grep.h"
#include "cli/cli_sheets.h"
#include "cli/cli_tree.h"
#include "commands/registry.h"
#include "lsp/lsp_server.h"

namespace kelvora {

const std::vector<CliVerb>& CliVerbs() {
  static const std::vector<CliVerb> verbs = {
      {"strip-if", RunStripIfCommand},
      {"sheets", RunSheetsCommand},
      {"make-workbooks", RunMakeWorkbooksCommand},
      {"tree", RunTreeCommand},
      // The protocol owns standard output: the server never writes to out.
      {"lsp", [](const std::vector<std::string>& args, std::ostream&,
                 std::FILE* err) { return lsp::RunLspCommand(args, err); }},
  };
  return verbs;
}

const CliVerb* FindCliVerb(std::string_view verb) {
  for (const CliVerb& v : CliVerbs())
    if (v.verb == verb) return &v;
  return nullptr;
}

std::string_view VerbUsage(std::string_view verb) {
  const CommandRow* row = FindCliCommand(CliForm::Verb, verb);
  return row != nullptr ? row->cli.help : std::string_view();
}

}  // namespace kelvora
