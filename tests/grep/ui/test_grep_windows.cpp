// The Grep menu, the input dialog, the Grep result window and the comment search dialog, driven
// as a user would.
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeView>
#include <QtTest>
#include <fstream>

#include "grep/ui/grep_dialogs.h"
#include "grep/ui/grep_result_window.h"
#include "lookup/ui/comment_search_dialog.h"
#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/scripted_ui.h"
#include "support/qt_test_support.h"

using namespace kelvora;

class GrepWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void MenuShowsDescriptionsAndWantsARow() {
    ScriptedUi ui;
    GrepMenuDialog dialog(ui);
    dialog.show();
    QCOMPARE(dialog.list()->model()->rowCount(), 4);
    QCOMPARE(dialog.list()->model()->index(3, 1).data().toString(),
             QStringLiteral("#if、#ifdef、#ifndef ディレクティブ　検索"));
    dialog.Choose();  // OK without a row
    QVERIFY(dialog.isVisible());
    QCOMPARE(ui.messages(), std::vector<std::string>{"選択されていません。　"});
    const QModelIndex row3 = dialog.list()->model()->index(2, 0);
    dialog.list()->selectionModel()->select(
        row3, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    dialog.list()->setCurrentIndex(row3);
    QVERIFY(dialog.details()->toPlainText().contains(QStringLiteral("■■ 関数マクロ　検索 ■■")));
    emit dialog.list()->doubleClicked(row3);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.chosen(), std::optional<int>(3));
  }

  void InputDialogIgnoresEnterAndEscape() {
    ScriptedUi ui;
    GrepInputDialog dialog(ui);
    dialog.show();
    QTest::keyClick(dialog.edit(), Qt::Key_Escape);
    QTest::keyClick(dialog.edit(), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QVERIFY(ui.messages().empty());
    QTest::keyClicks(dialog.edit(), QStringLiteral("a[0]"));
    QCOMPARE(dialog.name(), std::string("a[0]"));
    dialog.edit()->setText(QStringLiteral("表[0]"));
    QCOMPARE(dialog.name(), Utf8ToCp932("表[0]"));
  }

  void ResultWindowShowsEveryHitSortsAndJumps() {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/Grep結果.txt").toStdString();
    {
      std::ofstream out(path, std::ios::binary);
      for (int i = 1; i <= 70000; ++i)
        out << "/src/a b.c(" << i << "):  \t#if " << Utf8ToCp932("表") << i << "\r\n";
    }
    GrepRun run;
    run.kind = GrepKind::IfDirective;
    run.result_path = path;
    run.files = 12;
    run.hits = 70000;
    std::vector<std::vector<std::string>> started;
    EditorLauncher editor(
        "/usr/bin/ed", "+",
        [&](const std::vector<std::string>& a) { return started.push_back(a), true; },
        [](const std::string&) { return true; });
    ScriptedUi ui;
    auto* window = new GrepResultWindow(run, editor, ui, 0);
    window->show();
    QCOMPARE(GrepResultWindow::Current(), window);
    QCOMPARE(window->model()->rowCount(), 70000);
    QCOMPARE(window->StatusText(1), QStringLiteral("Grep実行File数：12"));
    QCOMPARE(window->StatusText(3), QStringLiteral("検出数：70000"));
    QCOMPARE(window->model()->index(0, 2).data().toString(), QStringLiteral(":    #if 表1"));
    QVERIFY(window->footer()->text().contains(QStringLiteral("Grep実行")));

    QTest::keyClick(window, Qt::Key_F5);  // nothing selected
    QCOMPARE(ui.messages(), std::vector<std::string>{"選択されていません。　"});
    window->table()->horizontalHeader()->sectionClicked(0);
    QCOMPARE(window->model()->index(1, 0).data().toString(), QStringLiteral("10"));
    window->table()->selectRow(1);
    QTest::keyClick(window, Qt::Key_F5);
    QCOMPARE(started.size(), std::size_t{1});
    QCOMPARE(started[0], (std::vector<std::string>{"/usr/bin/ed", "+10", "/src/a b.c"}));

    window->resize(400, 300);
    QCOMPARE(window->table()->height(), 300 - 66);
    QTest::keyClick(window, Qt::Key_Escape);
    QVERIFY(window->isVisible());
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(GrepResultWindow::Current(), static_cast<GrepResultWindow*>(nullptr));
  }

  void CommentDialogDisablesEmptyListsAndKeepsLongWords() {
    CommentSearchDialog model;
    model.enabled = {false, true, false, true};
    model.list = 2;
    model.dropdown = {Utf8ToCp932("初期化")};
    int presses = 0;
    CommentSearchDialogWindow dialog(model, [&](const CommentSearchDialog& m) {
      ++presses;
      return m.word.size() < kCommentWordLimit;
    });
    dialog.show();
    QVERIFY(!dialog.radio(1)->isEnabled());
    QVERIFY(dialog.radio(2)->isChecked());
    QVERIFY(dialog.partial()->isChecked());
    QCOMPARE(dialog.word()->itemText(0), QStringLiteral("初期化"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    dialog.word()->setEditText(QString(1000, u'x'));
    dialog.Search();
    QVERIFY(dialog.isVisible());
    dialog.word()->setEditText(QStringLiteral("表"));
    dialog.radio(4)->setChecked(true);
    dialog.case_sensitive()->setChecked(true);
    dialog.Search();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(presses, 2);
    QCOMPARE(model.word, Utf8ToCp932("表"));
    QCOMPARE(model.list, 4);
    QVERIFY(model.case_sensitive);
    QVERIFY(dialog.ime()->text().contains(QStringLiteral("IME")));
  }
};

KELVORA_WINDOW_TEST_MAIN(GrepWindowsTest)
#include "test_grep_windows.moc"
