#include "gui_common/readable_rows.h"

#include <QFontMetrics>
#include <algorithm>

namespace kelvora {

int ReadableRowHeight(const QFont& font) {
  const QFontMetrics fm(font);
  // The glyph's own extent below the baseline, which may exceed the font's descent.
  const int underscore = fm.boundingRect(QChar(u'_')).bottom() + 1;
  return std::max(fm.height(), fm.ascent() + std::max(fm.descent(), underscore)) + 4;
}

QSize ReadableRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setHeight(std::max(size.height(), ReadableRowHeight(option.font)));
  return size;
}

}  // namespace kelvora
