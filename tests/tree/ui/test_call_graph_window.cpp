// The "コールグラフ表示" window offscreen, opened from the TREE viewer on a small tree: the SVG is
// shown, a click on a node selects that function in the viewer's selection window, a double
// click hands its position to the editor, the wheel zooms. Node centres are taken from the SVG
// text itself (the label's anchor, the graph's translate and the viewBox), not from the window's
// own hit test.
#include <QGraphicsSvgItem>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTreeView>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>

#include "../../support/temp_dir.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/qt_test_support.h"
#include "tree/ui/call_graph_window.h"
#include "tree/ui/tree_models.h"
#include "tree/ui/tree_viewer_window.h"

using namespace kelvora;

class CallGraphWindowTest : public QObject {
  Q_OBJECT

 private:
  kelvora::testing::TempDir dir_;
  std::string main_c_, util_c_;
  std::unique_ptr<SettingsStore> store_;
  ScriptedUi ui_;
  std::vector<std::vector<std::string>> started_;
  std::unique_ptr<TreeViewerWindow> viewer_;

  EditorLauncher Editor() {
    return EditorLauncher("/usr/bin/vim", "+", [this](const std::vector<std::string>& argv) {
      started_.push_back(argv);
      return true;
    });
  }

  // The window of `name`'s callees or callers (depth 3), opened as the menu item opens it.
  CallGraphWindow* Open(const char* name, GraphDirection direction = GraphDirection::Callees) {
    const std::optional<GraphStart> start =
        FindGraphStart(viewer_->state().page().file, name, direction);
    if (!start) return nullptr;
    CallGraphOptions options;
    options.direction = direction;
    return OpenCallGraphWindow(
        *viewer_, [this] { return Editor(); }, *start, options, nullptr);
  }

  // The centre of the node titled `title`, in the view's viewport.
  static QPoint NodeCentre(CallGraphWindow& window, const QString& title) {
    const QString svg = QString::fromStdString(window.drawn().out.svg);
    const QRegularExpressionMatch node =
        QRegularExpression(QStringLiteral("class=\"node[^\"]*\">\\n<title>%1</title>\\n"
                                          "(?:.|\\n)*?<text[^>]* x=\"([-\\d.]+)\" y=\"([-\\d.]+)\"")
                               .arg(QRegularExpression::escape(title)))
            .match(svg);
    const QRegularExpressionMatch shift =
        QRegularExpression(QStringLiteral("translate\\(([-\\d.]+) ([-\\d.]+)\\)")).match(svg);
    const QRegularExpressionMatch box =
        QRegularExpression(QStringLiteral("viewBox=\"([-\\d.]+) ([-\\d.]+) ([\\d.]+) ([\\d.]+)\""))
            .match(svg);
    if (!node.hasMatch() || !shift.hasMatch() || !box.hasMatch()) return {-1, -1};
    // The label's first line sits a little below the node's centre line: move up a few units.
    const double x = node.captured(1).toDouble() + shift.captured(1).toDouble();
    const double y = node.captured(2).toDouble() + shift.captured(2).toDouble() - 3;
    QGraphicsItem* item = window.view()->scene()->items().first();
    const QRectF bounds = item->boundingRect();
    const QPointF in_item(
        (x - box.captured(1).toDouble()) * bounds.width() / box.captured(3).toDouble(),
        (y - box.captured(2).toDouble()) * bounds.height() / box.captured(4).toDouble());
    return window.view()->mapFromScene(item->mapToScene(in_item));
  }

  std::string SelectedEntryName() const {
    QTreeView* selection = viewer_->selection_view(viewer_->state().current());
    auto* model = qobject_cast<SelectionTreeModel*>(selection->model());
    const std::int32_t entry = model->EntryOf(selection->currentIndex());
    return entry < 0 ? std::string()
                     : std::string(
                           viewer_->state().page().file.EntryText(static_cast<std::size_t>(entry)));
  }

 private slots:
  void init() {
    main_c_ = dir_.Write("src (1)/main.c", "int main(void)\n{\n  init();\n  run();\n}\n");
    util_c_ = dir_.Write("src (1)/ユーティリティ.c", "void helper(void)\n{\n}\n");
    const std::vector<std::string> lines = {"//Data1:WIN32",
                                            "",
                                            "main,3,5,0," + main_c_ + "(1)",
                                            "・ init,2,3,0," + main_c_ + "(7)",
                                            "・ run,4,6,0," + main_c_ + "(12)",
                                            "",
                                            "init,2,3,0," + main_c_ + "(7)",
                                            "・ helper,1,1,0," + util_c_ + "(1)",
                                            "・ printf,",
                                            "",
                                            "run,4,6,0," + main_c_ + "(12)",
                                            "・ run  ※再起処理,4,6,0," + main_c_ + "(12)",
                                            "・ helper,1,1,0," + util_c_ + "(1)",
                                            "",
                                            "helper,1,1,0," + util_c_ + "(1)",
                                            "",
                                            "// ---------- [End Of File] ---------- //"};
    std::string bytes;
    for (const std::string& l : lines) bytes += Utf8ToCp932(l) + "\r\n";
    const std::string tree = dir_.Write("関数.tree", bytes);
    store_ = std::make_unique<SettingsStore>(dir_.Write("Kelvora.ini", ""),
                                             (dir_.path() / "registry.ini").string());
    ui_ = ScriptedUi();
    started_.clear();
    viewer_ = std::make_unique<TreeViewerWindow>(*store_, ui_, [this] { return Editor(); });
    viewer_->show();
    QVERIFY(viewer_->OpenFile(tree));
  }
  void cleanup() { viewer_.reset(); }

  void ShowsTheGraphAsAWindowOfItsOwn() {
    QPointer<CallGraphWindow> window = Open("main");
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(window->isWindow());
    QCOMPARE(window->windowTitle(), QStringLiteral("コールグラフ - main (呼び出し先・3階層)"));
    // main, init, run, helper, printf; run's recursion is a self-loop.
    QCOMPARE(window->drawn().graph.nodes.size(), std::size_t{5});
    const std::string& svg = window->drawn().out.svg;
    QVERIFY(svg.find("<title>run&#45;&gt;run</title>") != std::string::npos);
    QCOMPARE(window->view()->scene()->items().size(), 1);
    // Shown whole: the fitted picture lies inside the viewport.
    const QRect shown =
        window->view()->mapFromScene(window->view()->scene()->sceneRect()).boundingRect();
    QVERIFY(window->view()->viewport()->rect().adjusted(-1, -1, 1, 1).contains(shown));
    QVERIFY(ui_.messages().empty());
    // The window belongs to the viewer: it goes when the viewer goes.
    viewer_.reset();
    QVERIFY(!window);
  }

  void AClickSelectsTheFunctionInTheSelectionWindow() {
    CallGraphWindow* window = Open("main");
    QVERIFY(window);
    CallGraphView* view = window->view();
    for (const char* name : {"helper", "run", "init"}) {
      const QPoint at = NodeCentre(*window, QString::fromUtf8(name));
      QVERIFY2(view->viewport()->rect().contains(at), name);
      QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
      QCOMPARE(SelectedEntryName(), std::string(name));
    }
    // printf has no entry: the selection stays, the status bar says why.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, NodeCentre(*window, "printf"));
    QCOMPARE(SelectedEntryName(), std::string("init"));
    // A click outside every node does nothing.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(SelectedEntryName(), std::string("init"));
  }

  void ADoubleClickOpensThePositionInTheEditor() {
    CallGraphWindow* window = Open("helper", GraphDirection::Callers);
    QVERIFY(window);
    QCOMPARE(window->drawn().graph.nodes.size(), std::size_t{4});  // helper, init, run, main
    QTest::mouseDClick(window->view()->viewport(), Qt::LeftButton, {},
                       NodeCentre(*window, "helper"));
    QCOMPARE(started_.size(), std::size_t{1});
    QCOMPARE(started_[0], (std::vector<std::string>{"/usr/bin/vim", "+1", util_c_}));
    QTest::mouseDClick(window->view()->viewport(), Qt::LeftButton, {}, NodeCentre(*window, "run"));
    QCOMPARE(started_.size(), std::size_t{2});
    QCOMPARE(started_[1], (std::vector<std::string>{"/usr/bin/vim", "+12", main_c_}));
    QVERIFY(ui_.messages().empty());
  }

  void TheWheelZoomsAroundTheMouse() {
    CallGraphWindow* window = Open("main");
    QVERIFY(window);
    CallGraphView* view = window->view();
    const double before = view->transform().m11();
    auto wheel = [&](const QPoint& at, int delta) {
      QWheelEvent event(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(view->viewport(), &event);
    };
    for (int step = 0; step < 14; ++step) wheel(NodeCentre(*window, "run"), 120);
    QVERIFY(qAbs(view->transform().m11() - before * std::pow(1.15, 14)) < 1e-6);
    // Larger than the view now: the function under the mouse stays under it.
    QVERIFY(view->horizontalScrollBar()->maximum() > 0 && view->verticalScrollBar()->maximum() > 0);
    const QPoint at = NodeCentre(*window, "run");
    wheel(at, 120);
    wheel(at, -120);
    wheel(at, -120);
    QVERIFY(qAbs(view->transform().m11() - before * std::pow(1.15, 13)) < 1e-6);
    QVERIFY((NodeCentre(*window, "run") - at).manhattanLength() <= 4);
    QCOMPARE(window->drawn().graph.nodes[static_cast<std::size_t>(view->NodeAt(at))].name,
             std::string("run"));
  }
};

KELVORA_WINDOW_TEST_MAIN(CallGraphWindowTest)
#include "test_call_graph_window.moc"
