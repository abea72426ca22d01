// The dialog port of the language server: questions answered as a run without a window wants,
// progress and messages handed to the server, Escape when the client has gone.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "platform/ui.h"

namespace kelvora::lsp {

class ServerUi : public kelvora::Ui {
 public:
  // Receives each message of the commands (UTF-8) with its icon.
  using MessageFn = std::function<void(std::string_view text, MsgIcon icon)>;
  // Receives the progress in per cent, at most once per per cent.
  using ProgressFn = std::function<void(int percent)>;

  ServerUi(MessageFn message, ProgressFn progress, const std::atomic<bool>& stop)
      : message_(std::move(message)), progress_(std::move(progress)), stop_(stop) {}

  // "既にデータが存在します…": Yes adds to the data, No replaces it.
  void set_add_to_existing(bool yes) { add_to_existing_ = yes; }

  void Message(std::string_view text, std::string_view caption, MsgIcon icon) override;
  bool AskYesNo(QuestionId id, std::string_view text, std::string_view caption) override;
  std::optional<std::string> ChooseFolder(std::string_view) override { return std::nullopt; }
  std::optional<std::string> ChooseOpenFile(std::string_view, std::string_view,
                                            std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseSaveFile(std::string_view, std::string_view, std::string_view,
                                            std::string_view) override {
    return std::nullopt;
  }
  void SetStatus(int, std::string_view) override {}
  void SetProgressRange(long long maximum) override;
  void SetProgressPos(long long pos) override;
  void AdvanceProgress(long long delta) override { SetProgressPos(pos_ + delta); }
  void SetWaitCursor(bool) override {}
  bool PollEscape() override { return stop_.load(); }
  bool OpenWithDefaultApp(std::string_view) override { return false; }

 private:
  MessageFn message_;
  ProgressFn progress_;
  const std::atomic<bool>& stop_;
  bool add_to_existing_ = false;
  long long max_ = 0, pos_ = 0;
  int percent_ = -1;
};

}  // namespace kelvora::lsp
