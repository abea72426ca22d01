#include "cli/cli_encodings.h"

#include <optional>
#include <string>

#include "data/registration_lists.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "text/encoding_detect.h"

namespace kelvora {

void PrintEncodings(const RegisteredData& data, int char_change, std::ostream& out) {
  const RegistrationList& files = data.List(ListKind::File);
  for (std::size_t row = 0; row < files.RowCount(); ++row) {
    std::string path = files.Cell(row, col::kPosition);
    if (path.ends_with("(1)")) path.resize(path.size() - 3);
    if (path.empty()) continue;
    // The same read step the analysis takes, so the listing and the registered text agree.
    std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) {
      out << "unreadable\t0\t" << ToDisplay(path) << '\n';
      continue;
    }
    const SourceText text = DecodeSourceText(std::move(*bytes), char_change);
    out << EncodingName(text.encoding) << '\t' << text.replaced << '\t' << ToDisplay(path) << '\n';
  }
}

}  // namespace kelvora
