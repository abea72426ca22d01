// The main window's tag jump: a dropped folder analysed, the word box and its history, "Get",
// the kind buttons in both modes, and the editor started with the right arguments.
#include "test_main_window_fixture.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>

#include "analysis/analysis_run.h"

using namespace kelvora;
using kelvora::testing::Q;
using kelvora::testing::WindowEnv;

namespace {

const char kSource[] =
    "int InitAll(void)\n"
    "{\n"
    "    return 0;\n"
    "}\n"
    "\n"
    "static int parse_init(int a)\n"
    "{\n"
    "    return a;\n"
    "}\n"
    "\n"
    "int INI(void)\n"
    "{\n"
    "    return 1;\n"
    "}\n";

// Drops local paths onto the window as a file manager does: enter, then drop.
void Drop(QWidget* target, const QStringList& paths) {
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  QMimeData mime;
  mime.setUrls(urls);
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

// A started window over an analysed folder "src dir" holding a.c, with an editor whose path
// has a blank.
struct AnalysedWindow {
  WindowEnv env;
  std::string source;
  std::vector<MenuModel> menus;
  std::vector<int> answers;  // chosen identifiers, one per menu shown
  std::vector<IndexWindowModel> index_windows;
  std::optional<std::size_t> index_answer;
  std::unique_ptr<MainWindow> window;

  AnalysedWindow() {
    env.WriteRegistry(
        "[Software\\Kelv\\RunInf]\r\nRunCnt=5\r\n[Software\\Kelv\\Config]\r\n"
        "EditorPath=/opt/my editor/ed\r\n");
    source = env.WriteFile("src dir/a.c", kSource);
    MainWindowOptions options = env.Options();
    options.exec_menu = [this](const MenuModel& model, QWidget*) {
      menus.push_back(model);
      if (answers.empty()) return kNoCommand;
      const int id = answers.front();
      answers.erase(answers.begin());
      return id;
    };
    options.exec_index = [this](const IndexWindowModel& model, QWidget*) {
      index_windows.push_back(model);
      return index_answer;
    };
    window = std::make_unique<MainWindow>(options);
    window->Start();
    window->show();
    env.ui.AnswerYes().AnswerYes();  // subfolders, then the confirmation
    Drop(window.get(), {QString::fromStdString(env.Home() + "/src dir")});
  }

  void Specify(const QString& word) {
    window->SpecifyRadio()->click();
    window->WordBox()->setEditText(word);
  }
};

}  // namespace

class TestMainWindowTagJump : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { kelvora::testing::QuietSizeHintWarnings(); }

  void DroppedFolderIsAnalysed() {
    AnalysedWindow w;
    QVERIFY(w.env.ui.AllAnswersUsed());
    QCOMPARE(w.window->data().Count(ListKind::Function), std::size_t{3});
    QCOMPARE(w.window->data().roots().Entry(1), w.env.Home() + "/src dir");
    QVERIFY(w.window->KindButton(1)->isVisible() && w.window->KindButton(1)->isEnabled());
    QVERIFY(!w.window->KindButton(2)->isEnabled());
    QVERIFY(!w.window->AnalyseButton()->isVisible());
    QCOMPARE(w.window->CountLabel(1)->text(), Q("◆関数 登録数：3"));
  }

  // Closing the window while a run polls the queue is Escape: on "はい" the run cancels, and the
  // close then asks as usual.
  void ClosingDuringARunCancelsItThenAsksToQuit() {
    WindowEnv env;
    env.WriteRegistry("[Software\\Kelv\\RunInf]\r\nRunCnt=5\r\n");
    for (int i = 0; i < 30; ++i) env.WriteFile("tree/f" + std::to_string(i) + ".c", kSource);
    MainWindow window(env.Options());
    window.Start();
    window.show();
    env.ui.Answer(kAskSubfolders, true)
        .Answer(kAskConfirmRun, true)
        .Answer(kAskCancelOnEscape, true)
        .Answer(QuestionId{"app.quit"}, true);
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    Drop(&window, {QString::fromStdString(env.Home() + "/tree")});
    QTRY_VERIFY(!window.isVisible());
    const std::vector<std::string_view> ids = env.ui.question_ids();
    QCOMPARE(ids.back(), std::string_view("app.quit"));
    QVERIFY(std::find(ids.begin(), ids.end(), std::string_view("run.cancel-on-escape")) !=
            ids.end());
  }

  void DroppedFileOrSeveralItemsDoNothing() {
    WindowEnv env;
    const std::string file = env.WriteFile("one/a.c", kSource);
    env.WriteFile("two/b.c", kSource);
    MainWindow window(env.Options());
    window.Start();
    // An unexpected question would throw UnscriptedQuestion.
    Drop(&window, {QString::fromStdString(file)});
    Drop(&window, {QString::fromStdString(env.Home() + "/one"),
                   QString::fromStdString(env.Home() + "/two")});
    QVERIFY(env.ui.shown().empty());
    QVERIFY(window.data().AllEmpty());
  }

  void SingleMatchFromTheWordBoxStartsTheEditor() {
    AnalysedWindow w;
    w.Specify(QStringLiteral("PARSE"));
    w.window->KindButton(1)->click();
    QVERIFY(w.menus.empty());
    QCOMPARE(w.env.spawned.size(), std::size_t{1});
    QCOMPARE(w.env.spawned.front(),
             (std::vector<std::string>{"/opt/my editor/ed", "/j6", w.source}));
    QVERIFY(w.window->CountField()->text().isEmpty());
    QCOMPARE(w.window->history().dropdown(), std::vector<std::string>{"PARSE"});
    QCOMPARE(w.window->WordBox()->count(), 1);
    QCOMPARE(w.window->WordBox()->currentText(), QStringLiteral("PARSE"));
  }

  void SeveralMatchesOfferAMenuInListOrder() {
    AnalysedWindow w;
    w.Specify(QStringLiteral("init"));
    w.answers = {kRowCommandBase + 2};  // sorted rows: INI, InitAll, parse_init
    w.window->KindButton(1)->click();
    QCOMPARE(w.menus.size(), std::size_t{1});
    const MenuModel& menu = w.menus.front();
    QCOMPARE(menu.items.size(), std::size_t{2});
    QCOMPARE(DisplayText(menu.items[0]).rfind("&InitAll", 0), std::size_t{0});
    QCOMPARE(DisplayText(menu.items[1]).rfind("&parse_init", 0), std::size_t{0});
    QCOMPARE(menu.items[1].id, kRowCommandBase + 2);
    QCOMPARE(menu.count_text, std::string(" 0002"));
    QCOMPARE(w.env.spawned.size(), std::size_t{1});
    QCOMPARE(w.env.spawned.front()[1], std::string("/j6"));
    QCOMPARE(w.window->menu_state().current_kind, 0);
  }

  void JapaneseWordIsLookedUpAsCp932() {
    AnalysedWindow w;
    // A CP932 name as the analysis would have registered it from a Shift-JIS source.
    RegistrationList& functions = w.window->data().functions();
    const std::size_t row = functions.AppendRow();
    functions.SetCell(row, col::kName, Utf8ToCp932("初期化処理"));
    functions.SetCell(row, col::kPosition, "%1/a.c(11)");
    w.window->DataChanged();
    w.Specify(Q("期化"));
    w.window->KindButton(1)->click();
    QCOMPARE(w.env.spawned.size(), std::size_t{1});
    QCOMPARE(w.env.spawned.front()[1], std::string("/j11"));
  }

  void EmptyWordAndNoMatchSayWhy() {
    AnalysedWindow w;
    w.Specify(QString());
    w.window->KindButton(1)->click();
    w.Specify(QStringLiteral("nothing_like_it"));
    w.window->KindButton(1)->click();
    QCOMPARE(w.env.ui.messages(), (std::vector<std::string>{"検索Wordを入力して下さい！　",
                                                            "見つかりませんでした！　"}));
    QVERIFY(w.env.spawned.empty());
  }

  void EnterAndEscapeInTheWordBoxDoNothing() {
    AnalysedWindow w;
    w.Specify(QStringLiteral("parse"));
    QLineEdit* edit = w.window->WordBox()->lineEdit();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter);
    QTest::keyClick(edit, Qt::Key_Escape);
    QTest::keyClick(w.window.get(), Qt::Key_Escape);
    QVERIFY(w.env.spawned.empty());
    QVERIFY(w.menus.empty());
    QVERIFY(w.env.ui.shown().size() == 2);  // only the two questions of the analysis
    QCOMPARE(w.window->WordBox()->currentText(), QStringLiteral("parse"));
    QCOMPARE(w.window->WordBox()->count(), 0);
    QVERIFY(w.window->isVisible());
  }

  void BrowseMenuPagesAndJumps() {
    AnalysedWindow w;
    w.answers = {kRowCommandBase + 2};
    w.window->KindButton(1)->click();
    QCOMPARE(w.menus.size(), std::size_t{1});
    QVERIFY(w.menus.front().paged);
    QCOMPARE(w.menus.front().count_text, std::string("    3"));
    QCOMPARE(w.env.spawned.size(), std::size_t{1});
    QCOMPARE(w.env.spawned.front()[1],
             std::string("/j6"));  // rows sorted: INI, InitAll, parse_init

    // A dismissed menu keeps its count until the next reset (word box focus).
    w.window->KindButton(1)->click();
    QCOMPARE(w.window->CountField()->text(), QStringLiteral("    3"));
    QCOMPARE(w.window->menu_state().current_kind, 1);
    w.window->SpecifyRadio()->click();
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(w.window->WordBox()->lineEdit(), &focus);
    QCOMPARE(w.window->menu_state().current_kind, 0);
    QVERIFY(w.window->CountField()->text().isEmpty());
  }

  void IndexModeChoosesWhereBrowsingStarts() {
    AnalysedWindow w;
    w.window->IndexButton()->click();
    QVERIFY(w.window->IndexButton()->isChecked());
    QCOMPARE(w.env.Store().ReadInt("Index", "Mode", 0), 1LL);

    w.window->KindButton(1)->click();  // cancelled in the index window
    QCOMPARE(w.index_windows.size(), std::size_t{1});
    QCOMPARE(w.index_windows.front().entries.size(), std::size_t{2});  // "I" and "p"
    QVERIFY(w.menus.empty());

    w.index_answer = 1;
    w.window->KindButton(1)->click();
    QCOMPARE(w.menus.size(), std::size_t{1});
    const MenuModel& menu = w.menus.front();
    QVERIFY(menu.items.front().header && !menu.items.front().enabled);
    QCOMPARE(menu.items[1].id, kRowCommandBase + 2);

    w.window->IndexButton()->click();
    QCOMPARE(w.env.Store().ReadInt("Index", "Mode", 9), 0LL);
  }

  // 119 998 rows "a000000"..., then two rows "z_last" at lines 7 and 9 of the analysed file: the
  // last row opens from the match menu and from the index window, and the match menu tells the
  // two rows of one name apart by their positions.
  void LastRowOfALongListOpensFromTheMatchMenuAndTheIndexWindow() {
    AnalysedWindow w;
    RegistrationList& functions = w.window->data().functions();
    const std::string position = functions.Cell(0, col::kPosition);
    const std::string file = position.substr(0, position.rfind('('));
    functions.Clear();
    constexpr std::size_t kRows = 120000;
    char name[16];
    for (std::size_t r = 0; r < kRows; ++r) {
      const bool last = r >= kRows - 2;
      std::snprintf(name, sizeof name, "a%06zu", r);
      const std::size_t row = functions.AppendRow();
      functions.SetCell(row, col::kName, last ? "z_last" : name);
      functions.SetCell(row, col::kPosition,
                        file + (r == kRows - 1 ? "(9)"
                                : last         ? "(7)"
                                               : "(1)"));
    }
    functions.RebuildIndex();
    w.window->DataChanged();

    w.Specify(QStringLiteral("z_last"));
    w.answers = {RowCommandId(kRows - 1)};
    w.window->KindButton(1)->click();
    QCOMPARE(w.menus.size(), std::size_t{1});
    const MenuModel& matches = w.menus.back();
    QCOMPARE(matches.items.size(), std::size_t{2});
    QCOMPARE(DisplayText(matches.items[0]), DisplayText(matches.items[1]));
    const std::string full = w.window->data().FullPosition(ListKind::Function, kRows - 1);
    QVERIFY(full.rfind(w.env.Home(), 0) == 0);
    QCOMPARE(matches.items[1].position, full);
    QVERIFY(matches.items[0].position != matches.items[1].position);
    QCOMPARE(w.env.spawned.size(), std::size_t{1});
    QCOMPARE(w.env.spawned.back()[1], std::string("/j9"));

    w.window->MenuRadio()->click();
    w.window->IndexButton()->click();
    QVERIFY(w.window->IndexButton()->isChecked());
    w.index_answer = 1;  // "a", then "z"
    w.answers = {RowCommandId(kRows - 1)};
    w.window->KindButton(1)->click();
    QCOMPARE(w.index_windows.size(), std::size_t{1});
    QCOMPARE(w.index_windows.back().entries.size(), std::size_t{2});
    QCOMPARE(w.menus.size(), std::size_t{2});
    QCOMPARE(w.menus.back().items.back().id, RowCommandId(kRows - 1));
    QVERIFY(w.menus.back().items.back().position.empty());  // a browse menu shows no positions
    QCOMPARE(w.env.spawned.size(), std::size_t{2});
    QCOMPARE(w.env.spawned.back()[1], std::string("/j9"));
  }

  void GetTakesTheClipboardsFirstLineInSpecifyModeOnly() {
    AnalysedWindow w;
    QApplication::clipboard()->setText(QStringLiteral("parse_init\nmore"));
    w.window->Command(cmd::kGet);  // "MENU" mode: only a beep
    QVERIFY(w.window->WordBox()->currentText().isEmpty());
    w.Specify(QString());
    w.window->Command(cmd::kGet);
    QCOMPARE(w.window->WordBox()->currentText(), QStringLiteral("parse_init"));
    QApplication::clipboard()->clear();
    w.window->Command(cmd::kGet);
    QVERIFY(w.window->WordBox()->currentText().isEmpty());
  }

  void MenuModeEmptiesAndDisablesTheWordBox() {
    AnalysedWindow w;
    w.Specify(QStringLiteral("abc"));
    QVERIFY(w.window->WordBox()->isEnabled());
    QVERIFY(!w.window->IndexButton()->isVisible());
    w.window->MenuRadio()->click();
    QVERIFY(!w.window->WordBox()->isEnabled());
    QVERIFY(w.window->WordBox()->currentText().isEmpty());
    QVERIFY(w.window->IndexButton()->isVisible());
  }

  void HistoryIsSavedWhenTheWindowGoesAndLoadedAtStart() {
    WindowEnv env;
    env.WriteIni("[ComboHistory]\r\nstr1=alpha\r\nstr2=" + std::string(50, 'x') +
                 "\r\nstr3=beta\r\n");
    {
      MainWindow window(env.Options());
      window.Start();
      QCOMPARE(window.WordBox()->count(), 2);
      QCOMPARE(window.WordBox()->itemText(1), QStringLiteral("beta"));
    }
    SettingsStore store = env.Store();
    QCOMPARE(store.ReadString("ComboHistory", "str1"), std::string("alpha"));
    QCOMPARE(store.ReadString("ComboHistory", "str2"), std::string("beta"));
  }
};

KELVORA_WINDOW_TEST_MAIN(TestMainWindowTagJump)

#include "test_main_window_tag_jump.moc"
