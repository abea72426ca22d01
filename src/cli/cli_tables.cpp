#include "cli/cli_extensions.h"
#include "cli/cli_grep.h"
#include "cli/cli_sheets.h"
#include "cli/cli_tree.h"
#include "cli/cli_tree_files.h"
#include "lsp/lsp_server.h"

namespace kelvora {

int CliWriteHtml(CliWriteContext& ctx, const std::string& path);
int CliWriteTextList(CliWriteContext& ctx, const std::string& path);
int CliWriteStepCsv(CliWriteContext& ctx, const std::string& path);
int CliWriteTableCsv(CliWriteContext& ctx, const std::string& path);

const std::vector<CliOutputKind>& CliOutputKinds() {
  static const std::vector<CliOutputKind> kinds = {
      {"text-list", "the information list of all five lists, with positions", CliWriteTextList},
      {"step-csv", "the step-count CSV of the functions", CliWriteStepCsv},
      {"table-csv", "the table-contents CSV: the initialiser data of every table",
       CliWriteTableCsv},
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
       "usage: kelvora-cli tree [--settings FILE] [--nest-level-text MASK] [--comments FILE]\n"
       "                        TREEFILE ENTRY [--text OUT] [--xlsx OUT]\n"
       "       kelvora-cli tree [--settings FILE] [--nest-level-text MASK] TREEFILE --xlsx OUT\n"
       "                        --list LISTFILE [--comments FILE]\n"
       "       kelvora-cli tree [--settings FILE] TREEFILE --callers NAME | --roots | "
       "--recursions\n"
       "       kelvora-cli tree [--settings FILE] TREEFILE ENTRY --svg OUT [--png OUT] [--dot "
       "OUT]\n"
       "                        [--direction callees|callers] [--depth N] [--max-nodes N]\n"
       "                        [--comments FILE]\n"
       "  ENTRY              print the call tree of ENTRY with every item expanded (UTF-8)\n"
       "  --text OUT         write the call tree of ENTRY to OUT as the viewer's text output\n"
       "                     (Shift-JIS, CR LF) instead of printing it\n"
       "  --xlsx OUT         write the call tree of ENTRY to the workbook OUT, one row a line\n"
       "                     (position, tree text, comment; at most 65536 rows)\n"
       "  --list LISTFILE    with --xlsx: one sheet for each entry LISTFILE names, one name a\n"
       "                     line as the viewer's entry list writes it (at most 255 sheets)\n"
       "  --comments FILE    attach the comments of a comment file to the tree items first\n"
       "  --nest-level-text MASK  separator lines before the items of depth n when bit n-1 of\n"
       "                     MASK is set (depths 1 to 12; overrides NestLevelText)\n"
       "  --svg/--png/--dot OUT  draw the call graph of ENTRY (one node per function, an edge per\n"
       "                     call) with Graphviz; exit 3 when the node budget left functions out\n"
       "  --direction D      callees (the default: what ENTRY calls) or callers (who calls it)\n"
       "  --depth N          levels of the graph, 1 to 8 (default 3)\n"
       "  --max-nodes N      node budget (default GraphNodeBudget, 300); the rest becomes one\n"
       "                     \"…(N more)\" node per cut function\n"
       "                     (with a graph, --comments FILE labels the nodes with the comments\n"
       "                     of FILE and the real/total step counts)\n"
       "  --callers NAME     print the entries that call NAME\n"
       "  --roots            print the root-function candidates (entries nobody calls)\n"
       "  --recursions       print the recursion list of the file\n"
       "  --settings FILE    read DataMax, StructSpace, TableSpace, NodeBudget, Space,\n"
       "                     NestLevelText and GraphNodeBudget (section Tree) from FILE\n"
       "                     instead of Kelvora.ini\n",
       RunTreeCommand},
      {"lsp",
       "usage: kelvora-cli lsp [--settings FILE]\n"
       "  a language server (LSP 3.17) on standard input and output for any editor; the\n"
       "  workspace folders come from the editor (see doc/lsp.md)\n",
       [](const std::vector<std::string>& args, std::ostream&, std::FILE* err) {
         return lsp::RunLspCommand(args, err);
       }},
  };
  return commands;
}

}  // namespace kelvora
