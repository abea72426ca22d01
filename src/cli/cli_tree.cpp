// kelvora-cli tree: the call tree, callers, root candidates and recursions of a tree file, and
// its call graph drawn to SVG, PNG or DOT.
#include "cli/cli_tree.h"

#include <filesystem>

#include "cli/cli_ui.h"
#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/user_folder.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "tree/call_graph.h"
#include "tree/call_tree.h"
#include "tree/tree_comments.h"
#include "tree/tree_export.h"
#include "tree/tree_lines.h"
#include "tree/tree_ops.h"
#include "tree/tree_workbook.h"

namespace kelvora {

namespace {

std::string Lf(std::string text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

struct TreeArgs {
  std::string file, entry, callers, settings;
  std::string text_out, xlsx_out, list, comments;
  long long nest_level_text = -1;  // -1: the settings' NestLevelText
  GraphOutputs graph;              // the call graph's outputs
  std::string direction;           // "callees" or "callers"
  int depth = CallGraphOptions::kDefaultDepth;
  long long max_nodes = -1;   // -1: the settings' GraphNodeBudget
  bool graph_option = false;  // --direction, --depth or --max-nodes given
  bool roots = false, recursions = false, has_callers = false;
};

// A separator mask: decimal or 0x-hexadecimal, bits for depths 1 to 12 only.
bool ParseMask(const std::string& text, long long& mask) {
  try {
    std::size_t used = 0;
    mask = std::stoll(text, &used, 0);
    return used == text.size() && mask >= 0 && mask <= 0xFFF;
  } catch (const std::exception&) {
    return false;
  }
}

bool ParseNumber(const std::string& text, long long& n) {
  try {
    std::size_t used = 0;
    n = std::stoll(text, &used, 10);
    return used == text.size();
  } catch (const std::exception&) {
    return false;
  }
}

bool Parse(const std::vector<std::string>& args, TreeArgs& t, std::string& error) {
  std::vector<std::string> plain;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return false;
      }
      into = args[++i];
      return true;
    };
    if (a == "--callers") {
      if (!value(t.callers)) return false;
      t.has_callers = true;
    } else if (a == "--settings") {
      if (!value(t.settings)) return false;
    } else if (a == "--text") {
      if (!value(t.text_out)) return false;
    } else if (a == "--xlsx") {
      if (!value(t.xlsx_out)) return false;
    } else if (a == "--list") {
      if (!value(t.list)) return false;
    } else if (a == "--comments") {
      if (!value(t.comments)) return false;
    } else if (a == "--nest-level-text") {
      std::string mask;
      if (!value(mask)) return false;
      if (!ParseMask(mask, t.nest_level_text)) {
        error = "--nest-level-text needs a number from 0 to 4095 (bit n-1: depth n)";
        return false;
      }
    } else if (a == "--svg" || a == "--png" || a == "--dot") {
      if (!value(a == "--svg" ? t.graph.svg : a == "--png" ? t.graph.png : t.graph.dot))
        return false;
    } else if (a == "--direction") {
      if (!value(t.direction)) return false;
      if (t.direction != "callees" && t.direction != "callers") {
        error = "--direction needs callees or callers";
        return false;
      }
      t.graph_option = true;
    } else if (a == "--depth" || a == "--max-nodes") {
      std::string number;
      if (!value(number)) return false;
      long long n = 0;
      const bool depth = a == "--depth";
      if (!ParseNumber(number, n) || n < (depth ? CallGraphOptions::kMinDepth : 1) ||
          (depth && n > CallGraphOptions::kMaxDepth)) {
        error = depth ? "--depth needs a number from 1 to 8" : "--max-nodes needs a number above 0";
        return false;
      }
      if (depth)
        t.depth = static_cast<int>(n);
      else
        t.max_nodes = n;
      t.graph_option = true;
    } else if (a == "--roots") {
      t.roots = true;
    } else if (a == "--recursions") {
      t.recursions = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "--") {
      error = "unknown option of tree: " + a;
      return false;
    } else if (a != "--") {
      plain.push_back(a);
    }
  }
  const int modes = t.has_callers + t.roots + t.recursions + !t.list.empty();
  if (plain.empty()) {
    error = "tree needs a tree file";
    return false;
  }
  t.file = plain[0];
  if (!t.list.empty() && (t.xlsx_out.empty() || !t.text_out.empty())) {
    error = "--list needs --xlsx OUT (and takes no --text)";
    return false;
  }
  if ((!t.text_out.empty() || !t.xlsx_out.empty()) && t.list.empty() && plain.size() != 2) {
    error = "--text and --xlsx need FILE ENTRY (or --list LISTFILE for --xlsx)";
    return false;
  }
  if (modes > 1 || (modes == 1 && plain.size() != 1) || (modes == 0 && plain.size() != 2)) {
    error =
        "tree needs FILE ENTRY, or FILE with one of --callers NAME, --roots, --recursions, "
        "--list LISTFILE";
    return false;
  }
  const bool drawing = !t.graph.svg.empty() || !t.graph.png.empty() || !t.graph.dot.empty();
  if (t.graph_option && !drawing) {
    error = "--direction, --depth and --max-nodes need --svg, --png or --dot";
    return false;
  }
  if (drawing && (modes != 0 || !t.text_out.empty() || !t.xlsx_out.empty())) {
    error = "--svg, --png and --dot need FILE ENTRY (and take no --text or --xlsx)";
    return false;
  }
  if (modes == 0) t.entry = plain[1];
  return true;
}

// The call graph of the entry into the files: 0 drawn, 3 drawn with functions left out to the
// node budget, 1 failed.
int DrawGraph(const TreeArgs& t, const SettingsStore& store, const TreePage& page,
              const RegexService& regex, CliUi& ui, std::FILE* err) {
  CallGraphOptions options;
  options.direction = t.direction == "callers" ? GraphDirection::Callers : GraphDirection::Callees;
  const std::optional<GraphStart> start =
      FindGraphStart(page, Utf8ToCp932(t.entry), options.direction);
  if (!start) {
    std::fprintf(err, "kelvora-cli: no entry %s in %s%s\n", t.entry.c_str(), t.file.c_str(),
                 options.direction == GraphDirection::Callers ? ", and no entry calls it" : "");
    return 1;
  }
  options.depth = t.depth;
  options.node_budget = t.max_nodes > 0 ? t.max_nodes : LoadGraphNodeBudget(store);
  std::optional<std::vector<FunctionComment>> comments;
  if (!t.comments.empty()) {
    comments = ReadGraphComments(t.comments, regex, ui);
    if (!comments) return 1;
    options.comments = true;
  }
  switch (
      WriteCallGraphFiles(page, *start, options, comments ? &*comments : nullptr, t.graph, ui)) {
    case GraphCommandResult::Written:
      return 0;
    case GraphCommandResult::Cut:
      return 3;
    default:
      return 1;
  }
}

}  // namespace

int RunTreeCommand(const std::vector<std::string>& args, std::ostream& out, std::FILE* err) {
  TreeArgs t;
  std::string error;
  if (!Parse(args, t, error)) {
    std::fprintf(err, "kelvora-cli: %s\n", error.c_str());
    return 2;
  }
  if (!t.settings.empty() && !std::filesystem::is_regular_file(t.settings)) {
    std::fprintf(err, "kelvora-cli: settings file not found: %s\n", t.settings.c_str());
    return 2;
  }
  SettingsStore store =
      t.settings.empty() ? SettingsStore::Default() : SettingsStore(t.settings, UserStorePath());
  TreeSettings settings = LoadTreeSettings(store, /*write_back=*/false);
  if (t.nest_level_text >= 0) settings.nest_level_text = static_cast<unsigned>(t.nest_level_text);
  RegexService regex;
  CliUi ui(err);
  TreePage page;
  if (!OpenTreeFile(t.file, page, settings, regex, ui)) return 1;

  // The exports run the viewer's commands; the command line answers their questions: export,
  // do not open the result, and stop (keeping what was written) on Ctrl+C.
  ui.SetAnswer(kAskExportTreeText, true);
  ui.SetAnswer(kAskExportTreeWorkbook, true);
  ui.SetAnswer(kAskExportManyTrees, true);
  ui.SetAnswer(kAskManyTreesComments, !t.comments.empty());
  ui.SetAnswer(kAskOpenTreeText, false);
  ui.SetAnswer(kAskOpenTreeWorkbook, false);
  ui.SetAnswer(kAskStopTreeWorkbook, true);
  if (!t.list.empty()) {
    ui.SetNextPath(t.list);
    if (!t.comments.empty()) ui.SetNextPath(t.comments);
    ui.SetNextPath(t.xlsx_out);
    return CliExitStatus(ExportManyTrees(page, settings, regex, ui) ? 0 : 1, ui);
  }
  if (t.recursions) {
    out << Lf(RecursionListText(page));
    return 0;
  }
  if (t.roots) {
    std::optional<std::string> text = RootCandidates(page, ui);
    if (!text) return kExitFailed;
    out << Lf(*text);
    return 0;
  }
  if (t.has_callers) {
    Callers callers = CallersOf(page, Utf8ToCp932(t.callers));
    if (callers.count == 0) {
      ui.Message("上位関数は検出されませんでした。\n\n※本機能は関数TREE用ファイルのみ有効　",
                 Ui::kTreeCaption, MsgIcon::Information);
      return 1;
    }
    out << Lf(callers.text);
    return 0;
  }
  if (!t.graph.svg.empty() || !t.graph.png.empty() || !t.graph.dot.empty())
    return DrawGraph(t, store, page, regex, ui, err);
  const std::int32_t entry = page.FindEntry(Utf8ToCp932(t.entry));
  if (entry < 0) {
    std::fprintf(err, "kelvora-cli: no entry %s in %s\n", t.entry.c_str(), t.file.c_str());
    return 1;
  }
  CallTree tree;
  tree.Build(page, entry, settings.data_max);
  if (!t.comments.empty()) {
    ui.SetNextPath(t.comments);
    if (!AttachCommentsFromFile(tree, page.entry_count(), settings.space, regex, ui)) return 1;
    tree.selected = CallTree::kNone;
  }
  if (!t.text_out.empty() || !t.xlsx_out.empty()) {
    const EditorLauncher no_editor("", "");
    bool done = true;
    if (!t.text_out.empty()) {
      ui.SetNextPath(t.text_out);
      done = ExportTreeText(tree, settings, no_editor, ui) && done;
    }
    if (!t.xlsx_out.empty()) {
      ui.SetNextPath(t.xlsx_out);
      done = ExportTreeWorkbook(tree, settings, ui) && done;
    }
    ui.ClearNextPaths();
    return CliExitStatus(done ? 0 : 1, ui);
  }
  WalkGuard guard(ui, settings.node_budget, 0);
  bool nest_limited = false;
  const WalkStop stop =
      WriteTreeLines(tree, tree.root(), out, TreeLineOptions{true, "\n", settings.nest_level_text},
                     guard, nest_limited);
  out.flush();
  guard.Report(nest_limited);
  return CliExitStatus(stop == WalkStop::Cancelled ? 1 : 0, ui);
}

}  // namespace kelvora
