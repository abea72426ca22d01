// The TREE viewer's menu bar, context menu and tool bar, made from the registry's placements
// (commands/viewer_commands.h). A triggered item hands its row to run, with whether it came from
// the context menu (where a row first requires a selected item).
#pragma once

#include <functional>

class QMainWindow;
class QMenu;
class QToolBar;

namespace kelvora {

struct CommandRow;

using ViewerRowRunner = std::function<void(const CommandRow& row, bool context)>;

// The menus and items of ViewerMenuBar() on the window's menu bar.
void BuildViewerMenuBar(QMainWindow& window, const ViewerRowRunner& run);
// The output window's context menu from ViewerContextMenu().
QMenu* BuildViewerContextMenu(QMainWindow& window, const ViewerRowRunner& run);
// The tool bar of the "toolbar" setting's variant (see ToolbarVariantOf) from ViewerToolBar().
QToolBar* BuildViewerToolBar(QMainWindow& window, int toolbar_setting, const ViewerRowRunner& run);

}  // namespace kelvora
