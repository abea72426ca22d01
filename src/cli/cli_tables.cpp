#include "cli/cli_extensions.h"
#include "cli/cli_tree_files.h"
#include "cli/cli_grep.h"
#include "cli/cli_sheets.h"

namespace kelvora {

int CliWriteHtml(CliWriteContext& ctx, const std::string& path);
int CliWriteTextList(CliWriteContext& ctx, const std::string& path);
int CliWriteStepCsv(CliWriteContext& ctx, const std::string& path);

const std::vector<CliOutputKind>& CliOutputKinds() {
  static const std::vector<CliOutputKind> kinds = {
      {"text-list", "the information list of all five lists, with positions", CliWriteTextList},
      {"step-csv", "the step-count CSV of the functions", CliWriteStepCsv},
      {"html", "the HTML site into the folder PATH (made when missing)", CliWriteHtml},
      {"func-tree", "function tree (CP932, CR LF): each function and what it calls",
       &WriteFuncTreeCli},
      {"struct-tree", "struct tree: each struct and union with its members", &WriteStructTreeCli},
      {"table-tree", "table tree: each table with its initialiser elements", &WriteTableTreeCli},
      {"comments", "comment file of every function; with func-tree, written after it",
       &WriteCommentsCli},
  };
  return kinds;
}

const std::vector<CliCommand>& CliCommands() {
  static const std::vector<CliCommand> commands = {
      {"strip-if", kStripIfUsage, RunStripIfCommand},
      {"sheets", kSheetsUsage, RunSheetsCommand},
      {"make-workbooks", kMakeWorkbooksUsage, RunMakeWorkbooksCommand},
  };
  return commands;
}

}  // namespace kelvora
