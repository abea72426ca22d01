// The tag-jump controls: kind buttons in both modes, the word box and its history, "Get",
// "Index", and the popup menus with the commands chosen in them.
// Before any Qt header (see main_window.h).
#include "lookup/menu_commands.h"
#include "lookup/word_history.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>

#include "app/main_window.h"
#include "lookup/ui/popup_menus.h"
#include "platform/cp932.h"

namespace kelvora {

EditorLauncher MainWindow::Launcher() const {
  return EditorLauncher::FromSettings(settings_, options_.spawner);
}

const LoweredNames* MainWindow::Lowered(ListKind kind) const {
  return lowered_[static_cast<std::size_t>(SlotOf(kind))].get();
}

void MainWindow::KindButtonPressed(ListKind kind) {
  const MenuLayout layout = MenuLayoutFrom(settings_);
  if (!specify_mode_) {
    const IndexWindowSettings index_settings = ReadIndexWindowSettings(*store_, settings_);
    const IndexChooser choose = [this](const IndexWindowModel& model) {
      return options_.exec_index ? options_.exec_index(model, this) : ExecIndexWindow(model, this);
    };
    std::optional<MenuModel> menu =
        BrowseKindButton(data_, kind, layout, menu_state_, index_settings, choose);
    ShowCountField();
    if (menu) RunMenu(std::move(*menu));
    return;
  }
  const std::string word = Utf8ToCp932(word_box_->currentText().toStdString());
  LookupOutcome outcome = SpecifyKindButton(data_, kind, word, layout, menu_state_, *history_,
                                            Launcher(), ui(), Lowered(kind));
  RefreshHistoryBox();
  ShowCountField();
  if (outcome.result == LookupResult::Menu) RunMenu(std::move(outcome.menu));
}

// Shows a menu and carries out what is chosen in it: page turns show the next page, a row
// opens the editor. Closing the menu without a choice leaves the menu state as it is.
void MainWindow::RunMenu(MenuModel menu) {
  for (;;) {
    count_field_->setText(QString::fromStdString(menu.count_text));
    const int id =
        options_.exec_menu
            ? options_.exec_menu(menu, this)
            : ExecMenu(menu, this, [this](const QString& position) { ShowMenuPosition(position); });
    if (id == kNoCommand) return;
    MenuCommandOutcome outcome =
        HandleMenuCommand(id, data_, MenuLayoutFrom(settings_), menu_state_, Launcher(), ui());
    ShowCountField();
    if (outcome.result != MenuCommandResult::ShowMenu) return;
    menu = std::move(outcome.menu);
  }
}

// The status line under the kind buttons shows the highlighted item's position while there is
// one.
void MainWindow::ShowMenuPosition(const QString& position) {
  menu_status_->setText(
      menu_status_->fontMetrics().elidedText(position, Qt::ElideMiddle, menu_status_->width()));
  menu_status_->setToolTip(position);
  menu_status_->setVisible(!position.isEmpty());
}

void MainWindow::SetSpecifyMode(bool specify) {
  specify_mode_ = specify;
  specify_radio_->setChecked(specify);
  menu_radio_->setChecked(!specify);
  if (!specify) word_box_->setEditText(QString());
  word_box_->setEnabled(specify);
  index_->setVisible(!specify && has_data_layout_);
}

// The clipboard's text up to its first line break; only a beep in "MENU" mode.
void MainWindow::TakeWordFromClipboard() {
  if (!specify_mode_) {
    QApplication::beep();
    return;
  }
  QString text = QApplication::clipboard()->text();
  const qsizetype line_end = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
  if (line_end >= 0) text.truncate(line_end);
  word_box_->setEditText(text);
}

void MainWindow::ToggleIndex() {
  index_->setChecked(ToggleIndexMode(*store_, settings_));
  update();
}

void MainWindow::RefreshHistoryBox() {
  const QString edit = word_box_->currentText();
  word_box_->clear();
  for (const std::string& word : history_->dropdown())
    word_box_->addItem(QString::fromStdString(ToDisplay(word)));
  word_box_->setEditText(edit);
}

}  // namespace kelvora
