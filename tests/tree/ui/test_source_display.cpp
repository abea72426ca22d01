// The source display offscreen: every menu command stores its key at once, the scroll bar moves
// the shown line, the emphasis box marks matches and keeps its history, and the viewer shows the
// selected output item through it.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/qt_test_support.h"
#include "support/temp_dir.h"
#include "tree/source_view.h"
#include "tree/ui/source_display.h"
#include "tree/ui/tree_viewer_window.h"

using namespace kelvora;

namespace {

// The action reached through the menu texts, submenus first.
QAction* Find(QMenu* menu, const QStringList& path) {
  for (int i = 0; i < path.size(); ++i) {
    QAction* hit = nullptr;
    for (QAction* a : menu->actions())
      if (a->text() == path[i]) hit = a;
    if (hit == nullptr) return nullptr;
    if (i + 1 == path.size()) return hit;
    if (hit->menu() == nullptr) return nullptr;
    menu = hit->menu();
  }
  return nullptr;
}

}  // namespace

class SourceDisplayTest : public QObject {
  Q_OBJECT

 private:
  kelvora::testing::TempDir dir_;
  std::unique_ptr<SettingsStore> store_;
  ScriptedUi ui_;

  SettingsStore& FreshStore() {
    store_ = std::make_unique<SettingsStore>(dir_.Write("Kelvora.ini", ""),
                                             (dir_.path() / "registry.ini").string());
    return *store_;
  }

 private slots:
  void MenuCommandsStoreTheirKeysAtOnce() {
    SettingsStore& store = FreshStore();
    ui_ = ScriptedUi();
    SourceDisplay display(store, ui_);
    struct Row {
      QStringList path;
      const char* key;
      long long stored;
    };
    const Row rows[] = {
        {{"表示項目関連", "ステップ数表示設定→非表示"}, "DispStep", 0},
        {{"表示項目関連", "ファイルパス表示設定→非表示"}, "DispFilepath", 0},
        {{"表示項目関連", "プリプロセッサ定義表示設定→非表示"}, "DispPrepro", 0},
        {{"表示項目関連", "行番号表示設定→非表示"}, "DispLineNo", 0},
        {{"表示項目関連", "行番号表示設定→表示"}, "DispLineNo", 1},
        {{"表示項目関連", "ルーラー表示設定→非表示"}, "DispRooler", 0},
        {{"タブの文字数（現在：4）", "タブ：8"}, "InfoWinTab", 8},
        {{"タブの文字数（現在：8）", "タブ：2"}, "InfoWinTab", 2},
        {{"スクロールバーの幅", "幅：太"}, "InfoWinScrl", 25},
        {{"スクロールバーの幅", "幅：細"}, "InfoWinScrl", 6},
        {{"表示列数の設定", "3列"}, "InfoWinRow", 3},
        {{"条件付きコンパイル・ディレクティブ無効範囲  (&D)"}, "InfoWinDrctive", 1},
        {{"文字コード変換（EUC⇒S-JIS）  (&C)"}, "InfoWinChar", 1},
        {{"デフォルト設定に戻す  (&D)"}, "InfoWinRow", 1},
    };
    ui_.Answer(kAskHideInactiveRanges, true)
        .Answer(kAskConvertEuc, true)
        .Answer(kAskSourceDefaults, true);
    for (const Row& row : rows) {
      QAction* action = Find(display.menu(), row.path);
      QVERIFY2(action != nullptr, qPrintable(row.path.join(" / ")));
      action->trigger();
      QCOMPARE(store.ReadInt("Tree", row.key, -1), row.stored);
    }
    QVERIFY(ui_.AllAnswersUsed());
    QCOMPARE(display.scroll_bar()->width(), 6);
    QCOMPARE(store.ReadInt("Tree", "InfoWinDrctive", -1), 0);  // restored by the defaults
    QCOMPARE(store.ReadInt("Tree", "InfoWinChar", -1), 0);
    QCOMPARE(store.ReadInt("Tree", "DispRooler", -1), 1);
    QCOMPARE(store.ReadString("Tree", "InfoWinFont", ""), Utf8ToCp932("ＭＳ ゴシック"));
    QCOMPARE(display.settings().tab, 2);  // not part of the defaults

    QSignalSpy inverted(&display, &SourceDisplay::invertedChanged);
    Find(display.menu(), {"背景色反転  (&R)"})->trigger();
    QVERIFY(display.inverted());
    QCOMPARE(inverted.count(), 1);
  }

  void ScrollsMarksMatchesAndKeepsTheHistory() {
    SettingsStore& store = FreshStore();
    ui_ = ScriptedUi();
    std::string text;
    for (int i = 1; i <= 200; ++i) text += "call_" + std::to_string(i) + "(); /* call */\n";
    const std::string source = dir_.Write("src dir/長い (1).c", text);
    {
      SourceDisplay display(store, ui_);
      display.resize(500, 300);
      display.show();
      display.ShowItem("1,20,20,0," + source + "(50),0", "");
      QCOMPARE(display.view().lines.size(), std::size_t{23});
      QCOMPARE(display.position_text(), QStringLiteral("FilePos:50"));
      display.scroll_bar()->setValue(display.scroll_bar()->maximum());
      QVERIFY(display.scroll_bar()->maximum() > 0);
      QCOMPARE(display.position_text(),
               QStringLiteral("FilePos:%1").arg(50 + display.scroll_bar()->maximum()));
      display.emphasis_box()->setEditText(QStringLiteral("call"));
      QTest::keyClick(display.emphasis_box()->lineEdit(), Qt::Key_Return);
      // The code's "call" is marked, the comment's is not.
      QCOMPARE(display.view().lines[0].emphasis.size(), std::size_t{1});
      QCOMPARE(display.view().lines[0].emphasis[0].pos, std::size_t{0});
      display.emphasis_box()->setEditText(QStringLiteral("(bad"));
      QTest::keyClick(display.emphasis_box()->lineEdit(), Qt::Key_Return);
      QVERIFY(display.view().lines[0].emphasis.empty());
      QCOMPARE(ui_.messages().size(), std::size_t{1});
      QCOMPARE(display.emphasis_box()->count(), 1);
      QImage shot(display.size(), QImage::Format_RGB32);
      display.render(&shot);  // paints without a fault
    }
    QCOMPARE(store.ReadString("Tree", "InfoWinEmphasis1", ""), std::string("call"));
  }

  void TheViewerShowsTheSelectedItemsSource() {
    SettingsStore& store = FreshStore();
    ui_ = ScriptedUi();
    const std::string source = dir_.Write("v/main.c", "int main(void)\n{\n  init();\n}\n");
    std::string tree;
    for (const std::string& l :
         std::vector<std::string>{"//Data1:WIN32", "", "main,2,4,0," + source + "(1)",
                                  "・ init,1,1,0," + source + "(3)", ""})
      tree += Utf8ToCp932(l) + "\r\n";
    TreeViewerWindow window(store, ui_, [] { return EditorLauncher("/bin/true", "+"); });
    window.show();
    QVERIFY(window.OpenFile(dir_.Write("t.tree", tree)));
    QTreeView* sel = window.selection_view(0);
    sel->setCurrentIndex(sel->model()->index(0, 0, sel->model()->index(0, 0)));
    window.ExpandSelectedEntry(false);
    QTreeView* out = window.output_view(0);
    out->setCurrentIndex(out->model()->index(0, 0, out->model()->index(0, 0)));
    const SourceView& view = window.source_display()->view();
    QCOMPARE(view.header.back(), std::string("プリプロセッサ定義：WIN32"));
    QVERIFY(!view.lines.empty());
    QCOMPARE(view.lines[0].number, 3L);
    QCOMPARE(view.lines[0].text, std::string("  init();"));
  }
};

KELVORA_WINDOW_TEST_MAIN(SourceDisplayTest)
#include "test_source_display.moc"
