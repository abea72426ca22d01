// The main window's context menu: its items, rules, greying and sort-direction texts as a
// plain tree, and the QMenu made from it.
#pragma once

#include <QString>
#include <vector>

class QMenu;
class QWidget;

namespace kelvora {

class RegisteredData;

struct ContextEntry {
  enum class Type { Item, Rule, Submenu };
  Type type = Type::Item;
  QString text;
  int id = 0;
  // Greyed by the list-content rule.
  bool greyed = false;
  // Per-list sort items: the kind (1..5) whose button bitmap marks the item; 0 for none.
  int bitmap_kind = 0;
  std::vector<ContextEntry> children;
};

// The items as they are when the menu opens over this data and transparency percent.
std::vector<ContextEntry> ContextMenuEntries(const RegisteredData& data, int transparency_percent);

// True when the command of a context-menu item is carried out by this program; the others are
// shown disabled.
bool IsBuiltCommand(int id);

// The menu of the entries: every action carries its identifier as data and is enabled when it
// is built and not greyed. button_pattern picks the bitmaps of the per-list sort items.
QMenu* MakeContextMenu(const std::vector<ContextEntry>& entries, int button_pattern,
                       QWidget* parent);

}  // namespace kelvora
