// A Japanese file in a Japanese folder with blanks and parentheses, its source in UTF-8 read with
// CharChange=2: listed and shown as its name, found from the word box, opened at its line.
#include "test_main_window_fixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QUrl>

#include "analysis/analysis_run.h"

using namespace kelvora;
using kelvora::testing::Q;
using kelvora::testing::WindowEnv;

namespace {

const char kSource[] =
    "/* 日本語のコメント */\n"
    "\n"
    "int jp_func(void) /* 起動処理 */\n"
    "{\n"
    "    return 0;\n"
    "}\n";

}  // namespace

class TestJapaneseFileNames : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { kelvora::testing::QuietSizeHintWarnings(); }

  void ListedShownFoundAndOpened() {
    WindowEnv env;
    env.WriteRegistry(
        "[Software\\Kelv\\RunInf]\r\nRunCnt=5\r\n[Software\\Kelv\\Config]\r\n"
        "EditorPath=/opt/ed\r\n");
    env.WriteIni("[Analysis]\r\nCharChange=2\r\n");
    const std::string file = env.WriteFile("資料 (旧)/日本語ファイル.c", kSource);
    MainWindow window(env.Options());
    window.Start();
    window.show();
    env.ui.Answer(kAskSubfolders, true).Answer(kAskConfirmRun, true);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(env.Home() + "/資料 (旧)"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);

    // Listed with the bytes the file system gives, and shown as that name.
    const RegistrationList& files = window.data().files();
    QCOMPARE(files.RowCount(), std::size_t{1});
    QCOMPARE(files.Cell(0, col::kName), std::string("日本語ファイル.c"));
    const QAbstractItemModel* model = window.ListView(4)->model();
    QCOMPARE(model->data(model->index(0, 0)).toString(), Q("日本語ファイル.c"));
    // The UTF-8 comment was read as CP932 text.
    QCOMPARE(window.data().functions().Cell(0, col::kComment), Utf8ToCp932("/* 起動処理 */ "));

    // Looked up from the word box by part of its name: the editor opens the file itself.
    window.SpecifyRadio()->click();
    window.WordBox()->setEditText(Q("本語ファ"));
    window.KindButton(4)->click();
    QCOMPARE(env.spawned.size(), std::size_t{1});
    QCOMPARE(env.spawned.back(), (std::vector<std::string>{"/opt/ed", "/j1", file}));

    // Its function opens at its line.
    window.WordBox()->setEditText(QStringLiteral("jp_func"));
    window.KindButton(1)->click();
    QCOMPARE(env.spawned.size(), std::size_t{2});
    QCOMPARE(env.spawned.back(), (std::vector<std::string>{"/opt/ed", "/j3", file}));
  }
};

KELVORA_WINDOW_TEST_MAIN(TestJapaneseFileNames)

#include "test_japanese_file_names.moc"
