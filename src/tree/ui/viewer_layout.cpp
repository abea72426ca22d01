#include "tree/ui/viewer_layout.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTreeView>
#include <algorithm>

#include "tree/ui/entry_find_box.h"
#include "tree/ui/graph_widget.h"
#include "tree/ui/source_display.h"
#include "tree/ui/tree_painted.h"

namespace kelvora {

void PlaceViewerWidgets(const TreeLayout& l, int tb, const ViewerPageWidgets& page,
                        const ViewerSide& side, const ViewerBand& band,
                        const TreeViewSettings& view) {
  auto place = [tb](QWidget* w, const TreeRect& r) {
    w->setGeometry(r.x, r.y - tb, std::max(0, r.w), std::max(0, r.h));
  };
  place(page.selection, l.selection);
  place(page.info, l.info);
  place(page.output, l.output);
  // The graph over the upper part of the side area, the source area below it.
  const int graph_h = l.side.h * 45 / 100;
  place(side.graph, {l.side.x + 4, l.side.y, l.side.w - 4, graph_h});
  // The source display brings its own scroll bar, which stands in the scroll-bar column.
  place(side.source, {l.side.x + 4, l.side.y + graph_h + 4, l.scroll_bar.right() - l.side.x - 4,
                      l.side.h - graph_h - 4});
  place(side.left_slider, l.left_slider);
  place(side.right_slider, l.right_slider);
  side.right_slider->setRange(l.right_slider_min, 85);
  side.left_slider->setValue(view.tree_rect);
  side.right_slider->setValue(view.graph_rect);

  // The painted band between the tool bar and the trees: page tabs with the information area's
  // two buttons on the right, then the list, nest-level and colour-scheme buttons.
  const int band_h = l.top - tb;
  const int row_h = 22;
  const int row1 = std::max(2, band_h - 2 * row_h - 10), row2 = row1 + row_h + 4;
  const int right = l.scroll_bar.right();
  band.details->setGeometry(right - 82, row1, 82, row_h);
  const int tab_w = std::clamp((right - 82 - 14 - 5) / TreeViewerState::kPages, 40, 160);
  for (int i = 0; i < TreeViewerState::kPages; ++i)
    band.tabs[static_cast<std::size_t>(i)]->setGeometry(5 + i * tab_w, row1, tab_w - 2, row_h + 2);
  band.list->setGeometry(5, row2, 56, row_h);
  int x = 70;
  for (PaintedButton* b : band.levels) {
    b->setGeometry(x, row2, 24, row_h);
    x += 26;
  }
  band.scheme->setGeometry(x + 10, row2, 130, row_h);
  band.bright->setGeometry(x + 144, row2, 56, row_h);
  // The selection window's find box takes the rest of the row, when there is room for it.
  const int find_x = x + 210;
  const int find_w = std::min(260, right - find_x);
  band.find->setVisible(find_w >= 80);
  band.find->setGeometry(find_x, row2, std::max(0, find_w), row_h);
}

}  // namespace kelvora
