// The TREE viewer's widgets below the tool bar, made and coloured here and placed by
// viewer_layout.h: each page's selection, text information and output windows, and the painted
// band above them (page tabs, " 一覧", nest levels 1-8, the colour scheme box, " 明度", the
// selection window's find box and " 詳細設定"). The window connects them to its commands.
#pragma once

#include <array>

#include "tree/tree_viewer.h"

class QComboBox;
class QObject;
class QPlainTextEdit;
class QTreeView;
class QWidget;

namespace kelvora {

class CallTree;
class CallTreeModel;
class EntryFindBox;
class GraphWidget;
class PaintedButton;
class SelectionTreeModel;
class TreeViewerBackground;
struct TreeViewSettings;

struct ViewerPageWidgets {
  QTreeView* selection = nullptr;
  QTreeView* output = nullptr;
  QPlainTextEdit* info = nullptr;
  SelectionTreeModel* selection_model = nullptr;
  CallTreeModel* output_model = nullptr;
};

// A page's windows in body over the page's data; the models belong to owner.
ViewerPageWidgets MakeViewerPage(QWidget* body, QObject* owner, TreeViewerPage& page);
// The output window follows the tree: the expanded flags of the items still shown (parents
// before children), then the selected item, made current and scrolled to. syncing is true while
// the flags are applied (the view's expansion signals are the sync's own then), false again
// before the selection moves.
void SyncOutputView(const ViewerPageWidgets& page, const CallTree& tree, bool& syncing);
// The selection and output windows in their colours (0xBBGGRR); the information window follows
// the graph's background inversion.
void PaintViewerPage(const ViewerPageWidgets& page, const TreeViewSettings& view, bool inverted);

struct ViewerBand {
  std::array<PaintedButton*, TreeViewerState::kPages> tabs{};
  PaintedButton* list = nullptr;
  std::array<PaintedButton*, 8> levels{};
  QComboBox* scheme = nullptr;
  PaintedButton* bright = nullptr;
  EntryFindBox* find = nullptr;
  PaintedButton* details = nullptr;
};

// The band's buttons in body, showing the settings' colour scheme and brightness.
ViewerBand MakeViewerBand(QWidget* body, const TreeViewSettings& view);
// The settings' colour scheme on the background, the band and the graph's buttons.
void ApplyViewerScheme(const TreeViewSettings& view, TreeViewerBackground* body,
                       const ViewerBand& band, GraphWidget* graph);

}  // namespace kelvora
