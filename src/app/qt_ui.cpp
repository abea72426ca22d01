#include "app/qt_ui.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <climits>

#include "app/ui_view.h"
#include "gui_common/arrow_cursor_scope.h"
#include "gui_common/dialog_owner.h"
#include "platform/process.h"

namespace kelvora {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon BoxIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information:
      return QMessageBox::Information;
    case MsgIcon::Warning:
      return QMessageBox::Warning;
    case MsgIcon::Error:
      return QMessageBox::Critical;
    case MsgIcon::Question:
      return QMessageBox::Question;
    case MsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// Input that must not reach the windows while a long command polls the queue.
bool IsUserInput(const QEvent& event) {
  if (event.isInputEvent()) return true;
  switch (event.type()) {
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return true;
    case QEvent::Close:
      return event.spontaneous();
    default:
      return false;
  }
}

// Message boxes size themselves to their text; a short text would leave the caption cut by the
// window manager ("Kelv… EE-"). The box is kept wide enough for its caption and the title
// bar's buttons.
void FitCaption(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  QFont title = box.font();
  title.setBold(true);
  constexpr int kTitleBarButtons = 140;
  const int width = QFontMetrics(title).horizontalAdvance(box.windowTitle()) + kTitleBarButtons;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

QtUi::QtUi(UiView* view, QObject* parent) : QObject(parent), view_(view) {
  if (QCoreApplication::instance() != nullptr)
    QCoreApplication::instance()->installEventFilter(this);
}

QtUi::~QtUi() {
  if (QCoreApplication::instance() != nullptr)
    QCoreApplication::instance()->removeEventFilter(this);
  if (wait_cursor_) QApplication::restoreOverrideCursor();
}

// The window that asked: a running modal dialog, else the window that marked itself as the
// owner (the TREE viewer, the grep result window), else the port's own window.
QWidget* QtUi::DialogParent() const {
  if (view_ != nullptr && view_->DialogWidget() != nullptr)
    return DialogParentFor(view_->DialogWidget());
  return DialogParentFor(QApplication::activeWindow());
}

void QtUi::Message(std::string_view text, std::string_view caption, MsgIcon icon) {
  QMessageBox box(BoxIcon(icon), FromUtf8(caption), FromUtf8(text), QMessageBox::Ok,
                  DialogParent());
  box.setTextFormat(Qt::PlainText);
  FitCaption(box);
  ArrowCursorScope arrow(wait_cursor_);
  box.exec();
}

bool QtUi::AskYesNo(QuestionId, std::string_view text, std::string_view caption) {
  QMessageBox box(QMessageBox::Question, FromUtf8(caption), FromUtf8(text),
                  QMessageBox::Yes | QMessageBox::No, DialogParent());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  FitCaption(box);
  ArrowCursorScope arrow(wait_cursor_);
  return box.exec() == QMessageBox::Yes;
}

void QtUi::SetStatus(int line, std::string_view text) {
  if (view_ == nullptr) return;
  if (QLabel* label = view_->StatusLine(line)) label->setText(FromUtf8(text));
}

void QtUi::SetProgressRange(long long maximum) {
  progress_max_ = std::max(0LL, maximum);
  progress_pos_ = 0;
  ShowProgress();
}

void QtUi::SetProgressPos(long long pos) {
  progress_pos_ = std::clamp(pos, 0LL, progress_max_);
  ShowProgress();
}

void QtUi::AdvanceProgress(long long delta) {
  if (delta >= 0) {
    progress_pos_ = delta > progress_max_ - progress_pos_ ? progress_max_ : progress_pos_ + delta;
  } else {
    progress_pos_ = -delta > progress_pos_ ? 0 : progress_pos_ + delta;
  }
  ShowProgress();
}

// QProgressBar counts in int: larger ranges are scaled down, and an empty range shows an empty
// bar instead of Qt's busy indicator.
void QtUi::ShowProgress() {
  QProgressBar* bar = view_ != nullptr ? view_->ProgressBar() : nullptr;
  if (bar == nullptr) return;
  constexpr int kScaled = 1 << 30;
  int maximum = 1;
  int value = 0;
  if (progress_max_ > INT_MAX) {
    maximum = kScaled;
    value = static_cast<int>(static_cast<long double>(progress_pos_) * kScaled / progress_max_);
  } else if (progress_max_ > 0) {
    maximum = static_cast<int>(progress_max_);
    value = static_cast<int>(progress_pos_);
  }
  if (bar->minimum() != 0 || bar->maximum() != maximum) bar->setRange(0, maximum);
  bar->setValue(value);
}

void QtUi::SetWaitCursor(bool on) {
  if (on == wait_cursor_) return;
  wait_cursor_ = on;
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

// User input is dispatched here too, so that it is swallowed now rather than delivered when
// the command has ended; only the Escape key is remembered. Commands poll once per file or line,
// far more often than the screen can show anything: the queue is served only when kServeEvery
// has passed since it was last served, which keeps repaints and Escape prompt while the command
// keeps nearly all the time.
bool QtUi::PollEscape() {
  if (!polling_ && (!served_.isValid() || served_.hasExpired(kServeEveryMs))) {
    polling_ = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    polling_ = false;
    served_.start();
  }
  const bool pressed = escape_pressed_;
  escape_pressed_ = false;
  return pressed;
}

bool QtUi::eventFilter(QObject* watched, QEvent* event) {
  // The close request reaches the window's platform window first, then the widget.
  if (polling_ && event->type() == QEvent::Close && view_ != nullptr &&
      (watched == view_->DialogWidget() || watched == view_->DialogWidget()->windowHandle())) {
    // Closing the window while a command runs is taken as Escape.
    escape_pressed_ = true;
    close_requested_ = true;
    return true;
  }
  if (!polling_ || !IsUserInput(*event)) return QObject::eventFilter(watched, event);
  // Another window asked to close (the TREE viewer while it reads a file) decides itself.
  if (event->type() == QEvent::Close) return QObject::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    escape_pressed_ = true;
  }
  return true;
}

bool QtUi::TakeCloseRequest() {
  const bool requested = close_requested_;
  close_requested_ = false;
  return requested;
}

// xdg-open gives up within moments when nothing can open the file (no browser for the manual):
// its exit status is awaited that long, so the caller can say so. One still running has found
// its application and is left to finish on its own.
bool QtUi::OpenWithDefaultApp(std::string_view path) {
  if (path.empty()) return false;
  QString target = QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
  if (target.startsWith(u'-')) target.prepend(QStringLiteral("./"));  // never read as an option
  auto* process = new QProcess;
  process->setProgram(QStringLiteral("xdg-open"));
  process->setArguments({target});
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  process->start();
  if (!process->waitForStarted(kOpenStartMs)) {
    delete process;
    return false;
  }
  if (process->waitForFinished(kOpenCheckMs)) {
    const bool opened = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    delete process;
    return opened;
  }
  QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
  return true;
}

void QtUi::SetLayout(WindowLayout layout) {
  progress_pos_ = 0;
  if (view_ == nullptr) return;
  view_->ApplyLayout(layout);
  ShowProgress();
}

void QtUi::SetProgressVisible(bool on) {
  if (view_ == nullptr || view_->ProgressBar() == nullptr) return;
  view_->ProgressBar()->setVisible(on);
  if (!on) return;
  // Shown over the data layout's controls (the kind buttons share its row), not behind them.
  view_->ProgressBar()->raise();
  ShowProgress();
}

void QtUi::SetListRedraw(bool on) {
  if (view_ != nullptr) view_->SetListRedraw(on);
}

void QtUi::SetCountLabel(int kind, std::string_view text) {
  if (view_ != nullptr) view_->SetCountLabel(kind, FromUtf8(text));
}

}  // namespace kelvora
