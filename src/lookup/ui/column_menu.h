// The paged browse menu's popup, painted in columns by one widget and scrollable.
// It also shows one-column menus too long for a QMenu.
#pragma once

#include <QAbstractScrollArea>
#include <QPixmap>
#include <QString>
#include <cstddef>
#include <vector>

#include "lookup/menu_model.h"

namespace kelvora {

// The item's position for the screen (empty when it has none).
QString ItemPosition(const MenuItem& item);
// The tooltip of an item whose display text is full_text: the text as it reads when it was
// elided, and the position when it has one, one to a line; empty when there is neither.
QString ItemToolTip(const MenuItem& item, const QString& full_text, bool elided);

class ColumnMenu : public QAbstractScrollArea {
  Q_OBJECT

 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // The model must outlive the popup.
  ColumnMenu(const MenuModel& model, QWidget* parent);

  // Shows the popup with its top-left corner at the model's point, moved and shrunk so that it
  // stays on that screen.
  void Open();
  // The chosen item's identifier; kNoCommand while nothing was chosen.
  int chosen() const { return chosen_; }
  // The highlighted item, or kNone.
  std::size_t current() const { return current_; }

  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  // Items [ColumnFirst, ColumnEnd) make up column c.
  std::size_t ColumnFirst(int c) const { return columns_[c].first; }
  std::size_t ColumnEnd(int c) const { return columns_[c].end; }
  int ColumnWidth(int c) const { return columns_[c].width; }
  int RowHeight() const { return row_height_; }
  QSize ContentSize() const { return {content_width_, content_height_}; }

  // The item's rectangle in viewport coordinates at the current scroll position.
  QRect ItemRect(std::size_t item) const;
  // The item under a point of the viewport, or kNone.
  std::size_t ItemAt(QPoint viewport_point) const;
  // The item's text as painted: its display text, elided to the column.
  QString ShownText(std::size_t item) const;
  // The item's display text, converted when first asked for.
  const QString& FullText(std::size_t item) const;
  // Scrolls so that the item is visible.
  void EnsureVisible(std::size_t item);

 signals:
  // The popup closed, with or without a choice.
  void Finished();
  // An item was highlighted: its position (empty when it has none, or when nothing is).
  void Highlighted(const QString& position);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  struct Column {
    std::size_t first = 0;
    std::size_t end = 0;
    int x = 0;
    int width = 0;
  };

  void BuildLayout();
  void UpdateScrollBars();
  int ColumnOf(std::size_t item) const;
  bool Selectable(std::size_t item) const;
  void SetCurrent(std::size_t item);
  void Choose(std::size_t item);
  std::size_t ItemAtGlobal(QPoint global) const;
  void PaintItem(QPainter& painter, std::size_t item, const QRect& rect);

  // Keyboard moves; each selects the item it lands on.
  std::size_t NextSelectable(std::size_t from, bool forward) const;
  std::size_t SelectableNear(int column, std::size_t row) const;
  void MoveAcross(bool right);
  void MoveRows(int rows);
  bool MnemonicKey(const QString& key_text);
  // The item's accelerator character, lower-cased, or a null character.
  QChar MnemonicOf(std::size_t item) const;

  const MenuModel& model_;
  // Display texts, converted only for the items painted or searched.
  mutable std::vector<QString> texts_;
  mutable std::vector<char> converted_;
  std::vector<Column> columns_;
  QPixmap bitmaps_[4];  // kUncheckedBitmap .. kMacroBitmap
  int row_height_ = 18;
  int gutter_ = 20;
  int right_padding_ = 12;
  int text_cap_ = 400;
  int content_width_ = 0;
  int content_height_ = 0;
  std::size_t current_ = kNone;
  int chosen_ = kNoCommand;
  bool pressed_inside_ = false;
  bool finished_ = false;
};

}  // namespace kelvora
