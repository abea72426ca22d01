// The dialog port of the TREE viewer: status panes go to the viewer's own status bar, the wait
// cursor to the application, everything else to the port the viewer was given.
#pragma once

#include <QLabel>
#include <array>

#include "platform/ui.h"

namespace kelvora {

class TreeViewerUi : public Ui {
 public:
  TreeViewerUi(Ui& outer, std::array<QLabel*, 3> panes) : outer_(outer), panes_(panes) {}

  void Message(std::string_view text, std::string_view caption, MsgIcon icon) override {
    outer_.Message(text, caption, icon);
  }
  bool AskYesNo(QuestionId id, std::string_view text, std::string_view caption) override {
    return outer_.AskYesNo(id, text, caption);
  }
  std::optional<std::string> ChooseFolder(std::string_view title) override {
    return outer_.ChooseFolder(title);
  }
  std::optional<std::string> ChooseOpenFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_dir) override {
    return outer_.ChooseOpenFile(title, filter, initial_dir);
  }
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_name) override {
    return outer_.ChooseSaveFile(title, filter, initial_name);
  }
  void SetStatus(int line, std::string_view text) override;
  void SetProgressRange(long long) override {}
  void SetProgressPos(long long) override {}
  void AdvanceProgress(long long) override {}
  void SetWaitCursor(bool on) override;
  bool PollEscape() override { return outer_.PollEscape(); }
  bool OpenWithDefaultApp(std::string_view path) override {
    return outer_.OpenWithDefaultApp(path);
  }

  std::string status(int line) const;

 private:
  Ui& outer_;
  std::array<QLabel*, 3> panes_;
  int waits_ = 0;
};

}  // namespace kelvora
