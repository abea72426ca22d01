// The --write kinds of `kelvora-cli analyse`: for each kind the answers its command's dialogs get
// (the output path, no "open it?" question), then the registry row's command, the one the menu
// runs.
#include <filesystem>

#include "cli/cli_app.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "commands/registry.h"
#include "data/registration_lists.h"
#include "output/reports.h"
#include "output/tree_output.h"
#include "settings/settings.h"

namespace kelvora {

namespace {

// The window's part of a command: nothing to show; the HTML site's options come from the flags.
class CliCommandView : public WindowlessView {
 public:
  explicit CliCommandView(const CliOptions& options) : options_(options) {}
  std::optional<HtmlOptions> AskHtmlOptions() override {
    HtmlOptions html;
    html.font = options_.html_font;
    html.border = options_.html_border;
    html.comments = options_.html_comments;
    return html;
  }

 private:
  const CliOptions& options_;
};

const CliWrite* FindWrite(const CliOptions& options, std::string_view kind) {
  for (const CliWrite& w : options.writes)
    if (w.kind == kind) return &w;
  return nullptr;
}

// A tree file; with comments also asked for, the function tree answers its comment-file
// question with Yes and that path.
int WriteTree(CliWriteContext& ctx, const CommandRow& row, const std::string& path) {
  Settings settings;
  LoadSettings(ctx.store, settings, ctx.ui);
  ctx.ui.SetNextPath(path);
  const CliWrite* comments = FindWrite(ctx.options, "comments");
  const bool functions = row.cli.word == "func-tree";
  if (functions) {
    ctx.ui.SetAnswer(kAskWriteCommentFile, comments != nullptr);
    if (comments) ctx.ui.SetNextPath(comments->path);
  }
  const CommandResult result = RunRowInCli(row, ctx, settings);
  if (result != CommandStatus::Done && functions && comments) {
    // The tree was not written, so its question never came: the comment file is still asked for.
    OutputContext out{ctx.data, settings, ctx.regex, ctx.ui};
    ctx.ui.SetNextPath(comments->path);
    WriteCommentFile(out);
  }
  ctx.ui.ClearNextPaths();
  return result == CommandStatus::Done ? 0 : 1;
}

// Left to the function tree when func-tree is asked for too.
int WriteComments(CliWriteContext& ctx, const CommandRow& row, const std::string& path) {
  if (FindWrite(ctx.options, "func-tree")) return 0;
  Settings settings;
  LoadSettings(ctx.store, settings, ctx.ui);
  ctx.ui.SetNextPath(path);
  const CommandResult result = RunRowInCli(row, ctx, settings);
  ctx.ui.ClearNextPaths();
  if (result == CommandStatus::Failed && !result.message.empty()) ctx.ui.Print(result.message);
  return result == CommandStatus::Done ? 0 : 1;
}

int WriteHtml(CliWriteContext& ctx, const CommandRow& row, const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (!std::filesystem::is_directory(path)) {
    ctx.ui.Print("kelvora-cli: cannot make the HTML folder " + path);
    return 1;
  }
  Settings settings;
  LoadSettings(ctx.store, settings, ctx.ui);
  ctx.ui.SetNextPath(path);
  return ExitStatusOf(RunRowInCli(row, ctx, settings));
}

// The information list with positions; the file is not opened afterwards (no editor, and the
// settings are not read: the list needs none).
int WriteTextList(CliWriteContext& ctx, const CommandRow& row, const std::string& path) {
  ctx.ui.SetNextPath(path);
  ctx.ui.SetAnswer(kAskListPositions, true);
  ctx.ui.SetAnswer(kAskOpenInfoList, false);
  Settings no_editor;
  return ExitStatusOf(RunRowInCli(row, ctx, no_editor));
}

int WriteStepCsv(CliWriteContext& ctx, const CommandRow& row, const std::string& path) {
  ctx.ui.SetNextPath(path);
  ctx.ui.SetAnswer(kAskOpenStepCsv, false);
  Settings unused;
  return ExitStatusOf(RunRowInCli(row, ctx, unused));
}

int WriteTableCsv(CliWriteContext& ctx, const CommandRow& row, const std::string& path) {
  Settings settings;
  LoadSettings(ctx.store, settings, ctx.ui);
  ctx.ui.SetNextPath(path);
  ctx.ui.SetAnswer(kAskOpenTableCsv, false);
  return ExitStatusOf(RunRowInCli(row, ctx, settings));
}

}  // namespace

const std::vector<CliWriter>& CliWriters() {
  static const std::vector<CliWriter> writers = {
      {"text-list", WriteTextList}, {"step-csv", WriteStepCsv},  {"table-csv", WriteTableCsv},
      {"html", WriteHtml},          {"func-tree", WriteTree},    {"struct-tree", WriteTree},
      {"table-tree", WriteTree},    {"comments", WriteComments},
  };
  return writers;
}

const CliWriter* FindCliWriter(std::string_view kind) {
  for (const CliWriter& w : CliWriters())
    if (w.kind == kind) return &w;
  return nullptr;
}

CommandResult RunRowInCli(const CommandRow& row, CliWriteContext& ctx, Settings& settings) {
  CliCommandView view(ctx.options);
  CommandState state{ctx.data, ctx.store, settings, ctx.regex, view,
                     {},       nullptr,   nullptr,  nullptr,   ctx.calls};
  return row.run(state, ctx.ui);
}

int ExitStatusOf(const CommandResult& result) {
  switch (result.status) {
    case CommandStatus::Done:
      return 0;
    case CommandStatus::DonePartly:
      return 3;
    case CommandStatus::Cancelled:
    case CommandStatus::Failed:
      break;
  }
  return 1;
}

}  // namespace kelvora
