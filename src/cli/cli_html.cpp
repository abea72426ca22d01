// `--write html=DIR`: the HTML site of the analysis, written into DIR.
#include <filesystem>

#include "cli/cli_app.h"
#include "cli/cli_extensions.h"
#include "cli/cli_ui.h"
#include "output/html_site.h"
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
  return WriteHtmlSite(ctx.data, settings, options, ctx.ui) == HtmlSiteResult::Written ? 0 : 1;
}

}  // namespace kelvora
