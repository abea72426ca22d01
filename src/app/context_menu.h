// The main window's context menu as a QMenu, made from the entries of the command table.
#pragma once

#include <vector>

#include "commands/registry.h"

class QMenu;
class QWidget;

namespace kelvora {

// Every action carries its command identifier as data and is enabled as its entry says;
// button_pattern picks the bitmaps of the per-list sort items.
QMenu* MakeContextMenu(const std::vector<ContextEntry>& entries, int button_pattern,
                       QWidget* parent);

}  // namespace kelvora
