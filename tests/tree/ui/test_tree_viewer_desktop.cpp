// The TREE viewer and its windows as a desktop user meets them: dialogs owned by the window that
// asked, the graph at the smallest window and with hundreds of callees, type-ahead and the find
// box on half a million entries, elided texts with tooltips, the input-method field, the tool-bar
// radios and save suffixes, and a load cancelled by Escape or by closing the viewer.
#include <QComboBox>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeView>
#include <QtTest>
#include <fstream>

#include "app/main_window.h"
#include "app/qt_ui.h"
#include "grep/ui/grep_result_window.h"
#include "gui_common/dialog_owner.h"
#include "gui_common/readable_rows.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/property_pages.h"
#include "settings/settings.h"
#include "settings/ui/property_page_widgets.h"
#include "support/qt_test_support.h"
#include "support/temp_dir.h"
#include "tools/ascii_table.h"
#include "tools/ui/tool_windows.h"
#include "tree/ui/entry_find_box.h"
#include "tree/ui/graph_widget.h"
#include "tree/ui/page_choice_dialog.h"
#include "tree/ui/shortcut_list.h"
#include "tree/ui/source_display.h"
#include "tree/ui/tree_painted.h"
#include "tree/ui/tree_search_dialog.h"
#include "tree/ui/tree_viewer_window.h"

using namespace kelvora;
using kelvora::testing::OnNextModal;

namespace {

// A function tree file of `entries` generated names ("f000000_x" ...) around a few fixed ones,
// each entry with one callee line and the blank separator.
std::string WriteBigTree(kelvora::testing::TempDir& dir, int entries) {
  std::string bytes = "//Data1:\r\n\r\n";
  bytes.reserve(static_cast<std::size_t>(entries) * 40);
  auto entry = [&bytes](const std::string& name) {
    bytes += name + ",1,1,0,/src/a.c(1)\r\n" + Utf8ToCp932("・ ") + "leaf,\r\n\r\n";
  };
  for (const char* fixed : {"tar", "start", "start_kernel", "start_kernel_late", "s_Init"})
    entry(fixed);
  char name[32];
  for (int i = 0; i < entries - 5; ++i) {
    std::snprintf(name, sizeof name, "f%06d_%s", i, i % 3 == 0 ? "Kernel_init" : "probe");
    entry(name);
  }
  return dir.Write("big.tree", bytes);
}

EditorLauncher NoEditor() {
  return EditorLauncher("/usr/bin/true", "+", [](const std::vector<std::string>&) { return true; });
}

QString Text(const QModelIndex& index) {
  return index.data().toString();
}

}  // namespace

class TreeViewerDesktopTest : public QObject {
  Q_OBJECT

 private:
  kelvora::testing::TempDir dir_;
  std::unique_ptr<SettingsStore> store_;
  std::string big_;  // 500 000 entries, read once

  std::unique_ptr<SettingsStore> FreshStore() {
    auto store = std::make_unique<SettingsStore>(dir_.Write("Kelvora.ini", ""),
                                                 (dir_.path() / "registry.ini").string());
    store->WriteInt("Tree", "DataMax", 1000000);
    return store;
  }

 private slots:
  void initTestCase() { big_ = WriteBigTree(dir_, 500000); }
  void init() { store_ = FreshStore(); }

  // Messages, questions and choosers of the viewer, a tool window and a running dialog are
  // parented to the window that asked, never to the main window; a short message keeps its
  // whole caption.
  void DialogsBelongToTheWindowThatAsked() {
    MainWindow main;
    main.show();
    QtUi port(&main);
    TreeViewerWindow viewer(*store_, port, NoEditor);
    viewer.show();
    QWidget* parent = nullptr;
    int box_width = 0, caption_width = 0;
    OnNextModal([&](QDialog* d) {
      parent = d->parentWidget();
      box_width = d->width();
      caption_width = d->fontMetrics().horizontalAdvance(d->windowTitle());
      d->accept();
    });
    viewer.OpenFile("");  // "キャンセルします！　"
    QCOMPARE(parent, static_cast<QWidget*>(&viewer));
    QVERIFY2(box_width > caption_width, qPrintable(QString::number(box_width)));

    QWidget* message_parent = nullptr;
    OnNextModal([&](QDialog* d) {
      parent = d->parentWidget();
      // After the chooser: "キャンセルします！　".
      OnNextModal([&](QDialog* m) {
        message_parent = m->parentWidget();
        m->accept();
      });
      d->reject();
    });
    viewer.OpenWithDialog();
    QCOMPARE(parent, static_cast<QWidget*>(&viewer));
    QCOMPARE(message_parent, static_cast<QWidget*>(&viewer));

    QDialog tool;
    tool.show();
    OwnedDialogsUi owned(port, &tool);
    OnNextModal([&](QDialog* d) {
      parent = d->parentWidget();
      static_cast<QMessageBox*>(d)->button(QMessageBox::No)->click();
    });
    QVERIFY(!owned.AskYesNo(QuestionId{"t"}, "?", Ui::kTreeCaption));
    QCOMPARE(parent, static_cast<QWidget*>(&tool));

    // A message asked while a dialog runs belongs to that dialog.
    QDialog running(&viewer);
    QWidget* inner_parent = nullptr;
    QTimer::singleShot(0, &running, [&] {
      OnNextModal([&](QDialog* d) {
        inner_parent = d->parentWidget();
        d->accept();
      });
      viewer.ui().Message("x", Ui::kTreeCaption, MsgIcon::Information);
      running.accept();
    });
    running.exec();
    QCOMPARE(inner_parent, static_cast<QWidget*>(&running));

    // A tree output's progress bar is drawn over the data layout's buttons.
    port.SetProgressVisible(true);
    QCOMPARE(main.ProgressBar()->parentWidget()->children().last(),
             static_cast<QObject*>(main.ProgressBar()));
  }

  // A written tree goes to the first empty page; with all five in use the user picks the page
  // (or cancels). Page keys, F3, F4 and F5 work from every pane, and the graph and source area
  // follow the page.
  void WrittenTreesFindAPageAndKeysWorkInEveryPane() {
    const std::string source = dir_.Write("src/main.c", "int main(void)\n{\n  init();\n}\n");
    std::string bytes;
    for (const std::string& l :
         {std::string("//Data1:"), std::string(), "main,2,4,0," + source + "(1)",
          Utf8ToCp932("・ ") + "init,1,1,0," + source + "(3)", Utf8ToCp932("・ ") + "leaf,",
          std::string(), "init,1,1,0," + source + "(3)", Utf8ToCp932("・ ") + "leaf,",
          std::string()})
      bytes += l + "\r\n";
    const std::string tree = dir_.Write("main.tree", bytes);
    ScriptedUi ui;
    std::vector<std::vector<std::string>> started;
    TreeViewerWindow viewer(*store_, ui, [&] {
      return EditorLauncher("/usr/bin/vim", "+", [&](const std::vector<std::string>& argv) {
        started.push_back(argv);
        return true;
      });
    });
    viewer.show();
    for (int page = 0; page < TreeViewerState::kPages; ++page) {
      QVERIFY(viewer.OpenWrittenTree(tree));
      QCOMPARE(viewer.state().current(), page);
    }
    OnNextModal([](QDialog* d) { static_cast<PageChoiceDialog*>(d)->page_button(2)->click(); });
    QVERIFY(viewer.OpenWrittenTree(tree));
    QCOMPARE(viewer.state().current(), 2);
    OnNextModal([](QDialog* d) { d->reject(); });
    QVERIFY(!viewer.OpenWrittenTree(dir_.Write("other.tree", bytes)));
    QCOMPARE(viewer.state().current(), 2);
    QCOMPARE(viewer.tab(2)->text(), QStringLiteral("main"));

    // Page 3 gets a call tree with a selected item: the graph shows its callees.
    QTreeView* sel = viewer.selection_view(2);
    sel->setCurrentIndex(sel->model()->index(1, 0, sel->model()->index(0, 0)));
    viewer.ExpandSelectedEntry(false);
    QTreeView* out = viewer.output_view(2);
    out->setCurrentIndex(out->model()->index(0, 0));
    QCOMPARE(viewer.graph()->bars().size(), std::size_t{2});
    const std::vector<QWidget*> panes = {viewer.info_window(2),
                                         viewer.source_display(),
                                         viewer.source_display()->emphasis_box()->lineEdit(),
                                         viewer.graph(),
                                         out,
                                         sel};
    for (QWidget* pane : panes) {
      QTest::keyClick(pane, Qt::Key_PageDown, Qt::ControlModifier);
      QCOMPARE(viewer.state().current(), 3);
      QVERIFY(viewer.graph()->bars().empty());  // page 4 has no call tree
      QTest::keyClick(viewer.selection_view(3), Qt::Key_PageUp, Qt::ControlModifier);
      QCOMPARE(viewer.state().current(), 2);
      QCOMPARE(viewer.graph()->bars().size(), std::size_t{2});  // back on page 3's item
    }
    for (QWidget* pane : panes) {
      const std::size_t before = started.size();
      QTest::keyClick(pane, Qt::Key_F5);
      QCOMPARE(started.size(), before + 1);
    }
    viewer.state().search_word = "leaf";
    QTest::keyClick(viewer.info_window(2), Qt::Key_F4);
    QCOMPARE(QString::fromStdString(
                 viewer.state().page().output.Text(viewer.state().page().output.selected)),
             QStringLiteral("leaf"));
    QTest::keyClick(viewer.source_display()->emphasis_box()->lineEdit(), Qt::Key_F3);
    QVERIFY(QString::fromStdString(ui.messages().back()).startsWith(QStringLiteral("最上段まで")));
  }

  // At the smallest window and with 300 callees: bars keep 12 pixels and scroll, every bar has
  // its tooltip, and nothing is drawn over the title and the three buttons.
  void GraphReadsAtTheMinimumSizeAndWith300Callees() {
    ScriptedUi ui;
    TreeViewerWindow viewer(*store_, ui, NoEditor);
    viewer.resize(kTreeViewerMinWidth, kTreeViewerMinHeight);
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    GraphWidget* graph = viewer.graph();
    const QImage empty = graph->grab().toImage();
    std::vector<GraphBar> bars;
    for (int k = 0; k < 300; ++k)
      bars.push_back({"callee_with_a_long_name_" + std::to_string(k), 1000 + k * 37, k % 7 != 0});
    bars[5].value = 0;
    bars[5].complete = false;
    for (const bool vertical : {true, false}) {
      if (graph->vertical() != vertical) graph->ToggleDirection();
      for (const int angle : {0, 90}) {
        graph->SetAngle(vertical ? angle : 0);
        graph->SetBars(bars);
        const QRect area = graph->ChartArea();
        QVERIFY(area.top() >= GraphWidget::kHeaderHeight);
        for (QWidget* b : {static_cast<QWidget*>(graph->help_button()),
                           static_cast<QWidget*>(graph->scale_up_button())})
          QVERIFY(!b->geometry().intersects(area));
        QVERIFY(graph->scroll_bar()->isVisible());
        QVERIFY(!graph->scroll_bar()->geometry().intersects(area));
        for (int k = 0; k < 300; ++k) {
          const QRect r = graph->BarRect(k);
          QVERIFY2((vertical ? r.width() : r.height()) >= GraphWidget::kMinBarWidth,
                   qPrintable(QString::number(k)));
        }
        // The title band and the buttons look as they do without any bar.
        const QImage shown = graph->grab().toImage();
        for (int y = 0; y < GraphWidget::kHeaderHeight; ++y)
          for (int x = 0; x < shown.width(); ++x)
            QVERIFY2(shown.pixel(x, y) == empty.pixel(x, y),
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        // The last bar is reached by scrolling and names itself.
        graph->scroll_bar()->setValue(graph->scroll_bar()->maximum());
        const QRect last = graph->BarRect(299);
        QVERIFY(area.contains(last.center()) || area.contains(last.topLeft()) ||
                area.contains(last.bottomRight()));
        const QPoint inside = vertical ? QPoint(last.center().x(), area.center().y())
                                       : QPoint(area.center().x(), last.center().y());
        QCOMPARE(graph->BarAt(inside), 299);
        QCOMPARE(graph->BarToolTip(299), QStringLiteral("callee_with_a_long_name_299：12063"));
        QCOMPARE(graph->BarToolTip(5), QStringLiteral("callee_with_a_long_name_5：?"));
        QCOMPARE(graph->BarToolTip(7), QStringLiteral("callee_with_a_long_name_7：1259+"));
      }
    }
    // Three bars fit without a scroll bar.
    graph->SetBars({bars[0], bars[1], bars[2]});
    QVERIFY(!graph->scroll_bar()->isVisible());
    // The source area's strip: the emphasis box and "FilePos:" do not overlap.
    SourceDisplay* source = viewer.source_display();
    QVERIFY(!source->emphasis_box()->geometry().intersects(source->position_label()->geometry()));
  }

  // Half a million entries: the first typed name lands on its entry, rows keep underscores,
  // and the find box walks the entries containing a text, both ways.
  void TypeAheadAndFindBoxOnHalfAMillionEntries() {
    ScriptedUi ui;
    TreeViewerWindow viewer(*store_, ui, NoEditor);
    viewer.show();
    QVERIFY(viewer.OpenFile(big_));
    QCOMPARE(viewer.state().page().file.entry_count(), std::size_t{500000});
    QTreeView* sel = viewer.selection_view(0);
    QTest::keyClicks(sel, QStringLiteral("start_kernel"));
    QCOMPARE(Text(sel->currentIndex()), QStringLiteral("start_kernel"));
    QTest::qWait(1100);
    QTest::keyClicks(sel, QStringLiteral("tar"));
    QCOMPARE(Text(sel->currentIndex()), QStringLiteral("tar"));
    // A row is tall enough for the underscore of "s_Init": the tree rows, and the ASCII
    // table's line of 0x5F, whose underscore must be drawn inside its own line.
    InfoWindow ascii(QString::fromStdString(AsciiTableText()), 1.0);
    ascii.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ascii));
    auto* edit = ascii.findChild<QTextEdit*>();
    QVERIFY(edit != nullptr);
    const QTextBlock row5f = edit->document()->find(QStringLiteral("0x5F")).block();
    QVERIFY(row5f.isValid());
    QTextCursor at(row5f);
    at.setPosition(row5f.position() + row5f.text().indexOf(QStringLiteral("│ _")) + 2);
    edit->setTextCursor(at);
    edit->ensureCursorVisible();
    // The line's own band: from its top to the top of the line below.
    QRect glyph = edit->cursorRect(at);
    glyph.setBottom(edit->cursorRect(QTextCursor(row5f.next())).top() - 1);
    const struct {
      const char* what;
      int height;
      QFont font;
    } rows[] = {
        {"selection row", sel->visualRect(sel->currentIndex()).height(), sel->font()},
        {"ASCII table line", glyph.height(), edit->font()},
    };
    for (const auto& r : rows) {
      const QFontMetrics fm(r.font);
      QVERIFY2(r.height >= ReadableRowHeight(r.font), r.what);
      QVERIFY2(ReadableRowHeight(r.font) >= fm.ascent() + fm.boundingRect(QChar(u'_')).bottom() + 1,
               r.what);
    }
    // The underscore's ink lies inside its line.
    const QImage shot = edit->viewport()->grab().toImage();
    const int width = QFontMetrics(edit->font()).horizontalAdvance(QChar(u'_'));
    int ink = 0;
    for (int y = glyph.top(); y <= glyph.bottom(); ++y)
      for (int x = glyph.left() + 1; x < glyph.left() + width; ++x)
        ink += qGray(shot.pixel(x, y)) < 128;
    QVERIFY2(ink > 0, "no underscore drawn inside the 0x5F line");

    EntryFindBox* find = viewer.find_box();
    QVERIFY(find->isVisible());
    find->setFocus();
    QTest::keyClicks(find, QStringLiteral("KERNEL_I"));
    QCOMPARE(Text(sel->currentIndex()), QStringLiteral("f000000_Kernel_init"));
    QTest::keyClick(find, Qt::Key_F4);
    QCOMPARE(Text(sel->currentIndex()), QStringLiteral("f000003_Kernel_init"));
    QTest::keyClick(find, Qt::Key_F3);
    QTest::keyClick(find, Qt::Key_F3);  // wraps to the last one
    QCOMPARE(Text(sel->currentIndex()), QStringLiteral("f499992_Kernel_init"));
    find->setText(QStringLiteral("no such"));
    QVERIFY(!find->Find(true));
    QCOMPARE(Text(sel->currentIndex()), QStringLiteral("f499992_Kernel_init"));
  }

  // Long texts are cut in the middle, keeping file name and line, and shown whole as tooltips.
  void LongTextsElideInTheMiddleWithTooltips() {
    const std::string path = std::string(200, 'd') + "/workspace/common/compiler_main.c";
    GrepResultModel model;
    model.Reset([&] { model.list().LoadText(path + "(1234):  x = 1;\n"); });
    QTableView table;
    table.setModel(&model);
    QCOMPARE(model.data(model.index(0, 1), Qt::ToolTipRole).toString(),
             QString::fromStdString(path + "(1234)"));
    GrepRun run;
    run.result_path = dir_.Write("Grep結果.txt", path + "(1234):  x = 1;\r\n");
    ScriptedUi grep_ui;
    GrepResultWindow window(run, NoEditor(), grep_ui, 0);
    QCOMPARE(window.table()->textElideMode(), Qt::ElideMiddle);

    ScriptedUi ui;
    SourceDisplay source(*store_, ui);
    source.resize(300, 300);
    source.ShowItem("2,3,4,0," + path + "(1),0", "");
    const QString line = source.HeaderLineAt(QPoint(20, source.emphasis_box()->height() + 8));
    QVERIFY2(line.contains(QStringLiteral("compiler_main.c(1)")), qPrintable(line));
    QVERIFY(line.contains(QString::fromStdString(path)));
  }

  // The input-method field shows what the desktop tells, a composition means on, and the field
  // is left out where nothing can be known. F3 and F4 search from the history box too.
  void InputMethodFieldAndKeysOfTheSearchDialog() {
    ScriptedUi ui;
    TreeSearchHistory history;
    std::optional<bool> desktop;
    TreeSearchDialog unknown(history, 9, false, ui, nullptr, [] { return std::nullopt; });
    QCOMPARE(unknown.ImeText(), QString());
    TreeSearchDialog dialog(history, 9, false, ui, nullptr, [&] { return desktop; });
    desktop = false;
    dialog.ime()->Refresh();
    QCOMPARE(dialog.ImeText(), QStringLiteral("IME：OFF"));
    desktop = true;
    dialog.ime()->Refresh();
    QCOMPARE(dialog.ImeText(), QStringLiteral("IME：ON"));
    desktop = std::nullopt;
    dialog.ime()->Refresh();
    QLineEdit* edit = dialog.combo()->lineEdit();
    QInputMethodEvent compose(QStringLiteral("にほん"), {});
    QApplication::sendEvent(edit, &compose);
    QCOMPARE(dialog.ImeText(), QStringLiteral("IME：ON"));
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("日本"));
    QApplication::sendEvent(edit, &commit);
    QCOMPARE(dialog.ImeText(), QString());

    for (const auto& [key, direction] : {std::pair{Qt::Key_F4, SearchDirection::Down},
                                         std::pair{Qt::Key_F3, SearchDirection::Up}}) {
      TreeSearchDialog keys(history, 9, false, ui, nullptr, [] { return std::nullopt; });
      keys.show();
      keys.combo()->setFocus();
      keys.combo()->setCurrentText(QStringLiteral("leaf"));
      QTest::keyClick(keys.combo()->lineEdit(), key);
      QCOMPARE(keys.result(), int(QDialog::Accepted));
      QCOMPARE(keys.direction(), direction);
      QVERIFY(!keys.combo()->view()->isVisible());
    }
  }

  // "その他": toolbar 3 and 4 check the radio of their bar and are written back unchanged;
  // picking the other bar keeps the old style. The strip-if save chooser defaults to ".txt";
  // the shortcut list is a grid of names and keys.
  void ToolbarRadiosSaveSuffixAndShortcutGrid() {
    ScriptedUi ui;
    for (const auto& [stored, checked, other] :
         {std::tuple{3, 1, 4}, std::tuple{4, 2, 3}, std::tuple{1, 1, 2}, std::tuple{2, 2, 1}}) {
      OtherPage page;
      page.toolbar = stored;
      CPropPage9 sheet(page, *store_, ui);
      QVERIFY(sheet.ToolbarRadio(checked)->isChecked());
      QVERIFY(!sheet.ToolbarRadio(3 - checked)->isChecked());
      QCOMPARE(page.toolbar, stored);
      sheet.ToolbarRadio(3 - checked)->click();
      QCOMPARE(page.toolbar, other);
    }

    QWidget owner;
    QtUi port(nullptr);
    QString suffix, filter;
    OnNextModal([&](QDialog* d) {
      auto* chooser = static_cast<QFileDialog*>(d);
      suffix = chooser->defaultSuffix();
      filter = chooser->selectedNameFilter();
      d->reject();
    });
    QVERIFY(
        !port.ChooseSaveFile("t", "*.c (*.c);;*.cpp (*.cpp);;*.txt (*.txt);;*.* (*)", {}, "txt"));
    QCOMPARE(suffix, QStringLiteral("txt"));
    QCOMPARE(filter, QStringLiteral("*.txt (*.txt)"));

    const ShortcutRows list = SplitShortcutList(QString::fromUtf8(kTreeShortcutListText));
    QCOMPARE(list.heading, QStringLiteral("≪ショートカット・キー　一覧≫"));
    QCOMPARE(list.rows.size(), std::size_t{5});
    QCOMPARE(list.rows[2].first, QStringLiteral("ページタブ移動　左"));
    QCOMPARE(list.rows[2].second, QStringLiteral("「Ctrl + Page Up」"));
  }

  // A load cancelled by Escape, or by closing the viewer while it reads, leaves a page marked
  // as cut on its tab and in the status bar; the closed viewer goes away once reading stopped.
  void CancelledLoadMarksThePageAsCut() {
    ScriptedUi ui;
    ui.EscapeAtPoll(3).Answer(kAskCancelOnEscape, true);
    TreeViewerWindow viewer(*store_, ui, NoEditor);
    viewer.show();
    QVERIFY(viewer.OpenFile(big_));
    const TreePage& page = viewer.state().page().file;
    QVERIFY(page.cut);
    QVERIFY(page.entry_count() < 500000);
    QVERIFY(viewer.tab(0)->text().endsWith(QStringLiteral("（中断）")));
    QVERIFY(QString::fromStdString(viewer.status(1)).endsWith(QStringLiteral("（中断）")));
    QTest::keyClick(viewer.selection_view(0), Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(viewer.selection_view(1), Qt::Key_PageUp, Qt::ControlModifier);
    QVERIFY(QString::fromStdString(viewer.status(1)).endsWith(QStringLiteral("（中断）")));

    MainWindow main;
    QtUi port(&main);
    TreeViewerWindow closing(*store_, port, NoEditor);
    closing.show();
    QTimer::singleShot(20, &closing, [&] {
      OnNextModal(
          [](QDialog* d) { static_cast<QMessageBox*>(d)->button(QMessageBox::Yes)->click(); });
      closing.close();
    });
    QVERIFY(closing.OpenFile(big_));
    QVERIFY(closing.state().page().file.cut);
    QTRY_VERIFY(!closing.isVisible());
  }
};

KELVORA_WINDOW_TEST_MAIN(TreeViewerDesktopTest)
#include "test_tree_viewer_desktop.moc"
