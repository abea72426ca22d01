// The tree outputs in the TREE viewer: menu items, tool-bar buttons and Ctrl+G, each running a
// core command of tree/tree_export.h or tree/tree_comments.h on the current page.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>
#include <QTreeView>

#include "text/regex_service.h"
#include "tree/tree_comments.h"
#include "tree/tree_export.h"
#include "tree/ui/tree_models.h"
#include "tree/ui/tree_viewer_ui.h"
#include "tree/ui/tree_viewer_window.h"

namespace kelvora {

namespace {

// Tool-bar bitmaps of the outputs, drawn by code: a text page, a grid, a speech balloon.
QIcon ExportGlyph(char kind) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(30, 60, 140), 1.4));
  switch (kind) {
    case 't':  // text output: a page with lines
      p.drawRect(3, 1, 10, 14);
      for (int y = 4; y <= 12; y += 3) p.drawLine(5, y, 11, y);
      break;
    case 'x':  // workbook output: a grid
      p.fillRect(2, 2, 12, 3, QColor(40, 140, 60));
      p.drawRect(2, 2, 12, 12);
      p.drawLine(2, 6, 14, 6);
      p.drawLine(2, 10, 14, 10);
      p.drawLine(7, 2, 7, 14);
      break;
    default:  // comment attach: a balloon
      p.drawRoundedRect(2, 2, 12, 8, 3, 3);
      p.drawLine(5, 10, 4, 14);
      p.drawLine(4, 14, 8, 10);
      break;
  }
  return QIcon(pm);
}

}  // namespace

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

  // Tool bar: text output and comment attach after the open button, the workbook output last.
  const QList<QAction*> tools = toolbar_->actions();
  QAction* after_open = tools.size() > 1 ? tools.at(1) : nullptr;
  auto tool = [this](QAction* before, char glyph, const char* tip, auto slot) {
    auto* a = new QAction(ExportGlyph(glyph), QString(), toolbar_);
    a->setToolTip(QString::fromUtf8(tip));
    connect(a, &QAction::triggered, this, slot);
    toolbar_->insertAction(before, a);
  };
  tool(after_open, 't', "TREEをテキスト出力する", [this] { ExportTextCommand(); });
  tool(after_open, 'g', "指定ファイルよりコメントを取得して付加する",
       [this] { AttachCommentsCommand(); });
  tool(nullptr, 'x', "TREEをEXCEL出力する", [this] { ExportWorkbookCommand(); });
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
