// The registry's rows in one list (the main window's, the TREE viewer's, kelvora-cli's own),
// the look-ups and the dispatch. kelvora-cli's verbs without a menu item run in cli/
// (cli_verbs.cpp).
#include "commands/registry.h"

#include <algorithm>

#include "commands/viewer_commands.h"
#include "data/registration_lists.h"
#include "output/tree_output.h"

namespace kelvora {
namespace {

constexpr std::string_view kSheetsUsage =
    "sheets PATH [--csv]\n"
    "          prints the sheet names of the workbook PATH, or of every workbook (.xls, .xlsx,\n"
    "          .xlsm, .ods) in the folder PATH and below it, as UTF-8 text; --csv prints the\n"
    "          CSV form with its header line. A workbook that cannot be read is named on\n"
    "          standard error and skipped (exit status 1).\n";

constexpr std::string_view kMakeWorkbooksUsage =
    "make-workbooks CSV OUTDIR [--sort asc|desc]\n"
    "          writes one empty workbook OUTDIR/<file>.xlsx per line of CSV\n"
    "          (\"file,sheet1,sheet2,...\", CP932 or UTF-8); the sheets in line order, or\n"
    "          sorted ascending or descending with repeats dropped. Exit status 1 when a\n"
    "          line could not be written.\n";

constexpr std::string_view kTreeUsage =
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
    "                     instead of Kelvora.ini\n";

constexpr std::string_view kLspUsage =
    "usage: kelvora-cli lsp [--settings FILE]\n"
    "  a language server (LSP 3.17) on standard input and output for any editor; the\n"
    "  workspace folders come from the editor (see doc/lsp.md)\n";

// The comment file on its own (the function tree asks for it after the tree).
CommandResult CommentFileCommand(CommandState& s, Ui& ui) {
  OutputContext ctx{s.data, s.settings, s.regex, ui};
  const int result = WriteCommentFile(ctx);
  if (result == 1) return CommandResult::Done();
  if (result == 0) return CommandResult::Cancelled();
  return CommandResult::Failed("登録データがありません！　");
}

// Rows leave out the members they do not need (their defaults); GCC 12 warns about that even
// where the member has a default.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
std::vector<CommandRow> BuildTable() {
  std::vector<CommandRow> t = MainWindowRows();
  for (CommandRow& row : TreeViewerRows()) t.push_back(std::move(row));
  // kelvora-cli only. The --write kinds follow the main window's, then the verbs.
  t.push_back({.name = "output.comments",
               .run = CommentFileCommand,
               .cli = {CliForm::Write, "comments",
                       "comment file of every function; with func-tree, written after it"}});
  t.push_back({.name = "sheet.list", .cli = {CliForm::Verb, "sheets", kSheetsUsage}});
  t.push_back({.name = "sheet.make-workbooks",
               .cli = {CliForm::Verb, "make-workbooks", kMakeWorkbooksUsage}});
  t.push_back({.name = "tree.file", .cli = {CliForm::Verb, "tree", kTreeUsage}});
  t.push_back({.name = "lsp.serve", .cli = {CliForm::Verb, "lsp", kLspUsage}});
  return t;
}
#pragma GCC diagnostic pop

}  // namespace

const std::vector<CommandRow>& Commands() {
  static const std::vector<CommandRow> table = BuildTable();
  return table;
}

const CommandRow* FindMainCommand(int id) {
  if (id == 0) return nullptr;
  const std::vector<CommandRow>& table = Commands();
  auto it = std::find_if(table.begin(), table.end(), [id](const CommandRow& r) {
    return r.id == id && r.window == CommandWindow::Main;
  });
  return it != table.end() ? &*it : nullptr;
}

const CommandRow* FindCommandByName(std::string_view name) {
  const std::vector<CommandRow>& table = Commands();
  auto it = std::find_if(table.begin(), table.end(),
                         [name](const CommandRow& r) { return r.name == name; });
  return it != table.end() ? &*it : nullptr;
}

const CommandRow* FindCliCommand(CliForm form, std::string_view word) {
  if (form == CliForm::None) return nullptr;
  const std::vector<CommandRow>& table = Commands();
  auto it = std::find_if(table.begin(), table.end(), [form, word](const CommandRow& r) {
    return r.cli.form == form && r.cli.word == word;
  });
  return it != table.end() ? &*it : nullptr;
}

bool RuleHolds(EnableRule rule, const RegisteredData& data) {
  switch (rule) {
    case EnableRule::Always:
      return true;
    case EnableRule::AnyData:
      return !data.AllEmpty();
    case EnableRule::Functions:
      return data.Count(ListKind::Function) != 0;
    case EnableRule::Structs:
      return data.Count(ListKind::Struct) != 0;
    case EnableRule::Defines:
      return data.Count(ListKind::Define) != 0;
    case EnableRule::Files:
      return data.Count(ListKind::File) != 0;
    case EnableRule::Tables:
      return data.Count(ListKind::Table) != 0;
  }
  return false;
}

Dispatch RunMainCommand(int id, CommandState& state, Ui& ui) {
  const CommandRow* row = FindMainCommand(id);
  if (row == nullptr) return {Dispatch::NotFound, {}};
  if (!row->run) return {Dispatch::NotBuilt, {}};
  CommandResult result = row->run(state, ui);
  return {row->effect == CommandEffect::ListsChanged ? Dispatch::RanListsChanged : Dispatch::Ran,
          std::move(result)};
}

}  // namespace kelvora
