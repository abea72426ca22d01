#include "cli/cli_extensions.h"
#include "cli/cli_grep.h"
#include "cli/cli_sheets.h"
#include "cli/cli_tree.h"
#include "cli/cli_tree_files.h"

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
      {"tree",
       "usage: kelvora-cli tree [--settings FILE] TREEFILE ENTRY\n"
       "       kelvora-cli tree [--settings FILE] TREEFILE --callers NAME | --roots | "
       "--recursions\n"
       "  ENTRY              print the call tree of ENTRY with every item expanded (UTF-8)\n"
       "  --callers NAME     print the entries that call NAME\n"
       "  --roots            print the root-function candidates (entries nobody calls)\n"
       "  --recursions       print the recursion list of the file\n"
       "  --settings FILE    read DataMax, StructSpace, TableSpace, NodeBudget (section Tree)\n"
       "                     from FILE instead of Kelvora.ini\n",
       RunTreeCommand},
  };
  return commands;
}

}  // namespace kelvora
