// kelvora-cli tree: the call tree, callers, root candidates and recursions of a tree file.
#include "cli/cli_tree.h"

#include <filesystem>

#include "cli/cli_ui.h"
#include "platform/cp932.h"
#include "platform/user_folder.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "tree/call_tree.h"
#include "tree/tree_lines.h"
#include "tree/tree_ops.h"

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
  bool roots = false, recursions = false, has_callers = false;
};

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
  const int modes = t.has_callers + t.roots + t.recursions;
  if (plain.empty()) {
    error = "tree needs a tree file";
    return false;
  }
  t.file = plain[0];
  if (modes > 1 || (modes == 1 && plain.size() != 1) || (modes == 0 && plain.size() != 2)) {
    error = "tree needs FILE ENTRY, or FILE with one of --callers NAME, --roots, --recursions";
    return false;
  }
  if (modes == 0) t.entry = plain[1];
  return true;
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
  const TreeSettings settings = LoadTreeSettings(store, /*write_back=*/false);
  RegexService regex;
  CliUi ui(err);
  TreePage page;
  if (!OpenTreeFile(t.file, page, settings, regex, ui)) return 1;

  if (t.recursions) {
    out << Lf(RecursionListText(page));
    return 0;
  }
  if (t.roots) {
    if (std::optional<std::string> text = RootCandidates(page, ui)) out << Lf(*text);
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
  const std::int32_t entry = page.FindEntry(Utf8ToCp932(t.entry));
  if (entry < 0) {
    std::fprintf(err, "kelvora-cli: no entry %s in %s\n", t.entry.c_str(), t.file.c_str());
    return 1;
  }
  CallTree tree;
  tree.Build(page, entry, settings.data_max);
  WalkGuard guard(ui, settings.node_budget, 0);
  bool nest_limited = false;
  const WalkStop stop =
      WriteTreeLines(tree, tree.root(), out, TreeLineOptions{}, guard, nest_limited);
  out.flush();
  guard.Report(nest_limited);
  return stop == WalkStop::Done ? 0 : 1;
}

}  // namespace kelvora
