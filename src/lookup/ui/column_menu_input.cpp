// Keyboard and mouse handling of the column menu.
#include <QKeyEvent>
#include <QMouseEvent>

#include "lookup/ui/column_menu.h"

namespace kelvora {

namespace {

// The accelerator character of a text ("&x"), or a null character.
QChar MnemonicInText(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] != u'&') return text[i + 1].toLower();
    ++i;
  }
  return QChar();
}

}  // namespace

QChar ColumnMenu::MnemonicOf(std::size_t item) const {
  // "&" (0x26) is never the second byte of a CP932 character, so the bytes can be searched.
  const std::string& text = model_.items[item].text;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    const auto next = static_cast<unsigned char>(text[i + 1]);
    return next < 0x80 ? QChar(next).toLower() : MnemonicInText(FullText(item));
  }
  return QChar();
}

bool ColumnMenu::Selectable(std::size_t item) const {
  return item < model_.items.size() && model_.items[item].enabled;
}

void ColumnMenu::SetCurrent(std::size_t item) {
  if (item == current_) return;
  const std::size_t old = current_;
  current_ = item;
  if (old != kNone) viewport()->update(ItemRect(old));
  if (item != kNone) viewport()->update(ItemRect(item));
  emit Highlighted(item != kNone ? ItemPosition(model_.items[item]) : QString());
}

void ColumnMenu::Choose(std::size_t item) {
  if (!Selectable(item)) return;
  chosen_ = model_.items[item].id;
  close();
}

std::size_t ColumnMenu::NextSelectable(std::size_t from, bool forward) const {
  const std::size_t count = model_.items.size();
  if (count == 0) return kNone;
  std::size_t i = from;
  for (std::size_t step = 0; step < count; ++step) {
    if (forward) {
      i = (i == kNone || i + 1 >= count) ? 0 : i + 1;
    } else {
      i = (i == kNone || i == 0) ? count - 1 : i - 1;
    }
    if (Selectable(i)) return i;
  }
  return kNone;
}

std::size_t ColumnMenu::SelectableNear(int column, std::size_t row) const {
  const std::size_t first = columns_[column].first;
  const std::size_t size = columns_[column].end - first;
  row = std::min(row, size - 1);
  for (std::size_t d = 0; d < size; ++d) {
    if (row + d < size && Selectable(first + row + d)) return first + row + d;
    if (d <= row && Selectable(first + row - d)) return first + row - d;
  }
  return kNone;
}

void ColumnMenu::MoveAcross(bool right) {
  const int count = ColumnCount();
  if (count == 0) return;
  if (current_ == kNone) {
    SetCurrent(NextSelectable(kNone, true));
    return;
  }
  const int from = ColumnOf(current_);
  const std::size_t row = current_ - columns_[from].first;
  for (int step = 1; step <= count; ++step) {
    const int c = right ? (from + step) % count : (from - step + count) % count;
    const std::size_t item = SelectableNear(c, row);
    if (item != kNone) {
      SetCurrent(item);
      return;
    }
  }
}

void ColumnMenu::MoveRows(int rows) {
  if (current_ == kNone) {
    SetCurrent(NextSelectable(kNone, rows > 0));
    return;
  }
  const int c = ColumnOf(current_);
  const std::size_t row = current_ - columns_[c].first;
  const std::size_t size = columns_[c].end - columns_[c].first;
  const std::size_t target = rows > 0 ? std::min(size - 1, row + static_cast<std::size_t>(rows))
                                      : (row > static_cast<std::size_t>(-rows) ? row + rows : 0);
  const std::size_t item = SelectableNear(c, target);
  if (item != kNone) SetCurrent(item);
}

// Windows menu behaviour: a letter that is the accelerator of exactly one item chooses it;
// shared by several, it selects the next of them.
bool ColumnMenu::MnemonicKey(const QString& key_text) {
  if (key_text.size() != 1 || !key_text[0].isPrint() || key_text[0].isSpace()) return false;
  const QChar key = key_text[0].toLower();
  std::size_t first_after = kNone;
  std::size_t first_any = kNone;
  std::size_t matches = 0;
  for (std::size_t i = 0; i < model_.items.size(); ++i) {
    if (!Selectable(i) || MnemonicOf(i) != key) continue;
    ++matches;
    if (first_any == kNone) first_any = i;
    if (first_after == kNone && (current_ == kNone || i > current_)) first_after = i;
  }
  if (matches == 0) return false;
  if (matches == 1) {
    Choose(first_any);
  } else {
    SetCurrent(first_after != kNone ? first_after : first_any);
  }
  return true;
}

void ColumnMenu::keyPressEvent(QKeyEvent* event) {
  const int page = std::max(1, viewport()->height() / row_height_ - 1);
  switch (event->key()) {
    case Qt::Key_Escape:
      close();
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Choose(current_);
      break;
    case Qt::Key_Down:
      SetCurrent(NextSelectable(current_, true));
      break;
    case Qt::Key_Up:
      SetCurrent(NextSelectable(current_, false));
      break;
    case Qt::Key_Right:
      MoveAcross(true);
      break;
    case Qt::Key_Left:
      MoveAcross(false);
      break;
    case Qt::Key_PageDown:
      MoveRows(page);
      break;
    case Qt::Key_PageUp:
      MoveRows(-page);
      break;
    case Qt::Key_Home:
      SetCurrent(NextSelectable(kNone, true));
      break;
    case Qt::Key_End:
      SetCurrent(NextSelectable(kNone, false));
      break;
    default:
      if (!MnemonicKey(event->text())) {
        event->ignore();
        return;
      }
      break;
  }
  event->accept();
  if (current_ != kNone && isVisible()) EnsureVisible(current_);
}

bool ColumnMenu::event(QEvent* event) {
  // A click outside the popup reaches the popup itself, not its viewport (the scroll area
  // drops such events): it closes the popup without a choice, as menus do.
  if (event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (!rect().contains(mapFromGlobal(mouse->globalPosition().toPoint()))) {
      close();
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

void ColumnMenu::mousePressEvent(QMouseEvent* event) {
  pressed_inside_ = true;
  event->accept();
}

void ColumnMenu::mouseMoveEvent(QMouseEvent* event) {
  const std::size_t item = ItemAtGlobal(event->globalPosition().toPoint());
  SetCurrent(Selectable(item) ? item : kNone);
}

void ColumnMenu::mouseReleaseEvent(QMouseEvent* event) {
  const std::size_t item = ItemAtGlobal(event->globalPosition().toPoint());
  const bool pressed = pressed_inside_;
  pressed_inside_ = false;
  event->accept();
  if (pressed && event->button() == Qt::LeftButton) Choose(item);
}

void ColumnMenu::leaveEvent(QEvent* event) {
  QAbstractScrollArea::leaveEvent(event);
  SetCurrent(kNone);
}

}  // namespace kelvora
