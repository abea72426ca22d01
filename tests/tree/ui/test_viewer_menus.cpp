// The TREE viewer's menu bar, tool bars and context menu as made from the registry's viewer rows:
// the described texts in their order, the accelerators, the two tool-bar sets, and items that run
// their rows.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

#include "commands/viewer_commands.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/temp_dir.h"
#include "tree/tree_ops.h"
#include "tree/ui/call_graph_window.h"
#include "tree/ui/shortcut_list.h"
#include "tree/ui/tree_viewer_window.h"

using namespace kelvora;

namespace {

// The menu as lines: ">title" opens a menu, "<" closes it, "-" a rule, else an item's text with
// "[key]" for its shortcut.
void Flatten(const QList<QAction*>& actions, QStringList& out) {
  for (QAction* a : actions) {
    if (a->menu() != nullptr) {
      out << ">" + a->menu()->title();
      Flatten(a->menu()->actions(), out);
      out << "<";
    } else if (a->isSeparator()) {
      out << "-";
    } else {
      out << a->text() +
                 (a->shortcut().isEmpty() ? QString() : "[" + a->shortcut().toString() + "]");
    }
  }
}

QStringList Tips(QToolBar* bar) {
  QStringList tips;
  for (QAction* a : bar->actions()) tips << (a->isSeparator() ? QStringLiteral("-") : a->toolTip());
  return tips;
}

}  // namespace

class ViewerMenusTest : public QObject {
  Q_OBJECT

 private:
  kelvora::testing::TempDir dir_;
  ScriptedUi ui_;

  std::unique_ptr<TreeViewerWindow> Window(SettingsStore& store) {
    return std::make_unique<TreeViewerWindow>(store, ui_, [] { return EditorLauncher("", ""); });
  }

 private slots:
  void MenusToolBarsAndContextMenuComeFromTheRows() {
    SettingsStore store(dir_.Write("Kelvora.ini", ""), (dir_.path() / "registry.ini").string());
    auto window = Window(store);
    QStringList menu;
    Flatten(window->menuBar()->actions(), menu);
    const QStringList expected = {">解析(&A)",
                                  "開く(&O)\tCtrl+O[Ctrl+O]",
                                  "-",
                                  "全展開／閉じる(&E)",
                                  "上位関数取得  - 出力Window - (&U)",
                                  "選択項目 ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ(&C)",
                                  "選択項目 排除関数に登録(&S)",
                                  "選択項目以下を削除(&D)",
                                  "-",
                                  "ルート関数候補の検索  - 選択Window - (&R)",
                                  "再起処理の検索         - 選択Window - (&E)",
                                  "TREE内検索    - 出力Window - (&S)\tCtrl+F[Ctrl+F]",
                                  "-",
                                  "選択Window・TREE出力Window 全削除(&L)",
                                  "-",
                                  "TREE テキスト出力(&T)",
                                  "コールグラフ画像出力(&P)",
                                  "コールグラフ表示(&G)",
                                  ">TREE EXCEL出力",
                                  "TREE出力Windowから出力",
                                  "選択Windowから複数出力（ファイル指定）",
                                  "<",
                                  "関数TREE　コメント取得\tCtrl+G[Ctrl+G]",
                                  "<",
                                  ">表示(&V)",
                                  "ｽﾃｰﾀｽ ﾊﾞｰ(&S)",
                                  "ﾂｰﾙ ﾊﾞｰ(&T)",
                                  "ｽﾗｲﾀﾞｰ ｺﾝﾄﾛｰﾙ",
                                  ">選択Window設定",
                                  "テキスト色設定(&T)",
                                  "背景色設定(&B)",
                                  "<",
                                  ">TREE出力Window設定",
                                  "テキスト色設定(&T)",
                                  "背景色設定(&B)",
                                  "<",
                                  ">GRAPH Window設定",
                                  "フォント角度変更(&E)",
                                  "フォント太さ変更(&W)",
                                  "バー縦・横変更(&T)",
                                  "<",
                                  ">半透明表示",
                                  "透明にしない",
                                  "10％　透明",
                                  "20％　透明",
                                  "30％　透明",
                                  "40％　透明",
                                  "50％　透明",
                                  "60％　透明",
                                  "70％　透明",
                                  "80％　透明",
                                  "90％　透明",
                                  "<",
                                  "<",
                                  ">その他(&O)",
                                  "ヘルプ(&H)",
                                  "ショートカット一覧（&S）",
                                  "<"};
    QCOMPARE(menu, expected);

    QStringList context;
    Flatten(window->context_menu()->actions(), context);
    QCOMPARE(
        context,
        QStringList({"全展開／閉じる (&E)", "選択している項目をエディタで開く (&O)  F5", "-",
                     "選択している関数の上位関数取得  (&I)",
                     "選択している項目名をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ (&C)",
                     "選択している項目名を排除関数に登録 (&S)", "-", "選択している項目削除  (&D)",
                     "-", "コールグラフ画像出力", "コールグラフ表示"}));
    for (QAction* a : window->context_menu()->actions())
      if (!a->isSeparator() && a->text().contains(QStringLiteral("ｺﾋﾟｰ")))
        QVERIFY(!a->icon().isNull());

    // Tool bar 1 has every button; 2 (and 4) leaves out the four colour buttons and their rule.
    const QStringList full = Tips(window->tool_bar());
    QCOMPARE(full.size(), 22);  // with the two call-graph buttons
    QCOMPARE(full.first(), QStringLiteral("TREEファイルを開く"));
    QCOMPARE(full.last(), QStringLiteral("TREEをEXCEL出力する"));
    QVERIFY(full.contains(QStringLiteral("TREE出力Windowの背景色を設定する")));
    window.reset();
    store.WriteInt("Tree", "toolbar", 2);
    window = Window(store);
    QStringList shorter = full;
    // The colour buttons follow the first nine, and the two call-graph buttons where they stand.
    int colours = 9;
    for (const char* tip : {"コールグラフを表示する", "コールグラフを画像出力する"})
      if (full.indexOf(QString::fromUtf8(tip)) < colours) ++colours;
    for (int i = 0; i < 5; ++i) shorter.removeAt(colours);
    QCOMPARE(Tips(window->tool_bar()), shorter);
  }

  void ItemsRunTheirRows() {
    SettingsStore store(dir_.Write("Kelvora.ini", ""), (dir_.path() / "registry.ini").string());
    const std::string tree = dir_.Write(
        "t.tree", Utf8ToCp932("//Data1:WIN32\r\n\r\nmain,2,4,0,/a.c(1)\r\n・ main  ※再起処理,"
                              "2,4,0,/a.c(1)\r\n\r\n"));
    auto window = Window(store);
    QVERIFY(window->OpenFile(tree));
    // "再起処理の検索" from the menu shows what its row's core function gives.
    for (QAction* top : window->menuBar()->actions())
      for (QAction* a : top->menu()->actions())
        if (a->text().startsWith(QStringLiteral("再起処理の検索"))) a->trigger();
    QCOMPARE(window->state().info_text, RecursionListText(window->state().page().file));
    QVERIFY(!window->info_window(0)->toPlainText().isEmpty());
    // A context item without a selected item says so and runs nothing.
    const std::size_t shown = ui_.shown().size();
    window->context_menu()->actions().at(0)->trigger();
    QCOMPARE(ui_.shown().size(), shown + 1);
    // The call-graph items choose their item themselves: with the selection window's entry
    // current they ask for the graph's options, without a selected output item.
    QTreeView* selection = window->selection_view(0);
    selection->setCurrentIndex(selection->model()->index(0, 0, selection->currentIndex()));
    bool asked = false;
    QTimer::singleShot(0, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      asked = qobject_cast<CallGraphOptionsDialog*>(modal) != nullptr;
      if (modal) modal->close();
    });
    window->context_menu()->actions().last()->trigger();
    QVERIFY(asked);
    QCOMPARE(ui_.shown().size(), shown + 1);
    // Every row a placement names exists and belongs to the viewer.
    for (auto places : {ViewerMenuBar(), ViewerToolBar(), ViewerContextMenu()})
      for (const ViewerPlace& p : places)
        if (p.type == ViewerPlace::Type::Item) QVERIFY(FindViewerCommand(p.name) != nullptr);
    // The shortcut list is the viewer's own grid dialog, owned by the viewer.
    bool grid_shown = false;
    QTimer::singleShot(0, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      grid_shown = qobject_cast<ShortcutListDialog*>(modal) != nullptr &&
                   modal->parentWidget() == window.get();
      if (modal) modal->close();
    });
    QVERIFY(window->RunCommand("viewer.shortcuts"));
    QVERIFY(grid_shown);
    QVERIFY(!window->RunCommand("analyse"));  // a main-window row is not the viewer's
  }
};

QTEST_MAIN(ViewerMenusTest)
#include "test_viewer_menus.moc"
