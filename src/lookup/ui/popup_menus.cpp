#include "lookup/ui/popup_menus.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QMenu>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>

#include "gui_common/screens.h"
#include "lookup/ui/column_menu.h"
#include "lookup/ui/index_popup.h"
#include "lookup/ui/item_text_widths.h"
#include "lookup/ui/menu_bitmaps.h"

namespace kelvora {

namespace {

// A QMenu makes an action and a layout entry per item; past this many items the painted popup
// opens in a fraction of the time (a one-column browse menu holds the whole list).
constexpr std::size_t kLargestQMenu = 1000;

// Lets a one-column menu taller than the screen scroll instead of growing more columns.
class ScrollingMenuStyle : public QProxyStyle {
 public:
  // Built on a fresh instance of the application's style (the proxy owns its base).
  ScrollingMenuStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == QStyle::SH_Menu_Scrollable) return 1;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

// Opens the popup and waits until it closes or is destroyed with its parent.
template <class Popup>
void RunUntilClosed(Popup* popup) {
  QPointer<Popup> guard(popup);
  QEventLoop loop;
  QObject::connect(popup, &Popup::Finished, &loop, &QEventLoop::quit);
  QObject::connect(popup, &QObject::destroyed, &loop, &QEventLoop::quit);
  popup->Open();
  if (guard != nullptr && guard->isVisible()) loop.exec();
}

int ExecColumnMenu(const MenuModel& model, QWidget* parent, const HighlightSink& on_highlight) {
  QPointer<ColumnMenu> menu = new ColumnMenu(model, parent);
  if (on_highlight) QObject::connect(menu.data(), &ColumnMenu::Highlighted, on_highlight);
  RunUntilClosed(menu.data());
  if (on_highlight) on_highlight(QString());
  if (menu == nullptr) return kNoCommand;
  const int chosen = menu->chosen();
  delete menu;
  return chosen;
}

int ExecQMenu(const MenuModel& model, QWidget* parent, const HighlightSink& on_highlight) {
  ScrollingMenuStyle style;
  QPointer<QMenu> menu = new QMenu(parent);
  menu->setStyle(&style);
  const QFontMetrics metrics(menu->font());
  const int text_cap = ItemTextCap(metrics);
  const qreal dpr = menu->devicePixelRatioF();
  bool tips = false;
  for (const MenuItem& item : model.items) {
    const std::string utf8 = DisplayText(item);
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const QString shown = metrics.elidedText(text, Qt::ElideRight, text_cap, Qt::TextShowMnemonic);
    QAction* action = menu->addAction(shown);
    const QString tip = ItemToolTip(item, text, shown != text);
    if (!tip.isEmpty()) {
      action->setToolTip(tip);
      tips = true;
    }
    if (!item.position.empty()) action->setStatusTip(ItemPosition(item));
    action->setData(item.id);
    action->setEnabled(item.enabled);
    const int bitmap = item.checked ? item.checked_bitmap : item.unchecked_bitmap;
    if (bitmap != 0) action->setIcon(QIcon(MenuBitmap(bitmap, dpr)));
  }
  menu->setToolTipsVisible(tips);
  if (on_highlight) {
    QObject::connect(menu.data(), &QMenu::hovered,
                     [&on_highlight](QAction* action) { on_highlight(action->statusTip()); });
  }

  QAction* chosen =
      menu->exec(OnScreen(QPoint(model.x, model.y), ScreenOfWindow(parent)->geometry()));
  const int id = chosen != nullptr && chosen->isEnabled() ? chosen->data().toInt() : kNoCommand;
  delete menu;
  if (on_highlight) on_highlight(QString());
  return id;
}

}  // namespace

int ExecMenu(const MenuModel& model, QWidget* parent, const HighlightSink& on_highlight) {
  if (model.items.empty()) return kNoCommand;
  if (model.paged || model.items.size() > kLargestQMenu)
    return ExecColumnMenu(model, parent, on_highlight);
  return ExecQMenu(model, parent, on_highlight);
}

std::optional<std::size_t> ExecIndexWindow(const IndexWindowModel& model, QWidget* parent) {
  QPointer<IndexPopup> window = new IndexPopup(model, parent);
  RunUntilClosed(window.data());
  if (window == nullptr) return std::nullopt;
  const std::optional<std::size_t> chosen = window->chosen();
  delete window;
  return chosen;
}

}  // namespace kelvora
