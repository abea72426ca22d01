#include "tree/ui/call_graph_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGraphicsSvgItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <memory>

#include "data/position.h"
#include "platform/cp932.h"
#include "tree/call_graph_render.h"
#include "tree/ui/tree_models.h"
#include "tree/ui/tree_viewer_window.h"

namespace kelvora {

namespace {

QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string Bytes(const QString& path) {
  const QByteArray b = path.toLocal8Bit();
  return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

}  // namespace

CallGraphOptionsDialog::CallGraphOptionsDialog(const CallGraphOptions& options,
                                               const std::string& comment_file, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("コールグラフ"));
  auto* form = new QFormLayout;
  auto* callees = new QRadioButton(QStringLiteral("呼び出し先（下位関数）"));
  auto* callers = new QRadioButton(QStringLiteral("呼び出し元（上位関数）"));
  direction_ = new QButtonGroup(this);
  direction_->addButton(callees, 0);
  direction_->addButton(callers, 1);
  (options.direction == GraphDirection::Callers ? callers : callees)->setChecked(true);
  auto* directions = new QVBoxLayout;
  directions->addWidget(callees);
  directions->addWidget(callers);
  form->addRow(QStringLiteral("方向："), directions);
  depth_ = new QSpinBox;
  depth_->setRange(CallGraphOptions::kMinDepth, CallGraphOptions::kMaxDepth);
  depth_->setValue(options.depth);
  form->addRow(QStringLiteral("階層（1～8）："), depth_);
  comments_ = new QCheckBox(QStringLiteral("コメントとステップ数を表示する"));
  comments_->setChecked(options.comments);
  form->addRow(QString(), comments_);
  file_ = new QLineEdit(Q(ToDisplay(comment_file)));
  file_->setPlaceholderText(QStringLiteral("コメント取得用ファイル"));
  auto* browse = new QPushButton(QStringLiteral("参照..."));
  auto* file_row = new QHBoxLayout;
  file_row->addWidget(file_, 1);
  file_row->addWidget(browse);
  form->addRow(QStringLiteral("コメント："), file_row);
  auto enable = [this, browse] {
    file_->setEnabled(comments_->isChecked());
    browse->setEnabled(comments_->isChecked());
  };
  enable();
  connect(comments_, &QCheckBox::toggled, this, enable);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("■■ コメント取得用ファイルを指定 ■■"), file_->text(),
        QStringLiteral("テキストファイル（*.txt） (*.txt);;全てのファイル（*.*） (*)"));
    if (!path.isEmpty()) file_->setText(path);
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (comments_->isChecked() && file_->text().trimmed().isEmpty()) {
      file_->setFocus();
      return;
    }
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

CallGraphOptions CallGraphOptionsDialog::options() const {
  CallGraphOptions o;
  o.direction = direction_->checkedId() == 1 ? GraphDirection::Callers : GraphDirection::Callees;
  o.depth = depth_->value();
  o.comments = comments_->isChecked();
  return o;
}

std::string CallGraphOptionsDialog::comment_file() const {
  return comments_->isChecked() ? Bytes(file_->text().trimmed()) : std::string();
}

CallGraphView::CallGraphView(QWidget* parent) : QGraphicsView(parent) {
  setScene(new QGraphicsScene(this));
  setDragMode(QGraphicsView::ScrollHandDrag);
  setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
  setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                 QPainter::SmoothPixmapTransform);
  setBackgroundBrush(Qt::white);
  renderer_ = new QSvgRenderer(this);
}

bool CallGraphView::Show(const QByteArray& svg, int node_count) {
  scene()->clear();
  item_ = nullptr;
  node_count_ = 0;
  if (!renderer_->load(svg)) return false;
  item_ = new QGraphicsSvgItem;
  item_->setSharedRenderer(renderer_);
  scene()->addItem(item_);
  scene()->setSceneRect(item_->boundingRect());
  node_count_ = node_count;
  resetTransform();
  return true;
}

void CallGraphView::Zoom(double factor) {
  const double now = transform().m11();
  if (now * factor < 0.05 || now * factor > 20) return;
  scale(factor, factor);
}

void CallGraphView::Fit() {
  if (!item_) return;
  resetTransform();
  fitInView(item_, Qt::KeepAspectRatio);
  if (transform().m11() > 1) resetTransform();
}

int CallGraphView::NodeAt(const QPoint& at) const {
  if (!item_) return -1;
  // Item coordinates are the SVG's size in pixels; the elements' bounds are in its viewBox.
  const QPointF in_item = item_->mapFromScene(mapToScene(at));
  const QRectF box = renderer_->viewBoxF();
  const QRectF size = item_->boundingRect();
  if (size.isEmpty()) return -1;
  const QPointF p(box.x() + in_item.x() * box.width() / size.width(),
                  box.y() + in_item.y() * box.height() / size.height());
  for (int i = 0; i < node_count_; ++i) {
    const QString id = QStringLiteral("n%1").arg(i);
    if (!renderer_->elementExists(id)) continue;
    if (renderer_->transformForElement(id).mapRect(renderer_->boundsOnElement(id)).contains(p))
      return i;
  }
  return -1;
}

void CallGraphView::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) return QGraphicsView::wheelEvent(event);
  // The point under the mouse stays under it (where the picture is larger than the view).
  const QPointF mouse = event->position();
  const QPointF fixed = mapToScene(mouse.toPoint());
  const ViewportAnchor anchor = transformationAnchor();
  setTransformationAnchor(QGraphicsView::NoAnchor);
  Zoom(delta > 0 ? 1.15 : 1 / 1.15);
  setTransformationAnchor(anchor);
  const QPointF moved = mapFromScene(fixed) - mouse;
  horizontalScrollBar()->setValue(horizontalScrollBar()->value() + qRound(moved.x()));
  verticalScrollBar()->setValue(verticalScrollBar()->value() + qRound(moved.y()));
  event->accept();
}

void CallGraphView::mousePressEvent(QMouseEvent* event) {
  pressed_at_ = event->position().toPoint();
  QGraphicsView::mousePressEvent(event);
}

void CallGraphView::mouseReleaseEvent(QMouseEvent* event) {
  QGraphicsView::mouseReleaseEvent(event);
  // A click, not the end of a drag.
  if (event->button() == Qt::LeftButton &&
      (event->position().toPoint() - pressed_at_).manhattanLength() < 4)
    if (const int node = NodeAt(event->position().toPoint()); node >= 0) emit nodeClicked(node);
}

void CallGraphView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    if (const int node = NodeAt(event->position().toPoint()); node >= 0) {
      emit nodeActivated(node);
      return;
    }
  QGraphicsView::mouseDoubleClickEvent(event);
}

CallGraphWindow::CallGraphWindow(TreeViewerWindow* viewer, std::function<EditorLauncher()> editor,
                                 QWidget* parent)
    : QMainWindow(parent), viewer_(viewer), editor_(std::move(editor)) {
  setAttribute(Qt::WA_DeleteOnClose);
  view_ = new CallGraphView(this);
  setCentralWidget(view_);
  QToolBar* tools = addToolBar(QStringLiteral("コールグラフ"));
  tools->setMovable(false);
  connect(tools->addAction(QStringLiteral("拡大")), &QAction::triggered, this,
          [this] { view_->Zoom(1.25); });
  connect(tools->addAction(QStringLiteral("縮小")), &QAction::triggered, this,
          [this] { view_->Zoom(0.8); });
  connect(tools->addAction(QStringLiteral("全体表示")), &QAction::triggered, this,
          [this] { view_->Fit(); });
  connect(tools->addAction(QStringLiteral("等倍")), &QAction::triggered, this,
          [this] { view_->resetTransform(); });
  tools->addSeparator();
  connect(tools->addAction(QStringLiteral("画像出力...")), &QAction::triggered, this,
          [this] { SaveAs(); });
  status_ = new QLabel(this);
  statusBar()->addWidget(status_, 1);
  connect(view_, &CallGraphView::nodeClicked, this, [this](int n) { SelectInViewer(n); });
  connect(view_, &CallGraphView::nodeActivated, this, [this](int n) { OpenInEditor(n); });
  resize(900, 650);
}

bool CallGraphWindow::ShowGraph(DrawnGraph drawn, const CallGraphOptions& options,
                                const std::string& title) {
  drawn_ = std::move(drawn);
  options_ = options;
  const QByteArray svg(drawn_.out.svg.data(), static_cast<qsizetype>(drawn_.out.svg.size()));
  if (!view_->Show(svg, static_cast<int>(drawn_.graph.nodes.size()))) {
    if (viewer_)
      viewer_->ui().Message("コールグラフを表示できませんでした。　", Ui::kTreeCaption,
                            MsgIcon::Error);
    return false;
  }
  setWindowTitle(QStringLiteral("コールグラフ - %1 (%2・%3階層)")
                     .arg(Q(title))
                     .arg(options.direction == GraphDirection::Callers
                              ? QStringLiteral("呼び出し元")
                              : QStringLiteral("呼び出し先"))
                     .arg(options.depth));
  QString text = QStringLiteral("関数：%1　呼び出し：%2")
                     .arg(drawn_.graph.nodes.size() - (drawn_.graph.left_out > 0 ? 1 : 0))
                     .arg(drawn_.graph.edges.size());
  if (drawn_.graph.left_out > 0)
    text += QStringLiteral("　（上限%1個を超えた%2個は「…」に省略）")
                .arg(options.node_budget)
                .arg(drawn_.graph.left_out);
  status_->setText(
      text + QStringLiteral("　　クリック：選択Windowで選択　ダブルクリック：エディタで開く"));
  return true;
}

void CallGraphWindow::SelectInViewer(int node) {
  const GraphNode& n = drawn_.graph.nodes[static_cast<std::size_t>(node)];
  if (!viewer_ || n.more > 0) return;
  const int page = viewer_->state().current();
  QTreeView* selection = viewer_->selection_view(page);
  auto* model = qobject_cast<SelectionTreeModel*>(selection->model());
  const std::int32_t entry = viewer_->state().page().file.FindEntry(n.name);
  if (!model || entry < 0) {
    status_->setText(
        QStringLiteral("【 %1 】は選択Windowの項目にありません").arg(Q(ToDisplay(n.name))));
    return;
  }
  const QModelIndex index = model->EntryIndex(entry);
  selection->setCurrentIndex(index);
  selection->scrollTo(index);
  status_->setText(QStringLiteral("選択Window：%1").arg(Q(ToDisplay(n.name))));
}

void CallGraphWindow::OpenInEditor(int node) {
  const GraphNode& n = drawn_.graph.nodes[static_cast<std::size_t>(node)];
  if (!viewer_ || n.more > 0) return;
  if (n.position.empty()) {
    viewer_->ui().Message("ファイルがありません。　", Ui::kTreeCaption, MsgIcon::Warning);
    return;
  }
  OpenPosition(editor_(), n.position, viewer_->ui());
}

void CallGraphWindow::SaveAs() {
  if (!viewer_) return;
  Ui& ui = viewer_->ui();
  const std::string name = drawn_.graph.nodes.empty() ? "callgraph" : drawn_.graph.nodes[0].name;
  std::optional<std::string> path = ui.ChooseSaveFile(
      "■■ コールグラフ画像出力先を指定 ■■",
      "SVG画像 (*.svg);;PNG画像 (*.png);;Graphviz DOT (*.dot *.gv)", ToDisplay(name) + ".svg");
  if (!path) return;
  const QString lower = Q(*path).toLower();
  GraphFormats formats;
  formats.png = lower.endsWith(QStringLiteral(".png"));
  formats.dot = lower.endsWith(QStringLiteral(".dot")) || lower.endsWith(QStringLiteral(".gv"));
  formats.svg = !formats.png && !formats.dot;
  if (formats.svg && !lower.endsWith(QStringLiteral(".svg"))) *path += ".svg";
  RenderedGraph out;
  std::string error;
  if (formats.svg) {
    out.svg = drawn_.out.svg;
  } else if (!RenderCallGraph(drawn_.graph, options_.comments, formats, out, error)) {
    ui.Message(error, Ui::kTreeCaption, MsgIcon::Error);
    return;
  }
  if (WriteGraphFile(*path, formats.svg ? out.svg : formats.png ? out.png : out.dot, ui))
    status_->setText(QStringLiteral("出力しました：%1").arg(Q(ToDisplay(*path))));
}

CallGraphWindow* OpenCallGraphWindow(TreeViewerWindow& viewer,
                                     std::function<EditorLauncher()> editor,
                                     const GraphStart& start, const CallGraphOptions& options,
                                     const std::vector<FunctionComment>* comments) {
  DrawnGraph drawn = DrawCallGraph(viewer.state().page().file, start, options, comments,
                                   GraphFormats{true, false, false}, viewer.ui());
  if (!drawn.ok) return nullptr;
  auto* window = new CallGraphWindow(&viewer, std::move(editor), &viewer);
  window->setWindowFlag(Qt::Window);
  if (!window->ShowGraph(std::move(drawn), options, ToDisplay(start.name))) {
    window->deleteLater();
    return nullptr;
  }
  window->show();
  window->view()->Fit();
  return window;
}

namespace {

// The item the user chose: the selection window's entry when it has the focus, else the output
// window's selected item, else the selection window's current entry. Its function information
// tells same-named entries apart (the kernel has four start_kernel).
struct ChosenItem {
  std::string text;
  std::string data;
};

std::optional<ChosenItem> ChosenItemOf(TreeViewerWindow& viewer) {
  const int page = viewer.state().current();
  QTreeView* selection = viewer.selection_view(page);
  auto* model = qobject_cast<SelectionTreeModel*>(selection->model());
  const std::int32_t entry = model ? model->EntryOf(selection->currentIndex()) : -1;
  const TreePage& file = viewer.state().page().file;
  const CallTree& tree = viewer.state().page().output;
  auto of_entry = [&file](std::int32_t e) {
    const auto at = static_cast<std::size_t>(e);
    return ChosenItem{std::string(file.EntryText(at)),
                      std::string(file.Text(file.entries[at].data))};
  };
  if (entry >= 0 && selection->hasFocus()) return of_entry(entry);
  auto of_item = [&tree](std::int32_t n) {
    std::string data = tree.Data(n);  // "level," before the function information
    data.erase(0, data.find(',') + 1);
    return ChosenItem{tree.Text(n), std::move(data)};
  };
  if (!tree.empty() && tree.selected != CallTree::kNone) return of_item(tree.selected);
  if (entry >= 0) return of_entry(entry);
  if (!tree.empty()) return of_item(tree.root());
  return std::nullopt;
}

}  // namespace

CallGraphCommands::CallGraphCommands(TreeViewerWindow& viewer,
                                     std::function<EditorLauncher()> editor,
                                     const SettingsStore& store)
    : viewer_(viewer), editor_(std::move(editor)), budget_(LoadGraphNodeBudget(store)) {}

std::optional<GraphStart> CallGraphCommands::Ask(
    std::optional<std::vector<FunctionComment>>& comments) {
  Ui& ui = viewer_.ui();
  const std::optional<ChosenItem> chosen = ChosenItemOf(viewer_);
  if (!chosen) {
    ui.Message("項目が選択されていません！　", Ui::kTreeCaption, MsgIcon::Warning);
    return std::nullopt;
  }
  CallGraphOptionsDialog dialog(options_, comment_file_, &viewer_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  options_ = dialog.options();
  options_.node_budget = budget_;
  std::optional<GraphStart> start =
      GraphStartOf(viewer_.state().page().file, chosen->text, options_.direction, ui);
  if (!start) return std::nullopt;
  if (!chosen->data.empty()) start->data = chosen->data;  // this entry, not the first of its name
  if (options_.comments) {
    comment_file_ = dialog.comment_file();
    comments = ReadGraphComments(comment_file_, regex_, ui);
    if (!comments) return std::nullopt;
  }
  return start;
}

void CallGraphCommands::Export() {
  std::optional<std::vector<FunctionComment>> comments;
  const std::optional<GraphStart> start = Ask(comments);
  if (!start) return;
  ExportCallGraph(viewer_.state().page().file, *start, options_, comments ? &*comments : nullptr,
                  viewer_.ui());
}

void CallGraphCommands::Show() {
  std::optional<std::vector<FunctionComment>> comments;
  const std::optional<GraphStart> start = Ask(comments);
  if (!start) return;
  OpenCallGraphWindow(viewer_, editor_, *start, options_, comments ? &*comments : nullptr);
}

}  // namespace kelvora
