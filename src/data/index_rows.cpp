#include "data/index_rows.h"

namespace kelvora {

namespace {

bool IsPrintableGroup(unsigned char c) {
  return c >= 0x20 && c <= 0x7F;
}

char Upper(unsigned char c) {
  return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
}
char Lower(unsigned char c) {
  return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
}

}  // namespace

IndexWindowModel BuildIndexWindow(const std::vector<IndexEntry>& entries,
                                  const IndexWindowSettings& settings) {
  IndexWindowModel model;
  model.entries = entries;
  model.left = settings.left;
  model.top = settings.top;
  model.text_color = settings.text_color;
  model.back_color = settings.back_color;
  model.transparency_percent = settings.transparency_percent;
  model.height = 16 * static_cast<int>(entries.size()) + 36;
  model.rows.reserve(entries.size() + 2);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    IndexRow row;
    row.kind = IndexRowKind::Entry;
    row.entry = i;
    row.number = std::to_string(i + 1);
    unsigned char c = entries[i].first;
    if (IsPrintableGroup(c)) {
      row.text = "” ";
      row.text += Upper(c);
      row.text += " ”  or  ” ";
      row.text += Lower(c);
      row.text += " ” ～";
    } else {
      row.text = "その他(0x20～0x7f以外) ～";
    }
    model.rows.push_back(std::move(row));
  }
  model.rows.push_back(IndexRow{});
  model.rows.push_back(IndexRow{IndexRowKind::Cancel, "※", "ｷｬﾝｾﾙ（ESC）", 0});
  return model;
}

IndexAction IndexWindowModel::Activate(std::size_t row, std::size_t& entry) const {
  if (row >= rows.size()) return IndexAction::Nothing;
  switch (rows[row].kind) {
    case IndexRowKind::Entry:
      entry = rows[row].entry;
      return IndexAction::Choose;
    case IndexRowKind::Cancel:
      return IndexAction::Cancel;
    case IndexRowKind::Blank:
      break;
  }
  return IndexAction::Nothing;
}

}  // namespace kelvora
