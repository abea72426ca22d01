#include "cli/cli_tree_files.h"

#include "cli/cli_app.h"
#include "cli/cli_extensions.h"
#include "cli/cli_ui.h"
#include "data/registration_lists.h"
#include "output/tree_output.h"
#include "settings/settings.h"

namespace kelvora {

namespace {

const CliWrite* FindWrite(const CliOptions& options, std::string_view kind) {
  for (const CliWrite& w : options.writes)
    if (w.kind == kind) return &w;
  return nullptr;
}

// Runs TreeOutputCommand with the save dialog answered by path: 0 when the file was written.
int RunTree(CliWriteContext& ctx, int kind, const std::string& path) {
  Settings settings;
  LoadSettings(ctx.store, settings, ctx.ui);
  OutputContext out{ctx.data, settings, ctx.regex, ctx.ui, ctx.calls};
  ctx.ui.SetNextPath(path);
  const CliWrite* comments = FindWrite(ctx.options, "comments");
  if (kind == kTreeOfFunctions) {
    ctx.ui.SetAnswer(kAskWriteCommentFile, comments != nullptr);
    if (comments) ctx.ui.SetNextPath(comments->path);
  }
  const int result = TreeOutputCommand(out, kind);
  if (result != 1 && kind == kTreeOfFunctions && comments) {
    // The tree was not written, so its question never came: the comment file is still asked for.
    ctx.ui.SetNextPath(comments->path);
    WriteCommentFile(out);
  }
  ctx.ui.ClearNextPaths();
  return result == 1 ? 0 : 1;
}

}  // namespace

int WriteFuncTreeCli(CliWriteContext& ctx, const std::string& path) {
  return RunTree(ctx, kTreeOfFunctions, path);
}

int WriteStructTreeCli(CliWriteContext& ctx, const std::string& path) {
  return RunTree(ctx, kTreeOfStructs, path);
}

int WriteTableTreeCli(CliWriteContext& ctx, const std::string& path) {
  return RunTree(ctx, kTreeOfTables, path);
}

int WriteCommentsCli(CliWriteContext& ctx, const std::string& path) {
  if (FindWrite(ctx.options, "func-tree")) return 0;
  Settings settings;
  LoadSettings(ctx.store, settings, ctx.ui);
  OutputContext out{ctx.data, settings, ctx.regex, ctx.ui};
  ctx.ui.SetNextPath(path);
  const int result = WriteCommentFile(out);
  ctx.ui.ClearNextPaths();
  if (result < 0) ctx.ui.Print("登録データがありません！　");
  return result == 1 ? 0 : 1;
}

}  // namespace kelvora
