// The tag jump's popups driven as a user would: keys and clicks on the open popup.
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <string>

#include "gui_common/colors.h"
#include "gui_common/screens.h"
#include "lookup/index_window.h"
#include "lookup/menu_model.h"
#include "lookup/ui/column_menu.h"
#include "lookup/ui/index_popup.h"
#include "lookup/ui/menu_bitmaps.h"
#include "lookup/ui/popup_menus.h"
#include "platform/cp932.h"
#include "support/qt_test_support.h"

using kelvora::ColumnMenu;
using kelvora::IndexPopup;
using kelvora::ListKind;
using kelvora::MenuItem;
using kelvora::MenuLayout;
using kelvora::MenuModel;
using kelvora::MenuState;
using kelvora::RegistrationList;

namespace {

// Calls act with the popup once it is open. A popup still open five seconds later is closed, so
// that a failing test cannot hang.
void OnPopup(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  auto ticks = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, ticks, act] {
    QWidget* popup = QApplication::activePopupWidget();
    if ((popup == nullptr || !popup->isVisible()) && ++*ticks < 500) return;
    timer->stop();
    timer->deleteLater();
    if (popup == nullptr) return;
    QPointer<QWidget> guard(popup);
    act(popup);
    QTimer::singleShot(5000, [guard] {
      if (guard != nullptr && guard->isVisible()) {
        guard->close();
        QFAIL("a popup stayed open");
      }
    });
  });
  timer->start(10);
}

// name%03d for rows 0..count-1, each with a Japanese comment; every seventh is a macro.
RegistrationList Functions(int count) {
  RegistrationList list(ListKind::Function);
  const std::string comment = kelvora::Utf8ToCp932("初期化処理");
  for (int i = 0; i < count; ++i) {
    const std::size_t r = list.AppendRow();
    char name[32];
    std::snprintf(name, sizeof name, "name%03d", i);
    list.SetCell(r, kelvora::col::kName, name);
    list.SetCell(r, kelvora::col::kPosition, "%1/a.c(1)");
    list.SetCell(r, kelvora::col::kComment, comment);
    if (i % 7 == 3) list.SetCell(r, kelvora::col::kMarker, "#define");
  }
  return list;
}

MenuModel Browse(const RegistrationList& list, std::size_t rows, std::size_t columns,
                 std::uint32_t page, std::uint32_t start_row = 0) {
  MenuLayout layout;
  layout.rows = rows;
  layout.columns = columns;
  MenuState state;
  state.index_start_row = start_row;
  return kelvora::BuildBrowseMenu(list, layout, state, page);
}

MenuItem Item(const char* text, int id, bool enabled = true) {
  MenuItem item;
  item.text = text;
  item.id = id;
  item.enabled = enabled;
  return item;
}

ColumnMenu* AsColumnMenu(QWidget* popup) {
  auto* menu = qobject_cast<ColumnMenu*>(popup);
  if (menu == nullptr) qWarning("the open popup is not the column menu");
  return menu;
}

void ClickItem(ColumnMenu* menu, std::size_t item) {
  QTest::mouseClick(menu->viewport(), Qt::LeftButton, {}, menu->ItemRect(item).center());
}

QAction* ActionWithId(QMenu* menu, int id) {
  for (QAction* action : menu->actions()) {
    if (action->data().toInt() == id) return action;
  }
  return nullptr;
}

kelvora::IndexWindowModel IndexModel(int entries) {
  std::vector<kelvora::IndexEntry> table;
  for (int i = 0; i < entries; ++i) {
    table.push_back({static_cast<unsigned char>(i + 1 == entries ? 0x88 : 'A' + i),
                     static_cast<std::size_t>(i * 10)});
  }
  kelvora::IndexWindowSettings settings;
  settings.left = 40;
  settings.top = 30;
  settings.text_color = 0x00FF8000;  // blue 0xFF, green 0x80
  settings.back_color = 0x00000040;  // red 0x40
  settings.transparency_percent = 20;
  return kelvora::BuildIndexWindow(table, settings);
}

}  // namespace

class TestPopupMenus : public QObject {
  Q_OBJECT

 private slots:
  void PagedMenuLaysOutTheFirstPageOfSixtyFiveRowsInTwoColumns() {
    const RegistrationList list = Functions(65);
    const MenuModel model = Browse(list, 30, 2, 0);
    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      QCOMPARE(menu->ColumnCount(), 2);
      // Rows 1 to 30 and the filler; rows 31 to 60 and the next-page item.
      QCOMPARE(menu->ColumnFirst(0), std::size_t{0});
      QCOMPARE(menu->ColumnEnd(0), std::size_t{31});
      QCOMPARE(menu->ColumnEnd(1), std::size_t{62});
      QCOMPARE(menu->FullText(0), QStringLiteral("(1)  &name000    初期化処理"));
      QCOMPARE(menu->ShownText(0), menu->FullText(0));
      QVERIFY(menu->FullText(31).startsWith(QStringLiteral("(31)  &name030")));
      QVERIFY(menu->FullText(61).contains(QStringLiteral("次ページに進む（現在:1/2）")));
      // Row 31 sits beside row 1; the next-page item is last, below row 60.
      QCOMPARE(menu->ItemRect(31).top(), menu->ItemRect(0).top());
      QVERIFY(menu->ItemRect(31).left() >= menu->ItemRect(0).right());
      QCOMPARE(menu->ItemRect(61).top(), menu->ItemRect(30).top());
      QCOMPARE(menu->pos(), QPoint(20, 20));
      QTest::keyClick(menu, Qt::Key_Escape);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kNoCommand);
  }

  void HeaderPageKeepsRowsLinedUpAcrossColumns() {
    const RegistrationList list = Functions(130);
    const MenuModel model = Browse(list, 30, 2, 1);
    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      QCOMPARE(menu->ColumnCount(), 2);
      QVERIFY(menu->FullText(0).contains(QStringLiteral("前ページに戻る（現在:2/3）")));
      QCOMPARE(menu->ColumnFirst(1), std::size_t{32});
      QVERIFY(menu->FullText(1).startsWith(QStringLiteral("(61)")));
      QVERIFY(menu->FullText(33).startsWith(QStringLiteral("(91)")));
      QCOMPARE(menu->ItemRect(33).top(), menu->ItemRect(1).top());
      // The first key selects the previous-page item, which can be chosen.
      QTest::keyClick(menu, Qt::Key_Down);
      QTest::keyClick(menu, Qt::Key_Return);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kPreviousPageCommand);
  }

  void PagedMenuChoosesByKeyboardAcrossRowsAndColumns() {
    const RegistrationList list = Functions(65);
    const MenuModel model = Browse(list, 30, 2, 0);
    // Down, Down: row 2; Right: row 32 beside it; Left twice wraps back to row 32.
    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      QTest::keyClick(menu, Qt::Key_Down);
      QTest::keyClick(menu, Qt::Key_Down);
      QCOMPARE(menu->current(), std::size_t{1});
      QTest::keyClick(menu, Qt::Key_Right);
      QCOMPARE(menu->current(), std::size_t{32});
      QTest::keyClick(menu, Qt::Key_Left);
      QTest::keyClick(menu, Qt::Key_Left);
      QTest::keyClick(menu, Qt::Key_Return);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kRowCommandBase + 31);

    // Down from row 30 steps over the disabled filler into the next column.
    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      QTest::keyClick(menu, Qt::Key_Down);
      for (int i = 0; i < 30; ++i) QTest::keyClick(menu, Qt::Key_Down);
      QCOMPARE(menu->current(), std::size_t{31});
      QTest::keyClick(menu, Qt::Key_Enter);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kRowCommandBase + 30);
  }

  void PagedMenuChoosesByClickAndIgnoresDisabledItems() {
    const RegistrationList list = Functions(65);
    const MenuModel model = Browse(list, 30, 2, 0);
    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      // The filler closing column 0 takes neither a click nor Enter.
      ClickItem(menu, 30);
      QVERIFY(menu->isVisible());
      QTest::keyClick(menu, Qt::Key_Return);
      QVERIFY(menu->isVisible());
      QTest::mouseMove(menu->viewport(), menu->ItemRect(45).center());
      QCOMPARE(menu->current(), std::size_t{45});
      ClickItem(menu, 45);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kRowCommandBase + 44);

    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      ClickItem(menu, 61);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kNextPageCommand);
  }

  void IndexModeNoticeCannotBeChosen() {
    const RegistrationList list = Functions(65);
    const MenuModel model = Browse(list, 30, 2, 0, 40);
    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      QVERIFY(menu->FullText(0).contains(QStringLiteral("IndexModeではこれ以上前は戻れません")));
      ClickItem(menu, 0);
      QVERIFY(menu->isVisible());
      QTest::keyClick(menu, Qt::Key_Up);  // wraps to the last row, never onto the notice
      QTest::keyClick(menu, Qt::Key_Down);
      QCOMPARE(menu->current(), std::size_t{1});
      QTest::keyClick(menu, Qt::Key_Return);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kRowCommandBase + 40);
  }

  void ClickOutsideAndEscapeCloseWithoutChoice() {
    const RegistrationList list = Functions(65);
    const MenuModel model = Browse(list, 30, 2, 0);
    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      QTest::keyClick(menu, Qt::Key_Down);
      QTest::mouseClick(menu, Qt::LeftButton, {}, QPoint(menu->width() + 30, 5));
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kNoCommand);

    // Input through the window system, as a user's keys and clicks arrive.
    OnPopup([](QWidget* popup) {
      QWindow* window = popup->windowHandle();
      QVERIFY(window != nullptr);
      QTest::keyClick(window, Qt::Key_Down);
      QTest::keyClick(window, Qt::Key_Escape);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kNoCommand);
    OnPopup([](QWidget* popup) {
      QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, QPoint(popup->width() + 30, 5));
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kNoCommand);
    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      const QPoint at = menu->viewport()->mapTo(menu, menu->ItemRect(33).center());
      QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {}, at);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kRowCommandBase + 32);
    OnPopup([](QWidget* popup) {
      QTest::keyClick(popup->windowHandle(), Qt::Key_Down);
      QTest::keyClick(popup->windowHandle(), Qt::Key_Return);
    });
    QCOMPARE(kelvora::ExecIndexWindow(IndexModel(3), nullptr), std::optional<std::size_t>(1));
    OnPopup([](QWidget* popup) {
      QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, QPoint(-20, -20));
    });
    QCOMPARE(kelvora::ExecIndexWindow(IndexModel(3), nullptr), std::nullopt);
  }

  void AcceleratorLetterChoosesAUniqueItemAndStepsThroughShared() {
    MenuModel model;
    model.paged = true;
    model.items = {Item("&alpha", 500), Item("&beta", 501), Item("&bravo", 502),
                   Item("&charlie", 503, false)};
    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      QTest::keyClick(menu, Qt::Key_B);
      QCOMPARE(menu->current(), std::size_t{1});
      QTest::keyClick(menu, Qt::Key_B);
      QCOMPARE(menu->current(), std::size_t{2});
      QTest::keyClick(menu, Qt::Key_C);  // only on a disabled item
      QVERIFY(menu->isVisible());
      QTest::keyClick(menu, Qt::Key_A);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), 500);
  }

  void LongTextsAreElidedAtTheColumnWidth() {
    MenuModel model;
    model.paged = true;
    std::string long_name = "&" + std::string(300, 'x') + kelvora::Utf8ToCp932("　長い説明");
    // A file name is UTF-8 as the file system gives it.
    model.items = {Item("&short", 500), Item(long_name.c_str(), 501), Item("&ソース (1)%.c", 502)};
    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      QVERIFY(menu->ShownText(0) == menu->FullText(0));
      QCOMPARE(menu->ShownText(2), QStringLiteral("&ソース (1)%.c"));
      QVERIFY(menu->ShownText(1).endsWith(QChar(0x2026)));
      QVERIFY(menu->ColumnWidth(0) <
              QFontMetrics(menu->font()).horizontalAdvance(menu->FullText(1)));
      QTest::keyClick(menu, Qt::Key_Escape);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kNoCommand);
  }

  void MarkerBitmapsAreDrawnBesideCheckedItems() {
    using kelvora::MenuBitmap;
    QVERIFY(MenuBitmap(0).isNull());
    for (int id : {kelvora::kUncheckedBitmap, kelvora::kTableBitmap, kelvora::kHeaderFileBitmap,
                   kelvora::kMacroBitmap}) {
      QCOMPARE(MenuBitmap(id).size(), QSize(kelvora::kMenuBitmapSize, kelvora::kMenuBitmapSize));
    }
    const QImage table = MenuBitmap(kelvora::kTableBitmap).toImage();
    const QImage header = MenuBitmap(kelvora::kHeaderFileBitmap).toImage();
    const QImage macro = MenuBitmap(kelvora::kMacroBitmap).toImage();
    QVERIFY(table != header && header != macro && macro != table);

    const RegistrationList list = Functions(10);
    const MenuModel model = Browse(list, 30, 2, 0);
    QVERIFY(model.items[3].checked);
    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      const QImage shot = menu->viewport()->grab().toImage();
      auto reddish = [&](std::size_t item) {
        const QRect rect = menu->ItemRect(item);
        for (int x = rect.left(); x < rect.left() + 20; ++x) {
          const QColor c = shot.pixelColor(x, rect.center().y());
          if (c.red() > 150 && c.green() < 90 && c.blue() < 90) return true;
        }
        return false;
      };
      QVERIFY(reddish(3));   // name003 is a function macro
      QVERIFY(!reddish(2));  // name002 is not
      QTest::keyClick(menu, Qt::Key_Escape);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kNoCommand);
  }

  void OneColumnMenuIsAQMenuChosenByKeyboardOrClick() {
    RegistrationList list = Functions(10);
    const MenuModel model = kelvora::BuildMatchMenu(list, {2, 3, 5}, true);
    OnPopup([](QWidget* popup) {
      auto* menu = qobject_cast<QMenu*>(popup);
      QVERIFY(menu != nullptr);
      QCOMPARE(menu->actions().size(), 3);
      QCOMPARE(menu->actions()[0]->text(), QStringLiteral("&name002    初期化処理"));
      QVERIFY(menu->actions()[0]->icon().isNull());
      QVERIFY(!menu->actions()[1]->icon().isNull());  // name003, a function macro
      QCOMPARE(menu->pos(), QPoint(10, 10));
      QTest::keyClick(menu, Qt::Key_Down);
      QTest::keyClick(menu, Qt::Key_Down);
      QTest::keyClick(menu, Qt::Key_Return);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kRowCommandBase + 3);

    OnPopup([](QWidget* popup) {
      auto* menu = qobject_cast<QMenu*>(popup);
      QVERIFY(menu != nullptr);
      QAction* action = ActionWithId(menu, kelvora::kRowCommandBase + 5);
      QVERIFY(action != nullptr);
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kRowCommandBase + 5);
  }

  // Items of one name tell their rows apart by position: the tooltip holds it, and the sink gets
  // it while the item is highlighted (nothing for an item without one, and an empty text when
  // the menu closes), in the QMenu and in the column popup that takes over past 1 000 items.
  void MatchItemsShowTheirPositionWhenHighlighted() {
    for (const std::size_t count : {std::size_t{3}, std::size_t{1500}}) {
      MenuModel model;
      for (std::size_t i = 0; i < count; ++i) {
        model.items.push_back(Item("&napi_rx_handler", kelvora::RowCommandId(i)));
        model.items.back().position =
            "/src/drv " + std::to_string(i) + "/rx.c(" + std::to_string(i + 10) + ")";
      }
      model.items[0].position.clear();
      QStringList seen;
      OnPopup([](QWidget* popup) {
        if (auto* menu = qobject_cast<QMenu*>(popup)) {
          QVERIFY(menu->toolTipsVisible());
          QCOMPARE(menu->actions()[2]->toolTip(), QStringLiteral("/src/drv 2/rx.c(12)"));
          QCOMPARE(menu->actions()[2]->text(), QStringLiteral("&napi_rx_handler"));
          menu->setActiveAction(menu->actions()[0]);
          menu->setActiveAction(menu->actions()[2]);
          QTest::keyClick(menu, Qt::Key_Return);
          return;
        }
        ColumnMenu* menu = AsColumnMenu(popup);
        QVERIFY(menu != nullptr);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
      });
      const int chosen = kelvora::ExecMenu(model, nullptr, [&](const QString& position) {
        if (seen.isEmpty() || seen.back() != position) seen << position;
      });
      QCOMPARE(chosen, kelvora::RowCommandId(2));
      QVERIFY2(seen.contains(QStringLiteral("/src/drv 2/rx.c(12)")), qPrintable(seen.join('|')));
      QVERIFY(!seen.contains(QStringLiteral("/src/drv 0/rx.c(10)")));
      QVERIFY(seen.back().isEmpty());
    }
  }

  void OneColumnMenuDisabledItemCannotBeChosen() {
    MenuModel model;
    model.items = {Item("&one", 500, false), Item("&two", 501)};
    OnPopup([](QWidget* popup) {
      auto* menu = qobject_cast<QMenu*>(popup);
      QVERIFY(menu != nullptr);
      QTest::mouseClick(menu, Qt::LeftButton, {},
                        menu->actionGeometry(menu->actions()[0]).center());
      QVERIFY(menu->isVisible());
      QTest::keyClick(menu, Qt::Key_Escape);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kNoCommand);
    QCOMPARE(kelvora::ExecMenu(MenuModel{}, nullptr), kelvora::kNoCommand);
  }

  void TallOneColumnMenuScrollsInsteadOfGrowingColumns() {
    const RegistrationList list = Functions(300);
    std::vector<std::size_t> rows(300);
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = i;
    const MenuModel model = kelvora::BuildMatchMenu(list, rows, false);
    OnPopup([](QWidget* popup) {
      auto* menu = qobject_cast<QMenu*>(popup);
      QVERIFY(menu != nullptr);
      QVERIFY(menu->height() <= menu->screen()->availableGeometry().height());
      const int left = menu->actionGeometry(menu->actions().front()).left();
      QCOMPARE(menu->actionGeometry(menu->actions().back()).left(), left);
      QTest::keyClick(menu, Qt::Key_Up);  // wraps to the last item, scrolled into view
      QTest::keyClick(menu, Qt::Key_Return);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kRowCommandBase + 299);
  }

  void LongOneColumnMenuOpensAsAScrollingColumn() {
    const RegistrationList list = Functions(5000);
    MenuLayout layout;
    layout.multi_column = false;
    MenuState state;
    const MenuModel model = kelvora::BuildBrowseMenu(list, layout, state, 0);
    OnPopup([](QWidget* popup) {
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      QCOMPARE(menu->ColumnCount(), 1);
      QVERIFY(menu->verticalScrollBar()->maximum() > 0);
      QTest::keyClick(menu, Qt::Key_End);
      QCOMPARE(menu->current(), std::size_t{4999});
      QVERIFY(menu->viewport()->rect().contains(menu->ItemRect(4999)));
      QTest::keyClick(menu, Qt::Key_Return);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kRowCommandBase + 4999);
  }

  void PageOf9999RowsBy10ColumnsOpensScrollableOnTheScreen() {
    const RegistrationList list = Functions(100000);
    const MenuModel model = Browse(list, 9999, 10, 0);
    QElapsedTimer clock;
    clock.start();
    OnPopup([&clock](QWidget* popup) {
      qInfo("9 999 x 10 page open after %lld ms", static_cast<long long>(clock.elapsed()));
      ColumnMenu* menu = AsColumnMenu(popup);
      QVERIFY(menu != nullptr);
      QCOMPARE(menu->ColumnCount(), 10);
      QCOMPARE(menu->ColumnEnd(9), std::size_t{100000});  // 99 990 rows, 9 fillers, next page
      const QRect screen = menu->screen()->availableGeometry();
      QVERIFY(screen.contains(menu->geometry()));
      QVERIFY(menu->verticalScrollBar()->maximum() > 0);
      QTest::keyClick(menu, Qt::Key_End);
      QCOMPARE(menu->current(), std::size_t{99999});
      QVERIFY(menu->viewport()->rect().intersects(menu->ItemRect(99999)));
      QTest::keyClick(menu, Qt::Key_Return);
    });
    QCOMPARE(kelvora::ExecMenu(model, nullptr), kelvora::kNextPageCommand);
  }

  void IndexWindowChoosesByClickOrEnter() {
    const kelvora::IndexWindowModel model = IndexModel(3);
    OnPopup([](QWidget* popup) {
      auto* window = qobject_cast<IndexPopup*>(popup);
      QVERIFY(window != nullptr);
      QCOMPARE(window->topLevelItemCount(), 5);
      QCOMPARE(window->topLevelItem(0)->text(1), QStringLiteral("” A ”  or  ” a ” ～"));
      QCOMPARE(window->topLevelItem(4)->text(1), QStringLiteral("ｷｬﾝｾﾙ（ESC）"));
      QCOMPARE(window->pos(), QPoint(40, 30));
      QCOMPARE(window->height(), 16 * 3 + 36);
      QCOMPARE(window->width(), 25 + 168 + 2 * window->frameWidth() - 5);
      QCOMPARE(window->columnWidth(0), 25);
      QCOMPARE(window->columnWidth(1), 168);
      QCOMPARE(window->palette().color(QPalette::Base), QColor(0x40, 0, 0));
      QCOMPARE(window->palette().color(QPalette::Text), QColor(0, 0x80, 0xFF));
      QCOMPARE(window->windowOpacity(), (255.0 - 40.0) / 255.0);
      QTest::keyClick(window, Qt::Key_Down);
      QTest::keyClick(window, Qt::Key_Return);
    });
    QCOMPARE(kelvora::ExecIndexWindow(model, nullptr), std::optional<std::size_t>(1));

    OnPopup([](QWidget* popup) {
      auto* window = qobject_cast<IndexPopup*>(popup);
      QVERIFY(window != nullptr);
      const QRect row = window->visualItemRect(window->topLevelItem(2));
      QTest::mouseClick(window->viewport(), Qt::LeftButton, {}, row.center());
    });
    QCOMPARE(kelvora::ExecIndexWindow(model, nullptr), std::optional<std::size_t>(2));
  }

  void IndexWindowCancelsAndIgnoresTheEmptyRow() {
    const kelvora::IndexWindowModel model = IndexModel(3);
    OnPopup([](QWidget* popup) {
      auto* window = qobject_cast<IndexPopup*>(popup);
      QVERIFY(window != nullptr);
      QTest::mouseClick(window->viewport(), Qt::LeftButton, {},
                        window->visualItemRect(window->topLevelItem(3)).center());
      QVERIFY(window->isVisible());
      QTest::keyClick(window, Qt::Key_Return);  // Enter on the selected empty row
      QVERIFY(window->isVisible());
      QTest::mouseClick(window->viewport(), Qt::LeftButton, {},
                        window->visualItemRect(window->topLevelItem(4)).center());
    });
    QCOMPARE(kelvora::ExecIndexWindow(model, nullptr), std::nullopt);

    OnPopup([](QWidget* popup) { QTest::keyClick(popup, Qt::Key_Escape); });
    QCOMPARE(kelvora::ExecIndexWindow(model, nullptr), std::nullopt);
  }

  void TallIndexWindowStaysOnTheScreen() {
    const kelvora::IndexWindowModel model = IndexModel(71);
    OnPopup([](QWidget* popup) {
      auto* window = qobject_cast<IndexPopup*>(popup);
      QVERIFY(window != nullptr);
      const QRect screen = window->screen()->availableGeometry();
      QVERIFY(screen.contains(window->geometry()));
      QCOMPARE(window->topLevelItem(70)->text(1), QStringLiteral("その他(0x20～0x7f以外) ～"));
      QTest::keyClick(window, Qt::Key_End);
      QTest::keyClick(window, Qt::Key_Return);  // the cancel row
    });
    QCOMPARE(kelvora::ExecIndexWindow(model, nullptr), std::nullopt);
  }

  void TransparencyGivesTheWindowOpacity() {
    QCOMPARE(kelvora::WindowOpacity(0), 1.0);
    QCOMPARE(kelvora::WindowOpacity(90), 75.0 / 255.0);
    QCOMPARE(kelvora::WindowOpacity(-5), 1.0);
    QCOMPARE(kelvora::FromColorRef(0x00112233), QColor(0x33, 0x22, 0x11));
    // Described screen points are taken on the screen holding the main window.
    QCOMPARE(kelvora::OnScreen(QPoint(10, 10), QRect(1920, 0, 1280, 1024)), QPoint(1930, 10));
    QCOMPARE(kelvora::OnScreen(QPoint(20, 20), QRect(-1280, 200, 1280, 1024)), QPoint(-1260, 220));
    QCOMPARE(kelvora::ScreenOfWindow(nullptr), QGuiApplication::primaryScreen());
    QCOMPARE(kelvora::ToColorRef(QColor(0x33, 0x22, 0x11)), 0x00112233u);
  }
};

KELVORA_WINDOW_TEST_MAIN(TestPopupMenus)

#include "test_popup_menus.moc"
