// A dialog port for benchmarks: messages go to standard error, every question is answered No,
// every chooser is cancelled, and the window hooks do nothing.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui.h"

class QuietUi : public kelvora::Ui {
 public:
  void Message(std::string_view text, std::string_view, kelvora::MsgIcon) override {
    std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
  }
  bool AskYesNo(kelvora::QuestionId, std::string_view, std::string_view) override { return false; }
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
  void SetProgressRange(long long) override {}
  void SetProgressPos(long long) override {}
  void AdvanceProgress(long long) override {}
  void SetWaitCursor(bool) override {}
  bool PollEscape() override { return false; }
  bool OpenWithDefaultApp(std::string_view) override { return false; }
};
