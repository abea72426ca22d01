#include "cli/dump.h"

#include "data/registration_lists.h"
#include "platform/cp932.h"

namespace kelvora {

namespace {

std::string Field(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

}  // namespace

void DumpLists(const RegisteredData& data, std::ostream& out) {
  for (int slot = 0; slot < kListCount; ++slot) {
    ListKind kind = KindOfSlot(slot);
    const RegistrationList& list = data.List(kind);
    const int columns = list.column_count();
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
      out << static_cast<int>(kind);
      for (int c = 0; c < columns; ++c) {
        const CellView cell = list.Cell(row, c);
        std::string text;
        if (c == col::kPosition) {
          text = ToDisplay(data.FullPosition(kind, row));
        } else if (kind == ListKind::File) {
          text = ToDisplay(cell);
        } else {
          text = Cp932ToUtf8(cell);
        }
        out << '\t' << Field(std::move(text));
      }
      out << '\n';
    }
  }
}

}  // namespace kelvora
