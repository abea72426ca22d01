// Before any Qt header (see main_window.h).
#include "lookup/menu_commands.h"
#include "lookup/word_history.h"

#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QShortcut>
#include <QToolButton>
#include <QUrl>

#include "app/qt_ui.h"
#include "gui_common/background_patterns.h"
#include "gui_common/button_patterns.h"
#include "gui_common/fs_names.h"
#include "platform/process.h"
#include "tree/ui/tree_viewer_window.h"

namespace kelvora {

namespace {
constexpr QuestionId kAskQuit{"app.quit"};
}  // namespace
namespace {

// The bytes of a dropped local path: the URL keeps them percent-encoded, so names that are
// not UTF-8 arrive unchanged.
std::string DroppedPathBytes(const QUrl& url) {
  const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
  return QByteArray::fromPercentEncoding(encoded).toStdString();
}

bool IsEnterOrEscape(const QKeyEvent& key) {
  return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_Escape;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : MainWindow(MainWindowOptions{}, parent) {}

MainWindow::MainWindow(MainWindowOptions options, QWidget* parent)
    : QWidget(parent),
      options_(std::move(options)),
      split_ui_(nullptr, nullptr),
      history_(std::make_unique<WordHistory>()) {
  store_.emplace(options_.store ? *options_.store : SettingsStore::Default());
  regex_.set_available(options_.regex_available);
  // Installed before QtUi's filter, so QtUi sees a key first while a command polls the queue.
  qApp->installEventFilter(this);
  qt_ui_ = std::make_unique<QtUi>(this);
  split_ui_.Set(options_.dialogs != nullptr ? options_.dialogs : qt_ui_.get(), qt_ui_.get());

  setWindowTitle(Title());
  setWindowIcon(WindowIcon());
  setAcceptDrops(true);
  BuildControls();
  setFixedSize(CollapsedSize());
  // The window's size is fixed: no maximize button.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);

  for (const CommandRow& row : Commands()) {
    if (row.window != CommandWindow::Main || row.id == 0 || row.accelerator.empty()) continue;
    auto* shortcut =
        new QShortcut(QKeySequence(QString::fromLatin1(
                          row.accelerator.data(), static_cast<qsizetype>(row.accelerator.size()))),
                      this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, id = row.id] { Command(id); });
  }
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  if (started_) SavePlacement();
}

QString MainWindow::Title() {
  return QStringLiteral("Kelvora  - RarUviz -");
}

QLabel* MainWindow::StatusLine(int line) {
  return line >= 1 && line <= 3 ? status_[static_cast<std::size_t>(line - 1)] : nullptr;
}

QLabel* MainWindow::CountLabel(int kind) const {
  return kind >= 1 && kind <= kListCount ? count_[static_cast<std::size_t>(kind - 1)] : nullptr;
}

QTableView* MainWindow::ListView(int kind) const {
  return kind >= 1 && kind <= kListCount ? views_[static_cast<std::size_t>(kind - 1)] : nullptr;
}

QPushButton* MainWindow::KindButton(int kind) const {
  return kind >= 1 && kind <= kListCount ? kind_buttons_[static_cast<std::size_t>(kind - 1)]
                                         : nullptr;
}

QAbstractButton* MainWindow::MenuRadio() const {
  return menu_radio_;
}
QAbstractButton* MainWindow::SpecifyRadio() const {
  return specify_radio_;
}
QAbstractButton* MainWindow::IndexButton() const {
  return index_;
}
QAbstractButton* MainWindow::PanelButton() const {
  return panel_button_;
}

void MainWindow::SetListRedraw(bool on) {
  list_area_->setUpdatesEnabled(on);
  if (on) list_area_->update();
}

void MainWindow::SetCountLabel(int kind, const QString& text) {
  if (QLabel* label = CountLabel(kind)) label->setText(text);
}

void MainWindow::paintEvent(QPaintEvent*) {
  const int pattern = settings_.hatch_pattern;
  if (pattern != brush_pattern_ || settings_.dlg_base != brush_line_color_ ||
      settings_.dlg_bkground != brush_back_color_) {
    brush_ = BackgroundBrush(pattern, settings_.dlg_base, settings_.dlg_bkground);
    brush_pattern_ = pattern;
    brush_line_color_ = settings_.dlg_base;
    brush_back_color_ = settings_.dlg_bkground;
  }
  QPainter painter(this);
  painter.fillRect(rect(), brush_);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (command_running_ ||
      !ui().AskYesNo(kAskQuit, "『 Kelvora 』 を終了しますか？　", Ui::kCaption)) {
    event->ignore();
    return;
  }
  ResetMenuState(menu_state_);
  ShowCountField();
  brush_pattern_ = -1;
  data_.roots().Clear();
  if (tree_viewer_) tree_viewer_->close();
  event->accept();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
  ShowContextMenu(event->globalPos());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!command_running_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

// Exactly one dropped folder starts an analysis of it; a file or several items do nothing.
void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (command_running_ || urls.size() != 1 || !urls.front().isLocalFile()) return;
  const std::string path = DroppedPathBytes(urls.front());
  if (!QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).isDir()) return;
  event->acceptProposedAction();
  RunAnalysisAt(path);
}

// Enter and Escape never reach the window or its controls (popups are windows of their own);
// the word box's focus resets the menu state.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType()) return QWidget::eventFilter(watched, event);
  auto* widget = static_cast<QWidget*>(watched);
  if (widget->window() != this) return QWidget::eventFilter(watched, event);
  if (!command_running_ &&
      (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
      IsEnterOrEscape(*static_cast<QKeyEvent*>(event))) {
    return true;
  }
  if (event->type() == QEvent::FocusIn && word_box_ != nullptr &&
      (widget == word_box_ || widget == word_box_->lineEdit())) {
    ResetMenuState(menu_state_);
    ShowCountField();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kelvora
