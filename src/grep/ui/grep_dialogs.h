// The Grep menu dialog ("Grepメニュー") and the input dialog of the variable search.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;
class QStandardItemModel;
class QTextEdit;
class QTreeView;

namespace kelvora {

class Ui;

// Four rows (No., 項目, 機能説明) with icons; a click shows the row's long description, a double
// click or OK chooses it; OK without a row shows "選択されていません。　" and stays open.
class GrepMenuDialog : public QDialog {
  Q_OBJECT

 public:
  GrepMenuDialog(Ui& ui, QWidget* parent = nullptr);
  // The chosen row number 1..4 after exec() returned Accepted.
  std::optional<int> chosen() const { return chosen_; }
  QTreeView* list() const { return list_; }
  QTextEdit* details() const { return details_; }

  // Shows the dialog; the chosen row, or nullopt when cancelled.
  static std::optional<int> Ask(Ui& ui, QWidget* parent);

 public slots:
  void Choose();

 private:
  std::optional<int> SelectedRow() const;
  void ShowDetails();

  Ui& ui_;
  QTreeView* list_;
  QStandardItemModel* model_;
  QTextEdit* details_;
  std::optional<int> chosen_;
};

// "入力ダイアログ": one edit field with the focus, OK and ｷｬﾝｾﾙ, the product name. Enter and
// Escape do nothing; OK with an empty field shows "入力されていません！　" and stays open.
class GrepInputDialog : public QDialog {
  Q_OBJECT

 public:
  GrepInputDialog(Ui& ui, QWidget* parent = nullptr);
  // The typed text in CP932.
  std::string name() const;
  QLineEdit* edit() const { return edit_; }

  // Shows the dialog; the name (CP932), or nullopt when cancelled.
  static std::optional<std::string> Ask(Ui& ui, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void TryAccept();

  Ui& ui_;
  QLineEdit* edit_;
};

}  // namespace kelvora
