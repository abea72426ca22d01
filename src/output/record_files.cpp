#include "output/record_files.h"

namespace kelvora {

std::set<std::string> RecordFiles(const RegisteredData& data, ListKind kind) {
  std::set<std::string> paths;
  const RegistrationList& list = data.List(kind);
  std::string last;
  for (std::size_t r = 0; r < list.RowCount(); ++r) {
    const std::string full = data.ExpandPosition(list.CellText(r, col::kPosition));
    const std::size_t open = full.rfind('(');
    if (open == std::string::npos || full.rfind(')') == std::string::npos) continue;
    std::string_view path = std::string_view(full).substr(0, open);
    if (path == last) continue;  // rows of one file usually stand together
    last.assign(path);
    paths.insert(last);
  }
  return paths;
}

}  // namespace kelvora
