// The tree outputs in the TREE viewer: menu items and Ctrl+G (the tool bar holds their buttons),
// each running a core command of tree/tree_export.h or tree/tree_comments.h on the current page.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeView>

#include "text/regex_service.h"
#include "tree/tree_comments.h"
#include "tree/tree_export.h"
#include "tree/ui/tree_models.h"
#include "tree/ui/tree_viewer_ui.h"
#include "tree/ui/tree_viewer_window.h"

namespace kelvora {

void TreeViewerWindow::BuildExportActions() {
  QMenu* analyse = menuBar()->actions().isEmpty() ? menuBar()->addMenu(QStringLiteral("解析(&A)"))
                                                  : menuBar()->actions().first()->menu();
  analyse->addSeparator();
  QAction* text = analyse->addAction(QStringLiteral("TREE テキスト出力(&T)"));
  connect(text, &QAction::triggered, this, [this] { ExportTextCommand(); });
  QMenu* excel = analyse->addMenu(QStringLiteral("TREE EXCEL出力"));
  QAction* sheet = excel->addAction(QStringLiteral("TREE出力Windowから出力"));
  connect(sheet, &QAction::triggered, this, [this] { ExportWorkbookCommand(); });
  connect(excel->addAction(QStringLiteral("選択Windowから複数出力（ファイル指定）")),
          &QAction::triggered, this, [this] { ExportManyTreesCommand(); });
  QAction* comments = analyse->addAction(QStringLiteral("関数TREE　コメント取得\tCtrl+G"));
  comments->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  comments->setShortcutContext(Qt::WindowShortcut);
  connect(comments, &QAction::triggered, this, [this] { AttachCommentsCommand(); });
  // Their tool-bar buttons are part of every tool-bar variant (BuildToolBar).
}

void TreeViewerWindow::ExportTextCommand() {
  ExportTreeText(state_.page().output, state_.settings, editor_(), *ui_);
  SyncOutputView();
}

void TreeViewerWindow::ExportWorkbookCommand() {
  ExportTreeWorkbook(state_.page().output, state_.settings, *ui_);
  SyncOutputView();
}

void TreeViewerWindow::ExportManyTreesCommand() {
  ExportManyTrees(state_.page().file, state_.settings, *regex_, *ui_);
}

void TreeViewerWindow::EntryListCommand() {
  ExportEntryList(state_.page().file, editor_(), *ui_);
}

void TreeViewerWindow::AttachCommentsCommand() {
  PageWidgets& w = current();
  w.output->setUpdatesEnabled(false);
  const bool attached = AttachCommentsFromFile(
      state_.page().output, state_.page().file.entry_count(), state_.settings.space, *regex_, *ui_);
  if (attached) {
    w.output_model->Reset();  // item texts changed
    SyncOutputView();
    w.output->scrollToTop();
  }
  w.output->setUpdatesEnabled(true);
}

}  // namespace kelvora
