// The comment search dialog (Ctrl+F) and the command that runs it and shows the match menu.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "lookup/comment_search.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

namespace kelvora {

// "コメント検索　（複数検出時はMENUで一覧表示可）": the word, the four list radios (disabled for
// lists that were empty), partial and case boxes, "検索(&S)" and "ｷｬﾝｾﾙ", the IME field. Enter and
// Escape are swallowed. "検索(&S)" hands the controls to press, which may keep the dialog open.
class CommentSearchDialogWindow : public QDialog {
  Q_OBJECT

 public:
  using Press = std::function<bool(const CommentSearchDialog&)>;
  CommentSearchDialogWindow(CommentSearchDialog& model, Press press, QWidget* parent = nullptr);

  QComboBox* word() const { return word_; }
  QRadioButton* radio(int list) const { return radios_[list - 1]; }
  QCheckBox* partial() const { return partial_; }
  QCheckBox* case_sensitive() const { return case_; }
  QLabel* ime() const { return ime_; }

 public slots:
  void Search();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  CommentSearchDialog& model_;
  Press press_;
  QComboBox* word_ = nullptr;
  QRadioButton* radios_[4] = {};
  QCheckBox* partial_ = nullptr;
  QCheckBox* case_ = nullptr;
  QLabel* ime_ = nullptr;
};

// Command 151 with the dialog; several matches are offered in the popup menu and the chosen row
// is opened (the menu command of an active comment search).
CommentSearchOutcome RunCommentSearchCommand(CommentSearchContext& ctx, QWidget* parent);

}  // namespace kelvora
