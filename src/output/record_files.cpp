#include "output/record_files.h"

#include "data/position.h"
#include "output/tree_output.h"
#include "platform/file_names.h"
#include "platform/line_reader.h"
#include "settings/settings.h"
#include "text/encoding_detect.h"

namespace kelvora {

std::set<std::string> RecordFiles(const RegisteredData& data, ListKind kind) {
  std::set<std::string> paths;
  const RegistrationList& list = data.List(kind);
  std::string last;
  for (std::size_t r = 0; r < list.RowCount(); ++r) {
    const std::string full = data.ExpandPosition(list.CellText(r, col::kPosition));
    const std::optional<Position> at = Position::Parse(full);
    if (!at) continue;
    const std::string& path = at->path;
    if (path == last) continue;  // rows of one file usually stand together
    last.assign(path);
    paths.insert(last);
  }
  return paths;
}

long ReadRecordFiles(OutputContext& ctx, ListKind kind, bool skip_directives,
                     const CleaningPatterns& cleaning,
                     const std::function<void(CleanLineReader&, const std::string&)>& read) {
  const std::set<std::string> paths = RecordFiles(ctx.data, kind);
  ctx.ui.SetProgressRange(static_cast<long long>(paths.size()));
  const MacroList macros(ctx.settings.preprocessor);
  long opened = 0;
  for (const std::string& path : paths) {
    SourceFileReader file(ctx.settings.char_change);
    if (file.Open(path)) {
      CleanLineReader reader(file, cleaning,
                             {&macros, skip_directives, ctx.settings.char_change == 1});
      if (cleaning.ok()) read(reader, NameToCp932(path));
      ++opened;
    }
    ctx.ui.AdvanceProgress(1);
    ctx.ui.PollEscape();
  }
  return opened;
}

}  // namespace kelvora
