#include "tree/ui/viewer_menus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <vector>

#include "commands/viewer_commands.h"
#include "tree/tree_window_rules.h"
#include "tree/ui/viewer_icons.h"

namespace kelvora {

namespace {

QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void Connect(QAction* action, QMainWindow& window, const ViewerRowRunner& run,
             const CommandRow* row, bool context) {
  QObject::connect(action, &QAction::triggered, &window,
                   [run, row, context] { run(*row, context); });
}

}  // namespace

// Menus nest; an item runs its row.
void BuildViewerMenuBar(QMainWindow& window, const ViewerRowRunner& run) {
  std::vector<QMenu*> open;
  for (const ViewerPlace& p : ViewerMenuBar()) {
    switch (p.type) {
      case ViewerPlace::Type::Menu:
        open.push_back(open.empty() ? window.menuBar()->addMenu(Q(p.name))
                                    : open.back()->addMenu(Q(p.name)));
        break;
      case ViewerPlace::Type::End:
        open.pop_back();
        break;
      case ViewerPlace::Type::Rule:
        open.back()->addSeparator();
        break;
      case ViewerPlace::Type::Item: {
        const CommandRow* row = FindViewerCommand(p.name);
        QAction* a = p.icon ? open.back()->addAction(ViewerIcon(p.icon), Q(row->text))
                            : open.back()->addAction(Q(row->text));
        if (!row->accelerator.empty()) {
          a->setShortcut(QKeySequence(Q(row->accelerator)));
          a->setShortcutContext(Qt::WindowShortcut);
        }
        a->setCheckable(p.checkable);
        a->setChecked(p.checkable);
        Connect(a, window, run, row, false);
        break;
      }
    }
  }
}

QMenu* BuildViewerContextMenu(QMainWindow& window, const ViewerRowRunner& run) {
  auto* menu = new QMenu(&window);
  for (const ViewerPlace& p : ViewerContextMenu()) {
    if (p.type == ViewerPlace::Type::Rule) {
      menu->addSeparator();
      continue;
    }
    const CommandRow* row = FindViewerCommand(p.name);
    const QString text = Q(p.text.empty() ? row->text : p.text);
    QAction* a = p.icon ? menu->addAction(ViewerIcon(p.icon), text) : menu->addAction(text);
    Connect(a, window, run, row, !p.own_choice);
  }
  return menu;
}

QToolBar* BuildViewerToolBar(QMainWindow& window, int toolbar_setting, const ViewerRowRunner& run) {
  const ToolbarVariant variant = ToolbarVariantOf(toolbar_setting);
  QToolBar* bar = window.addToolBar(QStringLiteral("TREE"));
  bar->setMovable(false);
  bar->setIconSize(QSize(16, 16));
  if (variant.old_style)  // raised, framed buttons that sink while pressed
    bar->setStyleSheet(QStringLiteral(
        "QToolButton { border: 2px outset #c8c4bc; background: #d8d4cc; margin: 1px; }"
        "QToolButton:pressed { border-style: inset; }"
        "QToolBar { background: #d8d4cc; }"));
  for (const ViewerPlace& p : ViewerToolBar()) {
    if (p.full_tool_bar && !variant.full_set) continue;
    if (p.type == ViewerPlace::Type::Rule) {
      bar->addSeparator();
      continue;
    }
    QAction* a = bar->addAction(ViewerIcon(p.icon), QString());
    a->setToolTip(Q(p.text));
    Connect(a, window, run, FindViewerCommand(p.name), false);
  }
  return bar;
}

}  // namespace kelvora
