#include "tree/ui/viewer_pages.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTreeView>

#include "gui_common/colors.h"
#include "gui_common/readable_rows.h"
#include "tree/tree_window_rules.h"
#include "tree/ui/entry_find_box.h"
#include "tree/ui/graph_widget.h"
#include "tree/ui/tree_models.h"
#include "tree/ui/tree_painted.h"

namespace kelvora {

ViewerPageWidgets MakeViewerPage(QWidget* body, QObject* owner, TreeViewerPage& page) {
  ViewerPageWidgets w;
  // A fixed-pitch font keeps the padded member and element columns aligned.
  QFont fixed(QStringLiteral("IPAGothic"));
  fixed.setStyleHint(QFont::Monospace);
  fixed.setFixedPitch(true);
  w.selection = new SelectionTreeView(body);
  w.selection->setFont(fixed);
  w.selection->setHeaderHidden(true);
  w.selection->setItemDelegate(new ReadableRowDelegate(w.selection));
  w.selection_model = new SelectionTreeModel(owner);
  w.selection_model->SetPage(&page.file);
  w.selection->setModel(w.selection_model);

  w.info = new QPlainTextEdit(body);
  w.info->setReadOnly(true);

  w.output = new QTreeView(body);
  w.output->setFont(fixed);
  w.output->setHeaderHidden(true);
  w.output->setUniformRowHeights(true);
  w.output->setItemDelegate(new ReadableRowDelegate(w.output));
  w.output_model = new CallTreeModel(owner);
  w.output_model->SetTree(&page.output);
  w.output->setModel(w.output_model);
  w.output->setContextMenuPolicy(Qt::CustomContextMenu);
  return w;
}

void SyncOutputView(const ViewerPageWidgets& w, const CallTree& tree, bool& syncing) {
  syncing = true;
  w.output->setUpdatesEnabled(false);
  // Parents before children: made nodes come after their parents in the tree's order.
  for (std::int32_t n = 0; n < static_cast<std::int32_t>(tree.made_count()); ++n) {
    const CallNode& node = tree.node(n);
    if (node.deleted || !node.made) continue;
    bool alive = true;
    for (std::int32_t a = node.parent; a >= 0 && alive; a = tree.node(a).parent)
      alive = !tree.node(a).deleted && tree.node(a).expanded;
    if (!alive) continue;
    const QModelIndex index = w.output_model->IndexOf(n);
    if (w.output->isExpanded(index) != node.expanded) w.output->setExpanded(index, node.expanded);
  }
  w.output->setUpdatesEnabled(true);
  syncing = false;
  w.output_model->TakeNestLimited();  // the command that made the items reported it
  if (tree.selected != CallTree::kNone) {
    const QModelIndex index = w.output_model->IndexOf(tree.selected);
    w.output->setCurrentIndex(index);
    w.output->scrollTo(index);
  }
}

void PaintViewerPage(const ViewerPageWidgets& w, const TreeViewSettings& view, bool inverted) {
  auto paint = [](QTreeView* v, unsigned text, unsigned back) {
    QPalette p = v->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
      p.setColor(role, FromColorRef(text));
    p.setColor(QPalette::Base, FromColorRef(back));
    p.setColor(QPalette::Window, FromColorRef(back));
    v->setPalette(p);
  };
  paint(w.selection, view.sel_text, view.sel_back);
  paint(w.output, view.out_text, view.out_back);
  QPalette info = w.info->palette();
  info.setColor(QPalette::Base, inverted ? QColor(16, 16, 32) : Qt::white);
  info.setColor(QPalette::Text, inverted ? Qt::white : Qt::black);
  w.info->setPalette(info);
}

ViewerBand MakeViewerBand(QWidget* body, const TreeViewSettings& view) {
  ViewerBand band;
  for (int i = 0; i < TreeViewerState::kPages; ++i) {
    auto* tab = new PaintedButton(QStringLiteral("Page %1").arg(i + 1), body);
    tab->SetTab(true);
    tab->setCheckable(true);
    band.tabs[static_cast<std::size_t>(i)] = tab;
  }
  band.list = new PaintedButton(QStringLiteral(" 一覧"), body);
  band.list->setToolTip(QStringLiteral("選択Windowの一覧をテキスト出力する"));
  for (int k = 1; k <= 8; ++k) {
    auto* b = new PaintedButton(QString::number(k), body);
    b->setToolTip(QStringLiteral("TREE出力Windowを階層レベル%1まで展開する").arg(k));
    band.levels[static_cast<std::size_t>(k - 1)] = b;
  }
  band.scheme = new QComboBox(body);
  for (const char* name : {"0：ネイビー", "1：グリーン", "2：レッド", "3：パープル", "4：ティール",
                           "5：ブラウン", "6：グレー", "7：ブルー", "8：ワイン", "9：ミッドナイト"})
    band.scheme->addItem(QString::fromUtf8(name));
  band.scheme->setToolTip(QStringLiteral("背景の配色"));
  band.scheme->setFocusPolicy(Qt::NoFocus);
  band.scheme->setCurrentIndex(view.color_type);
  band.bright = new PaintedButton(QStringLiteral(" 明度"), body);
  band.bright->setCheckable(true);
  band.bright->setChecked(view.color_bright == 1);
  band.find = new EntryFindBox(body);
  band.details = new PaintedButton(QStringLiteral(" 詳細設定"), body);
  band.details->setToolTip(QStringLiteral("設定画面を開く"));
  return band;
}

void ApplyViewerScheme(const TreeViewSettings& view, TreeViewerBackground* body,
                       const ViewerBand& band, GraphWidget* graph) {
  const bool bright = view.color_bright == 1;
  body->SetColourScheme(view.color_type, bright);
  for (PaintedButton* b : band.tabs) b->SetColourScheme(view.color_type, bright);
  for (PaintedButton* b : band.levels) b->SetColourScheme(view.color_type, bright);
  for (PaintedButton* b : {band.list, band.bright, band.details, graph->scale_down_button(),
                           graph->scale_up_button(), graph->help_button()})
    b->SetColourScheme(view.color_type, bright);
  const QSignalBlocker block(band.scheme);
  band.scheme->setCurrentIndex(view.color_type);
  band.bright->setChecked(bright);
}

}  // namespace kelvora
