// `--write table-csv=FILE`: the table-contents CSV of the analysis; the file is not opened.
#include "cli/cli_extensions.h"
#include "cli/cli_ui.h"
#include "output/reports.h"
#include "output/tree_output.h"
#include "settings/settings.h"

namespace kelvora {

int CliWriteTableCsv(CliWriteContext& ctx, const std::string& path) {
  Settings settings;
  LoadSettings(ctx.store, settings, ctx.ui);
  OutputContext out{ctx.data, settings, ctx.regex, ctx.ui};
  ctx.ui.SetNextPath(path);
  ctx.ui.SetAnswer(kAskOpenTableCsv, false);
  return WriteTableContentsCsv(out) ? 0 : 1;
}

}  // namespace kelvora
