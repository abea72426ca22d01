// `--write html=DIR`, `text-list=FILE`, `step-csv=FILE`: the site and the reports of the analysis.
#include <filesystem>

#include "cli/cli_app.h"
#include "cli/cli_extensions.h"
#include "cli/cli_ui.h"
#include "lookup/editor_launch.h"
#include "output/html_file_pages.h"
#include "output/html_site.h"
#include "output/reports.h"
#include "platform/ui.h"
#include "settings/settings.h"

namespace kelvora {

int CliWriteHtml(CliWriteContext& ctx, const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (!std::filesystem::is_directory(path)) {
    ctx.ui.Print("kelvora-cli: cannot make the HTML folder " + path);
    return 1;
  }
  Settings settings;
  LoadSettings(ctx.store, settings, ctx.ui);
  HtmlOptions options;
  options.font = ctx.options.html_font;
  options.border = ctx.options.html_border;
  options.comments = ctx.options.html_comments;
  ctx.ui.SetNextPath(path);
  HtmlFilePages pages(settings, ctx.regex);
  const HtmlSiteResult result = WriteHtmlSite(ctx.data, settings, options, ctx.ui, &pages);
  // A site with pages that could not be written is there, with those pages left out.
  if (result == HtmlSiteResult::PagesFailed) ctx.ui.NoteLeftOut();
  return result == HtmlSiteResult::Cancelled ? 1 : 0;
}

// The information list with positions; the file is not opened afterwards.
int CliWriteTextList(CliWriteContext& ctx, const std::string& path) {
  ctx.ui.SetNextPath(path);
  ctx.ui.SetAnswer(kAskListPositions, true);
  ctx.ui.SetAnswer(kAskOpenInfoList, false);
  const EditorLauncher no_editor("", "");
  return WriteInfoList(ctx.data, no_editor, ctx.ui) ? 0 : 1;
}

int CliWriteStepCsv(CliWriteContext& ctx, const std::string& path) {
  ctx.ui.SetNextPath(path);
  ctx.ui.SetAnswer(kAskOpenStepCsv, false);
  return WriteStepCountCsv(ctx.data, ctx.ui) ? 0 : 1;
}

}  // namespace kelvora
