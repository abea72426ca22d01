#include "cli/cli_app.h"

#include "analysis/call_index.h"
#include "output/call_gather.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "analysis/analysis_run.h"
#include "cli/cli_commands.h"
#include "cli/cli_encodings.h"
#include "cli/cli_grep.h"
#include "cli/cli_ui.h"
#include "cli/dump.h"
#include "commands/registry.h"
#include "data/registration_lists.h"
#include "lookup/word_lookup.h"
#include "platform/cp932.h"
#include "platform/user_folder.h"
#include "product_version.h"
#include "settings/settings.h"
#include "settings/settings_schema.h"
#include "text/regex_service.h"

namespace kelvora {

namespace {

int KindFromName(const std::string& name) {
  if (name == "func") return 1;
  if (name == "struct") return 2;
  if (name == "define") return 3;
  if (name == "file") return 4;
  if (name == "table") return 5;
  return 0;
}

// The registry's rows reached from the command line, in the order --help lists them.
std::vector<const CommandRow*> CliRows(CliForm form) {
  std::vector<const CommandRow*> rows;
  for (const CommandRow& row : Commands())
    if (row.cli.form == form) rows.push_back(&row);
  return rows;
}

bool ParseWrite(const std::string& arg, CliWrite& write, std::string& error) {
  const std::size_t eq = arg.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == arg.size()) {
    error = "--write needs KIND=PATH: " + arg;
    return false;
  }
  write.kind = arg.substr(0, eq);
  write.path = arg.substr(eq + 1);
  if (!FindCliCommand(CliForm::Write, write.kind)) {
    error = "unknown --write kind: " + write.kind;
    return false;
  }
  return true;
}

bool ParseLookup(const std::string& arg, CliLookup& lookup, std::string& error) {
  std::size_t colon = arg.find(':');
  int kind = colon == std::string::npos ? 0 : KindFromName(arg.substr(0, colon));
  if (kind == 0) {
    error = "--lookup needs KIND:WORD with KIND one of func, struct, define, file, table: " + arg;
    return false;
  }
  lookup.kind = kind;
  lookup.word = arg.substr(colon + 1);
  if (lookup.word.empty()) {
    error = "--lookup needs a WORD after KIND: " + arg;
    return false;
  }
  return true;
}

// Prints the matches of one lookup as "name<TAB>position", in menu order.
void PrintLookup(const RegisteredData& data, const CliLookup& lookup, std::ostream& out,
                 CliUi& ui) {
  const ListKind kind = static_cast<ListKind>(lookup.kind);
  const std::string word = Utf8ToCp932(lookup.word);
  if (word.empty()) {
    ui.Message("検索Wordを入力して下さい！　", Ui::kCaption, MsgIcon::Warning);
    return;
  }
  std::vector<std::size_t> rows = FindMatchingRows(data.List(kind), word);
  if (rows.empty()) {
    ui.Message("見つかりませんでした！　", Ui::kCaption, MsgIcon::Information);
    return;
  }
  const RegistrationList& list = data.List(kind);
  for (std::size_t row : rows) {
    const std::string_view name = list.PlainCell(row, col::kName);
    const std::string full = data.FullPosition(kind, row);
    out << (kind == ListKind::File ? ToDisplay(name) : Cp932ToUtf8(name)) << '\t' << ToDisplay(full)
        << '\n';
  }
}

}  // namespace

std::string CliUsage() {
  std::ostringstream u;
  u << "usage: kelvora-cli analyse [--settings FILE] [--no-subfolders] [--dump] [--encodings]\n"
       "                           [--lookup KIND:WORD]... [--write KIND=PATH]...\n"
       "                           [--import-comments FILE]... [--comment KIND:WORD]... [--exact]\n"
       "                           [--case] [--grep assign:NAME|proto|fmacro|if]... ROOT "
       "[ROOT...]\n";
  for (const CommandRow* verb : CliRows(CliForm::Verb))
    u << "       kelvora-cli " << verb->cli.word << " ...\n";
  u << "       kelvora-cli --help | --version\n"
       "\n"
       "analyse   analyses each ROOT in order; the first replaces existing data, later ones add\n"
       "          to it. Messages go to standard error.\n"
       "  --settings FILE    read the analysis settings from FILE instead of Kelvora.ini;\n"
       "                     the command line never writes a settings file\n"
       "  --no-subfolders    analyse only the files directly in each ROOT\n"
       "  --dump             print the five registration lists (TAB-separated, UTF-8)\n"
       "  --encodings        print, after --dump, the encoding each registered file was read\n"
       "                     as (ASCII, CP932, EUC-JP, UTF-8, UTF-8 BOM, unknown), the number\n"
       "                     of its characters CP932 cannot hold (written as 〓) and its path,\n"
       "                     TAB-separated; CharChange=2 in [Analysis] detects each file's\n"
       "                     encoding, 0 reads all as CP932, 1 all as EUC-JP\n"
       "  --lookup KIND:WORD print the rows whose name contains WORD (KIND: func, struct,\n"
       "                     define, file, table) as name<TAB>position\n"
       "  --import-comments FILE\n"
       "                     after the analysis, take function comments from a comment file\n"
       "                     (number, TAB, name(), two TABs, comment), replacing comments\n"
       "                     already held; runs before --dump and --write\n"
       "  --comment KIND:WORD print the rows (KIND: func, struct, define, table) whose comment\n"
       "                     contains WORD, without regard to case, as name<TAB>position\n"
       "  --exact            --comment: the comment must equal WORD\n"
       "  --case             --comment: letters are compared with case\n"
       "  --grep SEARCH      search every registered file and print the hits as\n"
       "                     path(line):  text; SEARCH is assign:NAME (assignments to a\n"
       "                     variable, NAME put in front of the pattern as a regex), proto\n"
       "                     (prototype declarations), fmacro (function-like macros) or if\n"
       "                     (#if, #ifdef, #ifndef). Comments, literals and false branches\n"
       "                     are not searched. The hits are also in Grep結果.txt in the\n"
       "                     settings folder.\n"
       "  --write KIND=PATH  after the analysis, write an output to PATH (repeatable):\n";
  for (const CommandRow* kind : CliRows(CliForm::Write)) {
    const std::string_view word = kind->cli.word;
    u << "      " << word << std::string(word.size() < 14 ? 14 - word.size() : 1, ' ')
      << kind->cli.help << '\n';
  }
  u << "  --html-font N      font of the HTML pages: 1-based position in the dialog's list\n"
       "                     (default 4, Arial Black)\n"
       "  --html-border N    border pattern of the function headers, 1..8 (default 6, outset)\n"
       "  --html-comments    registered comments on the call lists of the HTML file pages\n";
  for (const CommandRow* verb : CliRows(CliForm::Verb)) u << '\n' << verb->cli.help;
  u << "\nexit status: 0 complete; 1 failed (a run ended without data, or an output, standard\n"
       "output included, was not written); 2 usage error (a ROOT that does not exist or is not a\n"
       "folder is one); 3 completed but something was left out and said on standard error\n"
       "(unreadable files or folders, rows over DataMax, a tree cut at NodeBudget or at the\n"
       "65536 rows of a workbook, pages of a site not written, a tree file without its end\n"
       "line); 130 or 143 interrupted by SIGINT or SIGTERM (outputs being written are removed,\n"
       "earlier ones kept). Outputs replace their files only when complete; input files must\n"
       "be regular files (a FIFO, device or folder is named and refused); see doc/errors.md.\n";
  return u.str();
}

bool ParseCliArguments(const std::vector<std::string>& args, CliOptions& options,
                       std::string& error) {
  options = CliOptions{};
  bool only_roots = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!only_roots && (a == "--help" || a == "-h")) {
      options.help = true;
      return true;
    }
    if (!only_roots && a == "--version") {
      options.version = true;
      return true;
    }
    if (options.command.empty()) {
      if (a != "analyse" && !FindCliCommand(CliForm::Verb, a)) {
        error = a.empty() || a[0] == '-' ? "missing command" : "unknown command: " + a;
        return false;
      }
      options.command = a;
      if (a != "analyse") {  // the command parses its own arguments
        options.command_args.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
        return true;
      }
      continue;
    }
    if (!only_roots && a == "--") {
      only_roots = true;
    } else if (!only_roots && a == "--settings") {
      if (i + 1 >= args.size()) {
        error = "--settings needs a file";
        return false;
      }
      options.settings_file = args[++i];
    } else if (!only_roots && a.rfind("--settings=", 0) == 0) {
      options.settings_file = a.substr(11);
      if (options.settings_file.empty()) {
        error = "--settings needs a file";
        return false;
      }
    } else if (!only_roots && a == "--no-subfolders") {
      options.subfolders = false;
    } else if (!only_roots && a == "--dump") {
      options.dump = true;
    } else if (!only_roots && a == "--encodings") {
      options.encodings = true;
    } else if (!only_roots && (a == "--lookup" || a.rfind("--lookup=", 0) == 0)) {
      std::string arg;
      if (a == "--lookup") {
        if (i + 1 >= args.size()) {
          error = "--lookup needs KIND:WORD";
          return false;
        }
        arg = args[++i];
      } else {
        arg = a.substr(9);
      }
      CliLookup lookup;
      if (!ParseLookup(arg, lookup, error)) return false;
      options.lookups.push_back(lookup);
    } else if (!only_roots && (a == "--grep" || a.rfind("--grep=", 0) == 0 || a == "--comment" ||
                               a.rfind("--comment=", 0) == 0 || a == "--import-comments" ||
                               a.rfind("--import-comments=", 0) == 0)) {
      const std::size_t eq = a.find('=');
      const std::string option = a.substr(0, eq);
      std::string arg;
      if (eq == std::string::npos) {
        if (i + 1 >= args.size()) {
          error = option + " needs a value";
          return false;
        }
        arg = args[++i];
      } else {
        arg = a.substr(eq + 1);
      }
      if (option == "--grep") {
        if (!CheckGrepArgument(arg, error)) return false;
        options.greps.push_back(arg);
      } else if (option == "--comment") {
        CliComment comment;
        comment.list = CommentListOfArgument(arg, comment.word, error);
        if (comment.list == 0) return false;
        if (comment.word.empty()) {
          error = "--comment needs a WORD after KIND: " + arg;
          return false;
        }
        options.comments.push_back(comment);
      } else {
        options.import_comments.push_back(arg);
      }
    } else if (!only_roots && a == "--exact") {
      options.comment_exact = true;
    } else if (!only_roots && a == "--case") {
      options.comment_case = true;
    } else if (!only_roots && (a == "--write" || a.rfind("--write=", 0) == 0)) {
      std::string arg;
      if (a == "--write") {
        if (i + 1 >= args.size()) {
          error = "--write needs KIND=PATH";
          return false;
        }
        arg = args[++i];
      } else {
        arg = a.substr(8);
      }
      CliWrite write;
      if (!ParseWrite(arg, write, error)) return false;
      options.writes.push_back(write);
    } else if (!only_roots && (a == "--html-font" || a == "--html-border")) {
      const int max = a == "--html-font" ? 18 : 8;
      int value = 0;
      if (i + 1 < args.size()) {
        const std::string& v = args[++i];
        if (!v.empty() && v.size() < 4 && v.find_first_not_of("0123456789") == std::string::npos)
          value = std::stoi(v);
      }
      if (value < 1 || value > max) {
        error = a + " needs a number from 1 to " + std::to_string(max);
        return false;
      }
      (a == "--html-font" ? options.html_font : options.html_border) = value;
    } else if (!only_roots && a == "--html-comments") {
      options.html_comments = true;
    } else if (!only_roots && a.size() > 1 && a[0] == '-') {
      error = "unknown option: " + a;
      return false;
    } else {
      options.roots.push_back(a);
    }
  }
  if (options.command.empty()) {
    error = "missing command";
    return false;
  }
  if (options.roots.empty()) {
    error = "analyse needs at least one ROOT";
    return false;
  }
  return true;
}

std::string NormaliseRoot(const std::string& root) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(root), ec);
  if (ec) p = std::filesystem::path(root);
  std::string text = p.lexically_normal().string();
  while (!text.empty() && text.back() == '/') text.pop_back();
  return text;
}

namespace {

int RunCommand(const CliOptions& options, std::ostream& out, std::FILE* err) {
  if (options.help) {
    out << CliUsage();
    return 0;
  }
  if (options.version) {
    out << "kelvora-cli " << kProductVersion << '\n';
    return 0;
  }
  if (const CliVerb* verb = FindCliVerb(options.command))
    return verb->run(options.command_args, out, err);
  if (!options.settings_file.empty() && !std::filesystem::is_regular_file(options.settings_file)) {
    std::fprintf(err, "kelvora-cli: settings file not found: %s\n", options.settings_file.c_str());
    return 2;
  }
  for (const std::string& root : options.roots) {
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(root, ec);
    if (std::filesystem::is_directory(st)) continue;
    const char* what =
        std::filesystem::exists(st) ? "root is not a folder"
        : ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory
            ? "root cannot be read"
            : "root does not exist";
    std::fprintf(err, "kelvora-cli: %s: %s\n", what, root.c_str());
    return 2;
  }

  // The command line reads the settings and never writes them: the normalisations Load settings
  // would write back stay in memory, so a file given with --settings (or Kelvora.ini) is left
  // exactly as it was.
  SettingsStore store = options.settings_file.empty()
                            ? SettingsStore::Default()
                            : SettingsStore(options.settings_file, UserStorePath());
  store.set_read_only();
  RegisteredData data;
  RegexService regex;
  CliUi ui(err);
  // No work folder: each run keeps its work files in a private temporary folder.
  AnalysisContext ctx{data, store, regex, ui, ""};
  CallIndex calls;
  KeepCallIndex(ctx, calls);

  int status = 0;
  try {
    for (std::size_t i = 0; i < options.roots.size(); ++i) {
      ui.set_answers({/*add_to_existing=*/i > 0, options.subfolders});
      if (StartAnalysisAt(ctx, NormaliseRoot(options.roots[i])) != 0) status = 1;
    }
    ui.FinishProgress();

    CliGrepContext grep_ctx{data, store, regex, ui, options, SettingsFolder()};
    if (RunCliCommentImports(grep_ctx) != 0 && status == 0) status = 1;

    CliWriteContext write_ctx{data, store, regex, ui, options, &calls};
    for (const CliWrite& w : options.writes) {
      if (CliUi::Interrupted()) return kExitFailed;  // main turns it into 130 or 143
      const int written =
          FindCliWriter(w.kind)->write(write_ctx, *FindCliCommand(CliForm::Write, w.kind), w.path);
      ui.FinishProgress();
      if (written != 0 && status == 0) status = written;
    }
  } catch (const CliUi::UnansweredQuestion& e) {
    ui.FinishProgress();
    std::fprintf(err, "kelvora-cli: %s\n", e.what());
    return 1;
  }

  if (options.dump) DumpLists(data, out);
  if (options.encodings) PrintEncodings(data, ReadInt(store, keys::kCharChange), out);
  for (const CliLookup& lookup : options.lookups) PrintLookup(data, lookup, out, ui);
  CliGrepContext grep_ctx{data, store, regex, ui, options, SettingsFolder()};
  PrintCliCommentSearches(grep_ctx, out);
  try {
    if (RunCliGreps(grep_ctx, out) != 0 && status == 0) status = 1;
  } catch (const CliUi::UnansweredQuestion& e) {
    ui.FinishProgress();
    std::fprintf(err, "kelvora-cli: %s\n", e.what());
    return 1;
  }
  return CliExitStatus(status, ui);
}

}  // namespace

int RunCli(const CliOptions& options, std::ostream& out, std::FILE* err) {
  int status = RunCommand(options, out, err);
  // Whatever the command printed must have reached standard output (a full disk, /dev/full, a
  // closed pipe): otherwise the run failed, whatever the command said.
  errno = 0;
  out.flush();
  if (!out) {
    const int error = errno;
    std::fprintf(err, "kelvora-cli: cannot write the output%s%s\n", error ? ": " : "",
                 error ? std::strerror(error) : "");
    return status == 0 ? 1 : status;
  }
  return status;
}

}  // namespace kelvora
