#include "tree/ui/tree_search_dialog.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

#include "platform/cp932.h"

namespace kelvora {

std::pair<QColor, QColor> TreeGradientColors(int color_type, bool bright) {
  static const QColor kTop[10] = {QColor(0, 0, 128),  QColor(0, 96, 0),   QColor(128, 0, 0),
                                  QColor(96, 0, 96),  QColor(0, 96, 96),  QColor(96, 64, 0),
                                  QColor(64, 64, 64), QColor(0, 64, 160), QColor(128, 0, 64),
                                  QColor(32, 48, 96)};
  const QColor top = kTop[color_type < 0 || color_type > 9 ? 9 : color_type];
  const QColor bottom = top.lighter(bright ? 320 : 200);
  return {bright ? top.lighter(170) : top, bottom};
}

void FillTreeGradient(QPainter& p, const QRect& rect, int color_type, bool bright) {
  const auto [top, bottom] = TreeGradientColors(color_type, bright);
  QLinearGradient g(0, rect.top(), 0, rect.bottom() + 1);
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.fillRect(rect, g);
}

TreeSearchDialog::TreeSearchDialog(const TreeSearchHistory& history, int color_type, bool bright,
                                   Ui& ui, QWidget* parent, InputMethodProbe probe)
    : QDialog(parent), ui_(ui), color_type_(color_type), bright_(bright) {
  setWindowTitle(QStringLiteral("TREE出力Window内　検索"));
  setFixedSize(360, 150);
  combo_ = new QComboBox(this);
  combo_->setEditable(true);
  combo_->setInsertPolicy(QComboBox::NoInsert);
  QStringList words;
  for (const std::string& w : history.combo()) words << QString::fromStdString(Cp932ToUtf8(w));
  words.sort(Qt::CaseInsensitive);  // a sorted list, as the history combo box shows it
  combo_->addItems(words);
  combo_->setCurrentText(QString());
  combo_->setGeometry(20, 40, 320, 26);
  struct Button {
    const char* text;
    int x;
    std::function<void()> act;
  };
  const Button buttons[] = {
      {"上検索  F3", 20, [this] { Choose(SearchDirection::Up); }},
      {"下検索  F4", 100, [this] { Choose(SearchDirection::Down); }},
      {"ｷｬﾝｾﾙ  (&X)", 180, [this] { reject(); }},
      {"HELP  (&H)", 260, [this] {
         ui_.Message(
             "選択されている関数から上、または下方向に検索します。　\n\n[上検索]"
             "\n現在のTREE展開状態内で検索します\n閉じたTREE内は検索しません\n\n[下検索]"
             "\nTREEを展開しながら検索します\n\n※一度検索実行後、F3 / F4で検索継続可　",
             Ui::kTreeCaption, MsgIcon::Information);
       }}};
  for (const Button& b : buttons) {
    auto* button = new QPushButton(QString::fromUtf8(b.text), this);
    button->setAutoDefault(false);
    button->setGeometry(b.x, 80, 78, 26);
    connect(button, &QPushButton::clicked, this, b.act);
  }
  ime_ = new InputMethodIndicator(combo_, std::move(probe));
  connect(ime_, &InputMethodIndicator::changed, this, [this] { update(); });
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

bool TreeSearchDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_F3 || key == Qt::Key_F4) {
      event->accept();
      if (event->type() == QEvent::KeyPress)
        Choose(key == Qt::Key_F3 ? SearchDirection::Up : SearchDirection::Down);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

std::string TreeSearchDialog::word() const {
  return Utf8ToCp932(combo_->currentText().toStdString());
}

QString TreeSearchDialog::ImeText() const {
  const std::optional<bool> on = ime_->state();
  if (!on) return {};
  return *on ? QStringLiteral("IME：ON") : QStringLiteral("IME：OFF");
}

void TreeSearchDialog::Choose(SearchDirection direction) {
  direction_ = direction;
  accept();
}

void TreeSearchDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_F3:
      Choose(SearchDirection::Up);
      return;
    case Qt::Key_F4:
      Choose(SearchDirection::Down);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      return;  // ignored, as the dialog's buttons are the only way out
    default:
      QDialog::keyPressEvent(event);
  }
}

void TreeSearchDialog::paintEvent(QPaintEvent*) {
  QPainter p(this);
  FillTreeGradient(p, rect(), color_type_, bright_);
  QFont bold = font();
  bold.setBold(true);
  p.setFont(bold);
  const QString caption = QStringLiteral("≪ 検索Word ≫");
  p.setPen(Qt::black);
  p.drawText(QPoint(21, 29), caption);
  p.setPen(Qt::white);
  p.drawText(QPoint(20, 28), caption);
  p.setFont(font());
  p.drawText(QPoint(8, height() - 10), ImeText());
}

}  // namespace kelvora
