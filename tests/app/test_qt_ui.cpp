// The Qt main-window frame, the font mapping and QtUi, the Qt implementation of the dialog port.
#include <sys/stat.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "app/qt_ui.h"
#include "gui_common/fs_names.h"
#include "gui_common/japanese_fonts.h"
#include "support/qt_test_support.h"

using kelvora::MainWindow;
using kelvora::MsgIcon;
using kelvora::QtUi;
using kelvora::WindowLayout;

using kelvora::testing::OnNextModal;

namespace {

// Counts the input that reaches it.
class InputCounter : public QWidget {
 public:
  int keys = 0;
  int clicks = 0;

 protected:
  void keyPressEvent(QKeyEvent*) override { ++keys; }
  void mousePressEvent(QMouseEvent*) override { ++clicks; }
};

// What the user types into the name box; selectFile() leaves a focused box alone.
void TypeFileName(QFileDialog* dialog, const QString& name) {
  auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  QVERIFY(edit != nullptr);
  edit->setText(name);
}

QByteArray Bytes(const std::string& s) {
  return QByteArray(s.data(), qsizetype(s.size()));
}

}  // namespace

class TestQtUi : public QObject {
  Q_OBJECT

 private slots:
  void WindowTitleHasTwoBlanksBeforeTheDash() {
    MainWindow window;
    QCOMPARE(window.windowTitle(), QString::fromUtf8("Kelvora  - RarUviz -"));
  }

  void JapaneseFontNamesResolveToAnInstalledJapaneseFace() {
    QVERIFY(kelvora::SubstituteJapaneseFonts());
    const QStringList families = QFontDatabase::families();
    for (const QString& name : {kelvora::ProportionalGothicName(), kelvora::FixedGothicName(),
                                QStringLiteral("MS PGothic")}) {
      const QFont font(name, 9);
      const QString resolved = QFontInfo(font).family();
      QVERIFY2(resolved.startsWith(QStringLiteral("IPA")), qPrintable(name + " -> " + resolved));
      QVERIFY(families.contains(resolved));
      QVERIFY(QFontMetrics(font).inFont(QChar(0x89E3)));  // 解
      QVERIFY(QFontMetrics(font).inFont(QChar(0xFF8E)));  // ﾎ (half-width kana)
    }
    QCOMPARE(QFontInfo(QFont(kelvora::ProportionalGothicName())).family(),
             QStringLiteral("IPAPGothic"));
    QCOMPARE(QFontInfo(QFont(kelvora::FixedGothicName())).family(), QStringLiteral("IPAGothic"));
  }

  void StatusLinesShowTextsAsTheyAre() {
    MainWindow window;
    QtUi ui(&window);
    ui.SetStatus(1, "解析中：/src/ソース (1)/a<b>.c");
    ui.SetStatus(3, "関数 & 構造体");
    ui.SetStatus(0, "ignored");
    ui.SetStatus(4, "ignored");
    QCOMPARE(window.StatusLine(1)->text(), QString::fromUtf8("解析中：/src/ソース (1)/a<b>.c"));
    QCOMPARE(window.StatusLine(1)->textFormat(), Qt::PlainText);
    QVERIFY(window.StatusLine(2)->text().isEmpty());
    QCOMPARE(window.StatusLine(3)->text(), QString::fromUtf8("関数 & 構造体"));
  }

  void LongStatusLineDoesNotWidenTheWindow() {
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int width = window.width();
    QtUi ui(&window);
    ui.SetStatus(1, std::string(20000, 'x'));
    QApplication::processEvents();
    QCOMPARE(window.width(), width);
  }

  void ProgressIsForwardedAndKeptInRange() {
    MainWindow window;
    QtUi ui(&window);
    QProgressBar* bar = window.ProgressBar();
    ui.SetProgressRange(10);
    ui.AdvanceProgress(3);
    QCOMPARE(bar->maximum(), 10);
    QCOMPARE(bar->value(), 3);
    ui.AdvanceProgress(20);
    QCOMPARE(bar->value(), 10);
    ui.SetProgressPos(-5);
    QCOMPARE(bar->value(), 0);
    ui.SetProgressPos(7);
    ui.AdvanceProgress(-2);
    QCOMPARE(bar->value(), 5);
    ui.SetProgressRange(20);
    QCOMPARE(ui.progress_pos(), 0);
    QCOMPARE(bar->value(), 0);
  }

  void ProgressBeyondIntIsScaledAndEmptyRangeIsNotBusy() {
    MainWindow window;
    QtUi ui(&window);
    QProgressBar* bar = window.ProgressBar();
    ui.SetProgressRange(6'000'000'000LL);
    ui.SetProgressPos(3'000'000'000LL);
    QVERIFY(bar->maximum() > 0);
    QVERIFY(qAbs(double(bar->value()) / bar->maximum() - 0.5) < 1e-6);
    ui.AdvanceProgress(9'000'000'000'000'000'000LL);
    QCOMPARE(ui.progress_pos(), 6'000'000'000LL);
    QCOMPARE(bar->value(), bar->maximum());
    ui.SetProgressRange(0);
    ui.AdvanceProgress(1);
    QVERIFY(bar->maximum() > bar->minimum());  // 0..0 would be Qt's busy animation
    QCOMPARE(bar->value(), 0);
  }

  void LayoutsShowAndHideStatusAndProgress() {
    MainWindow window;
    window.show();
    QtUi ui(&window);
    ui.SetCountLabel(1, "◆関数 登録数：12");
    ui.SetCountLabel(9, "ignored");
    QCOMPARE(window.CountLabel(1)->text(), QString::fromUtf8("◆関数 登録数：12"));
    ui.SetProgressRange(4);
    ui.AdvanceProgress(2);

    ui.SetLayout(WindowLayout::Data);
    QVERIFY(!window.StatusLine(1)->isVisible());
    QVERIFY(!window.ProgressBar()->isVisible());
    QCOMPARE(window.ProgressBar()->value(), 0);
    QCOMPARE(ui.progress_pos(), 0);
    QCOMPARE(window.CountLabel(1)->text(), QString::fromUtf8("◆関数 登録数：12"));

    ui.SetLayout(WindowLayout::Running);
    QVERIFY(window.StatusLine(3)->isVisible());
    QVERIFY(window.ProgressBar()->isVisible());
    QVERIFY(window.CountLabel(1)->text().isEmpty());

    ui.SetListRedraw(false);
    QVERIFY(!window.ListArea()->updatesEnabled());
    ui.SetListRedraw(true);
    QVERIFY(window.ListArea()->updatesEnabled());
  }

  void PollEscapeNoticesEscapeAndSwallowsOtherInput() {
    InputCounter target;
    target.show();
    QtUi ui(nullptr);
    bool timer_fired = false;
    QTimer::singleShot(0, [&] { timer_fired = true; });

    QCoreApplication::postEvent(&target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    QCoreApplication::postEvent(
        &target, new QMouseEvent(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2),
                                 Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QVERIFY(!ui.PollEscape());
    QVERIFY(timer_fired);
    QCOMPARE(target.keys, 0);
    QCOMPARE(target.clicks, 0);

    QCoreApplication::postEvent(&target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    // A poll right after a serving leaves the queue alone; the first one after the interval
    // serves it.
    QVERIFY(!ui.PollEscape());
    QThread::msleep(40);
    QVERIFY(ui.PollEscape());
    QThread::msleep(40);
    QVERIFY(!ui.PollEscape());  // reported once
    QCOMPARE(target.keys, 0);

    // Outside a poll the input reaches the window again.
    QCoreApplication::postEvent(&target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b"));
    QCoreApplication::processEvents();
    QCOMPARE(target.keys, 1);
  }

  void EscapeOutsideAPollIsNotReportedLater() {
    InputCounter target;
    QtUi ui(nullptr);
    QCoreApplication::postEvent(&target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QCoreApplication::processEvents();
    QVERIFY(!ui.PollEscape());
  }

  void MessageShowsCaptionIconAndPlainText() {
    MainWindow window;
    QtUi ui(&window);
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    QWidget* parent = nullptr;
    OnNextModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box != nullptr);
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      format = box->textFormat();
      parent = box->parentWidget();
      box->button(QMessageBox::Ok)->click();
    });
    ui.Message("ファイルが開けません。　\n<b>a.c</b>", "Kelvora -TREE-", MsgIcon::Warning);
    QCOMPARE(title, QStringLiteral("Kelvora -TREE-"));
    QCOMPARE(text, QString::fromUtf8("ファイルが開けません。　\n<b>a.c</b>"));
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(parent, static_cast<QWidget*>(&window));
  }

  void AskYesNoDefaultsToYesAndAnswersBothWays() {
    QtUi ui(nullptr);
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    OnNextModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box != nullptr);
      icon = box->icon();
      title = box->windowTitle();
      QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
      QTest::keyClick(box, Qt::Key_Return);
    });
    QVERIFY(ui.AskYesNo({"test.question"}, "『 Kelvora 』 を終了しますか？　"));
    QCOMPARE(icon, QMessageBox::Question);
    QCOMPARE(title, QStringLiteral("Kelvora"));

    OnNextModal([](QWidget* modal) {
      qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click();
    });
    QVERIFY(!ui.AskYesNo({"test.question"}, "続けますか？"));

    OnNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QVERIFY(!ui.AskYesNo({"test.question"}, "続けますか？"));
  }

  void WaitCursorIsSetOnceAndGivesWayToDialogs() {
    QtUi ui(nullptr);
    ui.SetWaitCursor(true);
    ui.SetWaitCursor(true);
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Qt::CursorShape during_box = Qt::WaitCursor;
    OnNextModal([&](QWidget* modal) {
      during_box = QApplication::overrideCursor()->shape();
      qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
    });
    ui.Message("終了しました", "Kelvora", MsgIcon::Information);
    QCOMPARE(during_box, Qt::ArrowCursor);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.SetWaitCursor(false);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    ui.SetWaitCursor(false);
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void FolderChooserReturnsBytesRootAsEmptyAndCancelAsNothing() {
    QTemporaryDir tmp;
    const QString folder = tmp.path() + QString::fromUtf8("/解析 (1) %d");
    QVERIFY(QDir().mkpath(folder));
    QtUi ui(nullptr);
    QString title;
    OnNextModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      QVERIFY(dialog != nullptr);
      title = dialog->windowTitle();
      dialog->setDirectory(folder);
      static_cast<QDialog*>(dialog)->accept();
    });
    auto chosen = ui.ChooseFolder("■■解析するルートディレクトリ指定■■");
    QCOMPARE(title, QString::fromUtf8("■■解析するルートディレクトリ指定■■"));
    QVERIFY(chosen.has_value());
    QCOMPARE(Bytes(*chosen), QFile::encodeName(folder));

    OnNextModal([](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      dialog->setDirectory(QStringLiteral("/"));
      static_cast<QDialog*>(dialog)->accept();
    });
    chosen = ui.ChooseFolder("root");
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, std::string());

    OnNextModal([](QWidget* modal) { qobject_cast<QFileDialog*>(modal)->reject(); });
    QVERIFY(!ui.ChooseFolder("cancel").has_value());
  }

  void OpenAndSaveChoosersReturnFileBytes() {
    QTemporaryDir tmp;
    const QString file = tmp.path() + QString::fromUtf8("/一覧 100%.xlsx");
    {
      QFile f(file);
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QtUi ui(nullptr);
    QStringList filters;
    OnNextModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      filters = dialog->nameFilters();
      TypeFileName(dialog, file);
      static_cast<QDialog*>(dialog)->accept();
    });
    auto chosen = ui.ChooseOpenFile("開く", "Excel (*.xls *.xlsx);;All (*.*)",
                                    QFile::encodeName(tmp.path()).toStdString());
    QCOMPARE(filters,
             QStringList({QStringLiteral("Excel (*.xls *.xlsx)"), QStringLiteral("All (*.*)")}));
    QVERIFY(chosen.has_value());
    QCOMPARE(Bytes(*chosen), QFile::encodeName(file));

    OnNextModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      dialog->setDirectory(tmp.path());
      TypeFileName(dialog, QString::fromUtf8("結果"));  // no extension
      static_cast<QDialog*>(dialog)->accept();
    });
    chosen = ui.ChooseSaveFile("保存", "CSV (*.csv);;All (*.*)", {});
    QVERIFY(chosen.has_value());
    QCOMPARE(Bytes(*chosen), QFile::encodeName(tmp.path() + QString::fromUtf8("/結果.csv")));

    OnNextModal([](QWidget* modal) { qobject_cast<QFileDialog*>(modal)->reject(); });
    QVERIFY(!ui.ChooseSaveFile("保存", "CSV (*.csv)", {}).has_value());
  }

  void ChoosersTakeTheFileDialogStyle() {
    QtUi ui(nullptr);
    QList<bool> qt_own;
    const auto record = [&qt_own](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      QVERIFY(dialog != nullptr);
      qt_own << dialog->testOption(QFileDialog::DontUseNativeDialog);
      dialog->reject();
    };
    for (int style : {2, 1}) {
      ui.SetFileDialogStyle(style);
      OnNextModal(record);
      QVERIFY(!ui.ChooseFolder("f").has_value());
      OnNextModal(record);
      QVERIFY(!ui.ChooseOpenFile("o", "All (*)").has_value());
      OnNextModal(record);
      QVERIFY(!ui.ChooseSaveFile("s", "CSV (*.csv)").has_value());
    }
    QCOMPARE(qt_own, (QList<bool>{true, true, true, false, false, false}));
  }

  void NamesThatAreNotUtf8AreFoundByTheirShownText() {
    QTemporaryDir tmp;
    const std::string base = QFile::encodeName(tmp.path()).toStdString();
    const std::string folder = base + "/\x83\x5c\x81\x5b\x83\x58";  // ソース in CP932
    const std::string file = folder + "/\x8a\xd6\x90\x94.c";        // 関数.c in CP932
    QVERIFY(QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(base))));
    QCOMPARE(::mkdir(folder.c_str(), 0700), 0);
    std::ofstream(file) << "int main(void){}\n";

    const QString shown_folder = QFile::decodeName(QByteArray::fromStdString(folder));
    const QString shown_file = QFile::decodeName(QByteArray::fromStdString(file));
    QVERIFY(QFile::encodeName(shown_file).toStdString() != file);  // Qt alone loses the bytes
    QCOMPARE(kelvora::FileSystemBytes(shown_folder), folder);
    QCOMPARE(kelvora::FileSystemBytes(shown_file), file);
    QCOMPARE(kelvora::FileSystemBytes(shown_folder + QString::fromUtf8("/新規.txt"), true),
             folder + "/新規.txt");
    const QString missing = shown_folder + QStringLiteral("/missing/x.c");
    QCOMPARE(kelvora::FileSystemBytes(missing), QFile::encodeName(missing).toStdString());
    std::filesystem::remove_all(folder);  // QTemporaryDir cannot name these entries
  }
};

// Qt writes dialog state below the home folder: point every user folder at a temporary one.
KELVORA_WINDOW_TEST_MAIN(TestQtUi)

#include "test_qt_ui.moc"
