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
QVariant RegistrationTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  const std::string text = list_.CellText(static_cast<std::size_t>(index.row()), index.column());
  return QString::fromStdString(ToDisplay(text));
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
