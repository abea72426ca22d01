// A dialog port made of two: dialogs from one port, window hooks (status, progress, layout,
// counts, wait cursor) from another, so the window's own display stays live under a test port.
#pragma once

#include "platform/ui.h"

namespace kelvora {

class SplitUi final : public Ui {
 public:
  SplitUi(Ui* dialogs, Ui* window) : dialogs_(dialogs), window_(window) {}
  void Set(Ui* dialogs, Ui* window) {
    dialogs_ = dialogs;
    window_ = window;
  }

  void Message(std::string_view text, std::string_view caption, MsgIcon icon) override {
    dialogs_->Message(text, caption, icon);
  }
  bool AskYesNo(QuestionId id, std::string_view text, std::string_view caption) override {
    const bool yes = dialogs_->AskYesNo(id, text, caption);
    if (yes && id == kAskCancelOnEscape) cancel_confirmed_ = true;
    return yes;
  }
  // True once after "Yes" to the cancel question of a long command.
  bool TakeCancelConfirmed() {
    const bool confirmed = cancel_confirmed_;
    cancel_confirmed_ = false;
    return confirmed;
  }
  std::optional<std::string> ChooseFolder(std::string_view title) override {
    return dialogs_->ChooseFolder(title);
  }
  std::optional<std::string> ChooseOpenFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_dir) override {
    return dialogs_->ChooseOpenFile(title, filter, initial_dir);
  }
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_name,
                                            std::string_view default_suffix) override {
    return dialogs_->ChooseSaveFile(title, filter, initial_name, default_suffix);
  }
  bool OpenWithDefaultApp(std::string_view path) override {
    return dialogs_->OpenWithDefaultApp(path);
  }
  // Escape comes from the window's queue when the window is live; a test port may script it.
  bool PollEscape() override {
    const bool window_escape = window_->PollEscape();
    const bool dialog_escape = dialogs_ != window_ && dialogs_->PollEscape();
    return window_escape || dialog_escape;
  }

  void SetStatus(int line, std::string_view text) override {
    window_->SetStatus(line, text);
    if (dialogs_ != window_) dialogs_->SetStatus(line, text);
  }
  void SetProgressRange(long long maximum) override { window_->SetProgressRange(maximum); }
  void SetProgressPos(long long pos) override { window_->SetProgressPos(pos); }
  void SetProgressVisible(bool on) override { window_->SetProgressVisible(on); }
  void AdvanceProgress(long long delta) override { window_->AdvanceProgress(delta); }
  void SetWaitCursor(bool on) override { window_->SetWaitCursor(on); }
  void SetLayout(WindowLayout layout) override {
    window_->SetLayout(layout);
    if (dialogs_ != window_) dialogs_->SetLayout(layout);
  }
  void SetListRedraw(bool on) override { window_->SetListRedraw(on); }
  void SetCountLabel(int kind, std::string_view text) override {
    window_->SetCountLabel(kind, text);
    if (dialogs_ != window_) dialogs_->SetCountLabel(kind, text);
  }

 private:
  Ui* dialogs_;
  Ui* window_;
  bool cancel_confirmed_ = false;
};

}  // namespace kelvora
