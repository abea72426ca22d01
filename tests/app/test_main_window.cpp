// The main window: start sequence, placement, layouts, lower panel, transparency, patterns,
// the context menu and closing.
#include "test_main_window_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <ctime>
#include <functional>
#include <memory>

#include "app/context_menu.h"
#include "app/run_counter.h"
#include "gui_common/background_patterns.h"
#include "gui_common/button_patterns.h"
#include "platform/process.h"

using namespace kelvora;
using kelvora::testing::Q;
using kelvora::testing::WindowEnv;

namespace {

void AddRow(RegisteredData& data, ListKind kind, const std::string& name) {
  RegistrationList& list = data.List(kind);
  const std::size_t row = list.AppendRow();
  list.SetCell(row, col::kName, name);
  list.SetCell(row, col::kPosition, "%1/a.c(" + std::to_string(row + 1) + ")");
}

// Texts of the items of a menu and its submenus, depth first, with "-" for a rule.
QStringList MenuTexts(const QMenu* menu) {
  QStringList texts;
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) {
      texts << QStringLiteral("-");
    } else if (action->menu() != nullptr) {
      texts << QStringLiteral(">") + action->text();
      texts += MenuTexts(action->menu());
      texts << QStringLiteral("<");
    } else {
      texts << action->text();
    }
  }
  return texts;
}

QAction* FindAction(const QMenu* menu, int id) {
  for (QAction* action : menu->actions()) {
    if (action->menu() != nullptr) {
      if (QAction* inner = FindAction(action->menu(), id)) return inner;
    } else if (!action->isSeparator() && action->data().toInt() == id) {
      return action;
    }
  }
  return nullptr;
}

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { kelvora::testing::QuietSizeHintWarnings(); }

  void SecondInstanceIsRefusedBeforeAnythingIsCounted() {
    WindowEnv env;
    InstanceLock first(env.Home() + "/instance.lock");
    QVERIFY(first.held());
    MainWindow window(env.Options());
    QCOMPARE(window.Start(), StartResult::AlreadyRunning);
    QCOMPARE(env.ui.messages(), std::vector<std::string>{"すでに起動しています！　"});
    QCOMPARE(*env.Store().user().ReadDwordValue(kRunInfKey, "RunCnt"), 5u);
  }

  void MissingRegexEngineEndsTheStartWithItsName() {
    WindowEnv env;
    MainWindowOptions options = env.Options();
    options.regex_available = false;
    MainWindow window(options);
    QCOMPARE(window.Start(), StartResult::RegexMissing);
    QCOMPARE(env.ui.messages(),
             std::vector<std::string>{"Onigurumaが存在しません。　\n終了します。"});
  }

  void FirstRunIsCountedAndAsksForTheFirstSettings() {
    WindowEnv env;
    env.WriteRegistry("");
    {
      MainWindow window(env.Options());
      QCOMPARE(window.Start(), StartResult::Started);
      QVERIFY(window.first_run());
      QCOMPARE(env.ui.messages().size(), std::size_t{1});
      const std::string text = env.ui.messages().front();
      QVERIFY(text.rfind("■■ Kelvora Ver.3.24 - 初期設定のお願い ■■　\n\n", 0) == 0);
      QVERIFY(text.find("１．【エディタ設定】") != std::string::npos);
    }
    UserStore store = env.Store().user();
    QCOMPARE(*store.ReadDwordValue(kRunInfKey, "RunCnt"), 1u);
    const QString when = QString::fromStdString(
        Cp932ToUtf8(store.ReadStringValue(kRunInfKey, "RunTime").value_or("")));
    QVERIFY2(QRegularExpression(Q("^\\d{4}/\\d\\d/\\d\\d\\([日月火水木金土]曜日\\) "
                                  "\\d\\d:\\d\\d:\\d\\d$"))
                 .match(when)
                 .hasMatch(),
             qPrintable(when));

    // The lock is free again once the first window is gone.
    MainWindow again(env.Options());
    QCOMPARE(again.Start(), StartResult::Started);
    QVERIFY(!again.first_run());
    QCOMPARE(env.ui.messages().size(), std::size_t{1});
    QCOMPARE(*env.Store().user().ReadDwordValue(kRunInfKey, "RunCnt"), 2u);
  }

  void StartTimeNamesTheWeekday() {
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_wday = 2;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    QCOMPARE(StartTimeText(t), std::string("2024/03/05(火曜日) 07:08:09"));
    t.tm_wday = 0;
    t.tm_hour = 23;
    QCOMPARE(StartTimeText(t), std::string("2024/03/05(日曜日) 23:08:09"));
  }

  void StoredRectangleIsUsedOnlyWithTheCollapsedSize() {
    WindowEnv env;
    env.WriteIni("[Window]\r\nleft=100\r\ntop=120\r\nright=440\r\nbottom=272\r\n");
    {
      MainWindow window(env.Options());
      window.Start();
      QCOMPARE(window.pos(), QPoint(100, 120));
      QCOMPARE(window.size(), window.CollapsedSize());
    }
    env.WriteIni("[Window]\r\nleft=100\r\ntop=120\r\nright=441\r\nbottom=272\r\n");
    {
      MainWindow window(env.Options());
      window.Start();
      QVERIFY(window.pos() != QPoint(100, 120));
    }
    env.WriteIni("[Window]\r\nleft=0\r\ntop=120\r\nright=340\r\nbottom=272\r\n");
    MainWindow window(env.Options());
    window.Start();
    QVERIFY(window.pos() != QPoint(0, 120));
  }

  void ClosingWithThePanelOpenStoresTheCollapsedSize() {
    WindowEnv env;
    {
      MainWindow window(env.Options());
      window.Start();
      window.move(150, 160);
      window.show();
      window.PanelButton()->click();
      QTRY_VERIFY(window.panel_open());
      QCOMPARE(window.height(), kCollapsedHeight + kPanelHeight);
      env.ui.AnswerYes();
      QVERIFY(window.close());
    }
    SettingsStore store = env.Store();
    QCOMPARE(store.ReadInt("Window", "right", 0) - store.ReadInt("Window", "left", 0),
             static_cast<long long>(kCollapsedWidth));
    QCOMPARE(store.ReadInt("Window", "bottom", 0) - store.ReadInt("Window", "top", 0),
             static_cast<long long>(kCollapsedHeight));
    QCOMPARE(store.ReadInt("Window", "show", 0), 1LL);
    MainWindow next(env.Options());
    next.Start();
    QCOMPARE(next.pos(), QPoint(static_cast<int>(store.ReadInt("Window", "left", 0)),
                                static_cast<int>(store.ReadInt("Window", "top", 0))));
  }

  void CloseAsksAndNoKeepsTheWindow() {
    WindowEnv env;
    MainWindow window(env.Options());
    window.Start();
    window.show();
    AddRow(window.data(), ListKind::Function, "f");
    window.data().roots().Append("/src");
    env.ui.AnswerNo();
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QCOMPARE(window.data().roots().Count(), std::size_t{1});
    env.ui.AnswerYes();
    QVERIFY(window.close());
    QCOMPARE(window.data().roots().Count(), std::size_t{0});
    QCOMPARE(env.ui.questions(), (std::vector<std::string>{"『 Kelvora 』 を終了しますか？　",
                                                           "『 Kelvora 』 を終了しますか？　"}));
  }

  void ControlsFollowTheSettings() {
    WindowEnv env;
    env.WriteIni("[Menu]\r\ndisp_y_max=12\r\ndisp_x_max=3\r\ndisp_type=" + Utf8ToCp932("１列表示") +
                 "\r\ncomment_disp=0\r\n[Dialog]\r\nwindow_top=1\r\nBrush_type=0\r\n"
                 "[Index]\r\nMode=1\r\n");
    MainWindow window(env.Options());
    window.Start();
    QCOMPARE(window.RowsSpin()->value(), 12);
    QCOMPARE(window.ColumnsSpin()->value(), 3);
    QCOMPARE(window.PageSizeField()->text(), QStringLiteral("36"));
    QVERIFY(window.AlwaysOnTopBox()->isChecked());
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window.IndexButton()->isChecked());
    QVERIFY(window.MenuRadio()->isChecked());
    QVERIFY(!window.WordBox()->isEnabled());
    QVERIFY(window.HatchBox()->isHidden());  // bitmap background type

    // A spin change is written at once and clears the menu state.
    window.RowsSpin()->setValue(20);
    QCOMPARE(env.Store().ReadInt("Menu", "disp_y_max", 0), 20LL);
    QCOMPARE(window.PageSizeField()->text(), QStringLiteral("60"));
    window.AlwaysOnTopBox()->click();
    QCOMPARE(env.Store().ReadInt("Dialog", "window_top", 9), 0LL);
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  }

  void LayoutModesShowTheirControls() {
    WindowEnv env;
    MainWindow window(env.Options());
    window.Start();
    window.show();
    QVERIFY(window.AnalyseButton()->isVisible());
    QCOMPARE(window.focusWidget(), static_cast<QWidget*>(window.AnalyseButton()));
    QCOMPARE(window.StatusLine(1)->text(), QStringLiteral("C Programming Language"));
    QVERIFY(window.StatusLine(3)->text().endsWith(QStringLiteral("3.24")));
    QVERIFY(!window.KindButton(1)->isVisible());
    QVERIFY(!window.WordBox()->isVisible());

    AddRow(window.data(), ListKind::Function, "alpha");
    AddRow(window.data(), ListKind::Function, "beta");
    AddRow(window.data(), ListKind::File, "a.c");
    window.ui().SetCountLabel(1, "◆関数 登録数：2");
    window.ui().SetLayout(WindowLayout::Running);
    QVERIFY(window.ProgressBar()->isVisible());
    QVERIFY(window.CountLabel(1)->text().isEmpty());
    QVERIFY(!window.KindButton(1)->isVisible());

    window.ui().SetLayout(WindowLayout::Data);
    window.DataChanged();
    QVERIFY(!window.AnalyseButton()->isVisible());
    QVERIFY(!window.ProgressBar()->isVisible());
    QVERIFY(!window.StatusLine(1)->isVisible());
    QVERIFY(window.KindButton(1)->isVisible() && window.KindButton(1)->isEnabled());
    QVERIFY(window.KindButton(2)->isVisible() && !window.KindButton(2)->isEnabled());
    QVERIFY(window.KindButton(4)->isEnabled());
    QCOMPARE(window.KindButton(1)->toolTip(), Q("関数を検索（登録数：2）"));
    QVERIFY(window.IndexButton()->isVisible());
    QCOMPARE(window.ListView(1)->model()->rowCount(), 2);

    env.ui.AnswerYes();
    window.Command(cmd::kDeleteAll);
    QVERIFY(window.AnalyseButton()->isVisible());
    QVERIFY(!window.KindButton(1)->isVisible());
    QCOMPARE(window.ListView(1)->model()->rowCount(), 0);
  }

  void LowerPanelGrowsNineteenPixelsATickToThreeHundredEighty() {
    WindowEnv env;
    MainWindow window(env.Options());
    window.Start();
    window.show();
    QCOMPARE(window.height(), kCollapsedHeight);
    window.PanelButton()->click();
    QVERIFY(window.panel_moving());
    QTRY_VERIFY_WITH_TIMEOUT(window.height() > kCollapsedHeight, 1000);
    QCOMPARE((window.height() - kCollapsedHeight) % kPanelStep, 0);
    window.PanelButton()->click();  // ignored while it moves
    QTRY_VERIFY_WITH_TIMEOUT(!window.panel_moving(), 3000);
    QCOMPARE(window.height(), kCollapsedHeight + kPanelHeight);
    QCOMPARE(window.PanelButton()->text(), Q("▲"));
    QCOMPARE(window.width(), kCollapsedWidth);
    QVERIFY(!window.ListArea()->isVisible());

    window.PanelButton()->click();
    QVERIFY(!window.panel_moving());
    QCOMPARE(window.height(), kCollapsedHeight);
    QCOMPARE(window.PanelButton()->text(), Q("▼"));
  }

  void DebugModeShowsTheListsWithThePanel() {
    WindowEnv env;
    env.WriteIni("[Debug]\r\nON=1\r\n[TransparentWindow]\r\nRarUviz_Par=20\r\n");
    MainWindow window(env.Options());
    window.Start();
    window.show();
    window.PanelButton()->click();
    QVERIFY(!window.panel_moving());  // translucent: at once
    QCOMPARE(window.size(), QSize(kCollapsedWidth + kDebugWidth, kCollapsedHeight + kPanelHeight));
    QVERIFY(window.ListArea()->isVisible());
    QCOMPARE(window.ListView(1)->model()->headerData(0, Qt::Horizontal).toString(), Q("関数名"));
    QCOMPARE(window.ListView(4)->columnWidth(1), 140);
    // Every column at least as wide as its header's text.
    for (int kind = 1; kind <= 5; ++kind) {
      QTableView* view = window.ListView(kind);
      for (int c = 0; c < view->model()->columnCount(); ++c)
        QVERIFY(view->columnWidth(c) >= view->horizontalHeader()->sectionSizeHint(c));
    }
    // Fixed size: minimize and close, no maximize.
    QVERIFY(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    window.PanelButton()->click();
    QCOMPARE(window.size(), window.CollapsedSize());
    QVERIFY(!window.ListArea()->isVisible());
  }

  void TransparencyItemsSetOpacityAndStoreThePercent() {
    WindowEnv env;
    env.WriteIni("[TransparentWindow]\r\nRarUviz_Par=30\r\n");
    MainWindow window(env.Options());
    window.Start();
    QVERIFY(window.transparency_active());
    QCOMPARE(window.windowOpacity(), WindowOpacity(30));
    window.Command(85);
    QCOMPARE(qRound(window.windowOpacity() * 255), 155);
    QCOMPARE(env.Store().ReadInt("TransparentWindow", "RarUviz_Par", 0), 50LL);
    QVERIFY(window.transparency_active());
    window.Command(89);
    QCOMPARE(qRound(window.windowOpacity() * 255), 75);
    window.Command(80);
    QCOMPARE(window.windowOpacity(), 1.0);
    QVERIFY(!window.transparency_active());
    QCOMPARE(env.Store().ReadInt("TransparentWindow", "RarUviz_Par", 9), 0LL);
  }

  // The items, their order and greying come from the command table (tested in the core); the
  // QMenu shows exactly those entries, enabled as they say, with the sort items' bitmaps.
  void ContextMenuShowsTheTablesEntries() {
    RegisteredData data;
    AddRow(data, ListKind::Function, "f");
    AddRow(data, ListKind::File, "a.c");
    const std::vector<ContextEntry> entries = ContextMenuEntries(data, 40);
    std::unique_ptr<QMenu> menu(MakeContextMenu(entries, 3, nullptr));
    QStringList expected;
    std::vector<const ContextEntry*> items;
    std::function<void(const std::vector<ContextEntry>&)> walk =
        [&](const std::vector<ContextEntry>& list) {
          for (const ContextEntry& e : list) {
            if (e.type == ContextEntry::Type::Rule) {
              expected << QStringLiteral("-");
            } else if (e.type == ContextEntry::Type::Submenu) {
              expected << QStringLiteral(">") + QString::fromStdString(e.text);
              walk(e.children);
              expected << QStringLiteral("<");
            } else {
              expected << QString::fromStdString(e.text);
              items.push_back(&e);
            }
          }
        };
    walk(entries);
    QCOMPARE(MenuTexts(menu.get()), expected);
    QVERIFY(expected.contains(Q("Grepメニュー検索 (&G)")));
    for (const ContextEntry* e : items) {
      QAction* action = FindAction(menu.get(), e->id);
      QVERIFY2(action != nullptr, qPrintable(QString::number(e->id)));
      QCOMPARE(action->isEnabled(), e->enabled);
      QCOMPARE(action->icon().isNull(), e->bitmap_kind == 0);
    }
    QVERIFY(FindAction(menu.get(), 62)->isEnabled());
    QVERIFY(!FindAction(menu.get(), 63)->isEnabled());
    QVERIFY(FindAction(menu.get(), 151)->isEnabled());
  }

  void SortItemSortsTheListAndTheMenuSaysWhichWayNext() {
    WindowEnv env;
    MainWindow window(env.Options());
    window.Start();
    for (const char* name : {"abc", "ABD", "_x", "Ab"})
      AddRow(window.data(), ListKind::Function, name);
    window.data().SortAllAscending();
    window.DataChanged();
    window.Command(62);  // descending now
    QCOMPARE(window.ListView(1)->model()->index(0, 0).data().toString(), QStringLiteral("ABD"));
    std::unique_ptr<QMenu> menu(window.BuildContextMenu());
    QVERIFY(FindAction(menu.get(), 62)->text().endsWith(Q("（現在：降順⇒昇順）")));
    window.Command(63);  // empty list
    QCOMPARE(env.ui.messages().back(), std::string("登録データがありません！　"));
  }

  void PatternBoxesStoreTheirChoice() {
    WindowEnv env;
    MainWindow window(env.Options());
    window.Start();
    QCOMPARE(window.ButtonPatternBox()->count(), 35);
    QCOMPARE(window.ButtonPatternBox()->itemText(0), Q("赤"));
    QCOMPARE(window.ButtonPatternBox()->itemText(34), Q("ミックス２－２"));
    window.ButtonPatternBox()->activated(7);
    QCOMPARE(env.Store().ReadInt("Color", "Button_Pattern", 0), 7LL);
    QCOMPARE(window.settings().button_pattern, 7);

    QCOMPARE(window.HatchBox()->count(), 6);
    window.HatchBox()->activated(3);  // "右下がりの斜線"
    QCOMPARE(env.Store().ReadInt("Color", "Hatch_Pattern", 0), 2LL);
    window.HatchBox()->activated(4);  // "水平線"
    QCOMPARE(env.Store().ReadInt("Color", "Hatch_Pattern", 9), 0LL);
  }

  void ButtonPatternsAreDistinctBitmaps() {
    QCOMPARE(ButtonPatternName(14), Q("黒"));
    QVERIFY(ButtonPatternName(35).isEmpty());
    const QImage red = KindButtonBitmap(0, 1).toImage();
    QCOMPARE(red.size(), QSize(kKindBitmapWidth, kKindBitmapHeight));
    QVERIFY(red != KindButtonBitmap(1, 1).toImage());
    QVERIFY(red != KindButtonBitmap(0, 2).toImage());  // each button shows its own text
    // The mixed patterns give each kind button its own colour.
    const QColor first = KindButtonBitmap(7, 1).toImage().pixelColor(30, 20);
    const QColor second = KindButtonBitmap(7, 2).toImage().pixelColor(30, 20);
    QVERIFY(first != second);
    QVERIFY(KindButtonBitmap(99, 1).toImage() == red);
  }

  void BackgroundBrushesUseTheColours() {
    QCOMPARE(HatchStyleOfEntry(0), 3);
    QCOMPARE(EntryOfHatchStyle(1), 5);
    QCOMPARE(EntryOfHatchStyle(6), -1);
    QCOMPARE(FromColorRef(0x0000FF), QColor(255, 0, 0));
    QCOMPARE(ToColorRef(QColor(1, 2, 3)), 0x030201u);

    const QImage hatch = BackgroundBrush(0, 0x646464, 0x000000).texture().toImage();
    int line = 0, back = 0;
    for (int y = 0; y < hatch.height(); ++y)
      for (int x = 0; x < hatch.width(); ++x) {
        const QColor c = hatch.pixelColor(x, y);
        line += c == QColor(100, 100, 100);
        back += c == QColor(0, 0, 0);
      }
    QVERIFY(line > 0 && back > 0 && line + back == hatch.width() * hatch.height());

    QCOMPARE(BackgroundPatternName(0), Q("ﾄﾞｯﾄ　赤"));
    QCOMPARE(BackgroundPatternName(72), Q("ﾊｰﾄ　赤"));
    QCOMPARE(BackgroundPatternName(73), Q("ﾄﾞｯﾄ　白-灰"));
    QCOMPARE(BackgroundPatternName(94), Q("ﾊｰﾄ　白-灰"));
    QCOMPARE(BackgroundPatternRemark(88), Q("XPｽﾀｲﾙ-manifest用"));
    QCOMPARE(BackgroundPatternRemark(89), Q("XPｽﾀｲﾙ-manifest用(半透明化必須?!)"));
    QCOMPARE(BackgroundPatternRemark(93), Q("XPｽﾀｲﾙ-manifest用"));
    QVERIFY(BackgroundPatternName(95).isEmpty());
    for (int i = 0; i < kBackgroundPatternCount; ++i) QVERIFY(!BackgroundPatternTile(i).isNull());
    QVERIFY(BackgroundBrush(6, 0, 0).texture().toImage() == BackgroundPatternTile(0).toImage());
  }
};

KELVORA_WINDOW_TEST_MAIN(TestMainWindow)

#include "test_main_window.moc"
