// Asked when a newly written tree file finds every page of the viewer holding a tree: which page
// to replace, or none.
#pragma once

#include <QDialog>
#include <QStringList>
#include <optional>

class QPushButton;

namespace kelvora {

class PageChoiceDialog : public QDialog {
  Q_OBJECT

 public:
  // labels: the five pages' tab texts; current: the page offered first.
  PageChoiceDialog(const QStringList& labels, int current, QWidget* parent = nullptr);
  // The chosen page after exec() returned Accepted.
  int chosen() const { return chosen_; }
  QPushButton* page_button(int page) const { return buttons_.value(page); }

  // Shows the dialog; the page to replace, or nullopt when cancelled.
  static std::optional<int> Ask(const QStringList& labels, int current, QWidget* parent);

 private:
  QList<QPushButton*> buttons_;
  int chosen_ = -1;
};

}  // namespace kelvora
