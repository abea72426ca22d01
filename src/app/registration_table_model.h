// A read-only table model over one registration list, for the window's list views.
#pragma once

#include <QAbstractTableModel>

#include "data/registration_lists.h"

namespace kelvora {

class RegistrationTableModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  RegistrationTableModel(const RegistrationList& list, QObject* parent = nullptr);

  // Takes the list's current rows; call after the list changed.
  void Refresh();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const RegistrationList& list_;
  int rows_ = 0;
};

}  // namespace kelvora
