// The IndexMode window as a popup list: one row per index entry, an empty row and the cancel row.
#pragma once

#include <QTreeWidget>
#include <cstddef>
#include <optional>

#include "lookup/index_window.h"

namespace kelvora {

class IndexPopup : public QTreeWidget {
  Q_OBJECT

 public:
  // The model must outlive the popup.
  IndexPopup(const IndexWindowModel& model, QWidget* parent);

  // Shows the window at the model's position, kept on the screen.
  void Open();
  // The chosen entry; nullopt while nothing was chosen.
  std::optional<std::size_t> chosen() const { return chosen_; }
  // What a click on, or Enter on, that row does (closing the window unless it is the empty row).
  void ActivateRow(int row);

 signals:
  // The window closed, with or without a choice.
  void Finished();

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  const IndexWindowModel& model_;
  std::optional<std::size_t> chosen_;
  bool finished_ = false;
};

}  // namespace kelvora
