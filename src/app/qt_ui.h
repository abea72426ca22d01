// The dialog port on Qt: message boxes, file choosers, status lines, progress and Escape polling.
#pragma once

#include <QElapsedTimer>
#include <QObject>

#include "platform/ui.h"

class QWidget;

namespace kelvora {

class UiView;

class QtUi final : public QObject, public Ui {
  Q_OBJECT

 public:
  // Needs the QApplication, on which it installs its event filter. view may be nullptr: dialogs
  // then belong to the active window and status output is dropped.
  explicit QtUi(UiView* view, QObject* parent = nullptr);
  ~QtUi() override;

  void Message(std::string_view text, std::string_view caption = kCaption,
               MsgIcon icon = MsgIcon::Information) override;
  bool AskYesNo(QuestionId id, std::string_view text, std::string_view caption = kCaption) override;
  std::optional<std::string> ChooseFolder(std::string_view title) override;
  std::optional<std::string> ChooseOpenFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_dir = {}) override;
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_name = {},
                                            std::string_view default_suffix = {}) override;
  void SetStatus(int line, std::string_view text) override;
  void SetProgressRange(long long maximum) override;
  void SetProgressPos(long long pos) override;
  void AdvanceProgress(long long delta) override;
  void SetWaitCursor(bool on) override;
  bool PollEscape() override;
  bool OpenWithDefaultApp(std::string_view path) override;
  void SetLayout(WindowLayout layout) override;
  void SetProgressVisible(bool on) override;
  void SetListRedraw(bool on) override;
  void SetCountLabel(int kind, std::string_view text) override;

  // The "Dialog" fileDLG setting: 1 the desktop's own file dialogs, 2 Qt's own; every chooser
  // of this port (main window and the windows that share it) uses it.
  void SetFileDialogStyle(int style) { file_dialog_style_ = style; }
  int file_dialog_style() const { return file_dialog_style_; }

  // True once after the window was asked to close while a command polled the queue (the
  // request was taken as Escape).
  bool TakeCloseRequest();

  long long progress_max() const { return progress_max_; }
  long long progress_pos() const { return progress_pos_; }

 protected:
  // Active only inside PollEscape, which serves the whole queue (paint, timers and user input,
  // since input left queued would run once the command ends): records Escape and swallows all
  // user input, drops and window-close requests.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* DialogParent() const;
  void ShowProgress();

  // How long OpenWithDefaultApp waits for xdg-open to start, and for it to fail.
  static constexpr int kOpenStartMs = 3000;
  static constexpr int kOpenCheckMs = 2000;
  // Least time between two servings of the event queue in PollEscape.
  static constexpr qint64 kServeEveryMs = 30;

  UiView* view_;
  long long progress_max_ = 0;
  long long progress_pos_ = 0;
  bool wait_cursor_ = false;
  int file_dialog_style_ = 1;
  bool polling_ = false;
  bool escape_pressed_ = false;
  bool close_requested_ = false;
  QElapsedTimer served_;  // since the queue was last served in PollEscape
};

}  // namespace kelvora
