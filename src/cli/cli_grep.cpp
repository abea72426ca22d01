#include "cli/cli_grep.h"

#include <unistd.h>

#include <cerrno>

#include <filesystem>

#include "cli/cli_app.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "commands/registry.h"
#include "data/registration_lists.h"
#include "grep/grep_results.h"
#include "grep/grep_search.h"
#include "lookup/comment_search.h"
#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/files.h"
#include "platform/line_reader.h"
#include "platform/output_file.h"
#include "platform/user_folder.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "text/strip_if.h"

namespace kelvora {

namespace {

int CommentListOfKind(const std::string& kind) {
  if (kind == "func") return 1;
  if (kind == "struct") return 2;
  if (kind == "define") return 3;
  if (kind == "table") return 4;
  return 0;
}

// The port of strip-if: the open and save dialogs give IN and OUT, the editor is never opened.
class StripIfUi : public CliUi {
 public:
  StripIfUi(std::FILE* err, std::string in, std::string out) : CliUi(err) {
    SetNextPath(std::move(in));
    SetNextPath(std::move(out));
    SetAnswer(kAskOpenStrippedCopy, false);
  }
  // The explanation box is for the window; the command line states its purpose in --help.
  void Message(std::string_view text, std::string_view caption, MsgIcon icon) override {
    if (!text.starts_with("[機能説明]")) CliUi::Message(text, caption, icon);
  }
};

}  // namespace

bool CheckGrepArgument(const std::string& arg, std::string& error) {
  if (arg == "proto" || arg == "fmacro" || arg == "if") return true;
  if (arg.rfind("assign:", 0) == 0 && arg.size() > 7) return true;
  error = "--grep needs assign:NAME, proto, fmacro or if: " + arg;
  return false;
}

int CommentListOfArgument(const std::string& arg, std::string& word, std::string& error) {
  const std::size_t colon = arg.find(':');
  const int list = colon == std::string::npos ? 0 : CommentListOfKind(arg.substr(0, colon));
  if (list == 0) {
    error = "--comment needs KIND:WORD with KIND one of func, struct, define, table: " + arg;
    return 0;
  }
  word = arg.substr(colon + 1);
  return list;
}

int RunCliCommentImports(CliGrepContext& ctx) {
  int status = 0;
  Settings settings;
  if (!ctx.options.import_comments.empty()) LoadSettings(ctx.store, settings, ctx.ui);
  for (const std::string& file : ctx.options.import_comments) {
    // A FIFO, device or folder is named here rather than read (or waited on).
    std::string why;
    const int fd = OpenInputFile(file, kCommentFileLimit, &why);
    if (fd < 0) {
      std::string message = "ファイルが開けませんでした。　\n";
      message.append(file).append("\n").append(why);
      ctx.ui.Message(message, Ui::kCaption, MsgIcon::Warning);
      status = 1;
      continue;
    }
    ::close(fd);
    const long stored = ImportCommentFile(file, ctx.data, settings, ctx.regex, ctx.ui);
    ctx.ui.FinishProgress();
    ctx.ui.Message("終了しました！\n\n取得コメント数：" + std::to_string(stored) + "　\n",
                   Ui::kCaption, MsgIcon::Information);
    if (stored < 0) status = 1;
  }
  return status;
}

void PrintCliCommentSearches(CliGrepContext& ctx, std::ostream& out) {
  for (const CliComment& c : ctx.options.comments) {
    const ListKind kind = *CommentSearchKind(c.list);
    const std::string word = Utf8ToCp932(c.word);
    if (word.empty()) continue;  // an empty word searches nothing, as in the dialog
    const RegistrationList& list = ctx.data.List(kind);
    if (list.empty()) {
      ctx.ui.Message("登録データがありません！　", Ui::kCaption, MsgIcon::Information);
      continue;
    }
    std::vector<std::size_t> rows =
        FindCommentRows(list, word, !ctx.options.comment_exact, ctx.options.comment_case);
    if (rows.empty()) {
      ctx.ui.Message("見つかりませんでした！　", Ui::kCaption, MsgIcon::Information);
      continue;
    }
    for (std::size_t row : rows)
      out << Cp932ToUtf8(list.Cell(row, col::kName)) << '\t'
          << ToDisplay(ctx.data.ExpandPosition(list.Cell(row, col::kPosition))) << '\n';
  }
}

int RunCliGreps(CliGrepContext& ctx, std::ostream& out) {
  int status = 0;
  if (ctx.options.greps.empty()) return 0;
  Settings settings;
  LoadSettings(ctx.store, settings, ctx.ui);
  for (const std::string& arg : ctx.options.greps) {
    GrepKind kind = GrepKind::IfDirective;
    std::string name;
    if (arg == "proto") kind = GrepKind::Prototype;
    if (arg == "fmacro") kind = GrepKind::FunctionMacro;
    if (arg.rfind("assign:", 0) == 0) {
      kind = GrepKind::Assign;
      name = Utf8ToCp932(arg.substr(7));
    }
    GrepContext grep{ctx.data, settings, ctx.regex, ctx.ui, ctx.work_dir};
    const GrepOutcome outcome = RunGrep(grep, kind, name);
    ctx.ui.FinishProgress();
    if (outcome.result != GrepResult::Found) {
      if (outcome.result != GrepResult::NoHits) status = 1;
      continue;
    }
    FileLineReader reader;
    if (!reader.Open(outcome.run.result_path)) {
      ctx.ui.Message(OutputOpenErrorText(outcome.run.result_path, errno), Ui::kCaption,
                     MsgIcon::Error);
      status = 1;
      continue;
    }
    std::string line, position, rest;
    while (reader.ReadLine(line)) {
      if (!SplitGrepLine(line, position, rest)) continue;
      out << ToDisplay(position) << Cp932ToUtf8(std::string_view(line).substr(position.size()))
          << '\n';
    }
  }
  return status;
}

int RunStripIfCommand(const std::vector<std::string>& args, std::ostream&, std::FILE* err) {
  std::vector<std::string> files;
  std::string settings_file;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--settings" && i + 1 < args.size()) {
      settings_file = args[++i];
    } else if (args[i].rfind("--settings=", 0) == 0) {
      settings_file = args[i].substr(11);
    } else if (args[i] == "--" && i + 1 < args.size()) {
      files.insert(files.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      std::fprintf(err, "kelvora-cli: unknown strip-if option: %s\n\n%s", args[i].c_str(),
                   CliUsage().c_str());
      return 2;
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 2) {
    std::fprintf(err, "kelvora-cli: strip-if needs IN and OUT\n\n%s", CliUsage().c_str());
    return 2;
  }
  if (!settings_file.empty() && !std::filesystem::is_regular_file(settings_file)) {
    std::fprintf(err, "kelvora-cli: settings file not found: %s\n", settings_file.c_str());
    return 2;
  }
  SettingsStore store = settings_file.empty() ? SettingsStore::Default()
                                              : SettingsStore(settings_file, UserStorePath());
  store.set_read_only();  // the command line never writes a settings file
  StripIfUi ui(err, files[0], files[1]);
  Settings settings;
  LoadSettings(store, settings, ui);
  RegexService regex;
  RegisteredData no_data;
  CliOptions no_options;
  CliWriteContext ctx{no_data, store, regex, ui, no_options};
  // The menu's command, its dialogs answered by StripIfUi.
  const CommandResult result =
      RunRowInCli(*FindCliCommand(CliForm::Verb, "strip-if"), ctx, settings);
  return result == CommandStatus::Done ? 0 : 1;
}

}  // namespace kelvora
