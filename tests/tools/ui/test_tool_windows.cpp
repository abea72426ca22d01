// The small tool windows and the HTML settings dialog. With KELVORA_SHOTS=<folder> every window
// is also saved there as a PNG for a look.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include "gui_common/japanese_fonts.h"
#include "output/ui/html_options_dialog.h"
#include "platform/scripted_ui.h"
#include "support/qt_test_support.h"
#include "tools/ascii_table.h"
#include "tools/system_info.h"
#include "tools/ui/tool_windows.h"

namespace kelvora {

namespace {

void Shot(QWidget& w, const char* name) {
  const QByteArray folder = qgetenv("KELVORA_SHOTS");
  if (folder.isEmpty()) return;
  w.show();
  QTest::qWait(50);
  w.grab().save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
}

QPushButton* Button(QWidget& w, const QString& text) {
  for (auto* b : w.findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

}  // namespace

class ToolWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { ApplyApplicationFont(); }

  void InformationWindowCopiesAllText() {
    InfoWindow window(QString::fromStdString(AsciiTableText()), 1.0);
    QCOMPARE(window.windowTitle(), QString::fromUtf8("Kelvora - 情報表示 -"));
    QGuiApplication::clipboard()->clear();
    QPushButton* copy = Button(window, QString::fromUtf8("ALLコピー(&A)"));
    QVERIFY(copy != nullptr);
    copy->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), window.text());
    QVERIFY(window.text().startsWith(QString::fromUtf8("≪ ASCIIコード表 ≫")));
    Shot(window, "ascii-table");
  }

  void SystemInformationFillsEveryFieldAndIgnoresEnterAndEscape() {
    SystemInfoWindow window(0.8);
    QCOMPARE(window.windowOpacity(), 0.8);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.FieldText(0).contains(QString::fromUtf8("曜日")));
    QVERIFY(window.FieldText(1).contains(QStringLiteral(" Version ")));
    QCOMPARE(window.FieldText(2), QString());  // no Internet Explorer on Linux
    QVERIFY(window.FieldText(4).endsWith(QStringLiteral("(KB)")));
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Return);
    QVERIFY(window.isVisible());
    Shot(window, "system-info");
  }

  void BitmapListMovesWithArrowsAndReturnsTheChoice() {
    BitmapPatternList list(10, 1.0);
    QCOMPARE(list.table()->rowCount(), 95);
    QCOMPARE(list.pattern(), 10);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.table()->setFocus();
    QTest::keyClick(list.table(), Qt::Key_Down);
    QTest::keyClick(list.table(), Qt::Key_Down);
    QTest::keyClick(list.table(), Qt::Key_Up);
    QCOMPARE(list.pattern(), 11);
    QCOMPARE(list.table()->item(94, 1)->text(), QString::fromUtf8("ﾊｰﾄ　白-灰"));
    Shot(list, "bitmap-list");
    Button(list, QStringLiteral("OK"))->click();
    QCOMPARE(list.result(), int(QDialog::Accepted));
  }

  void HtmlOptionsStartFromTheDefaults() {
    ScriptedUi ui;
    HtmlOptionsDialog dialog(ui);
    const HtmlOptions defaults = dialog.options();
    QCOMPARE(defaults.border, 6);
    QCOMPARE(defaults.font, 4);
    QVERIFY(!defaults.comments);
    QCOMPARE(dialog.font_box()->currentText(), QStringLiteral("Arial Black"));
    dialog.border_box()->setCurrentIndex(0);
    dialog.comments_box()->setChecked(true);
    QCOMPARE(dialog.options().border, 1);
    QVERIFY(dialog.options().comments);
    // The font sample button asks for a folder through the port.
    ui.ChooseFolderAnswer(std::nullopt);
    Button(dialog, QString::fromUtf8("フォントサンプルHTMLを出力する"))->click();
    QCOMPARE(ui.messages().back(), std::string("キャンセルします！　"));
    Shot(dialog, "html-options");
  }

  void VersionDialogShows() {
    VersionDialog dialog(QStringLiteral(" Oniguruma (C) K.Kosako   Ver 6.9"));
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報"));
    Shot(dialog, "version");
  }
};

}  // namespace kelvora

KELVORA_WINDOW_TEST_MAIN(kelvora::ToolWindowsTest)
#include "test_tool_windows.moc"
