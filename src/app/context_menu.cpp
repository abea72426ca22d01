#include "app/context_menu.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

#include "gui_common/button_patterns.h"

namespace kelvora {
namespace {

void AddEntries(QMenu* menu, const std::vector<ContextEntry>& entries, int button_pattern) {
  for (const ContextEntry& e : entries) {
    switch (e.type) {
      case ContextEntry::Type::Rule:
        menu->addSeparator();
        break;
      case ContextEntry::Type::Submenu:
        AddEntries(menu->addMenu(QString::fromStdString(e.text)), e.children, button_pattern);
        break;
      case ContextEntry::Type::Item: {
        QAction* action = menu->addAction(QString::fromStdString(e.text));
        action->setData(e.id);
        action->setEnabled(e.enabled);
        if (e.bitmap_kind != 0) {
          action->setIcon(QIcon(KindMenuBitmap(button_pattern, e.bitmap_kind)));
        }
        break;
      }
    }
  }
}

}  // namespace

QMenu* MakeContextMenu(const std::vector<ContextEntry>& entries, int button_pattern,
                       QWidget* parent) {
  auto* menu = new QMenu(parent);
  AddEntries(menu, entries, button_pattern);
  return menu;
}

}  // namespace kelvora
