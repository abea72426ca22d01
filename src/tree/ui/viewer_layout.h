// Places the TREE viewer's widgets where the layout rules (LayOutTreeViewer) put them: the current
// page's three windows, the graph over the source display in the side area, the two sliders, and
// the painted band between the tool bar and the trees.
#pragma once

#include "tree/tree_window_rules.h"
#include "tree/ui/viewer_pages.h"

class QSlider;

namespace kelvora {

class SourceDisplay;

struct ViewerSide {
  GraphWidget* graph = nullptr;
  SourceDisplay* source = nullptr;
  QSlider* left_slider = nullptr;   // TreeRect%
  QSlider* right_slider = nullptr;  // GraphRect%
};

// layout counts in the client area; the body lies tool_bar_height below its top. The sliders
// show the settings' TreeRect% and GraphRect%.
void PlaceViewerWidgets(const TreeLayout& layout, int tool_bar_height,
                        const ViewerPageWidgets& page, const ViewerSide& side,
                        const ViewerBand& band, const TreeViewSettings& view);

}  // namespace kelvora
