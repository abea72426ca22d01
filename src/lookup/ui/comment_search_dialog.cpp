#include "lookup/ui/comment_search_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui_common/input_method_state.h"
#include "lookup/ui/popup_menus.h"
#include "platform/cp932.h"

namespace kelvora {

namespace {

const char* const kRadioTexts[4] = {"関数(&F)", "構造体(&S)", "#define(&D)", "テーブル(&T)"};
const char* const kRadioTips[4] = {"「関数」登録データのコメント内から検索する",
                                   "「構造体」登録データのコメント内から検索する",
                                   "「#define」登録データのコメント内から検索する",
                                   "「テーブル」登録データのコメント内から検索する"};

}  // namespace

CommentSearchDialogWindow::CommentSearchDialogWindow(CommentSearchDialog& model, Press press,
                                                     QWidget* parent)
    : QDialog(parent), model_(model), press_(std::move(press)) {
  setWindowTitle(QStringLiteral("コメント検索　（複数検出時はMENUで一覧表示可）"));
  setStyleSheet(QStringLiteral("QToolTip { background-color: red; color: white; }"));

  word_ = new QComboBox(this);
  word_->setEditable(true);
  word_->setInsertPolicy(QComboBox::NoInsert);
  for (const std::string& w : model_.dropdown)
    word_->addItem(QString::fromStdString(Cp932ToUtf8(w)));
  word_->setEditText(QString::fromStdString(Cp932ToUtf8(model_.word)));
  word_->setMinimumWidth(320);

  auto* group = new QGroupBox(QStringLiteral("検索データ"), this);
  auto* radios = new QHBoxLayout(group);
  for (int i = 0; i < 4; ++i) {
    radios_[i] = new QRadioButton(QString::fromUtf8(kRadioTexts[i]), group);
    radios_[i]->setToolTip(QString::fromUtf8(kRadioTips[i]));
    radios_[i]->setEnabled(model_.enabled[static_cast<std::size_t>(i)]);
    radios_[i]->setChecked(model_.list == i + 1);
    radios->addWidget(radios_[i]);
  }
  partial_ = new QCheckBox(QStringLiteral("完全一致しなくても検出する(&F)"), this);
  partial_->setToolTip(
      QStringLiteral("文字列が完全一致しなくても、文字列中に検索Wordがあれば一致とする"));
  partial_->setChecked(model_.partial);
  case_ = new QCheckBox(QStringLiteral("大文字/小文字を区別する(&C)"), this);
  case_->setToolTip(QStringLiteral("大文字/小文字を区別して検索する"));
  case_->setChecked(model_.case_sensitive);

  auto* search = new QPushButton(QStringLiteral("検索(&S)"), this);
  auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  for (QPushButton* b : {search, cancel}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  connect(search, &QPushButton::clicked, this, &CommentSearchDialogWindow::Search);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  ime_ = new QLabel(this);
  ime_->setFrameShape(QFrame::Panel);
  ime_->setFrameShadow(QFrame::Sunken);
  // The input method's state as the desktop tells it; the field is hidden where it cannot.
  auto* indicator = new InputMethodIndicator(word_);
  auto show_state = [this, indicator] {
    const std::optional<bool> on = indicator->state();
    ime_->setText(on && *on ? QStringLiteral(" IME  ON") : QStringLiteral(" IME OFF"));
    ime_->setVisible(on.has_value());
  };
  connect(indicator, &InputMethodIndicator::changed, this, show_state);
  show_state();

  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("■検索Word"), this));
  top->addWidget(word_, 1);
  top->addWidget(ime_);
  layout->addLayout(top);
  layout->addWidget(group);
  layout->addWidget(partial_);
  layout->addWidget(case_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(search);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  word_->setFocus();
}

void CommentSearchDialogWindow::Search() {
  model_.word = Utf8ToCp932(word_->currentText().toStdString());
  model_.list = 0;
  for (int i = 0; i < 4; ++i)
    if (radios_[i]->isChecked() && radios_[i]->isEnabled()) model_.list = i + 1;
  model_.partial = partial_->isChecked();
  model_.case_sensitive = case_->isChecked();
  if (press_ && !press_(model_)) return;  // a word of 1000 bytes or more: stay open
  accept();
}

void CommentSearchDialogWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

bool CommentSearchDialogWindow::event(QEvent* event) {
  return QDialog::event(event);
}

CommentSearchOutcome RunCommentSearchCommand(CommentSearchContext& ctx, QWidget* parent) {
  CommentSearchOutcome outcome = CommentSearchCommand(ctx, [&](CommentSearchDialog& model) {
    CommentSearchDialogWindow dialog(
        model,
        [&](const CommentSearchDialog& m) {
          return PressCommentSearch(m, ctx.request, ctx.history, ctx.store);
        },
        parent);
    return dialog.exec() == QDialog::Accepted;
  });
  if (outcome.result == CommentSearchResult::Menu) {
    const int id = ExecMenu(outcome.menu, parent);
    HandleCommentSearchMenuCommand(id, ctx.data, ctx.request, ctx.state, ctx.editor, ctx.ui);
  }
  return outcome;
}

}  // namespace kelvora
