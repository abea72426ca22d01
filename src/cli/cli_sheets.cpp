// kelvora-cli sheets and make-workbooks: the sheet-name listings and workbook generation.
#include "cli/cli_sheets.h"

#include <sys/stat.h>

#include "cli/cli_app.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "platform/process.h"
#include "sheet/sheet_list.h"
#include "sheet/workbook_generate.h"

namespace kelvora {

namespace {

int Usage(std::FILE* err, const std::string& error, std::string_view usage) {
  std::fprintf(err, "kelvora-cli: %s\n\n%.*s", error.c_str(), static_cast<int>(usage.size()),
               usage.data());
  return 2;
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

int RunSheetsCommand(const std::vector<std::string>& args, std::ostream& out, std::FILE* err) {
  std::string path;
  bool csv = false;
  for (const std::string& a : args) {
    if (a == "--csv")
      csv = true;
    else if (a.size() > 1 && a[0] == '-')
      return Usage(err, "unknown option: " + a, VerbUsage("sheets"));
    else if (path.empty())
      path = a;
    else
      return Usage(err, "sheets takes one PATH", VerbUsage("sheets"));
  }
  if (path.empty()) return Usage(err, "sheets needs a PATH", VerbUsage("sheets"));

  CliUi ui(err);
  const SheetListForm form = csv ? SheetListForm::Csv : SheetListForm::Text;
  const std::string full = NormaliseRoot(path);
  std::vector<std::string> workbooks;
  if (IsDirectory(path)) {
    if (csv) out << kSheetListCsvHeader;
    workbooks = FindWorkbooks(full);
  } else {
    workbooks.push_back(full.empty() ? "/" : full);
  }
  SheetListRun run;
  try {
    run = ListSheetNames(
        workbooks, form, ui, [&](std::string_view text) { out << text; },
        /*poll_escape=*/true);
  } catch (const CliUi::UnansweredQuestion& e) {
    std::fprintf(err, "kelvora-cli: %s\n", e.what());
    return 1;
  }
  out.flush();
  return run.unreadable > 0 || run.cancelled || !out ? 1 : 0;
}

int RunMakeWorkbooksCommand(const std::vector<std::string>& args, std::ostream&, std::FILE* err) {
  std::vector<std::string> paths;
  SheetOrder order = SheetOrder::AsGiven;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--sort" || a.rfind("--sort=", 0) == 0) {
      std::string value = a == "--sort" ? (i + 1 < args.size() ? args[++i] : "") : a.substr(7);
      if (value == "asc")
        order = SheetOrder::Ascending;
      else if (value == "desc")
        order = SheetOrder::Descending;
      else
        return Usage(err, "--sort needs asc or desc", VerbUsage("make-workbooks"));
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(err, "unknown option: " + a, VerbUsage("make-workbooks"));
    } else {
      paths.push_back(a);
    }
  }
  if (paths.size() != 2)
    return Usage(err, "make-workbooks needs CSV and OUTDIR", VerbUsage("make-workbooks"));
  if (!IsDirectory(paths[1])) {
    std::fprintf(err, "kelvora-cli: not a folder: %s\n", paths[1].c_str());
    return 2;
  }
  CliUi ui(err);
  const std::uint64_t started = TickCountMs();
  GenerationRun run;
  try {
    run = GenerateWorkbooksFromCsv(paths[0], NormaliseRoot(paths[1]), order, ui);
  } catch (const CliUi::UnansweredQuestion& e) {
    ui.FinishProgress();
    std::fprintf(err, "kelvora-cli: %s\n", e.what());
    return 1;
  }
  ui.FinishProgress();
  if (run.missing_csv) return 1;
  ui.Print(GenerationDoneMessage(TickCountMs() - started, run));
  return run.failed > 0 || run.cancelled ? 1 : 0;
}

}  // namespace kelvora
