#include "app/registration_table_model.h"

#include <climits>

#include "platform/cp932.h"

namespace kelvora {

RegistrationTableModel::RegistrationTableModel(const RegistrationList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {}

void RegistrationTableModel::Refresh() {
  beginResetModel();
  const std::size_t count = list_.RowCount();
  rows_ = count > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(count);
  endResetModel();
}

int RegistrationTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int RegistrationTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Columns(list_.kind()).size());
}

// Rows the list no longer has (it changes while a run is under way) read as empty cells.
// Scrolling through millions of rows calls this for every visible cell, so a UTF-8 or ASCII
// cell goes straight from the list's storage into the QString; only CP932 text takes a copy.
QVariant RegistrationTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  const CellView text = list_.CellTextView(static_cast<std::size_t>(index.row()), index.column());
  if (IsValidUtf8(text)) return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const std::string utf8 = Cp932ToUtf8(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QVariant RegistrationTableModel::headerData(int section, Qt::Orientation orientation,
                                            int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  const auto& columns = Columns(list_.kind());
  if (section < 0 || static_cast<std::size_t>(section) >= columns.size()) return {};
  const std::string_view header = columns[static_cast<std::size_t>(section)].header;
  return QString::fromUtf8(header.data(), static_cast<qsizetype>(header.size()));
}

}  // namespace kelvora
