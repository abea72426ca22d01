// Row heights that keep every glyph of a row inside it. Japanese fonts (IPA Gothic among them)
// draw "_" below their descent; a row of the font's height lets the next row paint over it, so
// "s_Init" read as "s Init".
#pragma once

#include <QFont>
#include <QStyledItemDelegate>

namespace kelvora {

// The font's height, grown so that an underscore fits, plus a little air.
int ReadableRowHeight(const QFont& font);

// Gives the items of a view at least ReadableRowHeight of the view's font.
class ReadableRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace kelvora
